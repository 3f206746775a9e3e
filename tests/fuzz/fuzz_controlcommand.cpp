// Lines typed on stv2-emu's standard input. Whatever the text, parsing gives one of the known
// kinds, an error always says why, numbers and values stay in their ranges, and applying the
// command and printing the status never fail.

#include "emu/controlcommand.h"

#include <cstdlib>

namespace {
void require(bool condition) {
    if (!condition)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using Kind = ControlCommand::Kind;
    using Input = ControlCommand::Input;
    static Stv2Responder module;
    const QString line =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ControlCommand c = parseControlLine(line);
    require(c.kind == Kind::Error ? !c.error.isEmpty() : c.error.isEmpty());
    const int count = c.input == Input::Button ? 16 : 8;
    if (c.kind == Kind::Input)
        require(c.number >= 1 && c.number <= count);
    if (c.kind == Kind::SetWord)
        require(c.value <= (c.input == Input::Button ? 0xFFFFu : 0xFFu));
    if (line.trimmed().isEmpty())
        require(c.kind == Kind::Empty);

    const UnitInputs before = module.inputs(c.unit);
    applyInputCommand(module, c);
    if (c.kind == Kind::SetWord) {
        const UnitInputs after = module.inputs(c.unit);
        const unsigned word = c.input == Input::Sensor     ? after.sensors
                              : c.input == Input::Detector ? after.detectors
                                                           : after.buttons;
        require(word == c.value);
    } else if (c.kind != Kind::Input && c.kind != Kind::Clear) {
        require(module.inputs(c.unit) == before);
    }
    require(!moduleStatusText(module).isEmpty());
    animateInputs(module, static_cast<int>(size));
    return 0;
}
