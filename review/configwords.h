#pragma once

#include "data/configstore.h"
#include "data/elementnames.h"

#include <QList>
#include <QString>

#include <utility>
#include <vector>

// The configuration in the modeller's words: every header setting by the label of its control
// in the peripheral editor, every route field by the label of the route editor, each value as
// the dialogs show it. The differences, the check across routes, the route pane and the printed
// sheet all speak through these lists, so they never disagree.
namespace configwords {

struct Field {
    QString name;
    QString value;
    // Header settings only: the image bits the setting is read from, as (address, mask).
    std::vector<std::pair<int, int>> bits;
};

QString yesNo(bool on);
// "cesta 12", the item a route's findings and differences are filed under.
QString routeItem(int n);
// A route can be set only with both push-buttons, each one of TL1..TL22.
bool isActive(const RouteRecord& route);
// The relay 15 / relay 16 mode as its radio item reads ("součástí definice cesty", ...).
QString relayModeText(int relay, const Image& img);

QList<Field> headerFields(const Image& img);
// With `names`, the elements carry the modeller's names: "ODKUD: 3 (Vjezd od Lhoty)",
// "Vyhybka 5 (u skladiště)", "R3 (osvětlení)".
QList<Field> routeFields(const RouteRecord& route,
                         const ElementNames& names = elementnames::noNames());

// The route as the route pane shows it: type, ODKUD → KAM, track, points, signals, relays,
// detectors, cancel inputs, DCC number, test block and description, one statement a line.
// `dccBase` gives the DCC number of a route with DCC control.
QString describeRoute(const RouteRecord& route, int n, int dccBase,
                      const ElementNames& names = elementnames::noNames());

// The route's parts as the sheet's columns show them, elements with their names.
QString buttonsText(const RouteRecord& route, const ElementNames& names);   // "TL 3 → TL 7"
QString pointsText(const RouteRecord& route, const ElementNames& names);    // "V1 ROVNĚ, ..."
QString signalsText(const RouteRecord& route, const ElementNames& names);   // "N1 = návěst 5 ..."
QString relaysText(const RouteRecord& route, const ElementNames& names);    // "R1, R17"
QString detectorsText(const RouteRecord& route, const ElementNames& names); // "D1, rD3"

} // namespace configwords
