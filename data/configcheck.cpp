#include "data/configcheck.h"

#include "data/configwords.h"
#include "editors/peripheraleditortexts.h"
#include "editors/routeeditortexts.h"

#include <map>
#include <utility>

namespace configcheck {
namespace {
// "Cesta 5 spíná" or "Cesty 5, 7 spínají": the routes as the subject of `singular`/`plural`.
QString routesDo(const QList<int>& routes, const char* singular, const char* plural) {
    QStringList numbers;
    for (int n : routes)
        numbers << QString::number(n);
    return (routes.size() == 1 ? QStringLiteral("Cesta ") : QStringLiteral("Cesty ")) +
           numbers.join(QStringLiteral(", ")) + QLatin1Char(' ') +
           QString::fromUtf8(routes.size() == 1 ? singular : plural);
}
} // namespace

QList<Finding> check(const ConfigStore& config) {
    const Image& img = config.image;
    QList<Finding> out;

    std::map<std::pair<int, int>, QList<int>> byButtons;
    for (int n = 1; n <= image::kRouteCount; ++n) {
        const Tcesta_REC& r = config.route(n);
        if (configwords::isActive(r))
            byButtons[{r.fromButton, r.toButton}].append(n);
    }
    for (const auto& [buttons, routes] : byButtons)
        if (routes.size() > 1)
            out.append({Kind::SameButtons, routes,
                        QStringLiteral("%1 stejná tlačítka ODKUD TL %2 – KAM TL %3; "
                                       "modul z nich může postavit vždy jen jednu.")
                            .arg(routesDo(routes, "má", "mají"))
                            .arg(buttons.first)
                            .arg(buttons.second)});

    for (int relay : {15, 16}) {
        const QString mode = configwords::relayModeText(relay, img);
        const int modeBits = (img[3] >> (relay == 15 ? 4 : 6)) & 3;
        QList<int> routes;
        for (int n = 1; n <= image::kRouteCount; ++n)
            if (configwords::isActive(config.route(n)) &&
                (config.route(n).relays & (1 << (relay - 1))))
                routes.append(n);
        if (modeBits != 0 && !routes.isEmpty())
            out.append({Kind::RelayNotInRoutes, routes,
                        QStringLiteral("%1 relé R%2, ale Relé %2 má nastaveno „%3“, "
                                       "ne „%4“: cesta je nepřepne.")
                            .arg(routesDo(routes, "spíná", "spínají"))
                            .arg(relay)
                            .arg(mode, peripheraltexts::kModes15.at(0))});
    }

    for (int relay = 9; relay <= 12; ++relay) {
        if (!(img[5] & (0x10 << (relay - 9))))
            continue;
        QList<int> routes;
        for (int n = 1; n <= image::kRouteCount; ++n)
            if (configwords::isActive(config.route(n)) &&
                (config.route(n).relays & (1 << (relay - 1))))
                routes.append(n);
        if (!routes.isEmpty())
            out.append({Kind::RelayShowsOccupancy, routes,
                        QStringLiteral("%1 relé R%2, ale R%2 je zapnuto jako indikátor "
                                       "obsazení (%3); obě funkce se budou přetahovat.")
                            .arg(routesDo(routes, "spíná", "spínají"))
                            .arg(relay)
                            .arg(peripheraltexts::kIndicators)});
    }

    if (!(img[15] & 0x80)) {
        QList<int> routes;
        for (int n = 1; n <= image::kRouteCount; ++n)
            if (configwords::isActive(config.route(n)) && config.route(n).dccEnabled)
                routes.append(n);
        if (!routes.isEmpty())
            out.append({Kind::DccNotAccepted, routes,
                        QStringLiteral("%1 povoleno DCC řízení, ale modul nepřijímá pakety "
                                       "DCC („%2“ není zapnuto): přes DCC je nepostavíte.")
                            .arg(routesDo(routes, "má", "mají"), peripheraltexts::kDccAccept)});
    }

    for (int n = 1; n <= image::kRouteCount; ++n)
        if (config.route(n).testBlocked)
            out.append({Kind::BlockedForTesting,
                        {n},
                        QStringLiteral("Cesta %1 je označena „%2“ a zůstala tak v konfiguraci.")
                            .arg(n)
                            .arg(routeeditortexts::kTestBlocked)});
    return out;
}

} // namespace configcheck
