#pragma once

// The route grid moved to data/ui/; this name stays only until the link's windows include it
// from there.
#include "data/ui/routegrid.h"
