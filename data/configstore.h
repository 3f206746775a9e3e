#pragma once

#include "data/image.h"
#include "data/routerecord.h"

#include <array>

using RouteTable = std::array<Tcesta_REC, image::kRouteCount>; // [n - 1] = route n

// The one configuration the program works on: module image, the 90 routes decoded from it,
// the route editor's working copy and the route capacity the module last reported.
struct ConfigStore {
    ConfigStore();

    Image image{};
    RouteTable routes;
    Tcesta_REC editCopy;
    int routeCapacity = image::kRouteCount;

    Tcesta_REC& route(int n) { return routes.at(static_cast<std::size_t>(n - 1)); }
    const Tcesta_REC& route(int n) const { return routes.at(static_cast<std::size_t>(n - 1)); }
};
