#include "editors/routevalues.h"

#include "data/headerfields.h"
#include "data/valuelists.h"

#include <algorithm>
#include <tuple>

namespace {
auto fields(const RouteEditValues& v) {
    return std::tie(v.fromButton, v.toButton, v.track, v.trainRoute, v.shuntingRoute,
                    v.unsecuredShunting, v.entry, v.dccEnabled, v.testBlocked, v.cancelButton1,
                    v.cancelButton2, v.description, v.localDetectors, v.remoteDetectors, v.points,
                    v.relays, v.extRelays, v.signal, v.aspectIndex, v.repeat, v.following,
                    v.autoCancelSignal, v.autoCancelRoute, v.autoCancelShunting,
                    v.signalCancelInput, v.routeCancelInput);
}

// A list given an index it does not have shows nothing chosen, and so writes back -1.
int listIndex(int value, int count) {
    return value >= 0 && value < count ? value : -1;
}

std::uint16_t low16(std::int32_t mask) {
    return static_cast<std::uint16_t>(mask & 0xFFFF);
}
} // namespace

bool RouteEditValues::operator==(const RouteEditValues& o) const {
    return fields(*this) == fields(o);
}

namespace routeedit {
static_assert(header::layout(header::Field::Relay15Mode).low.address ==
                  header::layout(header::Field::Relay16Mode).low.address,
              "the editor reads both relay modes from one byte");

std::uint8_t relayModes(const Image& img) {
    return header::byteOf(img, header::Field::Relay15Mode);
}

bool relay15InRoutes(std::uint8_t relayModes) {
    return header::fromBytes(header::Field::Relay15Mode, relayModes) == 0;
}

bool relay16InRoutes(std::uint8_t relayModes) {
    return header::fromBytes(header::Field::Relay16Mode, relayModes) == 0;
}

bool canRepeatFollowing(int signal1, int followingIndex) {
    return signal1 != 0 && followingIndex >= 0 && followingIndex < following::kAlwaysStop;
}

RouteEditValues fromRoute(const RouteRecord& r, std::uint8_t relayModes) {
    RouteEditValues v;
    v.fromButton = std::clamp(r.fromButton, 0, kMaxButton);
    v.toButton = std::clamp(r.toButton, 0, kMaxButton);
    v.track = r.trackNumber & 15;
    v.testBlocked = r.testBlocked != 0;
    v.dccEnabled = r.dccEnabled != 0;
    v.cancelButton1 = r.cancelButton1 != 0;
    v.cancelButton2 = r.cancelButton2 != 0;
    v.unsecuredShunting = r.unsecuredShunting != 0;
    v.description = r.description;
    // Without a track there is no direction to enter by.
    v.entry = v.track != 0 && r.entry != 0;

    // Position 3 only comes from an image; the editor offers it as the last entry.
    for (std::size_t k = 0; k < v.points.size(); ++k)
        v.points[k] = std::clamp(r.pointPositions[k], 0, 2);

    v.localDetectors = low16(r.localDetectors);
    v.remoteDetectors = low16(r.remoteDetectors);
    v.relays = low16(r.relays & 0x3FFF);
    if (relay15InRoutes(relayModes))
        v.relays |= low16(r.relays & 0x4000);
    if (relay16InRoutes(relayModes))
        v.relays |= low16(r.relays & 0x8000);
    v.extRelays = low16(r.extRelays);

    v.trainRoute = r.trainRoute != 0;
    v.shuntingRoute = r.shuntingRoute != 0;
    v.following = listIndex(r.followingSignal, following::kCount);

    const std::array<int, 3> numbers{r.signal1, r.signal2, r.signal3};
    const std::array<int, 3> aspects{r.aspect1, r.aspect2, r.aspect3};
    const int aspectCount = static_cast<int>(valuelists::aspects().size());
    for (std::size_t k = 0; k < 3; ++k) {
        v.signal[k] = std::clamp(numbers[k], 0, kMaxSignal);
        v.aspectIndex[k] = v.signal[k] > 0 ? listIndex(aspects[k] - 1, aspectCount) : -1;
    }

    v.repeat[0] = r.repeatFollowing != 0 && canRepeatFollowing(v.signal[0], v.following);
    v.repeat[1] = r.repeatN1 != 0;
    v.repeat[2] = r.repeatN2 != 0;

    v.autoCancelSignal = r.autoCancelSignal != 0;
    v.autoCancelRoute = r.autoCancelRoute != 0;
    v.autoCancelShunting = r.autoCancelShunting != 0;
    v.signalCancelInput = listIndex(r.signalCancelSensor, kCancelInputCount);
    v.routeCancelInput = listIndex(r.routeCancelSensor, kCancelInputCount);
    return v;
}

void toRoute(const RouteEditValues& v, RouteRecord& r) {
    r.fromButton = v.fromButton;
    r.toButton = v.toButton;
    r.trackNumber = v.track;

    r.testBlocked = v.testBlocked;
    r.description = v.description;
    r.cancelButton1 = v.cancelButton1;
    r.cancelButton2 = v.cancelButton2;
    r.dccEnabled = v.dccEnabled;
    // A box left ticked while the track was set back to 0 must not leave an entry behind.
    r.entry = v.track >= 1 && v.entry;

    for (std::size_t k = 0; k < v.points.size(); ++k)
        r.pointPositions[k] = v.points[k];

    r.localDetectors = v.localDetectors;
    r.remoteDetectors = v.remoteDetectors;
    r.relays = v.relays;
    r.extRelays = v.extRelays;

    r.trainRoute = v.trainRoute;
    r.shuntingRoute = v.shuntingRoute;
    r.unsecuredShunting = v.unsecuredShunting;
    r.followingSignal = v.following;

    r.signal1 = v.signal[0];
    r.signal2 = v.signal[1];
    r.signal3 = v.signal[2];
    r.repeatN2 = v.repeat[2];
    r.repeatN1 = v.repeat[1];
    r.repeatFollowing = v.repeat[0];
    // Aspect code 0 means none chosen, so the list's entries start at code 1.
    r.aspect1 = v.aspectIndex[0] + 1;
    r.aspect2 = v.aspectIndex[1] + 1;
    r.aspect3 = v.aspectIndex[2] + 1;

    r.autoCancelSignal = v.autoCancelSignal;
    r.autoCancelRoute = v.autoCancelRoute;
    r.autoCancelShunting = v.autoCancelShunting;
    r.signalCancelSensor = v.signalCancelInput;
    r.routeCancelSensor = v.routeCancelInput;
}
} // namespace routeedit
