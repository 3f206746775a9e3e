#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// The last `digits` hexadecimal digits of `value`, upper case, zero padded.
QString toHex(std::uint32_t value, int digits);
QByteArray toHexBytes(std::uint32_t value, int digits);

// Reads every '0'..'9' and 'A'..'F' from left to right and skips everything else, lower-case
// letters included. Wraps at 32 bits; no digits at all reads as 0.
std::uint32_t hexToValue(QByteArrayView text);
std::uint32_t hexToValue(const QString& text);
