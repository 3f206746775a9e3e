#include "tools/lampcolours.h"
#include "tools/manualtestcommands.h"

#include <QtTest>

using namespace tools;

namespace {
QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

const ManualTestConfig& config(const QString& name) {
    return name == QLatin1String("EXP2") ? expansionTestConfig() : moduleTestConfig();
}

// One letter per lamp: W white, Y yellow, G green, R red, A aqua.
QString letters(const LampColour* first, int count) {
    QString s;
    for (int i = 0; i < count; ++i) {
        switch (first[i]) {
        case LampColour::White:
            s += 'W';
            break;
        case LampColour::Yellow:
            s += 'Y';
            break;
        case LampColour::Green:
            s += 'G';
            break;
        case LampColour::Red:
            s += 'R';
            break;
        case LampColour::Aqua:
            s += 'A';
            break;
        }
    }
    return s;
}
} // namespace

class ToolsManualTest : public QObject {
    Q_OBJECT
private slots:
    void pointCommands_data() {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("machine");
        QTest::addColumn<int>("position");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("STV2 machine 1 straight")
            << "STV2" << 1 << kStraight << bytes({0x40, 0x54, 0x00, 0x01, 0x01, 0x01, 0x2A});
        QTest::newRow("STV2 machine 1 no position")
            << "STV2" << 1 << kNoPosition << bytes({0x40, 0x54, 0x00, 0x00, 0x01, 0x01, 0x2A});
        QTest::newRow("STV2 machine 8 diverging")
            << "STV2" << 8 << kDiverging << bytes({0x40, 0x54, 0x07, 0x02, 0x01, 0x01, 0x2A});
        QTest::newRow("EXP2 machine 9 straight")
            << "EXP2" << 9 << kStraight << bytes({0x40, 0x54, 0x00, 0x04, 0x01, 0x01, 0x2A});
        QTest::newRow("EXP2 machine 16 diverging")
            << "EXP2" << 16 << kDiverging << bytes({0x40, 0x54, 0x07, 0x08, 0x01, 0x01, 0x2A});
        QTest::newRow("EXP2 no position")
            << "EXP2" << 12 << kNoPosition << bytes({0x40, 0x54, 0x03, 0x00, 0x01, 0x01, 0x2A});
        // Out-of-range numbers are held at the bound, as the spin box would store them.
        QTest::newRow("STV2 machine 0 reads as 1")
            << "STV2" << 0 << kStraight << bytes({0x40, 0x54, 0x00, 0x01, 0x01, 0x01, 0x2A});
        QTest::newRow("STV2 machine 12 reads as 8")
            << "STV2" << 12 << kStraight << bytes({0x40, 0x54, 0x07, 0x01, 0x01, 0x01, 0x2A});
        QTest::newRow("EXP2 machine 8 reads as 9")
            << "EXP2" << 8 << kDiverging << bytes({0x40, 0x54, 0x00, 0x08, 0x01, 0x01, 0x2A});
        QTest::newRow("unknown position index sends none")
            << "STV2" << 2 << 5 << bytes({0x40, 0x54, 0x01, 0x00, 0x01, 0x01, 0x2A});
    }
    void pointCommands() {
        QFETCH(QString, unit);
        QFETCH(int, machine);
        QFETCH(int, position);
        QFETCH(QByteArray, expected);
        QCOMPARE(pointCommand(config(unit), machine, position).toHex(' '), expected.toHex(' '));
    }

    void relayCommands_data() {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("word");
        QTest::addColumn<bool>("highFirst");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("R1 and R16")
            << "STV2" << 0x8001 << false << bytes({0x40, 0x45, 0x01, 0x80, 0x01, 0x01, 0x2A});
        QTest::newRow("R17 and R32")
            << "EXP2" << 0x8001 << false << bytes({0x40, 0x46, 0x01, 0x80, 0x01, 0x01, 0x2A});
        QTest::newRow("R1..R8 high byte first")
            << "STV2" << 0x00FF << true << bytes({0x40, 0x45, 0x00, 0xFF, 0x01, 0x01, 0x2A});
        QTest::newRow("R1..R8 low byte first")
            << "STV2" << 0x00FF << false << bytes({0x40, 0x45, 0xFF, 0x00, 0x01, 0x01, 0x2A});
        QTest::newRow("EXP2 swapped")
            << "EXP2" << 0x1234 << true << bytes({0x40, 0x46, 0x12, 0x34, 0x01, 0x01, 0x2A});
        QTest::newRow("relay bytes that look like framing")
            << "STV2" << 0x2A40 << false << bytes({0x40, 0x45, 0x40, 0x2A, 0x01, 0x01, 0x2A});
        QTest::newRow("none ticked")
            << "EXP2" << 0 << false << bytes({0x40, 0x46, 0x00, 0x00, 0x01, 0x01, 0x2A});
    }
    void relayCommands() {
        QFETCH(QString, unit);
        QFETCH(int, word);
        QFETCH(bool, highFirst);
        QFETCH(QByteArray, expected);
        QCOMPARE(relayCommand(config(unit), static_cast<std::uint16_t>(word), highFirst).toHex(' '),
                 expected.toHex(' '));
    }

    void signalCommands_data() {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("item");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("no code chosen")
            << "STV2" << 1 << -1 << bytes({0x40, 0x4E, 0x01, 0xFF, 0x01, 0x01, 0x2A});
        QTest::newRow("signal 15 code 15")
            << "STV2" << 15 << 15 << bytes({0x40, 0x4E, 0x0F, 0x0F, 0x01, 0x01, 0x2A});
        QTest::newRow("EXP2 signal 17 code 1 without offset")
            << "EXP2" << 17 << 1 << bytes({0x40, 0x4E, 0x11, 0x01, 0x01, 0x01, 0x2A});
        QTest::newRow("EXP2 signal 23 code 0")
            << "EXP2" << 23 << 0 << bytes({0x40, 0x4E, 0x17, 0x00, 0x01, 0x01, 0x2A});
        QTest::newRow("STV2 signal 16 held at 15")
            << "STV2" << 16 << 3 << bytes({0x40, 0x4E, 0x0F, 0x03, 0x01, 0x01, 0x2A});
        QTest::newRow("EXP2 signal 1 held at 17")
            << "EXP2" << 1 << 3 << bytes({0x40, 0x4E, 0x11, 0x03, 0x01, 0x01, 0x2A});
    }
    void signalCommands() {
        QFETCH(QString, unit);
        QFETCH(int, number);
        QFETCH(int, item);
        QFETCH(QByteArray, expected);
        QCOMPARE(signalCommand(config(unit), number, item).toHex(' '), expected.toHex(' '));
    }

    // Each letter is one relay press: T with "swap HI/LO" ticked, U unticked; the answer is
    // H for high byte first, L for low byte first.
    void swapRule_data() {
        QTest::addColumn<QString>("presses");
        QTest::addColumn<QString>("orders");
        QTest::newRow("ticked alternates, high first") << "TTTT"
                                                       << "HLHL";
        QTest::newRow("unticked always low first") << "UUU"
                                                   << "LLL";
        QTest::newRow("unticked presses leave the toggle") << "TUUT"
                                                           << "HLLL";
        QTest::newRow("unticked first, then ticked") << "UTTU"
                                                     << "LHLL";
        QTest::newRow("resumes after a pause") << "TTTUT"
                                               << "HLHLL";
    }
    void swapRule() {
        QFETCH(QString, presses);
        QFETCH(QString, orders);
        RelaySwapToggle toggle;
        QString got;
        for (QChar p : presses)
            got += toggle.nextHighByteFirst(p == 'T') ? 'H' : 'L';
        QCOMPARE(got, orders);
    }

    void testInc_data() {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("machine");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("nextMachine");
        QTest::addColumn<int>("nextPosition");
        QTest::newRow("none goes diverging") << "STV2" << 3 << kNoPosition << 3 << kDiverging;
        QTest::newRow("straight goes diverging") << "STV2" << 3 << kStraight << 3 << kDiverging;
        QTest::newRow("diverging moves on") << "STV2" << 3 << kDiverging << 4 << kStraight;
        QTest::newRow("8 wraps to 1") << "STV2" << 8 << kDiverging << 1 << kStraight;
        QTest::newRow("8 straight stays") << "STV2" << 8 << kStraight << 8 << kDiverging;
        QTest::newRow("EXP2 16 wraps to 9") << "EXP2" << 16 << kDiverging << 9 << kStraight;
        QTest::newRow("EXP2 15 moves on") << "EXP2" << 15 << kDiverging << 16 << kStraight;
        QTest::newRow("EXP2 9 none") << "EXP2" << 9 << kNoPosition << 9 << kDiverging;
    }
    void testInc() {
        QFETCH(QString, unit);
        QFETCH(int, machine);
        QFETCH(int, position);
        QFETCH(int, nextMachine);
        QFETCH(int, nextPosition);
        const PointSelection next = testIncNext(config(unit), {machine, position});
        QCOMPARE(next.machine, nextMachine);
        QCOMPARE(next.positionIndex, nextPosition);
    }

    // Pressing "test INC" 16 times from machine 1 straight visits every machine in both
    // positions once and comes back.
    void testIncWalksEveryMachine_data() {
        QTest::addColumn<QString>("unit");
        QTest::newRow("STV2") << "STV2";
        QTest::newRow("EXP2") << "EXP2";
    }
    void testIncWalksEveryMachine() {
        QFETCH(QString, unit);
        const ManualTestConfig& c = config(unit);
        PointSelection s{c.pointMin, kStraight};
        QSet<QByteArray> sent;
        for (int i = 0; i < 16; ++i) {
            sent.insert(pointCommand(c, s.machine, s.positionIndex));
            s = testIncNext(c, s);
        }
        QCOMPARE(sent.size(), 16);
        QCOMPARE(s, (PointSelection{c.pointMin, kStraight}));
    }

    void lamps_data() {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("sensors");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("detectors");
        QTest::addColumn<QString>("buttonLamps");
        QTest::addColumn<QString>("sensorLamps");
        QTest::addColumn<QString>("detectorLamps");
        QTest::newRow("STV2 before any reply") << "STV2" << 0 << 0 << 0 << "WWWWWWWWWWWWWWAA"
                                               << "WWWWWWWW"
                                               << "WWWWWWWW";
        // Status reply b0..b3 = 01 80 40 FF: the word is b1 + 256 * b2.
        QTest::newRow("STV2 reply 01 80 40 FF")
            << "STV2" << 0x01 << 0x4080 << 0xFF << "WWWWWWWYWWWWWWYA"
            << "GWWWWWWW"
            << "RRRRRRRR";
        QTest::newRow("STV2 top two buttons set")
            << "STV2" << 0x80 << 0xC000 << 0x01 << "WWWWWWWWWWWWWWYR"
            << "WWWWWWWG"
            << "RWWWWWWW";
        QTest::newRow("STV2 all set") << "STV2" << 0xFF << 0xFFFF << 0xFF << "YYYYYYYYYYYYYYYR"
                                      << "GGGGGGGG"
                                      << "RRRRRRRR";
        QTest::newRow("EXP2 before any reply") << "EXP2" << 0 << 0 << 0 << "WWWWWWWWWWWWWWWW"
                                               << "WWWWWWWW"
                                               << "WWWWWWWW";
        // Expansion reply b0..b3 = 00 01 80 00: the word is 256 * b1 + b2.
        QTest::newRow("EXP2 reply 00 01 80 00") << "EXP2" << 0 << 0x0180 << 0 << "WWWWWWWYYWWWWWWW"
                                                << "WWWWWWWW"
                                                << "WWWWWWWW";
        QTest::newRow("EXP2 top two buttons have no colours of their own")
            << "EXP2" << 0x0F << 0xC000 << 0xF0 << "WWWWWWWWWWWWWWYY"
            << "GGGGWWWW"
            << "WWWWRRRR";
    }
    void lamps() {
        QFETCH(QString, unit);
        QFETCH(int, sensors);
        QFETCH(int, buttons);
        QFETCH(int, detectors);
        QFETCH(QString, buttonLamps);
        QFETCH(QString, sensorLamps);
        QFETCH(QString, detectorLamps);
        const LampColours c = lampColours(config(unit), {static_cast<std::uint8_t>(sensors),
                                                         static_cast<std::uint16_t>(buttons),
                                                         static_cast<std::uint8_t>(detectors)});
        QCOMPARE(letters(c.pushButtons.data(), 16), buttonLamps);
        QCOMPARE(letters(c.sensors.data(), 8), sensorLamps);
        QCOMPARE(letters(c.detectors.data(), 8), detectorLamps);
    }

    void rgb_data() {
        QTest::addColumn<int>("colour");
        QTest::addColumn<uint>("rgb");
        QTest::newRow("yellow") << int(LampColour::Yellow) << 0xFFFF00u;
        QTest::newRow("white") << int(LampColour::White) << 0xFFFFFFu;
        QTest::newRow("green is dark") << int(LampColour::Green) << 0x008000u;
        QTest::newRow("red") << int(LampColour::Red) << 0xFF0000u;
        QTest::newRow("aqua") << int(LampColour::Aqua) << 0x00FFFFu;
    }
    void rgb() {
        QFETCH(int, colour);
        QFETCH(uint, rgb);
        QCOMPARE(lampRgb(static_cast<LampColour>(colour)), rgb);
    }
};

QTEST_APPLESS_MAIN(ToolsManualTest)
#include "tools_manual.moc"
