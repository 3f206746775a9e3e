#include "data/headerfields.h"

#include <QRandomGenerator>
#include <QTest>

#include <iterator>
#include <set>
#include <vector>

using header::Field;
using Bytes = std::vector<std::pair<int, int>>;

namespace {
// One field of the header as the module's documentation lays it out: the bytes it is read from,
// the value the editor shows for them, and what storing another shown value leaves in them.
struct Case {
    const char* name;
    Field field;
    int index;
    Bytes before;
    int shown;
    int store;
    Bytes after;
};

// clang-format off
const Case kCases[] = {
    {"relay 16 sensor",  Field::Relay16Sensor, 0, {{1, 0x05}}, 6, 16, {{1, 0x0F}}},
    {"relay 16 signal",  Field::Relay16Signal, 0, {{2, 0x34}}, 20, 7, {{2, 0x07}}},
    {"relay delay",      Field::RelayDelay, 0, {{3, 0xF7}}, 4, 2, {{3, 0xF4}}},
    {"relay 15 mode",    Field::Relay15Mode, 0, {{3, 0x20}}, 2, 1, {{3, 0x10}}},
    {"relay 16 mode 3",  Field::Relay16Mode, 0, {{3, 0xC5}}, 2, 1, {{3, 0x45}}},
    {"collision guard",  Field::CollisionGuard, 0, {{4, 0xFE}}, 0, 1, {{4, 0xFF}}},
    {"invert DET1..8",   Field::InvertDetectors1, 0, {{4, 0x02}}, 1, 0, {{4, 0x00}}},
    {"sensors SN1..8",   Field::SensorsForDetectors1, 0, {{4, 0xFB}}, 0, 1, {{4, 0xFF}}},
    {"invert DET9..16",  Field::InvertDetectors2, 0, {{4, 0x10}}, 1, 0, {{4, 0x00}}},
    {"sensors SN9..16",  Field::SensorsForDetectors2, 0, {{4, 0x20}}, 1, 0, {{4, 0x00}}},
    {"point delay",      Field::PointDelay, 0, {{5, 0xA3}}, 5, 24, {{5, 0xAF}}},
    {"indicator R9",     Field::Indicator, 0, {{5, 0x40}}, 0, 1, {{5, 0x50}}},
    {"indicator R11",    Field::Indicator, 2, {{5, 0x4F}}, 1, 0, {{5, 0x0F}}},
    {"type machine 8",   Field::MachineType, 7, {{13, 0x52}}, 2, 3, {{13, 0x53}}},
    {"pulse machine 1",  Field::PulseLength, 0, {{6, 0x52}}, 5, 15, {{6, 0xF2}}},
    {"DCC base",         Field::DccBase, 0, {{14, 0x6F}, {15, 0xCF}}, 3951, 100, {{14, 0x64}, {15, 0xC0}}},
    {"DCC address",      Field::DccAddress, 0, {{14, 0x6F}, {15, 0x8F}}, 1900, 1, {{14, 0x04}, {15, 0x88}}},
    {"DCC route reset",  Field::DccRouteReset, 0, {{15, 0x40}}, 1, 0, {{15, 0x00}}},
    {"DCC accept",       Field::DccAccept, 0, {{15, 0x7F}}, 0, 1, {{15, 0xFF}}},
    {"relay 15 sensor",  Field::Relay15Sensor, 0, {{17, 0x00}}, 1, 16, {{17, 0x0F}}},
    {"relay 15 signal",  Field::Relay15Signal, 0, {{18, 0x14}}, 20, 1, {{18, 0x01}}},
    {"R10 remote det.",  Field::Conditions, 7, {{39, 0x80}}, 128, 4, {{39, 0x04}}},
};
// clang-format on
} // namespace

class HeaderFieldsTest : public QObject {
    Q_OBJECT
private slots:
    void fieldThroughTheTable_data() {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(kCases)); ++i)
            QTest::newRow(kCases[i].name) << i;
    }
    // Read from and written to an image whose other bytes are noise: a wrong address, mask or
    // conversion in the table shows as a wrong value or a changed neighbour.
    void fieldThroughTheTable() {
        QFETCH(int, row);
        const Case& c = kCases[row];
        QRandomGenerator noise(uint(row) + 1);
        Image img{};
        for (auto& b : img)
            b = static_cast<std::uint8_t>(noise.bounded(256));
        for (auto [address, value] : c.before)
            img[std::size_t(address)] = std::uint8_t(value);
        QCOMPARE(header::shown(img, c.field, c.index), c.shown);

        Image expected = img;
        for (auto [address, value] : c.after)
            expected[std::size_t(address)] = std::uint8_t(value);
        header::setShown(img, c.field, c.index, c.store);
        for (std::size_t a = 0; a < img.size(); ++a)
            QVERIFY2(img[a] == expected[a], qPrintable(QStringLiteral("byte %1").arg(a)));
        QCOMPARE(header::shown(img, c.field, c.index), c.store);
    }

    void everyFieldHasACase() {
        std::set<Field> covered;
        for (const Case& c : kCases)
            covered.insert(c.field);
        QCOMPARE(covered.size(), std::size_t(Field::Count));
    }
};

QTEST_GUILESS_MAIN(HeaderFieldsTest)
#include "data_headerfields.moc"
