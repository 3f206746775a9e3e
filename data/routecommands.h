#pragma once

#include "data/configstore.h"

// The grid's route commands on the configuration. Each one that changes a route ends by packing
// the whole route table into the image, so the image never lags behind the table; the caller
// only refills the grid.

// "Zrušení nadef. cesty": drops what makes route n settable and keeps what the user is likely
// to reuse (description, track, N3, expansion relays, remote detectors, DCC flag, ...), then
// packs the table. With `wholeDefinition` every field, the description included, goes back to
// the start-up state instead. Returns false and changes nothing when n lies outside 1..90.
bool clearRoute(ConfigStore& store, int n, bool wholeDefinition = false);
// The same on a record: route as "Zrušení nadef. cesty" leaves it.
RouteRecord clearedRoute(const RouteRecord& route, bool wholeDefinition);

// A route as start-up leaves it: inactive, nothing set, following signal "vždy STŮJ".
RouteRecord emptyRoute();
// An inactive route (a push-button 0) that still holds settings besides its description, which
// a new definition in its slot would carry along unseen.
bool holdsHiddenSettings(const RouteRecord& route);

// The route editor's OK: the edited record goes over route n, then the table is packed.
// Returns false and changes nothing when n lies outside 1..90.
bool applyRoute(ConfigStore& store, int n, const RouteRecord& route);

// The source numbers the copy dialog may offer: 1 .. min(capacity, 90), never empty, so a
// module reporting more routes than the table holds can never make us read past it.
int copySourceLimit(int routeCapacity);

// Copies route `source` over route `target` (every field, description included), then packs the
// table. Returns false and changes nothing when either number lies outside 1..90.
bool copyRoute(ConfigStore& store, int source, int target);
