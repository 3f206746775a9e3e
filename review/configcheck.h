#pragma once

#include "data/configstore.h"
#include "data/elementnames.h"

#include <QList>
#include <QString>

// What no single route's validation can see: mistakes between routes, and between routes and
// the module-wide settings. Each finding is a warning in plain Czech that names the routes and
// settings involved; none stops the user from keeping or storing the configuration.
namespace configcheck {

enum class Kind {
    SameButtons,         // active routes share their ODKUD-KAM pair
    RelayNotInRoutes,    // a route switches R15/R16 while that relay has a task of its own
    RelayShowsOccupancy, // a route switches one of R9..R12 while it indicates occupancy
    DccNotAccepted,      // routes with DCC control while the module takes no DCC packets
    BlockedForTesting,   // a route left blocked for testing
};

struct Finding {
    Kind kind;
    QList<int> routes; // the routes involved, ascending
    QString text;
};

// `names` only words the findings: push-buttons and relays carry the modeller's names.
QList<Finding> check(const ConfigStore& config,
                     const ElementNames& names = elementnames::noNames());

} // namespace configcheck
