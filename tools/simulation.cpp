#include "tools/simulation.h"

namespace tools {

std::uint8_t neighbourAnswer(int requestedSignal,
                             const std::array<int, kNeighbourSignals>& aspects) {
    if (requestedSignal < 1 || requestedSignal > kNeighbourSignals)
        return 0;
    // An emptied box (index -1) thus answers 3, as the module has always been told.
    return static_cast<std::uint8_t>(aspects[static_cast<std::size_t>(requestedSignal - 1)] & 0x03);
}

std::array<std::uint8_t, 8> simulationData(const SimulationControls& controls,
                                           const LinkEngine::SimulationReply& lastReply) {
    std::array<std::uint8_t, 8> d{};
    const std::uint8_t answerA = neighbourAnswer(lastReply.requestedSignalA, controls.aspects);
    const std::uint8_t answerB = neighbourAnswer(lastReply.requestedSignalB, controls.aspects);
    d[0] = static_cast<std::uint8_t>((controls.requestSignal & 0x1F) | (answerA << 5));
    d[1] = static_cast<std::uint8_t>(answerB << 5);
    if (controls.developer)
        d[2] = static_cast<std::uint8_t>((controls.trackNumber & 0x0F) |
                                         ((controls.trackOccupancy & 0x0F) << 4));
    d[3] = static_cast<std::uint8_t>(controls.detectors & 0xFF);
    d[4] = static_cast<std::uint8_t>(controls.sensors & 0xFF);
    d[5] = static_cast<std::uint8_t>(controls.detectors >> 8);
    d[6] = static_cast<std::uint8_t>(controls.sensors >> 8);
    d[7] = 0;
    return d;
}

SimulationLabels simulationLabels(const LinkEngine::SimulationReply& reply) {
    return {QString::number(reply.replyCounter), QString::number(reply.requestedSignalA),
            QString::number(reply.requestedSignalB), QString::number(reply.answerA)};
}

} // namespace tools
