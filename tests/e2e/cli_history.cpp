#include "link_emu.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <signal.h>

using namespace linke2e;

class CliHistoryTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QByteArray contents(const QString& name) { return fileBytes(dir.filePath(name)); }
    // stavnikctl with its history in `dataHome`; SIGTERM once `stopWhen` holds.
    QProcess* ctl(const QStringList& args, const QString& dataHome,
                  const std::function<bool()>& stopWhen = {}) {
        auto* p = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(dir.path());
        p->start(kCtl, args);
        if (stopWhen && QTest::qWaitFor([&] { return stopWhen() || !p->processId(); }, 60000) &&
            p->processId() > 0) // 0 once it ended: kill(0) would stop the test itself
            ::kill(static_cast<pid_t>(p->processId()), SIGTERM);
        p->waitForFinished(60000);
        return p;
    }
    static bool lostToTheLine(QProcess* p) {
        return linke2e::lostToTheLine(p->exitCode(), QString::fromUtf8(p->readAllStandardError()));
    }
    int commandsIn(const QString& log) { return int(contents(log).count("] #")); }

    // One run of readStoreExport(); `lost` when a step was lost to the line.
    void readStoreExportOnce(const QString& name, bool& lost) {
        const QString data = dir.filePath(name);
        ConfigStore f1 = randomConfig(7);
        QVERIFY(writeConfig(dir.filePath("f1.txt"), f1));
        QVERIFY(writeConfig(dir.filePath("f2.txt"), randomConfig(8)));
        QVERIFY(writeConfig(dir.filePath("base.txt"), randomConfig(9)));
        const QString log = name + QStringLiteral(".log");
        EmulatorProcess emu;
        QVERIFY(emu.start(
            {"--no-pacing", "--log", dir.filePath(log), "--load", dir.filePath("base.txt")}));
        emu.holdOpen();
        const QStringList port{"--port", emu.device, "--tick=5"};
        const QList<QPair<QStringList, bool>> steps{
            {{"read", "r1.txt"}, false},
            {{"store", "f1.txt", "--what", "route=3"}, false},
            {{"store", "f1.txt", "--what", "all", "--backup-first"}, false},
            {{"read", "r2.txt"}, false},
            {{"store", "f2.txt", "--what", "all"}, true},
            {{"verify", "f1.txt"}, false},
            {{"read", "r3.txt"}, false},
        };
        // At the line's speed, but the store that is stopped part-way, forty commands in.
        for (const auto& step : steps) {
            const int before = commandsIn(log);
            std::function<bool()> stopWhen;
            if (step.second)
                stopWhen = [&] { return commandsIn(log) >= before + 40; };
            QProcess* p = ctl(step.first + port + QStringList(step.second ? "--tick=5" : "--fast"),
                              data, stopWhen);
            QCOMPARE(p->exitStatus(), QProcess::NormalExit);
            if ((lost = lostToTheLine(p)))
                return;
        }

        QProcess* list = ctl({"history"}, data);
        QCOMPARE(list->exitCode(), 0);
        const QStringList lines =
            QString::fromUtf8(list->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QStringList kinds;
        for (const QString& line : lines)
            kinds << line.split(QStringLiteral("  ")).at(2);
        QCOMPARE(kinds, (QStringList{"read", "verify different", "store all cancelled", "read",
                                     "store all", "read", "store route=3", "read"}));
        QVERIFY(lines.at(6).endsWith(QStringLiteral("partial, known 68-69,308-329")));
        QVERIFY(lines.at(2).contains(QStringLiteral("partial, known 1-")));

        // Before the whole store the module held r1 with route 3 of f1.
        ConfigStore backup;
        QVERIFY(readConfig(dir.filePath("r1.txt"), backup));
        for (std::uint32_t a : {68u, 69u})
            backup.image[a] = f1.image[a];
        for (int a = image::blockAddress(3); a < image::blockAddress(4); ++a)
            backup.image[std::size_t(a)] = f1.image[std::size_t(a)];
        QVERIFY(writeConfig(dir.filePath("backup.txt"), backup));
        const QList<QPair<int, QString>> exports{{1, "r3.txt"}, {2, "r3.txt"},     {4, "r2.txt"},
                                                 {5, "r2.txt"}, {6, "backup.txt"}, {8, "r1.txt"}};
        for (const auto& e : exports) {
            const QString out = QStringLiteral("e%1.txt").arg(e.first);
            QCOMPARE(ctl({"history", "export", QString::number(e.first), out}, data)->exitCode(),
                     0);
            QVERIFY2(contents(out) == contents(e.second), qPrintable(out));
        }
        QCOMPARE(ctl({"history", "export", "9", "e9.txt"}, data)->exitCode(), 2);
    }

private slots:
    // Read, store a route, store everything after a backup read, a cancelled store, verify:
    // the history lists each in order, and every entry the module's contents are wholly known
    // after exports what a read found right then. Lost to the line, it starts again afresh.
    void readStoreExport() {
        bool lost = true;
        for (int i = 0; i < 3 && lost && !QTest::currentTestFailed(); ++i)
            readStoreExportOnce(QStringLiteral("data%1").arg(i), lost);
        QVERIFY(!lost);
    }

    // A history that cannot be written says so in one line; the read itself succeeds.
    void unwritableHistory() {
        QFile blocker(dir.filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        EmulatorProcess emu;
        QVERIFY(emu.startFast({}));
        emu.holdOpen();
        QProcess* p = ctl({"read", "r.txt", "--port", emu.device, "--fast"}, blocker.fileName());
        QCOMPARE(p->exitCode(), 0);
        QVERIFY(p->readAllStandardError().contains("Historie modulu nebyla zapsána"));
        QVERIFY(!contents("r.txt").isEmpty());
    }

    // A store that is to keep the module's contents first, with a history that cannot keep
    // them, writes nothing into the module and says why.
    void backupFirstWithoutHistory() {
        QFile blocker(dir.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        QVERIFY(writeConfig(dir.filePath("held.txt"), randomConfig(11)));
        QVERIFY(writeConfig(dir.filePath("new.txt"), randomConfig(12)));
        EmulatorProcess emu;
        QVERIFY(emu.startFast({"--load", dir.filePath("held.txt")}));
        emu.holdOpen();
        const QStringList port{"--port", emu.device, "--fast"};
        QProcess* p = ctl(QStringList{"store", "new.txt", "--what", "all", "--backup-first"} + port,
                          blocker.fileName());
        QCOMPARE(p->exitCode(), 2);
        const QString err = QString::fromUtf8(p->readAllStandardError());
        QVERIFY2(err.contains("Obsah modulu se nepodařilo uschovat do historie: v místě složky "
                              "historie je soubor"),
                 qPrintable(err));
        QProcess* verify = nullptr;
        for (int i = 0; i < 3 && (!verify || lostToTheLine(verify)); ++i)
            verify = ctl(QStringList{"verify", "held.txt"} + port, dir.filePath("kept"));
        QCOMPARE(verify->exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(CliHistoryTest)
#include "cli_history.moc"
