#include "editors/headerconversion.h"

#include <cstdlib>

namespace periph {

namespace {

bool validRelay(int relay) {
    return relay >= kRelayMin && relay <= kRelayMax;
}

std::size_t firstConditionOf(int relay) {
    return static_cast<std::size_t>(4 * (relay - kRelayMin));
}

void writeDccAddress(Image& img, int address) {
    // The whole base, bit 11 too: the address fits in 11 bits, so a changed one clears it.
    header::setRaw(img, Field::DccBase, 0, header::rawFromShown(Field::DccAddress, address));
}

} // namespace

void loadPointMachines(WorkingCopy& copy, const Image& img) {
    for (std::size_t i = 0; i < copy.pointMachines.size(); ++i)
        copy.pointMachines[i] = header::byteOf(img, Field::MachineType, static_cast<int>(i));
}

void loadConditions(WorkingCopy& copy, const Image& img) {
    for (std::size_t k = 0; k < copy.conditions.size(); ++k)
        copy.conditions[k] = header::raw(img, Field::Conditions, static_cast<int>(k));
}

int typeItem(int entry) {
    return header::shownFromRaw(Field::MachineType, header::fromBytes(Field::MachineType, entry));
}

int shownPulseLength(int entry) {
    return header::shownFromRaw(Field::PulseLength, header::fromBytes(Field::PulseLength, entry));
}

int withType(int entry, int item) {
    return header::withBits(Field::MachineType, entry, item);
}

int withPulseLength(int entry, int pulse) {
    return header::withBits(Field::PulseLength, entry, pulse);
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
    return header::shownFromRaw(Field::PointDelay, header::fromBytes(Field::PointDelay, byte5));
}

int pointDelayCode(int shown) {
    return header::rawFromShown(Field::PointDelay, shown);
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
    return header::shownFromRaw(Field::RelayDelay, header::fromBytes(Field::RelayDelay, byte3));
}

int relayDelayCode(int seconds) {
    return header::rawFromShown(Field::RelayDelay, seconds);
}

// Relays 15 and 16 share one conversion; the code is already shifted down to bits 0..1.
int relayModeItem(int code) {
    return header::shownFromRaw(Field::Relay15Mode, code);
}

int relayModeCode(int item) {
    return header::rawFromShown(Field::Relay15Mode, item);
}

int signalShown(int byte) {
    return header::shownFromRaw(Field::Relay15Signal, byte);
}

int sensorShown(int byte) {
    return header::shownFromRaw(Field::Relay15Sensor, byte);
}

int dccAddressShown(int byte14, int byte15) {
    return header::shownFromRaw(Field::DccAddress,
                                header::fromBytes(Field::DccAddress, byte14, byte15));
}

std::pair<std::uint8_t, std::uint8_t> dccBytes(int address, bool accept, bool routeReset) {
    Image img{};
    writeDccAddress(img, address);
    header::setShown(img, Field::DccAccept, 0, accept);
    header::setShown(img, Field::DccRouteReset, 0, routeReset);
    return {header::byteOf(img, Field::DccBase),
            img[static_cast<std::size_t>(header::layout(Field::DccBase).high.address)]};
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

namespace {
// Each setting the OK button reads, by the header field it is kept in.
struct NumberSetting {
    Field field;
    int HeaderSettings::*member;
};
struct FlagSetting {
    Field field;
    bool HeaderSettings::*member;
};
const NumberSetting kNumbers[] = {{Field::PointDelay, &HeaderSettings::pointDelay},
                                  {Field::RelayDelay, &HeaderSettings::relayDelay},
                                  {Field::Relay15Mode, &HeaderSettings::relay15Mode},
                                  {Field::Relay15Signal, &HeaderSettings::relay15Signal},
                                  {Field::Relay15Sensor, &HeaderSettings::relay15Sensor},
                                  {Field::Relay16Mode, &HeaderSettings::relay16Mode},
                                  {Field::Relay16Signal, &HeaderSettings::relay16Signal},
                                  {Field::Relay16Sensor, &HeaderSettings::relay16Sensor},
                                  {Field::DccAddress, &HeaderSettings::dccAddress}};
const FlagSetting kFlags[] = {{Field::CollisionGuard, &HeaderSettings::collisionGuard},
                              {Field::InvertDetectors1, &HeaderSettings::invertDetectors1},
                              {Field::SensorsForDetectors1, &HeaderSettings::sensorsForDetectors1},
                              {Field::InvertDetectors2, &HeaderSettings::invertDetectors2},
                              {Field::SensorsForDetectors2, &HeaderSettings::sensorsForDetectors2},
                              {Field::DccAccept, &HeaderSettings::dccAccept},
                              {Field::DccRouteReset, &HeaderSettings::dccRouteReset}};

void writeSetting(Image& img, Field f, int index, int value) {
    if (f == Field::DccAddress)
        writeDccAddress(img, value);
    else
        header::setShown(img, f, index, value);
}
} // namespace

HeaderSettings settingsFromHeader(const Image& img) {
    HeaderSettings s;
    for (const auto& [field, member] : kNumbers)
        s.*member = header::shown(img, field);
    for (const auto& [field, member] : kFlags)
        s.*member = header::shown(img, field) != 0;
    for (std::size_t r = 0; r < s.indicator.size(); ++r)
        s.indicator[r] = header::shown(img, Field::Indicator, static_cast<int>(r));
    return s;
}

void writeHeader(Image& img, const WorkingCopy& copy, const HeaderSettings& s,
                 const HeaderSettings& loaded) {
    for (std::size_t i = 0; i < copy.pointMachines.size(); ++i)
        img[static_cast<std::size_t>(kPointMachineBase) + i] =
            static_cast<std::uint8_t>(copy.pointMachines[i] & 0xFF);
    for (std::size_t k = 0; k < copy.conditions.size(); ++k)
        header::setRaw(img, Field::Conditions, static_cast<int>(k), copy.conditions[k]);

    // Each setting the user changed rewrites its own bits and nothing else.
    for (const auto& [field, member] : kNumbers)
        if (s.*member != loaded.*member)
            writeSetting(img, field, 0, s.*member);
    for (const auto& [field, member] : kFlags)
        if (s.*member != loaded.*member)
            writeSetting(img, field, 0, s.*member);
    for (std::size_t r = 0; r < s.indicator.size(); ++r)
        if (s.indicator[r] != loaded.indicator[r])
            writeSetting(img, Field::Indicator, static_cast<int>(r), s.indicator[r]);
}

} // namespace periph
