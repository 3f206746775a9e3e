#include "link/protocol.h"
#include "link/transferprogress.h"
#include "link/transfers.h"

#include "support/bytes.h"

#include <QtTest>

namespace {
std::vector<std::uint32_t> span(std::uint32_t first, std::uint32_t last) {
    std::vector<std::uint32_t> v;
    for (std::uint32_t a = first; a <= last; ++a)
        v.push_back(a);
    return v;
}
} // namespace

class LinkProtocolTest : public QObject {
    Q_OBJECT
private slots:
    void commands_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("identify has a trailing blank")
            << protocol::identifyCommand() << QByteArray("@G0000* ");
        QTest::newRow("capacity") << protocol::capacityCommand() << QByteArray("@M0000*");
        QTest::newRow("status") << protocol::statusCommand() << QByteArray("@S0000*");
        QTest::newRow("expansion status")
            << protocol::expansionStatusCommand() << QByteArray("@U0000*");
        QTest::newRow("read low byte first")
            << protocol::readByteCommand(0x08C3) << bytes({'@', 'R', 0xC3, 0x08, '0', '0', '*'});
        QTest::newRow("read an address that looks like framing")
            << protocol::readByteCommand(0x2A40) << bytes({'@', 'R', '@', '*', '0', '0', '*'});
        QTest::newRow("write repeats the low byte")
            << protocol::writeByteCommand(0x0123, 0x5A)
            << bytes({'@', 'W', 0x23, 0x01, 0x5A, 0x23, '*'});
        QTest::newRow("write of a zero value")
            << protocol::writeByteCommand(1, 0) << bytes({'@', 'W', 1, 0, 0, 1, '*'});
        QTest::newRow("signal") << protocol::signalCommand(7, 0xFF)
                                << bytes({'@', 'N', 7, 0xFF, 1, 1, '*'});
        QTest::newRow("point machine")
            << protocol::pointMachineCommand(3, 8) << bytes({'@', 'T', 3, 8, 1, 1, '*'});
        QTest::newRow("relays") << protocol::relaysCommand(0x12, 0x34)
                                << bytes({'@', 'E', 0x12, 0x34, 1, 1, '*'});
        QTest::newRow("expansion relays") << protocol::expansionRelaysCommand(0x12, 0x34)
                                          << bytes({'@', 'F', 0x12, 0x34, 1, 1, '*'});
        QTest::newRow("simulation frame keeps zero bytes")
            << protocol::simulationFrame({0x60, 0x20, 0, 0xFF, 0, '*', '@', 0})
            << bytes({'@', 0x60, 0x20, 0, 0xFF, 0, '*', '@', 0, '*'});
    }
    void commands() {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, expected);
        QCOMPARE(command.toHex(' '), expected.toHex(' '));
    }

    void identifyReplies_data() {
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("text");
        QTest::newRow("short") << bytes({'S', 0x30, '*'}) << true << "V 3.0";
        QTest::newRow("long with letter") << bytes({'S', 0x25, 'b', '*'}) << true << "V 2.5b";
        QTest::newRow("both forms: long wins") << bytes({'S', 0x30, '*', '*'}) << true << "V 3.0*";
        QTest::newRow("nibbles in decimal") << bytes({'S', 0xAF, '*'}) << true << "V 10.15";
        QTest::newRow("short with trailing junk")
            << bytes({'S', 0x31, '*', 'x', 'y'}) << true << "V 3.1";
        QTest::newRow("too short") << bytes({'S', 0x30}) << false << "";
        QTest::newRow("wrong first byte") << bytes({'T', 0x30, '*'}) << false << "";
        QTest::newRow("star elsewhere is not searched for")
            << bytes({'x', 'S', 0x30, '*'}) << false << "";
    }
    void identifyReplies() {
        QFETCH(QByteArray, buffer);
        QFETCH(bool, accepted);
        QFETCH(QString, text);
        protocol::IdentifyReply r;
        QCOMPARE(protocol::matchIdentify(buffer, r), accepted);
        if (accepted)
            QCOMPARE(protocol::versionText(r), text);
    }

    void fixedPositionReplies_data() {
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<bool>("byteReply");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("ack");
        QTest::addColumn<bool>("statusReply");
        QTest::addColumn<bool>("simulationReply");
        QTest::newRow("value") << bytes({0x41, '*'}) << true << 0x41 << false << false << false;
        QTest::newRow("value that is a star")
            << bytes({'*', '*'}) << true << 0x2A << false << false << false;
        QTest::newRow("value Y reads as a byte and an ack")
            << bytes({'Y', '*'}) << true << int('Y') << true << false << false;
        QTest::newRow("one byte") << bytes({0x11}) << false << 0 << false << false << false;
        QTest::newRow("a lone star") << bytes({'*'}) << false << 0 << false << false << false;
        // A late reply read together with the next one: never taken, even when both agree (both
        // may be stragglers).
        QTest::newRow("two agreeing")
            << bytes({7, '*', 7, '*'}) << false << 0 << false << false << false;
        QTest::newRow("two acks") << bytes({'Y', '*', 'Y', '*'}) << false << 0 << false << false
                                  << false;
        QTest::newRow("two disagreeing")
            << bytes({7, '*', 8, '*'}) << false << 0 << false << false << false;
        QTest::newRow("ack then another reply")
            << bytes({'Y', '*', 'N', '*'}) << false << 0 << false << false << false;
        QTest::newRow("half a reply more")
            << bytes({7, '*', 7}) << false << 0 << false << false << false;
        QTest::newRow("no star") << bytes({7, 7}) << false << 0 << false << false << false;
        QTest::newRow("star first is not a byte reply")
            << bytes({'*', 0x11}) << false << 0 << false << false << false;
        QTest::newRow("wrong ack")
            << bytes({'N', '*'}) << true << int('N') << false << false << false;
        QTest::newRow("status") << bytes({1, 2, 3, 4, '*'}) << false << 0 << false << true << false;
        QTest::newRow("status incomplete")
            << bytes({1, 2, 3, 4}) << false << 0 << false << false << false;
        QTest::newRow("simulation exactly ten")
            << bytes({0, 0x63, 5, 0, 0, 0, 0, 0, 0, '*'}) << false << 0 << false << false << true;
        QTest::newRow("simulation eleven ignored") << bytes({0, 0x63, 5, 0, 0, 0, 0, 0, 0, '*', 0})
                                                   << false << 0 << false << false << false;
    }
    void fixedPositionReplies() {
        QFETCH(QByteArray, buffer);
        QFETCH(bool, byteReply);
        QFETCH(int, value);
        QFETCH(bool, ack);
        QFETCH(bool, statusReply);
        QFETCH(bool, simulationReply);
        std::uint8_t v = 0;
        QCOMPARE(protocol::matchReadByte(buffer, v), byteReply);
        if (byteReply)
            QCOMPARE(int(v), value);
        QCOMPARE(protocol::matchWriteAck(buffer), ack);
        protocol::StatusValues s;
        QCOMPARE(protocol::matchStatus(buffer, s), statusReply);
        QCOMPARE(protocol::matchExpansionStatus(buffer, s), statusReply);
        protocol::SimulationValues sim;
        QCOMPARE(protocol::matchSimulation(buffer, sim), simulationReply);
    }

    void progressRounding_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("percent");
        QTest::newRow("start") << 0 << 61 << 0;
        QTest::newRow("end") << 61 << 61 << 100;
        QTest::newRow("half down to even 12") << 1 << 8 << 12;
        QTest::newRow("half up to even 38") << 3 << 8 << 38;
        QTest::newRow("half down to even 62") << 5 << 8 << 62;
        QTest::newRow("half to even 0") << 1 << 200 << 0;
        QTest::newRow("half to even 2") << 3 << 200 << 2;
        QTest::newRow("below half") << 1 << 2243 << 0;
        QTest::newRow("above half") << 12 << 2243 << 1;
        QTest::newRow("route store 1 of 23") << 1 << 23 << 4;
        QTest::newRow("no division by zero") << 0 << 0 << 100;
    }
    void progressRounding() {
        QFETCH(int, position);
        QFETCH(int, end);
        QFETCH(int, percent);
        QCOMPARE(TransferProgress::percent(position, end), percent);
    }

    // Read or verify 1..3 of an image starting 9 5 6 7 9, or store 300, 2 and `last`. Events: a
    // byte that came, "a" an acknowledgement, "-" no reply. Traced: address and progress, "r"
    // another attempt, "F" none; after "|" a finished read's bytes 0..4 or a verify's finds.
    void transferProgress_data() {
        QTest::addColumn<char>("kind");
        QTest::addColumn<int>("last");
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("trace");
        QTest::newRow("read") << 'R' << 3 << "123"
                              << "1=33 2=67 3=100 | 9 1 2 3 9";
        QTest::newRow("three attempts a byte") << 'R' << 3 << "-1--2---"
                                               << "1r 1=33 2r 2r 2=67 3r 3r 3F |";
        QTest::newRow("verify") << 'V' << 3 << "597"
                                << "1=33 2=67 3=100 | 2:6>9";
        QTest::newRow("store past the image") << 'S' << 3004 << "aaa"
                                              << "300=0 2=50 -1=100 |";
    }
    void transferProgress() {
        QFETCH(char, kind);
        QFETCH(int, last);
        QFETCH(QString, events);
        Image image{9, 5, 6, 7, 9};
        TransferProgress t;
        if (kind == 'S')
            t.startStore({300, 2, static_cast<std::uint32_t>(last)});
        else
            kind == 'R' ? t.startRead(image, last) : t.startVerify(last);
        QStringList got;
        for (QChar e : events) {
            const QString at = QString::number(t.address());
            if (e == QLatin1Char('-'))
                got << at + (t.retry() ? "r" : "F");
            else
                got << at + "=" +
                           QString::number(e == QLatin1Char('a') ? t.acknowledge()
                                                                 : t.accept(e.digitValue(), image));
        }
        got << "|";
        if (kind == 'R' && t.finished()) {
            std::copy(t.sentImage().begin() + 1, t.sentImage().begin() + t.end() + 1,
                      image.begin() + 1);
            for (int a = 0; a < 5; ++a)
                got << QString::number(image[a]);
        }
        for (const auto& d : t.differences())
            got << QStringLiteral("%1:%2>%3").arg(d.address).arg(d.imageValue).arg(d.moduleValue);
        QTEST(got.join(' '), "trace");
    }

    void storeAddresses_data() {
        QTest::addColumn<int>("choice");
        QTest::addColumn<int>("route");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<bool>("starts");
        QTest::addColumn<std::vector<std::uint32_t>>("list");
        std::vector<std::uint32_t> route1{64, 65};
        for (std::uint32_t a : span(264, 285))
            route1.push_back(a);
        std::vector<std::uint32_t> route90{242, 243};
        for (std::uint32_t a : span(2222, 2243))
            route90.push_back(a);
        QTest::newRow("header") << 0 << 5 << 90 << true << span(1, 62);
        QTest::newRow("header ignores a bad capacity") << 0 << 5 << 255 << true << span(1, 62);
        QTest::newRow("all, 90 routes") << 1 << 5 << 90 << true << span(1, 2243);
        QTest::newRow("all, 20 routes") << 1 << 5 << 20 << true << span(1, 703);
        QTest::newRow("all, 100 routes") << 1 << 5 << 100 << true << span(1, 2463);
        QTest::newRow("all refused below 20")
            << 1 << 5 << 19 << false << std::vector<std::uint32_t>{};
        QTest::newRow("all refused above 100")
            << 1 << 5 << 101 << false << std::vector<std::uint32_t>{};
        QTest::newRow("all refused at 255 from Test comm")
            << 1 << 5 << 255 << false << std::vector<std::uint32_t>{};
        QTest::newRow("route 1") << 2 << 1 << 90 << true << route1;
        QTest::newRow("route 90") << 2 << 90 << 90 << true << route90;
        QTest::newRow("route 0 refused") << 2 << 0 << 90 << false << std::vector<std::uint32_t>{};
        QTest::newRow("route 91 refused")
            << 2 << 91 << 100 << false << std::vector<std::uint32_t>{};
        QTest::newRow("nothing chosen") << -1 << 1 << 90 << false << std::vector<std::uint32_t>{};
    }
    void storeAddresses() {
        QFETCH(int, choice);
        QFETCH(int, route);
        QFETCH(int, capacity);
        QFETCH(bool, starts);
        QFETCH(std::vector<std::uint32_t>, list);
        const auto got = transfers::storeAddresses(choice, route, capacity);
        QCOMPARE(got.has_value(), starts);
        if (starts) {
            QCOMPARE(got->size(), list.size());
            QVERIFY(*got == list);
            QVERIFY(std::find(got->begin(), got->end(), 0u) == got->end());
        }
    }
};

QTEST_APPLESS_MAIN(LinkProtocolTest)
#include "link_protocol.moc"
