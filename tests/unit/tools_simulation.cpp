#include "tools/simulation.h"

#include <QtTest>

using namespace tools;

namespace {
using Data = std::array<std::uint8_t, 8>;

LinkEngine::SimulationReply reply(int signalA, int signalB, int answerA = 0, int counter = 0) {
    LinkEngine::SimulationReply r;
    r.requestedSignalA = static_cast<std::uint8_t>(signalA);
    r.requestedSignalB = static_cast<std::uint8_t>(signalB);
    r.answerA = static_cast<std::uint8_t>(answerA);
    r.replyCounter = counter;
    return r;
}

QString hex(const Data& d) {
    return QByteArray(reinterpret_cast<const char*>(d.data()), 8).toHex(' ');
}
} // namespace

Q_DECLARE_METATYPE(SimulationControls)
Q_DECLARE_METATYPE(LinkEngine::SimulationReply)

class ToolsSimulationTest : public QObject {
    Q_OBJECT
private slots:
    void answers_data() {
        QTest::addColumn<int>("requested");
        QTest::addColumn<int>("aspect"); // item index of the box the number names
        QTest::addColumn<int>("answer");
        QTest::newRow("signal 0 names no box") << 0 << 3 << 0;
        QTest::newRow("STUJ") << 1 << 0 << 0;
        QTest::newRow("40km/h") << 7 << 1 << 1;
        QTest::newRow("přivolávací n.") << 9 << 2 << 2;
        QTest::newRow("VOLNO on the last box") << 15 << 3 << 3;
        QTest::newRow("signal 16 names no box") << 16 << 3 << 0;
        QTest::newRow("signal 31 names no box") << 31 << 3 << 0;
        QTest::newRow("emptied box answers 3") << 4 << -1 << 3;
    }
    void answers() {
        QFETCH(int, requested);
        QFETCH(int, aspect);
        QFETCH(int, answer);
        std::array<int, kNeighbourSignals> aspects{};
        // Every other box on a different code, so a wrong box gives a wrong answer.
        for (int i = 0; i < kNeighbourSignals; ++i)
            aspects[i] = (i + 2) % 4;
        if (requested >= 1 && requested <= kNeighbourSignals)
            aspects[requested - 1] = aspect;
        else
            aspects.fill(aspect);
        QCOMPARE(int(neighbourAnswer(requested, aspects)), answer);
    }

    void frames_data() {
        QTest::addColumn<SimulationControls>("controls");
        QTest::addColumn<LinkEngine::SimulationReply>("last");
        QTest::addColumn<QString>("data");

        SimulationControls c;
        QTest::newRow("nothing changed") << c << reply(0, 0) << "00 00 00 00 00 00 00 00";

        SimulationControls asked;
        asked.aspects[2] = 3; // Návěst 3: VOLNO
        asked.aspects[4] = 1; // Návěst 5: 40km/h
        QTest::newRow("questions about 3 and 5")
            << asked << reply(3, 5, 3) << "60 20 00 00 00 00 00 00";
        SimulationControls request = asked;
        request.requestSignal = 21;
        QTest::newRow("own question rides in the low bits")
            << request << reply(3, 5) << "75 20 00 00 00 00 00 00";
        request.requestSignal = 0x3F;
        QTest::newRow("own question keeps five bits")
            << request << reply(0, 0) << "1f 00 00 00 00 00 00 00";

        SimulationControls inputs;
        inputs.sensors = 0x0100;   // S9
        inputs.detectors = 0x8000; // D16
        QTest::newRow("S9 and D16") << inputs << reply(0, 0) << "00 00 00 00 00 80 01 00";
        inputs.sensors = 0x0081;   // S1, S8
        inputs.detectors = 0x0102; // D2, D9
        QTest::newRow("low and high input bytes")
            << inputs << reply(0, 0) << "00 00 00 02 81 01 00 00";

        SimulationControls track;
        track.trackNumber = 5;
        track.trackOccupancy = 2;
        QTest::newRow("track without developer mode")
            << track << reply(0, 0) << "00 00 00 00 00 00 00 00";
        track.developer = true;
        QTest::newRow("track in developer mode")
            << track << reply(0, 0) << "00 00 25 00 00 00 00 00";
        track.trackNumber = 15;
        track.trackOccupancy = 15;
        QTest::newRow("track byte full") << track << reply(0, 0) << "00 00 ff 00 00 00 00 00";

        SimulationControls empty;
        empty.aspects.fill(-1);
        QTest::newRow("emptied boxes answer 3 to both")
            << empty << reply(1, 15) << "60 60 00 00 00 00 00 00";
        QTest::newRow("questions out of range answer 0")
            << empty << reply(16, 31) << "00 00 00 00 00 00 00 00";
    }
    void frames() {
        QFETCH(SimulationControls, controls);
        QFETCH(LinkEngine::SimulationReply, last);
        QFETCH(QString, data);
        QCOMPARE(hex(simulationData(controls, last)), data);
    }

    void labels_data() {
        QTest::addColumn<LinkEngine::SimulationReply>("last");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("start") << reply(0, 0) << QStringList{"0", "0", "0", "0"};
        QTest::newRow("after replies") << reply(3, 5, 3, 12) << QStringList{"12", "3", "5", "3"};
        QTest::newRow("wide numbers")
            << reply(31, 17, 2, 100000) << QStringList{"100000", "31", "17", "2"};
    }
    void labels() {
        QFETCH(LinkEngine::SimulationReply, last);
        QFETCH(QStringList, texts);
        const SimulationLabels l = simulationLabels(last);
        QCOMPARE((QStringList{l.replies, l.signalA, l.signalB, l.answerA}), texts);
    }
};

QTEST_APPLESS_MAIN(ToolsSimulationTest)
#include "tools_simulation.moc"
