#include "link_emu.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>

using namespace linke2e;

// stavnikctl against a module holding base.txt; edited.txt differs from it in two bytes.
class LinkCliStopTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QByteArray contents(const QString& name) { return fileBytes(dir.filePath(name)); }

private slots:
    void run_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("signal"); // sent once the module has taken 20 commands
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("commands"); // that reach the module; -1: any
        const QStringList changed{"store", "edited.txt", "--what", "all", "--only-changed"};
        QTest::newRow("read, Ctrl-C") << QStringList{"read", "edited.txt"} << SIGINT << 130 << -1;
        QTest::newRow("store, SIGTERM")
            << QStringList{"store", "edited.txt", "--what=all"} << SIGTERM << 143 << -1;
        // The capacity twice; a probe, two writes, a probe, two reads back, a probe.
        QTest::newRow("only changed: capacity, 2 writes")
            << changed + QStringList{"base.txt"} << 0 << 0 << 9;
        QTest::newRow("nothing changed") << changed + QStringList{"edited.txt"} << 0 << 0 << 2;
        QTest::newRow("base missing") << changed + QStringList{"none.txt"} << 0 << 2 << 0;
    }
    void run() {
        QFETCH(QStringList, args);
        QFETCH(int, signal);
        QFETCH(int, code);
        QFETCH(int, commands);
        ConfigStore config = randomConfig(42);
        QVERIFY(writeConfig(dir.filePath("base.txt"), config));
        config.image[image::blockAddress(3)] ^= 0x01;
        config.image[image::blockAddress(3) + 21] ^= 0x80;
        QVERIFY(writeConfig(dir.filePath("edited.txt"), config));
        const QByteArray original = contents("edited.txt");
        // A command answered too late for a busy machine is asked again, which the count would
        // take for one too many: then it all runs again on a fresh module, twice at most.
        int exit = -1;
        int sent = -1;
        for (int i = 0; i < 3 && (i == 0 || (commands >= 0 && (sent != commands || exit != code)));
             ++i) {
            const QString log = QStringLiteral("%1-%2.log").arg(QTest::currentDataTag()).arg(i);
            EmulatorProcess emu;
            QVERIFY(emu.start(
                {"--no-pacing", "--log", dir.filePath(log), "--load", dir.filePath("base.txt")}));
            emu.holdOpen();
            QProcess p;
            p.setWorkingDirectory(dir.path());
            p.start(kCtl, args + QStringList{"--port", emu.device, "--tick=5"});
            // Mid-transfer however long the program takes to start (Wine takes seconds).
            if (signal) {
                QTRY_VERIFY_WITH_TIMEOUT(contents(log).count("] #") >= 20, 60000);
                ::kill(static_cast<pid_t>(p.processId()), signal);
            }
            QVERIFY(p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit);
            exit = p.exitCode();
            sent = int(contents(log).count("] #"));
        }
        QCOMPARE(exit, code);
        // No file written, and no more commands than needed.
        QVERIFY(commands < 0 ? sent > 10 : sent == commands);
        QCOMPARE(contents("edited.txt"), original);
    }
};

QTEST_GUILESS_MAIN(LinkCliStopTest)
#include "link_clistop.moc"
