#pragma once

#include "tools/manualtestconfig.h"

#include <QByteArray>

#include <cstdint>

// The seven-byte commands of the manual test windows, built from the controls' values. The
// numbers are clamped into the ranges the controls allow, so no value can reach the module as
// a machine, signal or position it does not have.
namespace tools {

constexpr int kNoPosition = -1; // radio group with nothing chosen
constexpr int kStraight = 0;    // "rovně"
constexpr int kDiverging = 1;   // "odbočka"

std::uint8_t machineIndex(const ManualTestConfig& config, int machineNumber);
// 0 when no position is chosen.
std::uint8_t positionCode(const ManualTestConfig& config, int positionIndex);
// The item's position in the signal-code list; nothing chosen (-1) goes out as 0xFF.
std::uint8_t signalCode(int itemIndex);

QByteArray pointCommand(const ManualTestConfig& config, int machineNumber, int positionIndex);
QByteArray signalCommand(const ManualTestConfig& config, int signalNumber, int itemIndex);
// Bit k-1 of the word is relay box k; highByteFirst swaps the two relay bytes.
QByteArray relayCommand(const ManualTestConfig& config, std::uint16_t relayWord,
                        bool highByteFirst);

// Each window's own memory for "swap HI/LO": with the box ticked, relay commands alternate
// between high byte first and low byte first, starting with high byte first; unticked presses
// send low byte first and leave the alternation where it was.
class RelaySwapToggle {
public:
    // The byte order of the next relay command; advances the alternation when the box is ticked.
    bool nextHighByteFirst(bool swapTicked);
    bool toggle() const { return m_toggle; }

private:
    bool m_toggle = false;
};

struct PointSelection {
    int machine = 1;
    int positionIndex = kNoPosition;
    bool operator==(const PointSelection& o) const {
        return machine == o.machine && positionIndex == o.positionIndex;
    }
};

// Where "test INC" leaves the point controls after sending the current selection: a machine
// not yet diverging goes diverging; a diverging one hands over to the next machine, straight,
// and the last machine hands over to the first.
PointSelection testIncNext(const ManualTestConfig& config, PointSelection current);

} // namespace tools
