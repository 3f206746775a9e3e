#include "app/moduledifferences.h"

#include <QStringList>

QList<differences::Difference>
moduleDifferences(const ConfigStore& screen, const std::vector<LinkEngine::ByteDifference>& bytes,
                  const ElementNames& names) {
    ConfigStore module = screen;
    for (const LinkEngine::ByteDifference& d : bytes)
        if (d.address >= 0 && d.address < int(module.image.size()))
            module.image[std::size_t(d.address)] = d.moduleValue;
    // Bytes past the configuration too: a module with more than 90 routes is verified up to
    // its last route, and a difference there must not go unlisted.
    return differences::compare(screen, module, image::kSize, names);
}

QString moduleDifferencesText(const ConfigStore& screen,
                              const std::vector<LinkEngine::ByteDifference>& bytes) {
    QStringList lines{QStringLiteral("Na obrazovce → v modulu:")};
    for (const differences::Difference& d : moduleDifferences(screen, bytes))
        lines << differences::line(d);
    return lines.join(QLatin1Char('\n'));
}
