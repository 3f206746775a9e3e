#pragma once

#include "data/routerecord.h"

#include <QStringList>

// Texts of the route grid, kept apart from the widget so stavnikctl prints exactly what the
// window shows.
namespace routegrid {
constexpr int kColumnCount = 21;
QStringList headerTexts();
QStringList rowTexts(const Tcesta_REC& route, int routeNumber, int dccBase);
} // namespace routegrid
