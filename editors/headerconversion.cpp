#include "editors/headerconversion.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace periph {

namespace {

// Halves go to the even neighbour: stored relay delays of 1, 5 and 9 half seconds show as 0, 2
// and 4 s. std::round would show 1, 3 and 5 and so disagree with the dialog's earlier versions.
int roundEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

int bit(bool on, int mask) {
    return on ? mask : 0;
}

bool validRelay(int relay) {
    return relay >= kRelayMin && relay <= kRelayMax;
}

std::size_t firstConditionOf(int relay) {
    return static_cast<std::size_t>(4 * (relay - kRelayMin));
}

} // namespace

void loadPointMachines(WorkingCopy& copy, const Image& img) {
    for (std::size_t i = 0; i < copy.pointMachines.size(); ++i)
        copy.pointMachines[i] = img[kPointMachineBase + i];
}

void loadConditions(WorkingCopy& copy, const Image& img) {
    for (std::size_t k = 0; k < copy.conditions.size(); ++k)
        copy.conditions[k] = img[kConditionBase + k];
}

int typeItem(int entry) {
    return std::min(entry & 0x0F, kTypeItems - 1);
}

int shownPulseLength(int entry) {
    return std::clamp((entry & 0xFF) >> 4, kPulseMin, kPulseMax);
}

int withType(int entry, int item) {
    return (entry & 0xF0) + (item & 0x0F);
}

int withPulseLength(int entry, int pulse) {
    return (entry & 0x0F) + 16 * (pulse & 0x0F);
}

std::array<int, 4> relayConditions(const WorkingCopy& copy, int relay) {
    std::array<int, 4> masks{};
    if (!validRelay(relay))
        return masks;
    const std::size_t first = firstConditionOf(relay);
    for (std::size_t g = 0; g < masks.size(); ++g)
        masks[g] = copy.conditions[first + g] & 0xFF;
    return masks;
}

void setRelayConditions(WorkingCopy& copy, int relay, const std::array<int, 4>& masks) {
    if (!validRelay(relay))
        return;
    const std::size_t first = firstConditionOf(relay);
    for (std::size_t g = 0; g < masks.size(); ++g)
        copy.conditions[first + g] = masks[g] & 0xFF;
}

int pointDelayShown(int byte5) {
    return roundEven(1.6 * (byte5 & 0x0F));
}

int pointDelayCode(int shown) {
    shown = std::clamp(shown, 0, kPointDelayMax);
    // A shown value lies within half a tenth of 1.6 x its code, so dividing finds the code
    // again; the old "+ 0.7" moved 1, 3, 6, 8, 11 and 13 up by one on every OK.
    return std::min(roundEven(shown / 1.6), 0x0F);
}

int pointDelayHeld(int typed) {
    return pointDelayShown(pointDelayCode(typed));
}

int pointDelayStep(int shown, int steps) {
    const int direction = steps > 0 ? 1 : -1;
    for (int left = std::abs(steps); left > 0; --left) {
        int next = shown + direction;
        while (next >= 0 && next <= kPointDelayMax && pointDelayHeld(next) != next)
            next += direction;
        if (next < 0 || next > kPointDelayMax)
            break;
        shown = next;
    }
    return shown;
}

int relayDelayShown(int byte3) {
    return std::clamp(roundEven(0.5 * (byte3 & 0x0F)), 0, kRelayDelayMax);
}

int relayDelayCode(int seconds) {
    return roundEven(std::clamp(seconds, 0, kRelayDelayMax) / 0.5);
}

int relayModeItem(int code) {
    return std::min(code & 3, kModeItems - 1);
}

int relayModeCode(int item) {
    return item < 0 ? 0 : item & 3;
}

int signalShown(int byte) {
    return std::clamp(byte & 0x1F, kSignalMin, kSignalMax);
}

int sensorShown(int byte) {
    return std::clamp((byte & 0x1F) + 1, kSensorMin, kSensorMax);
}

int dccAddressShown(int byte14, int byte15) {
    return std::clamp((byte14 & 0xFF) + 256 * (byte15 & 7) - 3, kDccAddressMin, kDccAddressMax);
}

std::pair<std::uint8_t, std::uint8_t> dccBytes(int address, bool accept, bool routeReset) {
    const int stored = std::clamp(address, kDccAddressMin, kDccAddressMax) + 3;
    const int high = (stored >> 8) + bit(accept, 0x80) + bit(routeReset, 0x40);
    return {static_cast<std::uint8_t>(stored & 0xFF), static_cast<std::uint8_t>(high)};
}

bool HeaderSettings::operator==(const HeaderSettings& o) const {
    return pointDelay == o.pointDelay && relayDelay == o.relayDelay &&
           collisionGuard == o.collisionGuard && relay15Mode == o.relay15Mode &&
           relay15Signal == o.relay15Signal && relay15Sensor == o.relay15Sensor &&
           relay16Mode == o.relay16Mode && relay16Signal == o.relay16Signal &&
           relay16Sensor == o.relay16Sensor && invertDetectors1 == o.invertDetectors1 &&
           sensorsForDetectors1 == o.sensorsForDetectors1 &&
           invertDetectors2 == o.invertDetectors2 &&
           sensorsForDetectors2 == o.sensorsForDetectors2 && indicator == o.indicator &&
           dccAddress == o.dccAddress && dccAccept == o.dccAccept &&
           dccRouteReset == o.dccRouteReset;
}

HeaderSettings settingsFromHeader(const Image& img) {
    HeaderSettings s;
    s.pointDelay = pointDelayShown(img[5]);
    s.relayDelay = relayDelayShown(img[3]);
    s.collisionGuard = img[4] & 0x01;
    s.relay15Mode = relayModeItem(img[3] >> 4);
    s.relay15Signal = signalShown(img[18]);
    s.relay15Sensor = sensorShown(img[17]);
    s.relay16Mode = relayModeItem(img[3] >> 6);
    s.relay16Signal = signalShown(img[2]);
    s.relay16Sensor = sensorShown(img[1]);
    s.invertDetectors1 = img[4] & 0x02;
    s.sensorsForDetectors1 = img[4] & 0x04;
    s.invertDetectors2 = img[4] & 0x10;
    s.sensorsForDetectors2 = img[4] & 0x20;
    for (std::size_t r = 0; r < s.indicator.size(); ++r)
        s.indicator[r] = img[5] & (0x10 << r);
    s.dccAddress = dccAddressShown(img[14], img[15]);
    s.dccAccept = img[15] & 0x80;
    s.dccRouteReset = img[15] & 0x40;
    return s;
}

namespace {
// Replaces the bits of `mask` in one header byte.
void putBits(Image& img, int address, int mask, int value) {
    const auto a = static_cast<std::size_t>(address);
    img[a] = static_cast<std::uint8_t>((img[a] & ~mask) | (value & mask));
}
} // namespace

void writeHeader(Image& img, const WorkingCopy& copy, const HeaderSettings& s,
                 const HeaderSettings& loaded) {
    for (std::size_t i = 0; i < copy.pointMachines.size(); ++i)
        img[kPointMachineBase + i] = static_cast<std::uint8_t>(copy.pointMachines[i] & 0xFF);
    for (std::size_t k = 0; k < copy.conditions.size(); ++k)
        img[kConditionBase + k] = static_cast<std::uint8_t>(copy.conditions[k] & 0xFF);

    // Each setting the user changed rewrites its own bits and nothing else.
    const auto put = [&img](bool changed, int address, int mask, int value) {
        if (changed)
            putBits(img, address, mask, value);
    };
    put(s.pointDelay != loaded.pointDelay, 5, 0x0F, pointDelayCode(s.pointDelay));
    for (std::size_t r = 0; r < s.indicator.size(); ++r)
        put(s.indicator[r] != loaded.indicator[r], 5, 0x10 << r, bit(s.indicator[r], 0x10 << r));

    put(s.relayDelay != loaded.relayDelay, 3, 0x0F, relayDelayCode(s.relayDelay));
    put(s.relay15Mode != loaded.relay15Mode, 3, 0x30, relayModeCode(s.relay15Mode) << 4);
    put(s.relay16Mode != loaded.relay16Mode, 3, 0xC0, relayModeCode(s.relay16Mode) << 6);

    const std::pair<bool, bool> flags4[] = {
        {s.collisionGuard, loaded.collisionGuard},
        {s.invertDetectors1, loaded.invertDetectors1},
        {s.sensorsForDetectors1, loaded.sensorsForDetectors1},
        {false, false}, // bit 3 has no meaning and keeps what it holds
        {s.invertDetectors2, loaded.invertDetectors2},
        {s.sensorsForDetectors2, loaded.sensorsForDetectors2}};
    for (int b = 0; b < 6; ++b)
        put(flags4[b].first != flags4[b].second, 4, 1 << b, bit(flags4[b].first, 1 << b));

    put(s.relay16Sensor != loaded.relay16Sensor, 1, 0xFF,
        std::clamp(s.relay16Sensor, kSensorMin, kSensorMax) - 1);
    put(s.relay16Signal != loaded.relay16Signal, 2, 0xFF,
        std::clamp(s.relay16Signal, kSignalMin, kSignalMax));
    put(s.relay15Sensor != loaded.relay15Sensor, 17, 0xFF,
        std::clamp(s.relay15Sensor, kSensorMin, kSensorMax) - 1);
    put(s.relay15Signal != loaded.relay15Signal, 18, 0xFF,
        std::clamp(s.relay15Signal, kSignalMin, kSignalMax));

    const auto [low, high] = dccBytes(s.dccAddress, s.dccAccept, s.dccRouteReset);
    const bool addressChanged = s.dccAddress != loaded.dccAddress;
    put(addressChanged, 14, 0xFF, low);
    put(addressChanged, 15, 0x0F, high); // bit 11 of the base too: the address fits in 11
    put(s.dccRouteReset != loaded.dccRouteReset, 15, 0x40, high);
    put(s.dccAccept != loaded.dccAccept, 15, 0x80, high);
}

} // namespace periph
