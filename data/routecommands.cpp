#include "data/routecommands.h"

#include "data/codec.h"

#include <algorithm>

namespace {
bool inTable(int n) {
    return n >= 1 && n <= image::kRouteCount;
}

void packRoutes(ConfigStore& store) {
    encodeRoutes(store.routes, store.image);
}
} // namespace

RouteRecord emptyRoute() {
    RouteRecord r;
    r.followingSignal = following::kAlwaysStop;
    return r;
}

bool holdsHiddenSettings(const RouteRecord& route) {
    if (route.fromButton != 0 && route.toButton != 0)
        return false;
    RouteRecord settings = route;
    settings.description.clear();
    return settings != emptyRoute();
}

RouteRecord clearedRoute(const RouteRecord& route, bool wholeDefinition) {
    if (wholeDefinition)
        return emptyRoute();
    RouteRecord r = route;
    r.fromButton = 0;
    r.toButton = 0;
    r.pointPositions = {};
    r.signal1 = 0;
    r.signal2 = 0;
    r.aspect1 = 0;
    r.aspect2 = 0;
    r.relays = 0;
    r.localDetectors = 0;
    r.autoCancelSignal = 0;
    r.autoCancelRoute = 0;
    r.trainRoute = 0;
    r.shuntingRoute = 0;
    r.signalCancelSensor = 0;
    r.routeCancelSensor = 0;
    r.followingSignal = following::kAlwaysStop;
    return r;
}

bool clearRoute(ConfigStore& store, int n, bool wholeDefinition) {
    if (!inTable(n))
        return false;
    store.route(n) = clearedRoute(store.route(n), wholeDefinition);
    packRoutes(store);
    return true;
}

bool applyRoute(ConfigStore& store, int n, const RouteRecord& route) {
    if (!inTable(n))
        return false;
    store.route(n) = route;
    packRoutes(store);
    return true;
}

int copySourceLimit(int routeCapacity) {
    return std::clamp(routeCapacity, 1, image::kRouteCount);
}

bool copyRoute(ConfigStore& store, int source, int target) {
    if (!inTable(source) || !inTable(target))
        return false;
    store.route(target) = store.route(source);
    packRoutes(store);
    return true;
}
