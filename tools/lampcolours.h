#pragma once

#include "link/linkengine.h"
#include "tools/manualtestconfig.h"

#include <array>
#include <cstdint>

// The fill colours of the 32 lamps of a manual test window for one set of status values.
namespace tools {

enum class LampColour { White, Yellow, Green, Red, Aqua };

// 0xRRGGBB
std::uint32_t lampRgb(LampColour colour);

struct LampColours {
    std::array<LampColour, 16> pushButtons{}; // ShTL1..ShTL16
    std::array<LampColour, 8> sensors{};      // ShSN1..ShSN8
    std::array<LampColour, 8> detectors{};    // ShDET1..ShDET8
};

// Lamp k of a group shows bit k-1 of its value.
LampColours lampColours(const ManualTestConfig& config, const LinkEngine::StatusValues& status);

// The status values the window of this configuration shows: the main module's or the
// expansion unit's.
LinkEngine::StatusValues shownStatus(const ManualTestConfig& config, const LinkEngine& engine);

} // namespace tools
