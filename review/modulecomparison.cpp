#include "review/modulecomparison.h"

#include "data/counted.h"
#include "review/differences.h"

#include <algorithm>

namespace modulecomparison {
namespace {
// Byte 0 never travels to the module.
constexpr int kFirstHeaderByte = 1;

struct Tally {
    bool differs = false;
    bool allKnown = true;
};

void tally(Tally& t, int address, const Image& screen, const Image& module,
           const std::bitset<image::kSize>& known) {
    if (!known.test(std::size_t(address)))
        t.allKnown = false;
    else if (screen[std::size_t(address)] != module[std::size_t(address)])
        t.differs = true;
}

ModuleMark routeMark(int n, const Image& screen, const Image& module,
                     const std::bitset<image::kSize>& known) {
    Tally t;
    for (int a = image::indexPairAddress(n); a < image::indexPairAddress(n) + 2; ++a)
        tally(t, a, screen, module, known);
    for (int a = image::blockAddress(n); a < image::blockAddress(n) + image::kBlockSize; ++a)
        tally(t, a, screen, module, known);
    if (t.differs)
        return ModuleMark::Differs;
    return t.allKnown ? ModuleMark::Same : ModuleMark::Unknown;
}
} // namespace

Comparison compare(const ConfigStore& screen, const Image& module,
                   const std::bitset<image::kSize>& known, int capacity) {
    Comparison c;
    c.anyKnown = known.any();
    const int routes = std::clamp(capacity, 0, image::kRouteCount);
    bool allRoutesKnown = true;
    for (int n = 1; n <= routes; ++n) {
        const ModuleMark mark = routeMark(n, screen.image, module, known);
        c.routes[std::size_t(n - 1)] = mark;
        c.differingRoutes += mark == ModuleMark::Differs;
        allRoutesKnown = allRoutesKnown && mark != ModuleMark::Unknown;
    }
    // The settings in the module's words: the screen's header with the module's known bytes.
    ConfigStore inModule = screen;
    bool headerKnown = true;
    for (int a = kFirstHeaderByte; a < image::kHeaderSize; ++a) {
        if (known.test(std::size_t(a)))
            inModule.image[std::size_t(a)] = module[std::size_t(a)];
        else
            headerKnown = false;
    }
    c.differingSettings = int(differences::compare(screen, inModule, image::kHeaderSize).size());
    c.everythingKnown = headerKnown && allRoutesKnown;
    return c;
}

QString standingLine(const Comparison& c) {
    if (!c.anyKnown)
        return QStringLiteral("Obsah modulu neznámý");
    const QString rest = c.everythingKnown ? QString() : QStringLiteral(", zbytek neznámý");
    if (c.differingRoutes == 0 && c.differingSettings == 0)
        return (c.everythingKnown ? QStringLiteral("Modul: shodný s obrazovkou")
                                  : QStringLiteral("Modul: známá část shodná s obrazovkou")) +
               rest;
    QStringList parts;
    if (c.differingRoutes > 0)
        parts << counted(c.differingRoutes, "cesta", "cesty", "cest");
    if (c.differingSettings > 0)
        parts << counted(c.differingSettings, "nastavení", "nastavení", "nastavení");
    return QStringLiteral("Modul: liší se (%1)").arg(parts.join(QStringLiteral(", "))) + rest;
}

} // namespace modulecomparison
