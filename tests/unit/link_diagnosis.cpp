#include "link/linediagnosis.h"

#include <QTest>

#include <cmath>

using namespace linediag;

namespace {
enum class Line { Clean, Beat16, Losses, Strays, Late, Silent };

// 48 reads sent at irregular times, as the tester sends them, answered as `line` answers.
std::vector<Exchange> recorded(Line line) {
    std::vector<Exchange> out;
    double t = 5;
    for (int i = 0; i < 48; ++i) {
        Exchange e;
        t += 35 + (i * 7919) % 23;
        e.sentAtMs = t;
        e.outcome = Outcome::Answered;
        const double direct = t + e.wireMs() + 0.6;
        e.replyAtMs = direct;
        if (line == Line::Beat16)
            e.replyAtMs = std::ceil(direct / 16) * 16 + 0.3;
        if ((line == Line::Losses && i % 8 == 3) || line == Line::Silent)
            e.outcome = Outcome::Lost;
        if (line == Line::Strays && i % 10 == 4)
            e.strayBytes = 2;
        if (line == Line::Late && i % 12 == 5) {
            e.replyAtMs = t + 200;
            e.outcome = Outcome::Late;
        }
        out.push_back(e);
    }
    return out;
}
} // namespace

Q_DECLARE_METATYPE(Line)
Q_DECLARE_METATYPE(LowLatency)

class LinkDiagnosisTest : public QObject {
    Q_OBJECT
private slots:
    void spread_data() {
        QTest::addColumn<QList<double>>("ms");
        QTest::addColumn<QList<double>>("expected"); // min, median, p95, max
        QTest::newRow("one") << QList<double>{7} << QList<double>{7, 7, 7, 7};
        QTest::newRow("twenty, any order")
            << QList<double>{20, 1, 19, 2, 18, 3, 17, 4, 16, 5, 15, 6, 14, 7, 13, 8, 12, 9, 11, 10}
            << QList<double>{1, 10, 19, 20};
    }
    void spread() {
        QFETCH(QList<double>, ms);
        QFETCH(QList<double>, expected);
        const Spread s = spreadOf(std::vector<double>(ms.begin(), ms.end()));
        QCOMPARE(QList<double>({s.min, s.median, s.p95, s.max}), expected);
        const Histogram h = histogramOf(std::vector<double>(ms.begin(), ms.end()));
        int counted = 0;
        for (int c : h.counts)
            counted += c;
        QCOMPARE(counted, ms.size());
    }

    void diagnosis_data() {
        QTest::addColumn<Line>("line");
        QTest::addColumn<LowLatency>("lowLatency");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<double>("beat");
        QTest::addColumn<QList<int>>("lateLostStray");
        QTest::addColumn<QString>("says");
        QTest::addColumn<QString>("neverSays");
        QTest::newRow("clean line") << Line::Clean << LowLatency::Unsupported << 0 << 0.0
                                    << QList<int>{0, 0, 0} << "Vhodný interval časovače: 15 ms"
                                    << "taktu";
        QTest::newRow("clean line, fast link helps")
            << Line::Clean << LowLatency::On << 0 << 0.0 << QList<int>{0, 0, 0}
            << "Rychlý přenos pomůže"
            << "chybami";
        QTest::newRow("16 ms beat on Windows")
            << Line::Beat16 << LowLatency::NotAvailable << 0 << 16.0 << QList<int>{0, 0, 0}
            << "„Latency Timer (msec)“ na 1 ms"
            << "latency_timer";
        QTest::newRow("16 ms beat, driver refused low latency")
            << Line::Beat16 << LowLatency::Unsupported << 0 << 16.0 << QList<int>{0, 0, 0}
            << "odmítl: zapište 1 do /sys/bus/usb-serial"
            << "Správce zařízení";
        QTest::newRow("losses") << Line::Losses << LowLatency::Unsupported << 1 << 0.0
                                << QList<int>{0, 6, 0} << "ztracených: 6"
                                << "taktu";
        QTest::newRow("strays") << Line::Strays << LowLatency::Unsupported << 1 << 0.0
                                << QList<int>{0, 0, 5} << "Cizí nebo poškozené bajty"
                                << "taktu";
        QTest::newRow("late replies") << Line::Late << LowLatency::Unsupported << 1 << 0.0
                                      << QList<int>{4, 0, 0} << "Pozdní odpovědi"
                                      << "taktu";
        QTest::newRow("silent module") << Line::Silent << LowLatency::Unsupported << 2 << 0.0
                                       << QList<int>{0, 48, 0} << "Linka nefunguje"
                                       << "Vhodný interval";
    }
    void diagnosis() {
        QFETCH(Line, line);
        QFETCH(LowLatency, lowLatency);
        QFETCH(int, exitCode);
        QFETCH(double, beat);
        QFETCH(QList<int>, lateLostStray);
        QFETCH(QString, says);
        QFETCH(QString, neverSays);
        const Diagnosis d = diagnose(recorded(line), 20, lowLatency);
        QCOMPARE(exitCodeOf(d.verdict), exitCode);
        QCOMPARE(d.beatMs, beat);
        QCOMPARE(QList<int>({d.late, d.lost, d.strayExchanges}), lateLostStray);
        const QString report = reportLines(d).join(QLatin1Char('\n'));
        QVERIFY2(report.contains(says), qPrintable(report));
        QVERIFY2(!report.contains(neverSays), qPrintable(report));
    }
};

QTEST_GUILESS_MAIN(LinkDiagnosisTest)
#include "link_diagnosis.moc"
