#pragma once

#include "link/linkengine.h"
#include "tools/manualtestconfig.h"

// The repeated status reading of a manual test window. Each window starts only its own poll,
// from idle; stopping takes in the link states the engine's stopper of that unit accepts
// (30..34 for the main module, 30..39 for the expansion unit).
namespace tools {

enum class PollSwitch { Started, Stopped, Unchanged };

// The poll button: idle starts the poll, a running poll stops, any other link state (a
// transfer, a command being sent, the simulation) is left alone.
PollSwitch switchPoll(const ManualTestConfig& config, LinkEngine& engine);
// ZAVŘÍT and every other way of closing the window.
bool stopPoll(const ManualTestConfig& config, LinkEngine& engine);

} // namespace tools
