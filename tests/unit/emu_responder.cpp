#include "emu/stv2responder.h"
#include "support/fakemodule.h"

#include <QTest>

namespace {
QByteArray bytes(std::initializer_list<int> list) {
    QByteArray b;
    for (int v : list)
        b += static_cast<char>(v);
    return b;
}

QByteArray readCmd(int address) {
    return bytes({'@', 'R', address & 0xFF, address >> 8, '0', '0', '*'});
}

QByteArray writeCmd(int address, int value) {
    return bytes({'@', 'W', address & 0xFF, address >> 8, value, address & 0xFF, '*'});
}

QByteArray frame(std::initializer_list<int> data) {
    return QByteArray("@") + bytes(data) + "*";
}

// Memory with a recognisable byte at every address.
Stv2Responder patterned(const ResponderOptions& o = {}) {
    Stv2Responder m(o);
    for (int a = 0; a < m.memorySize(); ++a)
        m.setMemoryAt(a, static_cast<std::uint8_t>(a * 7 + 3));
    return m;
}
} // namespace

class EmuResponderTest : public QObject {
    Q_OBJECT
private slots:
    void replies_data();
    void replies();
    void memoryAfterWrite_data();
    void memoryAfterWrite();
    void statusReportsLiveInputs();
    void outputCommandsChangeState_data();
    void outputCommandsChangeState();
    void simulationRepliesVary();
    void simulationAnswersWithSignalAspect();
    void framing_data();
    void framing();
    void memorySizeFollowsCapacity_data();
    void memorySizeFollowsCapacity();
    void logNamesEveryCommand();
    void faultsAlwaysOn_data();
    void faultsAlwaysOn();
    void faultsAreDeterministic();
    void faultSharesAreRespected();
    void silentAfterCommands_data();
    void silentAfterCommands();
    void silentSwitch();
    void portDeliversAfterDelays();
    void survivesArbitraryBytes();
    void writeTimeDelaysOnlyWriteAcks();
};

// Command bytes to the exact reply a fresh module (default options unless set) gives.
void EmuResponderTest::replies_data() {
    QTest::addColumn<int>("version");
    QTest::addColumn<char>("revision");
    QTest::addColumn<int>("capacity");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("identify 3.0 short")
        << 0x30 << '\0' << 90 << QByteArray("@G0000* ") << QByteArray("S0*");
    QTest::newRow("identify 2.5b long")
        << 0x25 << 'b' << 90 << QByteArray("@G0000* ") << bytes({'S', 0x25, 'b', '*'});
    QTest::newRow("identify raw byte FF")
        << 0xFF << '\0' << 90 << QByteArray("@G0000* ") << bytes({'S', 0xFF, '*'});
    QTest::newRow("capacity 90") << 0x30 << '\0' << 90 << QByteArray("@M0000*") << bytes({90, '*'});
    QTest::newRow("capacity 20") << 0x30 << '\0' << 20 << QByteArray("@M0000*") << bytes({20, '*'});
    QTest::newRow("capacity 19") << 0x30 << '\0' << 19 << QByteArray("@M0000*") << bytes({19, '*'});
    QTest::newRow("capacity 101") << 0x30 << '\0' << 101 << QByteArray("@M0000*")
                                  << bytes({101, '*'});
    QTest::newRow("capacity 0") << 0x30 << '\0' << 0 << QByteArray("@M0000*") << bytes({0, '*'});
    QTest::newRow("capacity 255") << 0x30 << '\0' << 255 << QByteArray("@M0000*")
                                  << bytes({255, '*'});
    QTest::newRow("read 1") << 0x30 << '\0' << 90 << readCmd(1) << bytes({10, '*'});
    QTest::newRow("read 0x0123") << 0x30 << '\0' << 90 << readCmd(0x123)
                                 << bytes({(0x123 * 7 + 3) & 0xFF, '*'});
    QTest::newRow("read 2243") << 0x30 << '\0' << 90 << readCmd(2243)
                               << bytes({(2243 * 7 + 3) & 0xFF, '*'});
    QTest::newRow("read 3003, last of the image")
        << 0x30 << '\0' << 90 << readCmd(3003) << bytes({(3003 * 7 + 3) & 0xFF, '*'});
    QTest::newRow("read 3004, outside") << 0x30 << '\0' << 90 << readCmd(3004) << QByteArray();
    QTest::newRow("read 0xFFFF") << 0x30 << '\0' << 90 << readCmd(0xFFFF) << QByteArray();
    QTest::newRow("read beyond 3004 with capacity 200")
        << 0x30 << '\0' << 200 << readCmd(4663) << bytes({(4663 * 7 + 3) & 0xFF, '*'});
    QTest::newRow("read address bytes '@' and '*'")
        << 0x30 << '\0' << 200 << readCmd(0x2A40) << QByteArray();
    QTest::newRow("write") << 0x30 << '\0' << 90 << writeCmd(5, 0x5A) << QByteArray("Y*");
    QTest::newRow("write value '*'")
        << 0x30 << '\0' << 90 << writeCmd(0x40, '*') << QByteArray("Y*");
    QTest::newRow("write outside") << 0x30 << '\0' << 90 << writeCmd(3004, 1) << QByteArray();
    QTest::newRow("write with wrong check byte")
        << 0x30 << '\0' << 90 << bytes({'@', 'W', 5, 0, 1, 6, '*'}) << QByteArray();
    QTest::newRow("status, inputs clear")
        << 0x30 << '\0' << 90 << QByteArray("@S0000*") << bytes({0, 0, 0, 0, '*'});
    QTest::newRow("exp status, inputs clear")
        << 0x30 << '\0' << 90 << QByteArray("@U0000*") << bytes({0, 0, 0, 0, '*'});
    QTest::newRow("signal: no reply")
        << 0x30 << '\0' << 90 << bytes({'@', 'N', 3, 1, 1, 1, '*'}) << QByteArray();
    QTest::newRow("point: no reply")
        << 0x30 << '\0' << 90 << bytes({'@', 'T', 0, 1, 1, 1, '*'}) << QByteArray();
    QTest::newRow("relays: no reply")
        << 0x30 << '\0' << 90 << bytes({'@', 'E', 1, 0x80, 1, 1, '*'}) << QByteArray();
    QTest::newRow("exp relays: no reply")
        << 0x30 << '\0' << 90 << bytes({'@', 'F', 1, 0x80, 1, 1, '*'}) << QByteArray();
    QTest::newRow("unknown letter: no reply")
        << 0x30 << '\0' << 90 << QByteArray("@Q0000*") << QByteArray();
    QTest::newRow("first simulation frame") << 0x30 << '\0' << 90 << frame({0, 0, 0, 0, 0, 0, 0, 0})
                                            << bytes({'@', 1, 2, 0, 0, 0, 0, 0, 0, '*'});
}

void EmuResponderTest::replies() {
    QFETCH(int, version);
    QFETCH(char, revision);
    QFETCH(int, capacity);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    ResponderOptions o;
    o.version = static_cast<std::uint8_t>(version);
    o.revision = revision;
    o.capacity = capacity;
    Stv2Responder m = patterned(o);
    const QList<ReplyChunk> chunks = m.receive(command);
    if (reply.isEmpty()) {
        QVERIFY(chunks.isEmpty());
    } else {
        QCOMPARE(chunks.size(), 1);
        QCOMPARE(chunks[0].delayMs, 0);
        QCOMPARE(chunks[0].bytes, reply);
    }
    QCOMPARE(m.commandCount(), 1);
}

void EmuResponderTest::memoryAfterWrite_data() {
    QTest::addColumn<int>("capacity");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("expected");

    QTest::newRow("written") << 90 << writeCmd(5, 0x5A) << 5 << 0x5A;
    QTest::newRow("high address byte") << 90 << writeCmd(0x8C3, 0xAB) << 0x8C3 << 0xAB;
    QTest::newRow("beyond 2243 with capacity 100") << 100 << writeCmd(2463, 0x11) << 2463 << 0x11;
    QTest::newRow("address 0 too") << 90 << writeCmd(0, 0x77) << 0 << 0x77;
    QTest::newRow("wrong check byte keeps the old value")
        << 90 << bytes({'@', 'W', 5, 0, 1, 6, '*'}) << 5 << 0;
    QTest::newRow("a read changes nothing") << 90 << readCmd(5) << 5 << 0;
}

void EmuResponderTest::memoryAfterWrite() {
    QFETCH(int, capacity);
    QFETCH(QByteArray, command);
    QFETCH(int, address);
    QFETCH(int, expected);
    ResponderOptions o;
    o.capacity = capacity;
    Stv2Responder m(o);
    m.receive(command);
    QCOMPARE(int(m.memoryAt(address)), expected);
    // Nothing else moved.
    int nonZero = 0;
    for (std::uint8_t b : m.memory())
        nonZero += b != 0;
    QCOMPARE(nonZero, expected != 0 ? 1 : 0);
    // What was written reads back.
    QCOMPARE(m.reply(readCmd(address)), bytes({expected, '*'}));
}

void EmuResponderTest::statusReportsLiveInputs() {
    Stv2Responder m;
    m.setInputs(Unit::Main, {0x01, 0x4080, 0xFF});
    QCOMPARE(m.reply("@S0000*"), bytes({0x01, 0x80, 0x40, 0xFF, '*'}));
    // The expansion unit sends its push-button word high byte first.
    m.setInputs(Unit::Expansion, {0x00, 0x0180, 0x00});
    QCOMPARE(m.reply("@U0000*"), bytes({0x00, 0x01, 0x80, 0x00, '*'}));
    m.setSensor(Unit::Main, 8, true);
    m.setSensor(Unit::Main, 1, false);
    m.setButton(Unit::Main, 16, false);
    m.setDetector(Unit::Expansion, 3, true);
    m.setButton(Unit::Expansion, 1, true);
    QCOMPARE(m.reply("@S0000*"), bytes({0x80, 0x80, 0x40, 0xFF, '*'}));
    QCOMPARE(m.reply("@U0000*"), bytes({0x00, 0x01, 0x81, 0x04, '*'}));
    // Out-of-range numbers are ignored rather than wrapped onto another input.
    m.setSensor(Unit::Main, 9, true);
    m.setButton(Unit::Main, 0, true);
    m.setDetector(Unit::Main, 17, true);
    QCOMPARE(m.reply("@S0000*"), bytes({0x80, 0x80, 0x40, 0xFF, '*'}));
}

void EmuResponderTest::outputCommandsChangeState_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("signalCode");
    QTest::addColumn<int>("machine");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("relaysMain");
    QTest::addColumn<int>("relaysExp");

    QTest::newRow("signal 3 code 1")
        << bytes({'@', 'N', 3, 1, 1, 1, '*'}) << 3 << 1 << 0 << 0 << 0 << 0;
    QTest::newRow("signal 17 none chosen")
        << bytes({'@', 'N', 17, 0xFF, 1, 1, '*'}) << 17 << 0xFF << 0 << 0 << 0 << 0;
    QTest::newRow("point 1 straight")
        << bytes({'@', 'T', 0, 1, 1, 1, '*'}) << 0 << -1 << 1 << 1 << 0 << 0;
    QTest::newRow("point 8 diverging")
        << bytes({'@', 'T', 7, 2, 1, 1, '*'}) << 0 << -1 << 8 << 2 << 0 << 0;
    QTest::newRow("exp point 9 straight")
        << bytes({'@', 'T', 0, 4, 1, 1, '*'}) << 0 << -1 << 9 << 1 << 0 << 0;
    QTest::newRow("exp point 16 diverging")
        << bytes({'@', 'T', 7, 8, 1, 1, '*'}) << 0 << -1 << 16 << 2 << 0 << 0;
    QTest::newRow("point without position")
        << bytes({'@', 'T', 0, 0, 1, 1, '*'}) << 0 << -1 << 1 << 0 << 0 << 0;
    QTest::newRow("relays R1 R16")
        << bytes({'@', 'E', 1, 0x80, 1, 1, '*'}) << 0 << -1 << 0 << 0 << 0x8001 << 0;
    QTest::newRow("exp relays R17 R32")
        << bytes({'@', 'F', 1, 0x80, 1, 1, '*'}) << 0 << -1 << 0 << 0 << 0 << 0x8001;
}

void EmuResponderTest::outputCommandsChangeState() {
    QFETCH(QByteArray, command);
    QFETCH(int, signal);
    QFETCH(int, signalCode);
    QFETCH(int, machine);
    QFETCH(int, position);
    QFETCH(int, relaysMain);
    QFETCH(int, relaysExp);
    Stv2Responder m;
    QVERIFY(m.receive(command).isEmpty());
    if (signal)
        QCOMPARE(m.signalCode(signal), signalCode);
    if (machine)
        QCOMPARE(m.pointPosition(machine), position);
    for (int p = 1; p <= 16; ++p)
        if (p != machine)
            QCOMPARE(m.pointPosition(p), 0);
    QCOMPARE(int(m.relays(Unit::Main)), relaysMain);
    QCOMPARE(int(m.relays(Unit::Expansion)), relaysExp);
    QCOMPARE(m.commandCount(), 1);
    QCOMPARE(m.log().size(), 1);
}

void EmuResponderTest::simulationRepliesVary() {
    Stv2Responder m;
    m.setInputs(Unit::Main, {0x12, 0, 0x34});
    m.setInputs(Unit::Expansion, {0x56, 0, 0x78});
    QSet<int> seenA;
    for (int k = 0; k < 15; ++k) {
        const QByteArray r = m.reply(frame({0, 0, 0, 0, 0, 0, 0, 0}));
        QCOMPARE(r.size(), 10);
        QCOMPARE(r[9], '*');
        const int a = r[1] & 0x1F;
        const int b = r[2] & 0x1F;
        QVERIFY(a >= 1 && a <= 15);
        QVERIFY(b >= 1 && b <= 15);
        QVERIFY(a != b);
        seenA.insert(a);
        // The module's own inputs in the frame layout: detectors, sensors, per unit.
        QCOMPARE(r.mid(4, 4), bytes({0x34, 0x12, 0x78, 0x56}));
    }
    QCOMPARE(seenA.size(), 15);
    QCOMPARE(m.frameCount(), 15);
}

void EmuResponderTest::simulationAnswersWithSignalAspect() {
    Stv2Responder m;
    m.receive(bytes({'@', 'N', 3, 1, 1, 1, '*'})); // VOLNO
    m.receive(bytes({'@', 'N', 5, 4, 1, 1, '*'})); // 40 km/h
    m.receive(bytes({'@', 'N', 6, 8, 1, 1, '*'})); // calling-on
    const auto answerFor = [&](int signal) {
        return (static_cast<std::uint8_t>(m.reply(frame({signal, 0, 0, 0, 0, 0, 0, 0}))[1]) >> 5) &
               3;
    };
    QCOMPARE(answerFor(3), 3);
    QCOMPARE(answerFor(5), 1);
    QCOMPARE(answerFor(6), 2);
    QCOMPARE(answerFor(4), 0); // never set
    QCOMPARE(answerFor(0), 0);
}

// Pieces as they might arrive, and every reply they must give in total.
void EmuResponderTest::framing_data() {
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("commands");

    QTest::newRow("identify one byte at a time")
        << QList<QByteArray>{"@", "G", "0", "0", "0", "0", "*", " "} << QByteArray("S0*") << 1;
    QTest::newRow("identify blank arriving late, then capacity")
        << QList<QByteArray>{"@G0000*", " @M0000*"} << QByteArray("S0*") + bytes({90, '*'}) << 2;
    QTest::newRow("noise before a command")
        << QList<QByteArray>{"xyz\x01", "@M0000*"} << bytes({90, '*'}) << 1;
    QTest::newRow("two commands in one piece") << QList<QByteArray>{writeCmd(2, 9) + readCmd(2)}
                                               << QByteArray("Y*") + bytes({9, '*'}) << 2;
    QTest::newRow("prepared command followed by status")
        << QList<QByteArray>{bytes({'@', 'N', 3, 1, 1, 1, '*'}) + "@S0000*"}
        << bytes({0, 0, 0, 0, '*'}) << 2;
    QTest::newRow("frame split after seven bytes")
        << QList<QByteArray>{bytes({'@', 0, 0, 0, 0, 0, 0}), bytes({0, 0, '*'})}
        << bytes({'@', 1, 2, 0, 0, 0, 0, 0, 0, '*'}) << 1;
    // Data byte 1 = 0x47 is "G" and data byte 6 is "*": in one piece it is still a frame.
    QTest::newRow("frame that starts like identify")
        << QList<QByteArray>{frame({0x47, 0, 0, 0, 0, '*', 0, 0})}
        << bytes({'@', 1, 2, 0, 0, 0, 0, 0, 0, '*'}) << 1;
    QTest::newRow("broken command, then a good one")
        << QList<QByteArray>{QByteArray("@M00") + "@M0000*"} << bytes({90, '*'}) << 1;
    QTest::newRow("stray star and at")
        << QList<QByteArray>{"*@*", "@S0000*"} << bytes({0, 0, 0, 0, '*'}) << 1;
}

void EmuResponderTest::framing() {
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(QByteArray, reply);
    QFETCH(int, commands);
    Stv2Responder m;
    QByteArray got;
    for (const QByteArray& p : pieces)
        got += m.reply(p);
    QCOMPARE(got, reply);
    QCOMPARE(m.commandCount(), commands);
}

void EmuResponderTest::memorySizeFollowsCapacity_data() {
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("size");
    QTest::newRow("90") << 90 << 3004;
    QTest::newRow("100") << 100 << 3004;
    QTest::newRow("124") << 124 << 3004;
    QTest::newRow("125") << 125 << 3014;
    QTest::newRow("255") << 255 << 5874;
    QTest::newRow("negative clamps to 0") << -5 << 3004;
    QTest::newRow("above a byte clamps to 255") << 300 << 5874;
}

void EmuResponderTest::memorySizeFollowsCapacity() {
    QFETCH(int, capacity);
    QFETCH(int, size);
    ResponderOptions o;
    o.capacity = capacity;
    Stv2Responder m(o);
    QCOMPARE(m.memorySize(), size);
    QCOMPARE(m.reply("@M0000*"), bytes({m.capacity(), '*'}));
    QCOMPARE(m.reply(writeCmd(size - 1, 0x42)), QByteArray("Y*"));
    QCOMPARE(m.reply(writeCmd(size, 0x42)), QByteArray());
}

void EmuResponderTest::logNamesEveryCommand() {
    Stv2Responder m;
    QStringList sink;
    m.setLogSink([&](const QString& l) { sink << l; });
    m.receive("@G0000* ");
    m.receive(writeCmd(0x123, 0x5A));
    m.receive(readCmd(0x123));
    m.receive(bytes({'@', 'T', 7, 8, 1, 1, '*'}));
    m.receive(bytes({'@', 'E', 1, 0x80, 1, 1, '*'}));
    m.receive("junk");
    QCOMPARE(m.log(), sink);
    QCOMPARE(m.log().size(), 6);
    QVERIFY(m.log()[0].contains("identify"));
    QVERIFY(m.log()[1].contains("W 0123 := 5A"));
    QVERIFY(m.log()[2].contains("R 0123 -> 5A"));
    QVERIFY(m.log()[3].contains("point machine 16 := diverging"));
    QVERIFY(m.log()[4].contains("R1 R16"));
    QVERIFY(m.log()[5].contains("ignored 4"));
    m.setLogLimit(2);
    m.receive("@S0000*");
    QCOMPARE(m.log().size(), 2);
    QVERIFY(m.log()[1].contains("S status"));
}

void EmuResponderTest::faultsAlwaysOn_data() {
    QTest::addColumn<QString>("fault");
    QTest::newRow("drop") << "drop";
    QTest::newRow("late") << "late";
    QTest::newRow("split") << "split";
    QTest::newRow("corrupt") << "corrupt";
    QTest::newRow("duplicate") << "duplicate";
    QTest::newRow("noise") << "noise";
}

// With a share of 1 every reply shows the fault, in the form the host relies on.
void EmuResponderTest::faultsAlwaysOn() {
    QFETCH(QString, fault);
    ResponderOptions o;
    o.latencyMs = 3;
    o.faults.lateMs = 150;
    o.faults.splitGapMs = 7;
    if (fault == "drop")
        o.faults.dropRate = 1;
    if (fault == "late")
        o.faults.lateRate = 1;
    if (fault == "split")
        o.faults.splitRate = 1;
    if (fault == "corrupt")
        o.faults.corruptRate = 1;
    o.faults.duplicateRate = fault == "duplicate" ? 1 : 0;
    o.faults.noiseRate = fault == "noise" ? 1 : 0;
    o.faults.duplicateMs = o.faults.noiseMs = 12;
    Stv2Responder m = patterned(o);
    for (int a = 1; a <= 50; ++a) {
        const QByteArray good = bytes({(a * 7 + 3) & 0xFF, '*'});
        const QList<ReplyChunk> c = m.receive(readCmd(a));
        if (fault == "drop") {
            QVERIFY(c.isEmpty());
        } else if (fault == "late") {
            QCOMPARE(c.size(), 1);
            QCOMPARE(c[0].delayMs, 153);
            QCOMPARE(c[0].bytes, good);
        } else if (fault == "split") {
            QCOMPARE(c.size(), 2);
            QCOMPARE(c[0].delayMs, 3);
            QCOMPARE(c[1].delayMs, 7);
            QCOMPARE(c[0].bytes + c[1].bytes, good);
            QVERIFY(!c[0].bytes.isEmpty() && !c[1].bytes.isEmpty());
        } else if (fault == "duplicate" || fault == "noise") {
            // The reply, then 12 ms later its copy, or two bytes of noise ending in "*".
            QCOMPARE(c.size(), 2);
            QCOMPARE(c[0].delayMs, 3);
            QCOMPARE(c[0].bytes, good);
            QCOMPARE(c[1].delayMs, 12);
            if (fault == "duplicate")
                QCOMPARE(c[1].bytes, good);
            else
                QVERIFY(c[1].bytes.size() == 2 && c[1].bytes.at(1) == '*');
        } else {
            QCOMPARE(c.size(), 1);
            QCOMPARE(c[0].bytes.size(), good.size());
            int diff = 0;
            for (int i = 0; i < good.size(); ++i)
                diff += c[0].bytes[i] != good[i];
            QCOMPARE(diff, 1);
        }
    }
    // The memory is untouched by faults on the way out.
    QCOMPARE(int(m.memoryAt(7)), (7 * 7 + 3) & 0xFF);
}

void EmuResponderTest::faultsAreDeterministic() {
    ResponderOptions o;
    o.faults.seed = 42;
    o.faults.dropRate = 0.2;
    o.faults.lateRate = 0.2;
    o.faults.splitRate = 0.2;
    o.faults.corruptRate = 0.2;
    const auto run = [](const ResponderOptions& opts) {
        Stv2Responder m = patterned(opts);
        QList<QList<ReplyChunk>> all;
        for (int a = 1; a <= 300; ++a)
            all << m.receive(a % 3 ? readCmd(a) : writeCmd(a, a));
        return all;
    };
    const auto first = run(o);
    QCOMPARE(run(o), first);
    ResponderOptions other = o;
    other.faults.seed = 43;
    QVERIFY(run(other) != first);
    // Restarting the generator with the same seed repeats the faults.
    Stv2Responder m = patterned(o);
    const QList<ReplyChunk> a = m.receive(readCmd(1)) + m.receive(readCmd(2)) +
                                m.receive(readCmd(3)) + m.receive(readCmd(4));
    m.setFaults(o.faults);
    const QList<ReplyChunk> b = m.receive(readCmd(1)) + m.receive(readCmd(2)) +
                                m.receive(readCmd(3)) + m.receive(readCmd(4));
    QCOMPARE(a, b);
}

void EmuResponderTest::faultSharesAreRespected() {
    ResponderOptions o;
    o.faults.seed = 7;
    o.faults.dropRate = 0.3;
    Stv2Responder m(o);
    int dropped = 0;
    const int n = 2000;
    for (int i = 0; i < n; ++i)
        dropped += m.receive("@M0000*").isEmpty();
    QVERIFY2(dropped > n * 0.26 && dropped < n * 0.34, qPrintable(QString::number(dropped)));
}

void EmuResponderTest::silentAfterCommands_data() {
    QTest::addColumn<int>("after");
    QTest::addColumn<int>("answered");
    QTest::newRow("never") << -1 << 10;
    QTest::newRow("always") << 0 << 0;
    QTest::newRow("after 3") << 3 << 3;
}

void EmuResponderTest::silentAfterCommands() {
    QFETCH(int, after);
    QFETCH(int, answered);
    ResponderOptions o;
    o.faults.silentAfter = after;
    Stv2Responder m(o);
    int got = 0;
    for (int i = 0; i < 10; ++i)
        got += !m.receive(writeCmd(i + 1, 0x33)).isEmpty();
    QCOMPARE(got, answered);
    // A silent module still takes the bytes, as one whose transmitter is broken would.
    QCOMPARE(int(m.memoryAt(10)), 0x33);
    QCOMPARE(m.commandCount(), 10);
}

void EmuResponderTest::silentSwitch() {
    Stv2Responder m;
    m.setSilent(true);
    QVERIFY(m.isSilent());
    QVERIFY(m.reply("@M0000*").isEmpty());
    m.setSilent(false);
    QCOMPARE(m.reply("@M0000*"), bytes({90, '*'}));
}

void EmuResponderTest::portDeliversAfterDelays() {
    ResponderOptions o;
    o.latencyMs = 10;
    o.faults.splitRate = 1;
    o.faults.splitGapMs = 20;
    FakeModule port(o);
    port.setTickMs(0);
    port.send("@S0000*");
    QCOMPARE(port.sentBytes(), QByteArray()); // not open: lost, as on a real port
    QVERIFY(port.open(1));
    port.send("@S0000*");
    QCOMPARE(port.bytesWaiting(), 0);
    port.advance(9);
    QCOMPARE(port.bytesWaiting(), 0);
    port.advance(1);
    const qint64 first = port.bytesWaiting();
    QVERIFY(first >= 1 && first <= 4);
    port.advance(19);
    QCOMPARE(port.bytesWaiting(), first);
    port.advance(1);
    QCOMPARE(port.bytesWaiting(), 5);
    QCOMPARE(port.read(100), bytes({0, 0, 0, 0, '*'}));
    QCOMPARE(port.sentBytes(), QByteArray("@S0000*"));
    // Discarding drops what has arrived; a port that cannot be opened stays closed.
    port.send("@M0000*");
    port.advance(100);
    port.discardInput();
    QCOMPARE(port.bytesWaiting(), 0);
    port.close();
    port.setPresent(false);
    QVERIFY(!port.open(1));
}

// Whatever the line carries, the module neither crashes nor loses its footing: after a short run
// of noise it answers the next command as usual.
void EmuResponderTest::survivesArbitraryBytes() {
    quint32 state = 12345;
    const auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return state >> 24;
    };
    ResponderOptions o;
    o.capacity = 255;
    Stv2Responder m(o);
    for (int round = 0; round < 200; ++round) {
        QByteArray junk;
        const int n = static_cast<int>(next() % 64);
        for (int i = 0; i < n; ++i) {
            // Plenty of "@", "*" and command letters, so that near-commands are common.
            const quint32 r = next();
            junk += r < 40 ? '@' : r < 80 ? '*' : r < 120 ? "GMRWSUNTEF"[r % 10] : char(next());
        }
        for (const ReplyChunk& c : m.receive(junk)) {
            QVERIFY(!c.bytes.isEmpty() && c.bytes.size() <= 10);
            QCOMPARE(c.bytes.back(), '*');
        }
        m.receive(QByteArray(10, '\x01'));
        QCOMPARE(m.reply("@M0000*"), bytes({255, '*'}));
    }
    QVERIFY(m.commandCount() > 200);
}

// The module's write time holds back a write's acknowledgement, and no other reply.
void EmuResponderTest::writeTimeDelaysOnlyWriteAcks() {
    ResponderOptions o;
    o.writeMs = 40;
    Stv2Responder m(o);
    QCOMPARE(m.receive(readCmd(5)), (QList<ReplyChunk>{{0, bytes({0, '*'})}}));
    QCOMPARE(m.receive(writeCmd(5, 0x5A)), (QList<ReplyChunk>{{40, "Y*"}}));
}

QTEST_APPLESS_MAIN(EmuResponderTest)
#include "emu_responder.moc"
