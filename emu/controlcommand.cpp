#include "emu/controlcommand.h"

#include "data/hex.h"

#include <QStringList>

#include <functional>
#include <map>

namespace {
using Kind = ControlCommand::Kind;
using Input = ControlCommand::Input;
using Mode = ControlCommand::Mode;

ControlCommand fail(const QString& text) {
    ControlCommand c;
    c.kind = Kind::Error;
    c.error = text;
    return c;
}

bool onOff(const QString& word, bool& on) {
    if (word == QLatin1String("on") || word == QLatin1String("1")) {
        on = true;
        return true;
    }
    if (word == QLatin1String("off") || word == QLatin1String("0")) {
        on = false;
        return true;
    }
    return false;
}

bool inputKind(const QString& word, Input& input) {
    if (word == QLatin1String("sensor"))
        input = Input::Sensor;
    else if (word == QLatin1String("detector"))
        input = Input::Detector;
    else if (word == QLatin1String("button"))
        input = Input::Button;
    else
        return false;
    return true;
}

int inputCount(Input input) {
    return input == Input::Button ? 16 : 8;
}

ControlCommand plain(Kind kind) {
    ControlCommand c;
    c.kind = kind;
    return c;
}

// silent on|off, animate on|off
ControlCommand switchCommand(const QString& verb, const QStringList& w) {
    ControlCommand c;
    if (w.size() != 1 || !onOff(w[0], c.flag))
        return fail(QStringLiteral("usage: %1 on|off").arg(verb));
    c.kind = verb == QLatin1String("silent") ? Kind::Silent : Kind::Animate;
    return c;
}

// set main|exp sensors|buttons|detectors VALUE
ControlCommand setCommand(const QString&, const QStringList& w) {
    ControlCommand c;
    if (w.size() != 3)
        return fail(QStringLiteral("usage: set main|exp sensors|buttons|detectors VALUE"));
    if (w[0] == QLatin1String("main"))
        c.unit = Unit::Main;
    else if (w[0] == QLatin1String("exp"))
        c.unit = Unit::Expansion;
    else
        return fail(QStringLiteral("unit must be main or exp"));
    QString group = w[1];
    if (group.endsWith(QLatin1Char('s')))
        group.chop(1);
    if (!inputKind(group, c.input))
        return fail(QStringLiteral("input must be sensors, buttons or detectors"));
    bool ok = false;
    c.value = w[2].toUInt(&ok, 0);
    const unsigned limit = c.input == Input::Button ? 0xFFFF : 0xFF;
    if (!ok || c.value > limit)
        return fail(QStringLiteral("value must be 0..%1").arg(limit));
    c.kind = Kind::SetWord;
    return c;
}

// sensor|detector|button N [on|off], of the main module unless `exp`
ControlCommand inputCommand(const QString& kind, QStringList w, bool exp) {
    ControlCommand c;
    if (!inputKind(kind, c.input))
        return fail(QStringLiteral("unknown command '%1' (type help)").arg(kind));
    if (w.isEmpty() || w.size() > 2)
        return fail(QStringLiteral("usage: %1 N%2")
                        .arg(kind, c.input == Input::Button ? QStringLiteral(" [on|off]")
                                                            : QStringLiteral(" on|off")));
    bool ok = false;
    int n = w[0].toInt(&ok);
    // Without "exp", sensors and detectors 9..16 are the expansion unit's 1..8, as the
    // expansion test window labels them.
    const int count = inputCount(c.input);
    const int reach = exp || c.input == Input::Button ? count : 2 * count;
    if (!ok || n < 1 || n > reach)
        return fail(QStringLiteral("%1 number must be 1..%2").arg(kind).arg(reach));
    if (!exp && n > count) {
        exp = true;
        n -= count;
    }
    c.unit = exp ? Unit::Expansion : Unit::Main;
    c.number = n;
    if (w.size() == 2) {
        bool on = false;
        if (!onOff(w[1], on))
            return fail(QStringLiteral("say on or off, not '%1'").arg(w[1]));
        c.mode = on ? Mode::On : Mode::Off;
    } else if (c.input == Input::Button) {
        c.mode = Mode::Press;
    } else {
        return fail(QStringLiteral("usage: %1 N on|off").arg(kind));
    }
    c.kind = Kind::Input;
    return c;
}

// exp sensor|detector|button N [on|off]
ControlCommand expansionCommand(const QString&, QStringList w) {
    if (w.isEmpty())
        return fail(QStringLiteral("usage: exp sensor|detector|button N [on|off]"));
    const QString kind = w.takeFirst();
    return inputCommand(kind, w, true);
}

using Parser = std::function<ControlCommand(const QString& verb, const QStringList& words)>;

const std::map<QString, Parser>& commandTable() {
    const auto simple = [](Kind kind) {
        return [kind](const QString&, const QStringList&) { return plain(kind); };
    };
    const auto input = [](const QString& verb, const QStringList& w) {
        return inputCommand(verb, w, false);
    };
    static const std::map<QString, Parser> table = {
        {QStringLiteral("help"), simple(Kind::Help)},
        {QStringLiteral("?"), simple(Kind::Help)},
        {QStringLiteral("status"), simple(Kind::Status)},
        {QStringLiteral("quit"), simple(Kind::Quit)},
        {QStringLiteral("exit"), simple(Kind::Quit)},
        {QStringLiteral("clear"), simple(Kind::Clear)},
        {QStringLiteral("silent"), switchCommand},
        {QStringLiteral("animate"), switchCommand},
        {QStringLiteral("set"), setCommand},
        {QStringLiteral("exp"), expansionCommand},
        {QStringLiteral("sensor"), input},
        {QStringLiteral("detector"), input},
        {QStringLiteral("button"), input},
    };
    return table;
}
} // namespace

ControlCommand parseControlLine(const QString& line) {
    QStringList w = line.trimmed().toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (w.isEmpty())
        return ControlCommand();
    const QString verb = w.takeFirst();
    const auto& table = commandTable();
    const auto command = table.find(verb);
    if (command == table.end())
        return fail(QStringLiteral("unknown command '%1' (type help)").arg(verb));
    return command->second(verb, w);
}

void applyInputCommand(Stv2Responder& module, const ControlCommand& c) {
    switch (c.kind) {
    case Kind::Input: {
        const bool on = c.mode != Mode::Off;
        if (c.input == Input::Sensor)
            module.setSensor(c.unit, c.number, on);
        else if (c.input == Input::Detector)
            module.setDetector(c.unit, c.number, on);
        else
            module.setButton(c.unit, c.number, on);
        return;
    }
    case Kind::SetWord: {
        UnitInputs in = module.inputs(c.unit);
        if (c.input == Input::Sensor)
            in.sensors = static_cast<std::uint8_t>(c.value);
        else if (c.input == Input::Detector)
            in.detectors = static_cast<std::uint8_t>(c.value);
        else
            in.buttons = static_cast<std::uint16_t>(c.value);
        module.setInputs(c.unit, in);
        return;
    }
    case Kind::Clear:
        module.setInputs(Unit::Main, {});
        module.setInputs(Unit::Expansion, {});
        return;
    default:
        return;
    }
}

namespace {
QString bits(unsigned word, int count, int first) {
    QStringList on;
    for (int k = 0; k < count; ++k)
        if (word & (1u << k))
            on << QString::number(first + k);
    return on.isEmpty() ? QStringLiteral("-") : on.join(QLatin1Char(','));
}
} // namespace

QString moduleStatusText(const Stv2Responder& m) {
    QString out;
    const UnitInputs a = m.inputs(Unit::Main);
    const UnitInputs b = m.inputs(Unit::Expansion);
    out += QStringLiteral("main: sensors %1 [%2] buttons %3 [%4] detectors %5 [%6]\n")
               .arg(toHex(a.sensors, 2), bits(a.sensors, 8, 1), toHex(a.buttons, 4),
                    bits(a.buttons, 16, 1), toHex(a.detectors, 2), bits(a.detectors, 8, 1));
    out += QStringLiteral("exp:  sensors %1 [%2] buttons %3 [%4] detectors %5 [%6]\n")
               .arg(toHex(b.sensors, 2), bits(b.sensors, 8, 9), toHex(b.buttons, 4),
                    bits(b.buttons, 16, 1), toHex(b.detectors, 2), bits(b.detectors, 8, 9));
    QStringList signalList;
    for (int s = 0; s < 256; ++s)
        if (m.signalCode(s) >= 0)
            signalList << QStringLiteral("%1=%2").arg(s).arg(m.signalCode(s));
    QStringList pointList;
    for (int p = 1; p <= 16; ++p)
        if (m.pointPosition(p))
            pointList << QStringLiteral("%1%2").arg(p).arg(m.pointPosition(p) == 1 ? '+' : '-');
    out += QStringLiteral("signals: %1\npoints: %2\nrelays: R1..16 %3 R17..32 %4\n")
               .arg(signalList.isEmpty() ? QStringLiteral("-") : signalList.join(QLatin1Char(' ')),
                    pointList.isEmpty() ? QStringLiteral("-") : pointList.join(QLatin1Char(' ')),
                    toHex(m.relays(Unit::Main), 4), toHex(m.relays(Unit::Expansion), 4));
    out += QStringLiteral("commands: %1 (%2 simulation frames)%3\n")
               .arg(m.commandCount())
               .arg(m.frameCount())
               .arg(m.isSilent() ? QStringLiteral(", silent") : QString());
    return out;
}

void animateInputs(Stv2Responder& m, int step) {
    const unsigned k = static_cast<unsigned>(step);
    const auto bit8 = [](unsigned n) { return static_cast<std::uint8_t>(1u << (n % 8)); };
    const auto bit16 = [](unsigned n) { return static_cast<std::uint16_t>(1u << (n % 16)); };
    m.setInputs(Unit::Main, {bit8(k), bit16(k), bit8(k + 4)});
    // The expansion unit walks the other way round, so the two windows are easy to tell apart.
    const unsigned back = 15 - k % 16;
    m.setInputs(Unit::Expansion, {bit8(back), bit16(back), bit8(back + 4)});
}
