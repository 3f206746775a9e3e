#pragma once

#include "cli/command.h"

// convert IN OUT: start from the start-up state, load IN as "Načíst data" does and save OUT as
// "Uložit data" does. OUT is not touched unless IN loaded completely.
int convertCommand(const Invocation& run);
// show FILE: load FILE the same way and print the route grid, header row and routes 1..90,
// cells separated by one TAB.
int showCommand(const Invocation& run);
