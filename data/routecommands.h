#pragma once

#include "data/configstore.h"

// "Zrušení nadef. cesty": drops what makes the route settable and keeps what the user is
// likely to reuse (description, track, N3, expansion relays, remote detectors, DCC flag, ...).
void clearRoute(Tcesta_REC& route);

// The source numbers the copy dialog may offer: 1 .. min(capacity, 90), never empty, so a
// module reporting more routes than the table holds can never make us read past it.
int copySourceLimit(int routeCapacity);

// Copies route `source` over route `target` (every field, description included), then packs the
// table. Returns false and changes nothing when either number lies outside 1..90.
bool copyRoute(ConfigStore& store, int source, int target);
