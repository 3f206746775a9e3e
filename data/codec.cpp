#include "data/codec.h"

namespace {
using u8 = std::uint8_t;

Flag bit(int byte, int n) {
    return static_cast<Flag>((byte >> n) & 1);
}
u8 low(int v) {
    return static_cast<u8>(v & 0xFF);
}
u8 high(int v) {
    return static_cast<u8>((v >> 8) & 0xFF);
}

// Point positions sit two bits each; block byte k holds P(2k+1), P(2k+9), P(2k+2), P(2k+10).
constexpr int kPointSlot[4] = {0, 8, 1, 9};

void encodeBlock(const RouteRecord& r, u8* b) {
    for (int k = 0; k < 4; ++k) {
        int v = 0;
        for (int s = 0; s < 4; ++s)
            v |= (r.pointPositions[2 * k + kPointSlot[s]] & 3) << (2 * s);
        b[k] = static_cast<u8>(v);
    }
    b[4] =
        static_cast<u8>((r.trackNumber & 0x0F) | (r.repeatN2 ? 0x10 : 0) | (r.repeatN1 ? 0x20 : 0) |
                        (r.repeatFollowing ? 0x40 : 0) | (r.entry ? 0x80 : 0));
    const int f = r.followingSignal;
    int kind = 0;
    if (f < following::kAlwaysStop)
        kind = 0x40;
    else if (f == following::kAlways40)
        kind = 0x80;
    else if (f == following::kAlwaysClear)
        kind = 0xC0;
    b[5] = static_cast<u8>((r.autoCancelRoute ? 0x01 : 0) | (r.autoCancelSignal ? 0x02 : 0) |
                           ((r.routeCancelSensor & 0x20) ? 0x04 : 0) |
                           (r.unsecuredShunting ? 0x08 : 0) | (r.autoCancelShunting ? 0x10 : 0) |
                           ((r.signalCancelSensor & 0x20) ? 0x20 : 0) | kind);
    if (f >= following::kAlwaysStop)
        b[6] = 1;
    else if (f >= following::kFirstOwn)
        b[6] = low(f + 11);
    else
        b[6] = low(f + 1); // -1 (nothing chosen) becomes 0
    const int sig[3] = {r.signal1, r.signal2, r.signal3};
    const int asp[3] = {r.aspect1, r.aspect2, r.aspect3};
    for (int k = 0; k < 3; ++k)
        b[7 + k] = static_cast<u8>((sig[k] & 0x1F) | ((asp[k] & 3) << 5));
    const int masks[4] = {r.relays, r.extRelays, r.localDetectors, r.remoteDetectors};
    for (int k = 0; k < 4; ++k) {
        b[10 + 2 * k] = low(masks[k]);
        b[11 + 2 * k] = high(masks[k]);
    }
    b[18] = static_cast<u8>(r.routeCancelSensor & 0x1F);
    b[19] = static_cast<u8>(r.signalCancelSensor & 0x1F);
    b[20] = static_cast<u8>((r.cancelButton1 ? 1 : 0) | (r.cancelButton2 ? 2 : 0));
}

void decodeBlock(const u8* b, RouteRecord& r) {
    for (int k = 0; k < 4; ++k)
        for (int s = 0; s < 4; ++s)
            r.pointPositions[2 * k + kPointSlot[s]] = (b[k] >> (2 * s)) & 3;
    r.signal1 = b[7] & 0x1F;
    r.aspect1 = b[7] >> 5;
    r.signal2 = b[8] & 0x1F;
    r.aspect2 = b[8] >> 5;
    r.signal3 = b[9] & 0x1F;
    r.aspect3 = b[9] >> 5;
    r.relays = b[10] + 256 * b[11];
    r.extRelays = b[12] + 256 * b[13];
    r.localDetectors = b[14] + 256 * b[15];
    r.remoteDetectors = b[16] + 256 * b[17];
    r.routeCancelSensor = (b[18] & 0x1F) + (bit(b[5], 2) ? 32 : 0);
    r.signalCancelSensor = (b[19] & 0x1F) + (bit(b[5], 5) ? 32 : 0);
    r.autoCancelRoute = bit(b[5], 0);
    r.autoCancelSignal = bit(b[5], 1);
    r.unsecuredShunting = bit(b[5], 3);
    r.autoCancelShunting = bit(b[5], 4);
    int x = (b[6] & 0x3F) - 1;
    if (x > 31)
        x -= 10;
    switch (b[5] & 0xC0) {
    case 0x00:
        r.followingSignal = following::kAlwaysStop;
        break;
    case 0x80:
        r.followingSignal = following::kAlways40;
        break;
    case 0xC0:
        r.followingSignal = following::kAlwaysClear;
        break;
    default:
        r.followingSignal = x;
        break;
    }
    r.trackNumber = b[4] & 0x0F;
    r.repeatN2 = bit(b[4], 4);
    r.repeatN1 = bit(b[4], 5);
    r.repeatFollowing = bit(b[4], 6);
    r.entry = bit(b[4], 7);
    r.cancelButton1 = bit(b[20], 0);
    r.cancelButton2 = bit(b[20], 1);
}

void decodeOlder(const Image& img, RouteTable& routes, int recordSize) {
    for (int i = 0; i < image::kRouteCount; ++i) {
        const u8* b = img.data() + 48 + recordSize * i;
        RouteRecord& r = routes[static_cast<std::size_t>(i)];
        r.fromButton = b[0] & 0x0F;
        r.toButton = b[0] >> 4;
        for (int k = 0; k < 4; ++k) {
            r.pointPositions[k] = (b[1] >> (2 * k)) & 3;
            r.pointPositions[4 + k] = (b[2] >> (2 * k)) & 3;
        }
        r.signal1 = b[5] & 0x0F;
        r.signal2 = b[5] >> 4;
        r.aspect1 = b[6] & 3;
        r.aspect2 = (b[6] >> 2) & 3;
        r.relays = b[7] + 256 * b[4];
        r.localDetectors = b[8] + (recordSize == 12 ? 256 * b[11] : 0);
        r.routeCancelSensor = (b[10] & 0x0F) + (bit(b[9], 2) ? 16 : 0);
        r.signalCancelSensor = (b[10] >> 4) + (bit(b[9], 5) ? 16 : 0);
        r.autoCancelSignal = bit(b[9], 1);
        r.autoCancelRoute = bit(b[9], 0);
        r.shuntingRoute = bit(b[9], 3);
        r.trainRoute = bit(b[9], 4);
        const int s = b[6] >> 4;
        switch (b[9] & 0xC0) {
        case 0x00:
            r.followingSignal = following::kAlwaysStop;
            break;
        case 0x80:
            r.followingSignal = following::kAlways40;
            break;
        case 0xC0:
            r.followingSignal = following::kAlwaysClear;
            break;
        default:
            r.followingSignal = bit(b[3], 4) ? s + 21 : s - 1;
            break;
        }
        r.trackNumber = b[3] & 7;
        r.entry = bit(b[3], 3);
        r.repeatN1 = bit(b[3], 5);
        r.repeatFollowing = bit(b[3], 6);
        r.autoCancelShunting = bit(b[3], 7);
    }
}
} // namespace

void encodeRoute(int n, const RouteRecord& r, Image& img) {
    if (n < 1 || n > image::kRouteCount)
        return;
    u8* p = img.data() + image::indexPairAddress(n);
    p[0] = static_cast<u8>((r.fromButton & 0x1F) | (r.shuntingRoute ? 0x40 : 0) |
                           (r.trainRoute ? 0x80 : 0));
    p[1] = static_cast<u8>((r.toButton & 0x1F) | (r.dccEnabled ? 0x40 : 0) |
                           (r.testBlocked ? 0x80 : 0));
    encodeBlock(r, img.data() + image::blockAddress(n));
}

void encodeRoutes(const RouteTable& routes, Image& img) {
    for (int n = 1; n <= image::kRouteCount; ++n)
        encodeRoute(n, routes[static_cast<std::size_t>(n - 1)], img);
}

void decodeCurrent(const Image& img, RouteTable& routes) {
    for (int n = 1; n <= image::kRouteCount; ++n) {
        const u8* p = img.data() + image::indexPairAddress(n);
        RouteRecord& r = routes[static_cast<std::size_t>(n - 1)];
        r.fromButton = p[0] & 0x1F;
        r.shuntingRoute = bit(p[0], 6);
        r.trainRoute = bit(p[0], 7);
        r.toButton = p[1] & 0x1F;
        r.dccEnabled = bit(p[1], 6);
        r.testBlocked = bit(p[1], 7);
    }
    for (int n = 1; n <= image::kRouteCount; ++n)
        decodeBlock(img.data() + image::blockAddress(n), routes[static_cast<std::size_t>(n - 1)]);
}

void decodeS20(const Image& img, RouteTable& routes) {
    decodeOlder(img, routes, 11);
}
void decodeS24(const Image& img, RouteTable& routes) {
    decodeOlder(img, routes, 12);
}
