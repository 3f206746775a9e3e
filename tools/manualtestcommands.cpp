#include "tools/manualtestcommands.h"

#include "link/protocol.h"

#include <algorithm>

namespace tools {

std::uint8_t machineIndex(const ManualTestConfig& config, int machineNumber) {
    return static_cast<std::uint8_t>(std::clamp(machineNumber, config.pointMin, config.pointMax) -
                                     config.pointMin);
}

std::uint8_t positionCode(const ManualTestConfig& config, int positionIndex) {
    if (positionIndex != kStraight && positionIndex != kDiverging)
        return 0;
    return static_cast<std::uint8_t>((positionIndex + 1) * config.positionCodeFactor);
}

std::uint8_t signalCode(int itemIndex) {
    return static_cast<std::uint8_t>(itemIndex & 0xFF);
}

QByteArray pointCommand(const ManualTestConfig& config, int machineNumber, int positionIndex) {
    return protocol::pointMachineCommand(machineIndex(config, machineNumber),
                                         positionCode(config, positionIndex));
}

QByteArray signalCommand(const ManualTestConfig& config, int signalNumber, int itemIndex) {
    const int number = std::clamp(signalNumber, config.signalMin, config.signalMax);
    return protocol::signalCommand(static_cast<std::uint8_t>(number), signalCode(itemIndex));
}

QByteArray relayCommand(const ManualTestConfig& config, std::uint16_t relayWord,
                        bool highByteFirst) {
    const auto low = static_cast<std::uint8_t>(relayWord & 0xFF);
    const auto high = static_cast<std::uint8_t>(relayWord >> 8);
    const std::uint8_t a = highByteFirst ? high : low;
    const std::uint8_t b = highByteFirst ? low : high;
    return config.unit == TestedUnit::Main ? protocol::relaysCommand(a, b)
                                           : protocol::expansionRelaysCommand(a, b);
}

bool RelaySwapToggle::nextHighByteFirst(bool swapTicked) {
    if (!swapTicked)
        return false;
    const bool highFirst = !m_toggle;
    m_toggle = !m_toggle;
    return highFirst;
}

PointSelection testIncNext(const ManualTestConfig& config, PointSelection current) {
    const int machine = std::clamp(current.machine, config.pointMin, config.pointMax);
    if (current.positionIndex != kDiverging)
        return {machine, kDiverging};
    return {machine >= config.pointMax ? config.pointMin : machine + 1, kStraight};
}

} // namespace tools
