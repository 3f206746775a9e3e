#include "review/historysummary.h"

#include "data/counted.h"
#include "review/differences.h"

#include <QSet>

namespace history {
QString changeSummary(const Entry* before, const Entry& entry) {
    if (!before)
        return QStringLiteral("první záznam");
    const ConfigStore a = contents(*before);
    // An address the entry does not know keeps the value before, so it is no change.
    const ConfigStore b = contents(entry, a);
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

void fillSummaries(QList<Entry>& newestFirst) {
    QSet<qsizetype> loaded;
    const auto withBytes = [&](qsizetype i) -> Entry* {
        if (i >= newestFirst.size())
            return nullptr;
        if (!loaded.contains(i) && !load(newestFirst[i]).isEmpty())
            return nullptr;
        loaded.insert(i);
        return &newestFirst[i];
    };
    for (qsizetype i = 0; i < newestFirst.size(); ++i) {
        if (!newestFirst.at(i).summary.isEmpty())
            continue;
        Entry* entry = withBytes(i);
        newestFirst[i].summary = entry ? changeSummary(withBytes(i + 1), *entry)
                                       : QStringLiteral("datový soubor nelze přečíst");
    }
}
} // namespace history
