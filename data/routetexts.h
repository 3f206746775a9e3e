#pragma once

#include "data/routerecord.h"

#include <QStringList>

// Texts of the route grid, kept apart from the widget so stavnikctl prints exactly what the
// window shows.
namespace routegrid {
constexpr int kColumnCount = 21;
QStringList headerTexts();
QStringList rowTexts(const RouteRecord& route, int routeNumber, int dccBase);
// Every text that column `column` can show, whatever the routes and the DCC base hold, so the
// window can make the column wide enough for the widest of them. The description column holds
// free text and has none.
QStringList possibleTexts(int column);
} // namespace routegrid
