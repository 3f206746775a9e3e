#include "editors/headerconversion.h"

#include <QRandomGenerator>
#include <QTest>

#include <functional>

using namespace periph;

// Expected values come from the dialog's documented value lists and the header's byte layout,
// not from the conversion code.
using SettingsChange = std::function<void(HeaderSettings&)>;
Q_DECLARE_METATYPE(SettingsChange)

namespace {
// Point-machine delay shown for stored codes 0..15, and the code each shown value 0..24 stores
// (the nearest, halves to even).
constexpr int kDelayShown[16] = {0, 2, 3, 5, 6, 8, 10, 11, 13, 14, 16, 18, 19, 21, 22, 24};
constexpr int kDelayStored[25] = {0, 1, 1, 2,  2,  3,  4,  4,  5,  6,  6,  7, 8,
                                  8, 9, 9, 10, 11, 11, 12, 12, 13, 14, 14, 15};
// Relay delay in seconds for stored half seconds 0..15 (halves to even, at most 5).
constexpr int kRelayShown[16] = {0, 0, 1, 2, 2, 2, 3, 4, 4, 4, 5, 5, 5, 5, 5, 5};

Image patterned(std::uint32_t seed) {
    QRandomGenerator gen(seed);
    Image img{};
    for (auto& b : img)
        b = static_cast<std::uint8_t>(gen.bounded(256));
    return img;
}

HeaderSettings zeroSettings() {
    HeaderSettings s;
    s.pointDelay = 0;
    s.relayDelay = 0;
    return s;
}

// Settings that differ from `s` in every field: writing `s` against them rewrites every field.
HeaderSettings unlike(HeaderSettings s) {
    for (int* v : {&s.pointDelay, &s.relayDelay, &s.relay15Mode, &s.relay15Signal, &s.relay15Sensor,
                   &s.relay16Mode, &s.relay16Signal, &s.relay16Sensor, &s.dccAddress})
        *v = -100 - *v;
    for (bool* b : {&s.collisionGuard, &s.invertDetectors1, &s.sensorsForDetectors1,
                    &s.invertDetectors2, &s.sensorsForDetectors2, &s.dccAccept, &s.dccRouteReset,
                    &s.indicator[0], &s.indicator[1], &s.indicator[2], &s.indicator[3]})
        *b = !*b;
    return s;
}

bool ownedByDialog(int address) {
    return (address >= 1 && address <= 15) || address == 17 || address == 18 ||
           (address >= 32 && address <= 47);
}
} // namespace

class HeaderConversionTest : public QObject {
    Q_OBJECT
private slots:
    void pointDelayShown_data();
    void pointDelayShown();
    void pointDelayCode_data();
    void pointDelayCode();
    void pointDelayRoundTrip_data();
    void pointDelayRoundTrip();
    void relayDelay_data();
    void relayDelay();
    void relayModes_data();
    void relayModes();
    void signalAndSensorOverAllBytes();
    void dccAddressShown_data();
    void dccAddressShown();
    void dccBytesRoundTripEveryAddress();
    void pointMachineEntryOverAllBytes();
    void relayConditionsTouchOnlyTheirRelay_data();
    void relayConditionsTouchOnlyTheirRelay();
    void writeHeaderBytes_data();
    void writeHeaderBytes();
    void writeHeaderLeavesOtherBytes();
    void untouchedDialogKeepsEveryStoredByte_data();
    void untouchedDialogKeepsEveryStoredByte();
    void settingsSurviveWriteAndRead();
};

void HeaderConversionTest::pointDelayShown_data() {
    QTest::addColumn<int>("code");
    for (int c = 0; c < 16; ++c)
        QTest::addRow("code %d", c) << c;
}

void HeaderConversionTest::pointDelayShown() {
    QFETCH(int, code);
    // The indicator flags share byte 5 and must not leak into the delay.
    for (int high = 0; high < 16; ++high)
        QCOMPARE(periph::pointDelayShown(high << 4 | code), kDelayShown[code]);
}

void HeaderConversionTest::pointDelayCode_data() {
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("code");
    for (int v = 0; v < 25; ++v)
        QTest::addRow("%d", v) << v << kDelayStored[v];
    QTest::newRow("25 keeps the longest delay") << 25 << 15;
    QTest::newRow("below the range") << -7 << 0;
    QTest::newRow("above the range") << 1000 << 15;
}

void HeaderConversionTest::pointDelayCode() {
    QFETCH(int, shown);
    QFETCH(int, code);
    QCOMPARE(periph::pointDelayCode(shown), code);
    QCOMPARE(pointDelayHeld(shown), kDelayShown[code]);
    // The arrows from a held value reach the next held values, and stop at the ends.
    if (shown >= 0 && shown <= 24 && kDelayShown[code] == shown) {
        QCOMPARE(pointDelayStep(shown, 1), kDelayShown[std::min(code + 1, 15)]);
        QCOMPARE(pointDelayStep(shown, -2), kDelayShown[std::max(code - 2, 0)]);
    }
}

void HeaderConversionTest::pointDelayRoundTrip_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("restored");
    for (int c = 0; c < 16; ++c)
        QTest::addRow("%d stays", c) << c << c;
}

void HeaderConversionTest::pointDelayRoundTrip() {
    QFETCH(int, stored);
    QFETCH(int, restored);
    QCOMPARE(periph::pointDelayCode(periph::pointDelayShown(stored)), restored);
}

void HeaderConversionTest::relayDelay_data() {
    QTest::addColumn<int>("halfSeconds");
    for (int v = 0; v < 16; ++v)
        QTest::addRow("%d half seconds", v) << v;
}

void HeaderConversionTest::relayDelay() {
    QFETCH(int, halfSeconds);
    for (int high = 0; high < 16; ++high)
        QCOMPARE(relayDelayShown(high << 4 | halfSeconds), kRelayShown[halfSeconds]);
    // Whatever the dialog shows, it stores an even number of half seconds that shows the same.
    const int seconds = kRelayShown[halfSeconds];
    QCOMPARE(relayDelayCode(seconds), 2 * seconds);
    QCOMPARE(relayDelayShown(relayDelayCode(seconds)), seconds);
}

void HeaderConversionTest::relayModes_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("restored");
    QTest::newRow("part of the route") << 0 << 0 << 0;
    QTest::newRow("isolated section") << 1 << 1 << 1;
    QTest::newRow("BG switching") << 2 << 2 << 2;
    QTest::newRow("code 3 shows the last item") << 3 << 2 << 2;
    QTest::newRow("higher bits ignored") << 0x0D << 1 << 1;
}

void HeaderConversionTest::relayModes() {
    QFETCH(int, code);
    QFETCH(int, item);
    QFETCH(int, restored);
    QCOMPARE(relayModeItem(code), item);
    QCOMPARE(relayModeCode(item), restored);
    QCOMPARE(relayModeCode(-1), 0);
}

void HeaderConversionTest::signalAndSensorOverAllBytes() {
    for (int b = 0; b < 256; ++b) {
        const int low5 = b % 32;
        const int signal = low5 < 1 ? 1 : (low5 > 20 ? 20 : low5);
        const int sensor = low5 + 1 > 16 ? 16 : low5 + 1;
        QCOMPARE(signalShown(b), signal);
        QCOMPARE(sensorShown(b), sensor);
    }
}

void HeaderConversionTest::dccAddressShown_data() {
    QTest::addColumn<int>("byte14");
    QTest::addColumn<int>("byte15");
    QTest::addColumn<int>("address");
    QTest::newRow("all zero") << 0 << 0 << 1;
    QTest::newRow("stored 4") << 4 << 0 << 1;
    QTest::newRow("stored 5") << 5 << 0 << 2;
    QTest::newRow("1903") << 0x6F << 0x07 << 1900;
    QTest::newRow("1903 with both flags") << 0x6F << 0xC7 << 1900;
    QTest::newRow("bit 3 of byte 15 is not read") << 0x10 << 0x09 << 0x110 - 3;
    QTest::newRow("beyond 1900 clamps") << 0x70 << 0x07 << 1900;
    QTest::newRow("largest stored") << 0xFF << 0xFF << 1900;
    QTest::newRow("256") << 0x00 << 0x01 << 253;
}

void HeaderConversionTest::dccAddressShown() {
    QFETCH(int, byte14);
    QFETCH(int, byte15);
    QFETCH(int, address);
    QCOMPARE(periph::dccAddressShown(byte14, byte15), address);
}

void HeaderConversionTest::dccBytesRoundTripEveryAddress() {
    for (int address = 1; address <= 1900; ++address)
        for (int flags = 0; flags < 4; ++flags) {
            const bool accept = flags & 1, reset = flags & 2;
            const auto [low, high] = dccBytes(address, accept, reset);
            QCOMPARE(low + 256 * (high & 0x0F), address + 3);
            QCOMPARE(bool(high & 0x80), accept);
            QCOMPARE(bool(high & 0x40), reset);
            QCOMPARE(high & 0x38, 0); // bit 11 and the two unused bits
            QCOMPARE(periph::dccAddressShown(low, high), address);
        }
    QCOMPARE(dccBytes(1900, false, false), std::make_pair(std::uint8_t(0x6F), std::uint8_t(7)));
    QCOMPARE(dccBytes(1900, true, true), std::make_pair(std::uint8_t(0x6F), std::uint8_t(0xC7)));
    QCOMPARE(dccBytes(1, false, false), std::make_pair(std::uint8_t(4), std::uint8_t(0)));
    QCOMPARE(dccBytes(0, false, false), dccBytes(1, false, false));
    QCOMPARE(dccBytes(5000, false, false), dccBytes(1900, false, false));
}

void HeaderConversionTest::pointMachineEntryOverAllBytes() {
    for (int e = 0; e < 256; ++e) {
        const int type = e % 16, pulse = e / 16;
        QCOMPARE(typeItem(e), type > 3 ? 3 : type);
        QCOMPARE(shownPulseLength(e), pulse == 0 ? 1 : pulse);
        for (int item = 0; item < 4; ++item)
            QCOMPARE(withType(e, item), pulse * 16 + item);
        for (int p = 1; p <= 15; ++p)
            QCOMPARE(withPulseLength(e, p), p * 16 + type);
    }
}

void HeaderConversionTest::relayConditionsTouchOnlyTheirRelay_data() {
    QTest::addColumn<int>("relay");
    QTest::addColumn<int>("firstEntry"); // -1: the relay has no entries
    QTest::newRow("R9") << 9 << 0;
    QTest::newRow("R10") << 10 << 4;
    QTest::newRow("R11") << 11 << 8;
    QTest::newRow("R12") << 12 << 12;
    QTest::newRow("R8") << 8 << -1;
    QTest::newRow("R13") << 13 << -1;
    QTest::newRow("nothing typed") << 0 << -1;
}

void HeaderConversionTest::relayConditionsTouchOnlyTheirRelay() {
    QFETCH(int, relay);
    QFETCH(int, firstEntry);
    WorkingCopy copy;
    loadConditions(copy, patterned(7));
    const WorkingCopy before = copy;
    const std::array<int, 4> masks{0x04, 0x80, 0xFF, 0x100 | 0x21};
    setRelayConditions(copy, relay, masks);
    for (int k = 0; k < 16; ++k) {
        const bool mine = firstEntry >= 0 && k >= firstEntry && k < firstEntry + 4;
        const int expected = mine ? masks[k - firstEntry] & 0xFF : before.conditions[k];
        QCOMPARE(copy.conditions[k], expected);
    }
    const std::array<int, 4> read = relayConditions(copy, relay);
    for (int g = 0; g < 4; ++g)
        QCOMPARE(read[g], firstEntry >= 0 ? masks[g] & 0xFF : 0);
}

void HeaderConversionTest::writeHeaderBytes_data() {
    QTest::addColumn<SettingsChange>("change");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("value");
    using S = HeaderSettings;
    struct Case {
        const char* name;
        void (*change)(S&);
        int address, value;
    };
    const Case cases[] = {
        {"nothing set: byte 3", [](S&) {}, 3, 0},
        {"nothing set: byte 14", [](S&) {}, 14, 4},
        {"nothing set: byte 2", [](S&) {}, 2, 1},
        {"nothing set: byte 1", [](S&) {}, 1, 0},
        {"relay delay 5 s", [](S& s) { s.relayDelay = 5; }, 3, 10},
        {"relay 15 mode 2", [](S& s) { s.relay15Mode = 2; }, 3, 0x20},
        {"relay 16 mode 1", [](S& s) { s.relay16Mode = 1; }, 3, 0x40},
        {"modes and delay", [](S& s) { s.relayDelay = 3, s.relay15Mode = 1, s.relay16Mode = 2; }, 3,
         0x96},
        {"collision guard", [](S& s) { s.collisionGuard = true; }, 4, 0x01},
        {"invert DET1..8", [](S& s) { s.invertDetectors1 = true; }, 4, 0x02},
        {"sensors SN9..16", [](S& s) { s.sensorsForDetectors2 = true; }, 4, 0x20},
        {"point delay 24", [](S& s) { s.pointDelay = 24; }, 5, 0x0F},
        {"point delay 25", [](S& s) { s.pointDelay = 25; }, 5, 0x0F},
        {"indicator R9", [](S& s) { s.indicator[0] = true; }, 5, 0x10},
        {"indicator R12 and delay 8", [](S& s) { s.indicator[3] = true, s.pointDelay = 8; }, 5,
         0x85},
        {"relay 16 sensor 16", [](S& s) { s.relay16Sensor = 16; }, 1, 15},
        {"relay 16 signal 20", [](S& s) { s.relay16Signal = 20; }, 2, 20},
        {"relay 15 sensor 7", [](S& s) { s.relay15Sensor = 7; }, 17, 6},
        {"relay 15 signal 13", [](S& s) { s.relay15Signal = 13; }, 18, 13},
        {"sensor 0 never wraps", [](S& s) { s.relay15Sensor = 0; }, 17, 0},
        {"signal 99 kept at 20", [](S& s) { s.relay16Signal = 99; }, 2, 20},
        {"DCC accept", [](S& s) { s.dccAccept = true; }, 15, 0x80},
    };
    for (const Case& c : cases)
        QTest::newRow(c.name) << SettingsChange(c.change) << c.address << c.value;
}

void HeaderConversionTest::writeHeaderBytes() {
    QFETCH(SettingsChange, change);
    QFETCH(int, address);
    QFETCH(int, value);
    HeaderSettings s = zeroSettings();
    change(s);
    Image img = patterned(3);
    img[4] &= 0x37; // the bits without meaning keep theirs; here they are clear
    img[15] &= 0xCF;
    periph::writeHeader(img, WorkingCopy{}, s, unlike(s));
    QCOMPARE(int(img[address]), value);
}

void HeaderConversionTest::writeHeaderLeavesOtherBytes() {
    for (std::uint32_t seed = 1; seed <= 50; ++seed) {
        const Image before = patterned(seed);
        WorkingCopy copy;
        loadPointMachines(copy, patterned(seed + 1000));
        loadConditions(copy, patterned(seed + 2000));
        copy.pointMachines[2] = 0x1A5; // only the low 8 bits reach the image
        Image img = before;
        const HeaderSettings s = settingsFromHeader(patterned(seed + 3000));
        periph::writeHeader(img, copy, s, unlike(s));
        for (int a = 0; a < image::kSize; ++a) {
            if (ownedByDialog(a))
                continue;
            if (img[a] != before[a])
                QFAIL(qPrintable(QStringLiteral("seed %1 changed byte %2").arg(seed).arg(a)));
        }
        for (int n = 1; n <= 8; ++n)
            QCOMPARE(int(img[5 + n]), n == 3 ? 0xA5 : copy.pointMachines[n - 1]);
        for (int k = 0; k < 16; ++k)
            QCOMPARE(int(img[32 + k]), copy.conditions[k]);
        QCOMPARE(img[4] & 0xC8, before[4] & 0xC8); // bits without meaning keep theirs
        QCOMPARE(img[15] & 0x38, before[15] & 0x30);
    }
}

void HeaderConversionTest::settingsSurviveWriteAndRead() {
    QRandomGenerator gen(11);
    auto pick = [&gen](int lo, int hi) { return int(gen.bounded(lo, hi + 1)); };
    for (int i = 0; i < 2000; ++i) {
        HeaderSettings s;
        s.pointDelay = pick(0, 25);
        s.relayDelay = pick(0, 5);
        s.collisionGuard = pick(0, 1);
        s.relay15Mode = pick(0, 2);
        s.relay15Signal = pick(1, 20);
        s.relay15Sensor = pick(1, 16);
        s.relay16Mode = pick(0, 2);
        s.relay16Signal = pick(1, 20);
        s.relay16Sensor = pick(1, 16);
        s.invertDetectors1 = pick(0, 1);
        s.sensorsForDetectors1 = pick(0, 1);
        s.invertDetectors2 = pick(0, 1);
        s.sensorsForDetectors2 = pick(0, 1);
        for (auto& on : s.indicator)
            on = pick(0, 1);
        s.dccAddress = pick(1, 1900);
        s.dccAccept = pick(0, 1);
        s.dccRouteReset = pick(0, 1);
        Image img = patterned(i);
        periph::writeHeader(img, WorkingCopy{}, s, unlike(s));
        HeaderSettings expected = s;
        expected.pointDelay = s.pointDelay == 25 ? 24 : kDelayShown[kDelayStored[s.pointDelay]];
        QCOMPARE(settingsFromHeader(img), expected);
    }
}

// Opening the dialog and pressing OK: every value of every byte the dialog converts comes back.
void HeaderConversionTest::untouchedDialogKeepsEveryStoredByte_data() {
    QTest::addColumn<int>("address");
    for (int a : {1, 2, 3, 4, 5, 6, 14, 15, 17, 18, 32})
        QTest::addRow("byte %d", a) << a;
}

void HeaderConversionTest::untouchedDialogKeepsEveryStoredByte() {
    QFETCH(int, address);
    for (int v = 0; v < 256; ++v) {
        Image img = patterned(v);
        img[address] = static_cast<std::uint8_t>(v);
        WorkingCopy copy;
        loadPointMachines(copy, img);
        loadConditions(copy, img);
        Image after = img;
        periph::writeHeader(after, copy, settingsFromHeader(img), settingsFromHeader(img));
        QVERIFY2(after == img, qPrintable(QString::number(v)));
    }
}

QTEST_APPLESS_MAIN(HeaderConversionTest)
#include "editors_headerconversion.moc"
