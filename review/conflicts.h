#pragma once

#include "data/configstore.h"
#include "data/elementnames.h"

#include <QList>
#include <QString>

// Routes that exclude each other: the module can never have both set at once. This is
// information about the layout, not a mistake; the check's findings do not include it.
namespace conflicts {

enum class Kind {
    OppositePoints, // a point machine is needed straight by one route and diverging by the other
    SharedDetector, // both check the same detector: they share a track section
};

struct Conflict {
    int first;  // the lower route number
    int second; // the higher one
    Kind kind;
    QString reason; // "V5 (u skladiště): ROVNĚ × ODBOČ"
};

// Every reason for every pair of active routes, by first route, second route, then kind.
QList<Conflict> find(const ConfigStore& config,
                     const ElementNames& names = elementnames::noNames());

// "12\t45\tV5 (u skladiště): ROVNĚ × ODBOČ", for scripts.
QString tsvLine(const Conflict& c);

} // namespace conflicts
