#pragma once

#include "link/linkengine.h"

#include <QString>

#include <array>
#include <cstdint>

// The PC as a neighbouring module: the eight data bytes of each simulation frame, built from the
// window's controls and the module's last questions, and the texts showing the last reply.
namespace tools {

constexpr int kNeighbourSignals = 15;

struct SimulationControls {
    int requestSignal = 0;                        // SEnavREQa: the signal the neighbour asks about
    std::array<int, kNeighbourSignals> aspects{}; // CBoxNav1..15 item index, -1 when none
    std::uint16_t sensors = 0;                    // CBsen k is bit k-1
    std::uint16_t detectors = 0;                  // CBdet k is bit k-1
    int trackNumber = 0;                          // SEkolejA, 0..15
    int trackOccupancy = 0;                       // SEkolejB, 0..15
    bool developer = false;                       // the track byte goes out only then
};

// The neighbour's answer about its signal `requestedSignal`: the low two bits of that signal's
// aspect index, 0 for a number that names none of its signals.
std::uint8_t neighbourAnswer(int requestedSignal,
                             const std::array<int, kNeighbourSignals>& aspects);

// Data bytes 1..8 of the next frame, answering the questions of the last accepted reply.
std::array<std::uint8_t, 8> simulationData(const SimulationControls& controls,
                                           const LinkEngine::SimulationReply& lastReply);

struct SimulationLabels {
    QString replies; // LBtikRX
    QString signalA; // LBreqNavA
    QString signalB; // LBreqNavB
    QString answerA; // LBspeedA
};
SimulationLabels simulationLabels(const LinkEngine::SimulationReply& reply);

} // namespace tools
