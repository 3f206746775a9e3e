#include "review/configcheck.h"

#include "data/headerfields.h"
#include "data/headerlabels.h"
#include "data/routelabels.h"
#include "review/configwords.h"

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
// The active routes for which `pick` holds.
template <typename Pick> QList<int> activeRoutes(const ConfigStore& config, Pick pick) {
    QList<int> routes;
    for (int n = 1; n <= image::kRouteCount; ++n)
        if (configwords::isActive(config.route(n)) && pick(config.route(n)))
            routes.append(n);
    return routes;
}

bool switchesRelay(const RouteRecord& r, int relay) {
    return (r.relays & (1 << (relay - 1))) != 0;
}

using Element = elementnames::Kind;

void sameButtons(const ConfigStore& config, const ElementNames& names, QList<Finding>& out) {
    std::map<std::pair<int, int>, QList<int>> byButtons;
    for (int n = 1; n <= image::kRouteCount; ++n) {
        const RouteRecord& r = config.route(n);
        if (configwords::isActive(r))
            byButtons[{r.fromButton, r.toButton}].append(n);
    }
    for (const auto& [buttons, routes] : byButtons)
        if (routes.size() > 1)
            out.append({Kind::SameButtons, routes,
                        QStringLiteral("%1 stejná tlačítka ODKUD %2 – KAM %3; "
                                       "modul z nich může postavit vždy jen jednu.")
                            .arg(routesDo(routes, "má", "mají"),
                                 names.withName(QStringLiteral("TL %1").arg(buttons.first),
                                                Element::Button, buttons.first),
                                 names.withName(QStringLiteral("TL %1").arg(buttons.second),
                                                Element::Button, buttons.second))});
}

QString relayName(int number, const ElementNames& names) {
    return names.withName(QStringLiteral("R%1").arg(number), Element::Relay, number);
}

void relaysWithOtherDuties(const ConfigStore& config, const ElementNames& names,
                           QList<Finding>& out) {
    const Image& img = config.image;
    for (int relay : {15, 16}) {
        const QString mode = configwords::relayModeText(relay, img);
        const int modeBits =
            header::raw(img, relay == 15 ? header::Field::Relay15Mode : header::Field::Relay16Mode);
        const QList<int> routes =
            activeRoutes(config, [relay](const RouteRecord& r) { return switchesRelay(r, relay); });
        if (modeBits != 0 && !routes.isEmpty())
            out.append({Kind::RelayNotInRoutes, routes,
                        QStringLiteral("%1 relé %2, ale Relé %3 má nastaveno „%4“, "
                                       "ne „%5“: cesta je nepřepne.")
                            .arg(routesDo(routes, "spíná", "spínají"), relayName(relay, names),
                                 QString::number(relay), mode, headerlabels::kModes15.at(0))});
    }
    for (int relay = 9; relay <= 12; ++relay) {
        if (!header::raw(img, header::Field::Indicator, relay - 9))
            continue;
        const QList<int> routes =
            activeRoutes(config, [relay](const RouteRecord& r) { return switchesRelay(r, relay); });
        if (!routes.isEmpty())
            out.append({Kind::RelayShowsOccupancy, routes,
                        QStringLiteral("%1 relé %2, ale R%3 je zapnuto jako indikátor "
                                       "obsazení (%4); obě funkce se budou přetahovat.")
                            .arg(routesDo(routes, "spíná", "spínají"), relayName(relay, names),
                                 QString::number(relay), headerlabels::kIndicators)});
    }
}

void dccWithoutPackets(const ConfigStore& config, QList<Finding>& out) {
    if (header::raw(config.image, header::Field::DccAccept))
        return;
    const QList<int> routes =
        activeRoutes(config, [](const RouteRecord& r) { return r.dccEnabled; });
    if (!routes.isEmpty())
        out.append({Kind::DccNotAccepted, routes,
                    QStringLiteral("%1 povoleno DCC řízení, ale modul nepřijímá pakety "
                                   "DCC („%2“ není zapnuto): přes DCC je nepostavíte.")
                        .arg(routesDo(routes, "má", "mají"), headerlabels::kDccAccept)});
}

void blockedForTesting(const ConfigStore& config, QList<Finding>& out) {
    for (int n = 1; n <= image::kRouteCount; ++n)
        if (config.route(n).testBlocked)
            out.append({Kind::BlockedForTesting,
                        {n},
                        QStringLiteral("Cesta %1 je označena „%2“ a zůstala tak v konfiguraci.")
                            .arg(n)
                            .arg(routelabels::kTestBlocked)});
}
} // namespace

QList<Finding> check(const ConfigStore& config, const ElementNames& names) {
    QList<Finding> out;
    sameButtons(config, names, out);
    relaysWithOtherDuties(config, names, out);
    dccWithoutPackets(config, out);
    blockedForTesting(config, out);
    return out;
}

} // namespace configcheck
