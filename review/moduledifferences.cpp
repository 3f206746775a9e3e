#include "review/moduledifferences.h"

#include <QStringList>

namespace moduledifferences {

QList<differences::Difference> compare(const ConfigStore& screen,
                                       const std::vector<ModuleByte>& moduleBytes,
                                       const ElementNames& names) {
    ConfigStore module = screen;
    for (const auto& [address, value] : moduleBytes)
        if (address >= 0 && address < int(module.image.size()))
            module.image[std::size_t(address)] = value;
    // Bytes past the configuration too: a module with more than 90 routes is verified up to
    // its last route, and a difference there must not go unlisted.
    return differences::compare(screen, module, image::kSize, names);
}

QString text(const ConfigStore& screen, const std::vector<ModuleByte>& moduleBytes) {
    QStringList lines{QStringLiteral("Na obrazovce → v modulu:")};
    for (const differences::Difference& d : compare(screen, moduleBytes))
        lines << differences::line(d);
    return lines.join(QLatin1Char('\n'));
}

} // namespace moduledifferences
