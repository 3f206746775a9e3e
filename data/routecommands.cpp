#include "data/routecommands.h"

#include "data/codec.h"

#include <algorithm>

void clearRoute(Tcesta_REC& r) {
    r.fromButton = 0;
    r.toButton = 0;
    r.pointPositions.fill(0);
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
}

int copySourceLimit(int routeCapacity) {
    return std::clamp(routeCapacity, 1, image::kRouteCount);
}

bool copyRoute(ConfigStore& store, int source, int target) {
    auto valid = [](int n) { return n >= 1 && n <= image::kRouteCount; };
    if (!valid(source) || !valid(target))
        return false;
    store.route(target) = store.route(source);
    encodeRoutes(store.routes, store.image);
    return true;
}
