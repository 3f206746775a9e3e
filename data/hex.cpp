#include "data/hex.h"

namespace {
int digitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace

QByteArray toHexBytes(std::uint32_t value, int digits) {
    static const char kDigits[] = "0123456789ABCDEF";
    QByteArray out(digits > 0 ? digits : 0, '0');
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = kDigits[value & 0xF];
        value >>= 4;
    }
    return out;
}

QString toHex(std::uint32_t value, int digits) {
    return QString::fromLatin1(toHexBytes(value, digits));
}

std::uint32_t hexToValue(QByteArrayView text) {
    std::uint32_t value = 0;
    for (char c : text) {
        const int d = digitValue(c);
        if (d >= 0)
            value = value * 16u + static_cast<std::uint32_t>(d);
    }
    return value;
}

std::uint32_t hexToValue(const QString& text) {
    std::uint32_t value = 0;
    for (QChar c : text) {
        const int d = c.unicode() < 128 ? digitValue(static_cast<char>(c.unicode())) : -1;
        if (d >= 0)
            value = value * 16u + static_cast<std::uint32_t>(d);
    }
    return value;
}
