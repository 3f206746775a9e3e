#pragma once

#include "data/image.h"

#include <QString>

#include <array>
#include <cstdint>

using Flag = std::uint8_t; // stored as 0 or 1

// One route definition in its unpacked, editable form. Field order is the record's
// declaration order; masks use bits 0..15 (bit k-1 = item k).
struct RouteRecord {
    std::int32_t fromButton = 0;
    std::int32_t toButton = 0;
    std::int32_t localDetectors = 0;
    std::int32_t remoteDetectors = 0;
    std::int32_t relays = 0;
    std::int32_t extRelays = 0;
    std::int32_t trackNumber = 0;
    std::array<std::int32_t, 16> pointPositions{}; // [k - 1] = point machine k
    std::int32_t signal1 = 0;
    std::int32_t signal2 = 0;
    std::int32_t signal3 = 0;
    std::int32_t followingSignal = 0;
    std::int32_t aspect1 = 0;
    std::int32_t aspect2 = 0;
    std::int32_t aspect3 = 0;
    Flag shuntingRoute = 0;
    Flag trainRoute = 0;
    Flag autoCancelSignal = 0;
    Flag autoCancelRoute = 0;
    Flag autoCancelShunting = 0;
    Flag entry = 0;
    Flag dccEnabled = 0;
    Flag repeatN2 = 0;
    Flag repeatN1 = 0;
    Flag repeatFollowing = 0;
    Flag cancelButton1 = 0;
    Flag cancelButton2 = 0;
    Flag unsecuredShunting = 0;
    Flag testBlocked = 0;
    std::int32_t signalCancelSensor = 0;
    std::int32_t routeCancelSensor = 0;
    QString description;

    bool operator==(const RouteRecord& o) const;
    bool operator!=(const RouteRecord& o) const { return !(*this == o); }
};

using RouteTable = std::array<RouteRecord, image::kRouteCount>; // [n - 1] = route n

// The record's name in the module's documentation.
using Tcesta_REC = RouteRecord;

// A route the module can set: both of its push-buttons are among TL1..TL22 on the layout (any
// other number can come from an image alone).
bool routeActive(const RouteRecord& route);

// Indices into the following-signal list that have a meaning of their own.
namespace following {
constexpr int kNothing = -1;
constexpr int kFirstOwn = 22; // own signal n is 21 + n
constexpr int kAlwaysStop = 44;
constexpr int kAlways40 = 45;
constexpr int kAlwaysClear = 46;
constexpr int kCount = 47;
} // namespace following
