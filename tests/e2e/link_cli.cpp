#include "link_emu.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace linke2e;

namespace {
struct Result {
    int code = -1;
    QString out;
    QString err;
};

// `stdoutTo`: a file for standard output; empty: captured.
Result ctl(const QStringList& args, const QString& configHome, const QString& stdoutTo = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    p.setProcessEnvironment(env);
    if (!stdoutTo.isEmpty())
        p.setStandardOutputFile(stdoutTo);
    p.start(kCtl, args);
    Result r;
    if (!p.waitForFinished(120000))
        return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}
} // namespace

class LinkCliTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    int fileNo = 0;
    QString file(const char* stem) {
        return dir.filePath(QStringLiteral("%1-%2.txt").arg(QLatin1String(stem)).arg(++fileNo));
    }
    Result run(QStringList args, const EmulatorProcess& emu, const QString& stdoutTo = {}) {
        args << QStringLiteral("--port") << emu.device << QStringLiteral("--tick=5");
        return ctl(args, dir.path(), stdoutTo);
    }
    // Lost to the line (lostToTheLine), run again, twice at most.
    Result runToTheEnd(const QStringList& args, const EmulatorProcess& emu,
                       const QString& stdoutTo = {}) {
        Result r = run(args, emu, stdoutTo);
        for (int i = 0; i < 2 && lostToTheLine(r); ++i)
            r = run(args, emu, stdoutTo);
        return r;
    }
    static bool lostToTheLine(const Result& r) { return linke2e::lostToTheLine(r.code, r.err); }

private slots:
    void identify_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("current") << QStringList{} << "V 3.0\nMax.cest:90\n"
                                 << "";
        QTest::newRow("old firmware")
            << QStringList{"--firmware", "2.5b", "--capacity", "70"} << "V 2.5b\nMax.cest:70\n"
            << "Tento SW nelze použít pro konfiguraci, aktualizujte funkci Stavníka na V3.0!\n";
    }
    void identify() {
        QFETCH(QStringList, args);
        QFETCH(QString, out);
        QFETCH(QString, err);
        EmulatorProcess emu;
        QVERIFY(emu.startFast(args));
        emu.holdOpen();
        const Result r = runToTheEnd({"identify"}, emu);
        QCOMPARE(r.err, err);
        QCOMPARE(r.out, out);
        QCOMPARE(r.code, 0);
    }

    void identifySilentModule() {
        EmulatorProcess emu;
        QVERIFY(emu.startFast({"--silent-after", "0"}));
        emu.holdOpen();
        const Result r = run({"identify"}, emu);
        QCOMPARE(r.code, 2);
        QCOMPARE(r.out, QStringLiteral("??\n??\n"));
    }

    void readVerifyStore() {
        const ConfigStore module = randomConfig(31);
        const QString loaded = file("module");
        QVERIFY(writeConfig(loaded, module));
        const QString saved = file("saved");
        EmulatorProcess emu;
        QVERIFY(emu.startFast({"--capacity", "20", "--load", loaded, "--save", saved}));
        emu.holdOpen();

        // read: the file holds the module's bytes of its 20 routes, zero beyond.
        const QString out = file("read");
        Result r = runToTheEnd({"read", out}, emu);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.code, 0);
        ConfigStore read;
        QVERIFY(readConfig(out, read));
        for (int a = 1; a < image::kConfigSize; ++a)
            QCOMPARE(read.image[a], a <= 703 ? module.image[a] : 0);

        r = runToTheEnd({"verify", out}, emu);
        QCOMPARE(r.out, QStringLiteral("Data v modulu jsou shodná\n"));
        QCOMPARE(r.code, 0);

        ConfigStore changed = read;
        changed.image[0x123] = 0x5A;
        changed.image[0x2BF] = static_cast<std::uint8_t>(module.image[0x2BF] ^ 0xFF);
        const QString changedFile = file("changed");
        QVERIFY(writeConfig(changedFile, changed));
        r = runToTheEnd({"verify", changedFile}, emu);
        QCOMPARE(r.code, 1);
        const auto hex = [](int v) {
            return QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper();
        };
        QCOMPARE(r.out, QStringLiteral("Data v modulu jsou rozdílná !\n"
                                       "0123: file 5A module %1\n"
                                       "02BF: file %2 module %3\n")
                            .arg(hex(module.image[0x123]), hex(changed.image[0x2BF]),
                                 hex(module.image[0x2BF])));

        // store route=2 then everything; the module ends up with the changed file's bytes.
        r = runToTheEnd({"store", changedFile, "--what", "route=2"}, emu);
        QCOMPARE(r.code, 0);
        r = runToTheEnd({"store", changedFile, "--what=all"}, emu);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.code, 0);
        // One line, as the window's note.
        QVERIFY2(QRegularExpression(
                     QStringLiteral("^Do modulu: \\d+ bajtů uloženo a ověřeno, \\d+,\\d s\n$"))
                     .match(r.out)
                     .hasMatch(),
                 qPrintable(r.out));
        QVERIFY(emu.stop());
        ConfigStore after;
        QVERIFY(readConfig(saved, after));
        for (int a = 1; a <= 703; ++a)
            QCOMPARE(after.image[a], changed.image[a]);
    }

    void storeHeaderOnly() {
        const QString saved = file("saved");
        EmulatorProcess emu;
        QVERIFY(emu.startFast({"--save", saved}));
        emu.holdOpen();
        const ConfigStore config = randomConfig(32);
        const QString in = file("in");
        QVERIFY(writeConfig(in, config));
        QCOMPARE(runToTheEnd({"store", in, "--what", "header"}, emu).code, 0);
        QVERIFY(emu.stop());
        ConfigStore after;
        QVERIFY(readConfig(saved, after));
        for (int a = 0; a < image::kConfigSize; ++a)
            QCOMPARE(after.image[a], a >= 1 && a <= 62 ? config.image[a] : 0);
    }

    void failures_data() {
        QTest::addColumn<QStringList>("emuArgs");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("err");
        QTest::newRow("read from a module that falls silent")
            << QStringList{"--silent-after", "40"} << "read"
            << "Chyba čtení dat !\nAdresa 38 (0026): bajt 38 hlavičky. Pokusů: 3.\n";
        QTest::newRow("verify with a capacity out of range")
            << QStringList{"--capacity", "101"} << "verify"
            << "Chyba čtení dat !\nModul hlásí 101 cest, platný počet je 20 až 100.\n";
        QTest::newRow("store to a module that falls silent")
            << QStringList{"--silent-after", "40"} << "store"
            << "Chyba zapisu dat !\nAdresa 38 (0026): bajt 38 hlavičky. Pokusů: 3.\n";
        QTest::newRow("store all with a capacity out of range")
            << QStringList{"--capacity", "19"} << "store"
            << "Chyba zapisu dat !\nModul hlásí 19 cest, platný počet je 20 až 100.\n";
    }
    void failures() {
        QFETCH(QStringList, emuArgs);
        QFETCH(QString, command);
        QFETCH(QString, err);
        const QString in = file("in");
        QVERIFY(writeConfig(in, randomConfig(33)));
        const QString out = file("out");
        QStringList args{command, command == QLatin1String("read") ? out : in};
        if (command == QLatin1String("store"))
            args << QStringLiteral("--what") << QStringLiteral("all");
        // A byte lost to the line before the module falls silent: again, on a fresh module.
        Result r;
        for (int i = 0; i < 3 && (i == 0 || (r.err != err && lostToTheLine(r))); ++i) {
            EmulatorProcess emu;
            QVERIFY(emu.startFast(emuArgs));
            emu.holdOpen();
            r = run(args, emu);
        }
        QCOMPARE(r.code, 2);
        QCOMPARE(r.err, err);
        QVERIFY(!QFile::exists(out));
    }

    // What came over the line is never lost: when the save fails, a file in the temporary
    // folder holds it and stderr names that file.
    void readKeptWhenTheSaveFails() {
        const QString loaded = file("module");
        QVERIFY(writeConfig(loaded, randomConfig(34)));
        EmulatorProcess emu;
        QVERIFY(emu.startFast({"--load", loaded}));
        emu.holdOpen();
        const Result r = runToTheEnd({"read", "-"}, emu, QStringLiteral("/dev/full"));
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains("standard output: No space left on device"), qPrintable(r.err));
        const QString kept = r.err.section(QStringLiteral("is kept in "), 1).trimmed();
        QVERIFY(kept.startsWith(QDir::tempPath() + "/stavnikctl-read-"));
        ConfigStore read;
        QVERIFY(readConfig(kept, read));
        QFile::remove(kept);
        QVERIFY(read.image == randomConfig(34).image);
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("store without --what") << QStringList{"store", "x.txt"};
        QTest::newRow("bad route") << QStringList{"store", "x.txt", "--what", "route=91"};
        QTest::newRow("bad tick") << QStringList{"identify", "--tick", "0"};
        QTest::newRow("tick above the settings' bound") << QStringList{"read", "x", "--tick=1001"};
        QTest::newRow("read without file") << QStringList{"read"};
        QTest::newRow("unknown option") << QStringList{"verify", "x.txt", "--speed", "1"};
    }
    void usageErrors() {
        QFETCH(QStringList, args);
        const Result r = ctl(args, dir.path());
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains(QLatin1String("usage: stavnikctl ")));
        QCOMPARE(r.err.count(QLatin1String("usage:")), 1);
    }

    // A COM number goes through the settings file's mapping, written either way.
    void portByNumber_data() {
        QTest::addColumn<QString>("port");
        QTest::newRow("number") << "7";
        QTest::newRow("COM name") << "COM7";
        QTest::newRow("lower case") << "com7";
    }
    void portByNumber() {
        QFETCH(QString, port);
        EmulatorProcess emu;
        QVERIFY(emu.startFast({}));
        emu.holdOpen();
        QDir(dir.path()).mkpath(QStringLiteral("stavnik-cfg"));
        QFile ini(dir.filePath(QStringLiteral("stavnik-cfg/stavnikCFG.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(QStringLiteral("[Ports]\nCOM7=%1\n").arg(emu.device).toUtf8());
        ini.close();
        Result r = ctl({"identify", "--tick=5", "--port", port}, dir.path());
        for (int i = 0; i < 2 && lostToTheLine(r); ++i)
            r = ctl({"identify", "--tick=5", "--port", port}, dir.path());
        QFile::remove(ini.fileName());
        QCOMPARE(r.err, QString());
        QCOMPARE(r.out, QStringLiteral("V 3.0\nMax.cest:90\n"));
        QCOMPARE(r.code, 0);
    }

    void missingPort() {
        const Result r = ctl({"identify", "--port", dir.filePath("none")}, dir.path());
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.startsWith(QStringLiteral("Chyba otevření  ")));
    }

    // Behind a modelled USB adapter with a 16 ms latency timer, linktest names the beat and
    // what to do about it, and its trace holds every byte of its exchanges.
    void linktestNamesTheAdapterBeat() {
        EmulatorProcess emu;
        QVERIFY(emu.start({"--adapter-latency", "16", "--quiet"}));
        emu.holdOpen();
        // A series blurred by a busy machine is measured again.
        Result r;
        QString trace;
        for (int i = 0; i < 3 && !r.out.contains(QStringLiteral("taktu 16,0 ms")); ++i) {
            trace = file("trace");
            r = ctl({"linktest", "--port", emu.device, "--tick", "20", "--trace", trace},
                    dir.path());
            QVERIFY2(r.code == 0 || r.code == 1, qPrintable(r.err + r.out));
        }
        QVERIFY2(r.out.contains(QStringLiteral("Odpovědi přicházejí v taktu 16,0 ms")),
                 qPrintable(r.out));
        QVERIFY(r.out.contains(QStringLiteral("/latency_timer")));
        QFile f(trace);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        // Four identify, four capacity, forty reads; 12 + 88 reply bytes.
        QCOMPARE(text.count(QStringLiteral(" > 40 47 30 30 30 30 2A 20 |")), 4);
        QCOMPARE(text.count(QStringLiteral(" > 40 4D 30 30 30 30 2A |")), 4);
        QCOMPARE(text.count(QStringLiteral(" > 40 52 ")), 40);
        static const QRegularExpression received(QStringLiteral("\\d < ((?:[0-9A-F]{2} )+)\\|"));
        int replyBytes = 0;
        for (auto m = received.globalMatch(text); m.hasNext();)
            replyBytes += m.next().captured(1).size() / 3;
        QCOMPARE(replyBytes, 100);
    }
};

QTEST_MAIN(LinkCliTest)
#include "link_cli.moc"
