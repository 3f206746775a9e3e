#include "data/headerfields.h"

#include <algorithm>
#include <cmath>

namespace header {
namespace {

constexpr bool tableInFieldOrder() {
    for (std::size_t i = 0; i < kLayouts.size(); ++i)
        if (static_cast<std::size_t>(kLayouts[i].field) != i)
            return false;
    return true;
}
static_assert(tableInFieldOrder(), "layout(f) finds a field by its place in the table");

// Halves go to the even neighbour: stored relay delays of 1, 5 and 9 half seconds show as 0, 2
// and 4 s. std::round would show 1, 3 and 5 and so disagree with the dialog's earlier versions.
int roundEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

int lowestBit(int mask) {
    int shift = 0;
    while (mask != 0 && !(mask & (1 << shift)))
        ++shift;
    return shift;
}

int bitCount(int mask) {
    int n = 0;
    for (; mask != 0; mask &= mask - 1)
        ++n;
    return n;
}

// The bits of the `index`-th field of a row.
Bits placed(Bits b, const Layout& l, int index) {
    if (b.mask == 0)
        return b;
    index = std::clamp(index, 0, l.count - 1);
    return {b.address + index * l.byteStep, (b.mask << (index * l.bitStep)) & 0xFF};
}

// All ones over the field's width.
int widthMask(const Layout& l) {
    return (1 << (bitCount(l.low.mask) + bitCount(l.high.mask))) - 1;
}

int bitsOfByte(Bits b, int byte) {
    return (byte & b.mask) >> lowestBit(b.mask);
}

// The field's value out of its two bytes' values.
int joined(Bits low, Bits high, int lowByte, int highByte) {
    int value = bitsOfByte(low, lowByte);
    if (high.mask)
        value |= bitsOfByte(high, highByte) << bitCount(low.mask);
    return value;
}

int replaced(Bits b, int byte, int value) {
    return (byte & ~b.mask & 0xFF) | ((value << lowestBit(b.mask)) & b.mask);
}

std::uint8_t& at(Image& img, Bits b) {
    return img[static_cast<std::size_t>(b.address)];
}

std::uint8_t at(const Image& img, Bits b) {
    return img[static_cast<std::size_t>(b.address)];
}

} // namespace

int raw(const Image& img, Field f, int index) {
    const Layout& l = layout(f);
    const Bits low = placed(l.low, l, index), high = placed(l.high, l, index);
    return joined(low, high, at(img, low), high.mask ? at(img, high) : 0);
}

void setRaw(Image& img, Field f, int index, int value) {
    const Layout& l = layout(f);
    const Bits low = placed(l.low, l, index), high = placed(l.high, l, index);
    value &= widthMask(l);
    at(img, low) = static_cast<std::uint8_t>(replaced(low, at(img, low), value));
    if (high.mask)
        at(img, high) =
            static_cast<std::uint8_t>(replaced(high, at(img, high), value >> bitCount(low.mask)));
}

int shownFromRaw(Field f, int raw) {
    const Layout& l = layout(f);
    raw &= widthMask(l);
    const auto inRange = [&l](int v) { return std::clamp(v, l.min, l.max); };
    switch (l.conversion) {
    case Conversion::Number:
        return inRange(raw);
    case Conversion::Flag:
        return raw != 0 ? 1 : 0;
    case Conversion::Item:
        return std::min(raw, l.max);
    case Conversion::Signal:
        return inRange(raw & 0x1F);
    case Conversion::Sensor:
        return inRange((raw & 0x1F) + 1);
    case Conversion::PointDelay:
        return inRange(roundEven(1.6 * raw));
    case Conversion::HalfSeconds:
        return inRange(roundEven(0.5 * raw));
    case Conversion::DccAddress:
        return inRange(raw - 3);
    }
    return l.min;
}

int rawFromShown(Field f, int shown) {
    const Layout& l = layout(f);
    const int value = std::clamp(shown, l.min, l.max);
    int stored = value;
    switch (l.conversion) {
    case Conversion::Number:
    case Conversion::Signal:
        break;
    case Conversion::Flag:
        stored = shown != 0 ? 1 : 0;
        break;
    case Conversion::Item: // no entry chosen stores the first; any other code keeps its bits
        stored = shown < 0 ? 0 : shown;
        break;
    case Conversion::Sensor:
        stored = value - 1;
        break;
    case Conversion::PointDelay:
        // A shown value lies within half a tenth of 1.6 x its code, so dividing finds the code
        // again; the longest delays that the box admits keep the longest code.
        return std::min(roundEven(value / 1.6), widthMask(l));
    case Conversion::HalfSeconds:
        stored = roundEven(value / 0.5);
        break;
    case Conversion::DccAddress:
        stored = value + 3;
        break;
    }
    return stored & widthMask(l);
}

int shown(const Image& img, Field f, int index) {
    return shownFromRaw(f, raw(img, f, index));
}

void setShown(Image& img, Field f, int index, int shown) {
    setRaw(img, f, index, rawFromShown(f, shown));
}

int fromBytes(Field f, int low, int high) {
    const Layout& l = layout(f);
    return joined(l.low, l.high, low, high);
}

int withBits(Field f, int byte, int raw) {
    return replaced(layout(f).low, byte, raw);
}

std::uint8_t byteOf(const Image& img, Field f, int index) {
    const Layout& l = layout(f);
    return at(img, placed(l.low, l, index));
}

std::vector<std::pair<int, int>> bitsOf(Field f, int index) {
    const Layout& l = layout(f);
    std::vector<std::pair<int, int>> out;
    for (Bits b : {placed(l.low, l, index), placed(l.high, l, index)})
        if (b.mask)
            out.emplace_back(b.address, b.mask);
    return out;
}

} // namespace header

// Route n answers to DCC number n + base.
int dccBase(const Image& img) {
    return header::raw(img, header::Field::DccBase);
}
