#pragma once

#include "data/image.h"

#include <array>
#include <cstddef>
#include <utility>
#include <vector>

// The image header's layout in one table: where each module-wide setting is kept (address and
// bits) and how its stored bits become the number the peripheral editor shows. The editors, the
// configuration in words, the check across routes and the routes' DCC numbers all read the
// header through it, so a setting can never be read from one place and written to another.
namespace header {

// How a field's stored bits become the number a window shows, and back. Shown values are kept
// inside the field's range; stored values inside its bits.
enum class Conversion {
    Number,      // as stored (the pulse length, a mask of inputs, the DCC base)
    Flag,        // a check box, 0 or 1
    Item,        // the chosen entry of a list; a code past the last entry shows as the last
    Signal,      // a signal number in the low five bits
    Sensor,      // a sensor number, kept minus 1 in the low five bits
    PointDelay,  // units of 0.16 s, shown in tenths of a second
    HalfSeconds, // units of 0.5 s, shown in whole seconds
    DccAddress,  // the DCC base, shown minus 3: the module's own address format
};

enum class Field {
    Relay16Sensor,
    Relay16Signal,
    RelayDelay,
    Relay15Mode,
    Relay16Mode,
    CollisionGuard,
    InvertDetectors1,
    SensorsForDetectors1,
    InvertDetectors2,
    SensorsForDetectors2,
    PointDelay,
    Indicator,   // R9..R12 (index 0..3)
    MachineType, // point machines n and n + 8, n = 1..8 (index n - 1)
    PulseLength, // as MachineType
    DccBase,
    DccAddress,
    DccRouteReset,
    DccAccept,
    Relay15Sensor,
    Relay15Signal,
    Conditions, // relay r's four entries from index 4(r - 9)
    Count
};

// Bits of one header byte.
struct Bits {
    int address;
    int mask;
};

struct Layout {
    Field field;
    Conversion conversion;
    Bits low;     // the field's lowest bits
    Bits high;    // the bits above them in another byte; mask 0 when there are none
    int count;    // fields of this kind in a row
    int byteStep; // the next one of the row starts this many bytes further on ...
    int bitStep;  // ... and this many bits further up
    int min, max; // the shown values
};

// clang-format off
inline constexpr std::array<Layout, static_cast<std::size_t>(Field::Count)> kLayouts = {{
    {Field::Relay16Sensor,        Conversion::Sensor,      {1, 0xFF},  {0, 0},     1, 0, 0, 1, 16},
    {Field::Relay16Signal,        Conversion::Signal,      {2, 0xFF},  {0, 0},     1, 0, 0, 1, 20},
    {Field::RelayDelay,           Conversion::HalfSeconds, {3, 0x0F},  {0, 0},     1, 0, 0, 0, 5},
    {Field::Relay15Mode,          Conversion::Item,        {3, 0x30},  {0, 0},     1, 0, 0, 0, 2},
    {Field::Relay16Mode,          Conversion::Item,        {3, 0xC0},  {0, 0},     1, 0, 0, 0, 2},
    {Field::CollisionGuard,       Conversion::Flag,        {4, 0x01},  {0, 0},     1, 0, 0, 0, 1},
    {Field::InvertDetectors1,     Conversion::Flag,        {4, 0x02},  {0, 0},     1, 0, 0, 0, 1},
    {Field::SensorsForDetectors1, Conversion::Flag,        {4, 0x04},  {0, 0},     1, 0, 0, 0, 1},
    {Field::InvertDetectors2,     Conversion::Flag,        {4, 0x10},  {0, 0},     1, 0, 0, 0, 1},
    {Field::SensorsForDetectors2, Conversion::Flag,        {4, 0x20},  {0, 0},     1, 0, 0, 0, 1},
    {Field::PointDelay,           Conversion::PointDelay,  {5, 0x0F},  {0, 0},     1, 0, 0, 0, 25},
    {Field::Indicator,            Conversion::Flag,        {5, 0x10},  {0, 0},     4, 0, 1, 0, 1},
    {Field::MachineType,          Conversion::Item,        {6, 0x0F},  {0, 0},     8, 1, 0, 0, 3},
    {Field::PulseLength,          Conversion::Number,      {6, 0xF0},  {0, 0},     8, 1, 0, 1, 15},
    {Field::DccBase,              Conversion::Number,      {14, 0xFF}, {15, 0x0F}, 1, 0, 0, 0, 4095},
    {Field::DccAddress,           Conversion::DccAddress,  {14, 0xFF}, {15, 0x07}, 1, 0, 0, 1, 1900},
    {Field::DccRouteReset,        Conversion::Flag,        {15, 0x40}, {0, 0},     1, 0, 0, 0, 1},
    {Field::DccAccept,            Conversion::Flag,        {15, 0x80}, {0, 0},     1, 0, 0, 0, 1},
    {Field::Relay15Sensor,        Conversion::Sensor,      {17, 0xFF}, {0, 0},     1, 0, 0, 1, 16},
    {Field::Relay15Signal,        Conversion::Signal,      {18, 0xFF}, {0, 0},     1, 0, 0, 1, 20},
    {Field::Conditions,           Conversion::Number,      {32, 0xFF}, {0, 0},    16, 1, 0, 0, 255},
}};
// clang-format on

constexpr const Layout& layout(Field f) {
    return kLayouts[static_cast<std::size_t>(f)];
}

// The stored bits of field `f` (the `index`-th of its row) as one number, lowest bit first.
int raw(const Image& img, Field f, int index = 0);
// Replaces the field's bits with `value` (cut to the field's width); no other bit changes.
void setRaw(Image& img, Field f, int index, int value);

// The value as the peripheral editor shows it, and what a shown value stores.
int shown(const Image& img, Field f, int index = 0);
int shownFromRaw(Field f, int raw);
int rawFromShown(Field f, int shown);
void setShown(Image& img, Field f, int index, int shown);

// The field read out of byte values rather than an image, for the editor's working copy, which
// keeps whole header bytes: `low` holds the field's lowest bits, `high` the rest, when it has
// any. withBits puts `raw` into the bits `byte` holds of the field's first row entry.
int fromBytes(Field f, int low, int high = 0);
int withBits(Field f, int byte, int raw);
// The header byte that holds the field's lowest bits.
std::uint8_t byteOf(const Image& img, Field f, int index = 0);
// The (address, mask) pairs the field occupies, for telling which setting a byte belongs to.
std::vector<std::pair<int, int>> bitsOf(Field f, int index = 0);

} // namespace header
