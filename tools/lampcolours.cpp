#include "tools/lampcolours.h"

namespace tools {

std::uint32_t lampRgb(LampColour colour) {
    switch (colour) {
    case LampColour::White:
        return 0xFFFFFF;
    case LampColour::Yellow:
        return 0xFFFF00;
    case LampColour::Green:
        return 0x008000;
    case LampColour::Red:
        return 0xFF0000;
    case LampColour::Aqua:
        return 0x00FFFF;
    }
    return 0xFFFFFF;
}

LampColours lampColours(const ManualTestConfig& config, const LinkEngine::StatusValues& status) {
    LampColours c;
    const auto bit = [](unsigned value, int k) { return ((value >> k) & 1U) != 0; };
    for (int k = 0; k < 16; ++k)
        c.pushButtons[k] = bit(status.pushButtons, k) ? LampColour::Yellow : LampColour::White;
    if (config.topButtonsOwnColours) {
        c.pushButtons[14] = bit(status.pushButtons, 14) ? LampColour::Yellow : LampColour::Aqua;
        c.pushButtons[15] = bit(status.pushButtons, 15) ? LampColour::Red : LampColour::Aqua;
    }
    for (int k = 0; k < 8; ++k) {
        c.sensors[k] = bit(status.sensors, k) ? LampColour::Green : LampColour::White;
        c.detectors[k] = bit(status.detectors, k) ? LampColour::Red : LampColour::White;
    }
    return c;
}

LinkEngine::StatusValues shownStatus(const ManualTestConfig& config, const LinkEngine& engine) {
    return config.unit == TestedUnit::Main ? engine.status() : engine.expansionStatus();
}

} // namespace tools
