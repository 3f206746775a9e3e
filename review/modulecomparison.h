#pragma once

#include "data/configstore.h"
#include "data/modulemark.h"

#include <QString>

#include <array>
#include <bitset>

// The configuration on screen beside what the module is proven to hold: route by route for the
// grid's marks, and in one standing line for the status row.
namespace modulecomparison {

struct Comparison {
    std::array<ModuleMark, image::kRouteCount> routes{}; // [n - 1] = route n
    int differingRoutes = 0;
    int differingSettings = 0; // header settings, as the differences window lists them
    bool anyKnown = false;
    bool everythingKnown = false; // the header and every route the module has room for
};

// `known` marks the bytes of `module` that are proven; the module has room for `capacity`
// routes (routes beyond it stay unknown).
Comparison compare(const ConfigStore& screen, const Image& module,
                   const std::bitset<image::kSize>& known, int capacity);

// "Modul: shodný s obrazovkou", "Modul: liší se (3 cesty, 1 nastavení)", "Obsah modulu
// neznámý"; when only part is known, the line says the rest is not.
QString standingLine(const Comparison& comparison);

} // namespace modulecomparison
