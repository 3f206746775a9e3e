#include "data/routerecord.h"

#include <tuple>

namespace {
auto fields(const RouteRecord& r) {
    return std::tie(r.fromButton, r.toButton, r.localDetectors, r.remoteDetectors, r.relays,
                    r.extRelays, r.trackNumber, r.pointPositions, r.signal1, r.signal2, r.signal3,
                    r.followingSignal, r.aspect1, r.aspect2, r.aspect3, r.shuntingRoute,
                    r.trainRoute, r.autoCancelSignal, r.autoCancelRoute, r.autoCancelShunting,
                    r.entry, r.dccEnabled, r.repeatN2, r.repeatN1, r.repeatFollowing,
                    r.cancelButton1, r.cancelButton2, r.unsecuredShunting, r.testBlocked,
                    r.signalCancelSensor, r.routeCancelSensor, r.description);
}
} // namespace

bool routeActive(const RouteRecord& r) {
    const auto button = [](int b) { return b >= 1 && b <= 22; };
    return button(r.fromButton) && button(r.toButton);
}

bool RouteRecord::operator==(const RouteRecord& o) const {
    return fields(*this) == fields(o);
}
