#include "review/historysummary.h"

#include "review/differences.h"

#include <QSet>

namespace history {
namespace {
// Czech counts: 1 cesta, 2 cesty, 5 cest.
QString counted(qsizetype n, const char* one, const char* few, const char* many) {
    const char* word = n == 1 ? one : (n >= 2 && n <= 4 ? few : many);
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(word));
}
} // namespace

QString changeSummary(const Entry* before, const Entry& entry) {
    if (!before)
        return QStringLiteral("první záznam");
    const ConfigStore a = contents(*before);
    // An address the entry does not know keeps the value before, so it is no change.
    ConfigStore b = a;
    for (std::size_t k = 0; k < entry.bytes.size(); ++k)
        if (entry.known.test(k))
            b.image[k] = entry.bytes[k];
    QSet<QString> routes;
    qsizetype settings = 0, bytes = 0;
    for (const differences::Difference& d : differences::compare(a, b)) {
        if (d.item == QStringLiteral("hlavička"))
            ++settings;
        else if (d.field.isEmpty())
            ++bytes;
        else
            routes.insert(d.item);
    }
    QStringList parts;
    if (!routes.isEmpty())
        parts << counted(routes.size(), "cesta", "cesty", "cest");
    if (settings > 0)
        parts << counted(settings, "nastavení", "nastavení", "nastavení");
    if (bytes > 0)
        parts << counted(bytes, "bajt", "bajty", "bajtů");
    return parts.isEmpty() ? QStringLiteral("beze změny") : parts.join(QStringLiteral(", "));
}
} // namespace history
