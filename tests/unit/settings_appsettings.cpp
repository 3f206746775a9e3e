#include "settings/appsettings.h"
#include "support/portnames.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX // links, device nodes and named pipes where the settings file should be
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

class SettingsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    // QSettings caches files by name, size and time: every case gets a file of its own.
    QString path() const {
        const char* tag = QTest::currentDataTag();
        return dir.filePath(QStringLiteral("%1-%2.ini")
                                .arg(QTest::currentTestFunction(), tag ? tag : "")
                                .replace(' ', '_'));
    }
    void write(const QByteArray& text) {
        QFile f(path());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }

private slots:
    void init() { QFile::remove(path()); }

    void defaultsWithoutFile() {
        const AppSettings s = loadSettings(path());
        QCOMPARE(s.portNumber, 1);
        QCOMPARE(s.timerInterval, 20);
        QCOMPARE(s.developer, false);
    }

    void values_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("developer");
        QTest::newRow("all set") << QByteArray("[Options]\nCOMserial=4\ntimerCOM=15\nDeveloper=1\n")
                                 << 4 << 15 << true;
        QTest::newRow("zeros mean missing")
            << QByteArray("[Options]\nCOMserial=0\ntimerCOM=0\nDeveloper=0\n") << 1 << 20 << false;
        QTest::newRow("non-integers mean missing")
            << QByteArray("[Options]\nCOMserial=abc\ntimerCOM=12ms\nDeveloper=yes\n") << 1 << 20
            << false;
        QTest::newRow("port above the dialog's range kept")
            << QByteArray("[Options]\nCOMserial=15\n") << 15 << 20 << false;
        QTest::newRow("any non-zero developer value")
            << QByteArray("[Options]\nDeveloper=7\n") << 1 << 20 << true;
        QTest::newRow("negative interval cannot stop the clock")
            << QByteArray("[Options]\ntimerCOM=-5\n") << 1 << 20 << false;
        QTest::newRow("shortest interval")
            << QByteArray("[Options]\ntimerCOM=1\n") << 1 << 1 << false;
        QTest::newRow("longest interval")
            << QByteArray("[Options]\ntimerCOM=1000\n") << 1 << 1000 << false;
        QTest::newRow("interval of seconds means missing")
            << QByteArray("[Options]\ntimerCOM=1001\n") << 1 << 20 << false;
        QTest::newRow("comment after a value, other case of names")
            << QByteArray("[options]\r\ncomserial = 3 ; USB\r\nTIMERCOM=50\r\n") << 3 << 50
            << false;
        QTest::newRow("last of two values counts")
            << QByteArray("[Options]\nCOMserial=2\n[Ports]\n[Options]\nCOMserial=5\n") << 5 << 20
            << false;
        QTest::newRow("other section ignored")
            << QByteArray("[Other]\nCOMserial=3\n") << 1 << 20 << false;
        QTest::newRow("binary garbage")
            << QByteArray("\x00\xff[[[=\n\x01\x02", 10) << 1 << 20 << false;
        QTest::newRow("truncated line") << QByteArray("[Options]\nCOMser") << 1 << 20 << false;
    }
    void values() {
        QFETCH(QByteArray, ini);
        write(ini);
        const AppSettings s = loadSettings(path());
        QFETCH(int, port);
        QFETCH(int, interval);
        QFETCH(bool, developer);
        QCOMPARE(s.portNumber, port);
        QCOMPARE(s.timerInterval, interval);
        QCOMPARE(s.developer, developer);
    }

    void saveCreatesFileAndKeepsOtherKeys() {
        saveComSerial(1, path());
        QSettings fresh(path(), QSettings::IniFormat);
        QCOMPARE(fresh.value(QStringLiteral("Options/COMserial")).toInt(), 1);

        write("[Options]\nCOMserial=2\ntimerCOM=15\nDeveloper=1\n[Ports]\nCOM4=/dev/ttyUSB0\n");
        saveComSerial(4, path());
        const AppSettings s = loadSettings(path());
        QCOMPARE(s.portNumber, 4);
        QCOMPARE(s.timerInterval, 15);
        QCOMPARE(s.developer, true);
        QCOMPARE(::portDevice(4, path()), deviceOfCom(4, QStringLiteral("/dev/ttyUSB0")));
    }

    // A null "after" means the file must not be written at all.
    void saveEditsOneLine_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("port");
        QTest::addColumn<QByteArray>("after");
        const QByteArray kept = "; moje nastavení\n[Options]\n#timerCOM=50\nCOMserial=2 ; USB\n\n"
                                "[Mine]\nx = 1\n[Ports]\n;COM4=/dev/ttyACM0\nCOM4=/dev/ttyUSB0\n";
        QTest::newRow("comments, own keys, commented-out mapping")
            << kept << 4 << QByteArray(kept).replace("COMserial=2", "COMserial=4");
        QTest::newRow("CR LF kept, missing key at the end of its section")
            << QByteArray("\xEF\xBB\xBF[Options]\r\ntimerCOM=15\r\n\r\n[Ports]\r\n") << 3
            << QByteArray("\xEF\xBB\xBF[Options]\r\ntimerCOM=15\r\nCOMserial=3\r\n\r\n[Ports]\r\n");
        QTest::newRow("missing section at the end")
            << QByteArray("[Ports]\nCOM1=/dev/ttyUSB0") << 2
            << QByteArray("[Ports]\nCOM1=/dev/ttyUSB0\n\n[Options]\nCOMserial=2\n");
        QTest::newRow("missing key after a last line without line end")
            << QByteArray("[Options]\ntimerCOM=15") << 2
            << QByteArray("[Options]\ntimerCOM=15\nCOMserial=2");
        QTest::newRow("the value read is the one written")
            << QByteArray("[Options]\nCOMserial=2\n[options]\nCOMserial=3\n") << 5
            << QByteArray("[Options]\nCOMserial=2\n[options]\nCOMserial=5\n");
        QTest::newRow("zero is a change") << QByteArray("[Options]\nCOMserial=0\n") << 1
                                          << QByteArray("[Options]\nCOMserial=1\n");
        QTest::newRow("unchanged") << QByteArray("[Options]\nCOMserial=04\n") << 4 << QByteArray();
        QTest::newRow("line without =")
            << QByteArray("[Options]\nCOMserial=2\nport\n") << 4 << QByteArray();
        QTest::newRow("unclosed header")
            << QByteArray("[Options\nCOMserial=2\n") << 4 << QByteArray();
        QTest::newRow("binary") << QByteArray("[Options]\nCOMserial=2\n\x00\x01", 24) << 4
                                << QByteArray();
    }
    void saveEditsOneLine() {
        QFETCH(QByteArray, before);
        QFETCH(int, port);
        QFETCH(QByteArray, after);
        write(before);
        const QDateTime old = QDateTime::currentDateTime().addDays(-1);
        QFile file(path());
        QVERIFY(file.open(QIODevice::ReadOnly) &&
                file.setFileTime(old, QFile::FileModificationTime));
        file.close();
        saveComSerial(port, path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), after.isNull() ? before : after);
        if (after.isNull())
            QCOMPARE(file.fileTime(QFile::FileModificationTime), old);
        else
            QCOMPARE(loadSettings(path()).portNumber, port);
    }

    // The switches the program writes: loaded, then saved to the other value than their default
    // (fastLink on, verifyAfterStore off); a null "after" means not written.
    void fastLink_data() {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("added when missing")
            << QByteArray("fastLink") << QByteArray("[Options]\nCOMserial=2\n") << false
            << QByteArray("[Options]\nCOMserial=2\nfastLink=1\n");
        QTest::newRow("in place, comment kept")
            << QByteArray("fastLink") << QByteArray("[Options]\nfastLink=0 ; x\n") << false
            << QByteArray("[Options]\nfastLink=1 ; x\n");
        QTest::newRow("any non-zero is on")
            << QByteArray("fastLink") << QByteArray("[Options]\nfastLink=7\n") << true
            << QByteArray();
        QTest::newRow("read-back on when missing")
            << QByteArray("verifyAfterStore") << QByteArray("[Options]\nCOMserial=2\n") << true
            << QByteArray("[Options]\nCOMserial=2\nverifyAfterStore=0\n");
        QTest::newRow("read-back off already")
            << QByteArray("verifyAfterStore") << QByteArray("[Options]\nverifyAfterStore=0 ; x\n")
            << false << QByteArray();
    }
    void fastLink() {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, before);
        QFETCH(bool, loaded);
        QFETCH(QByteArray, after);
        write(before);
        const AppSettings settings = loadSettings(path());
        const bool fast = key == "fastLink";
        QCOMPARE(fast ? settings.fastLink : settings.verifyAfterStore, loaded);
        fast ? saveFastLink(true, path()) : saveVerifyAfterStore(false, path());
        QFile file(path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), after.isNull() ? before : after);
    }

    // Newest first, no repeats, eight at most; kept in a section of their own, next to the
    // user's comments, and written only when the list changes.
    void recentFiles() {
        write("; my layout\n[Options]\nCOMserial=3\n");
        QStringList list;
        for (const char* name : {"a", "b", "c", "d", "e", "f", "g", "h", "i", "b", "j"})
            list = withRecentFile(list, QStringLiteral("/data/%1.txt").arg(name));
        const QStringList newest{"/data/j.txt", "/data/b.txt", "/data/i.txt", "/data/h.txt",
                                 "/data/g.txt", "/data/f.txt", "/data/e.txt", "/data/d.txt"};
        QCOMPARE(list, newest);
        saveRecentFiles(list, path());
        QCOMPARE(loadSettings(path()).recentFiles, newest);
        QFile f(path());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        f.close(); // Windows replaces no file that is open
        QVERIFY(text.startsWith("; my layout\n[Options]\nCOMserial=3\n"));
        const QDateTime written = QFileInfo(path()).lastModified();
        QTest::qSleep(20);
        saveRecentFiles(list, path());
        QCOMPARE(QFileInfo(path()).lastModified(), written);
        saveRecentFiles(list.mid(0, 2), path());
        QCOMPARE(loadSettings(path()).recentFiles, list.mid(0, 2));
    }

    void saveToReadOnlyFileIsSilent() {
        write("[Options]\nCOMserial=2\n");
        QFile::setPermissions(path(), QFile::ReadOwner);
        saveComSerial(9, path());
        QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
        // Root may write anyway; what matters is that nothing threw and the file still parses.
        const int port = loadSettings(path()).portNumber;
        QVERIFY(port == 2 || port == 9);
    }

#ifdef Q_OS_UNIX
    // What takes the settings file's place: read where it can be, written only when it is a
    // regular file (through a link too), and never waited on.
    void fileKinds_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("readPort");
        QTest::addColumn<bool>("written");
        QTest::newRow("regular") << "regular" << 4 << true;
        QTest::newRow("link to regular") << "link" << 4 << true;
        QTest::newRow("link to a device") << "device link" << 1 << false;
        QTest::newRow("copy of a device node") << "device copy" << 1 << false;
        QTest::newRow("FIFO without a writer") << "fifo" << 1 << false;
        QTest::newRow("loop of links") << "loop" << 1 << false;
    }
    void fileKinds() {
        QFETCH(QString, kind);
        QFETCH(int, readPort);
        QFETCH(bool, written);
        const QByteArray at = QFile::encodeName(path());
        const QString real = path() + QStringLiteral(".real");
        write("[Options]\nCOMserial=4\n");
        if (kind == "link" || kind == "loop") {
            QVERIFY(QFile::rename(path(), real));
            QVERIFY(QFile::link(kind == "link" ? real : path(), path()));
        } else if (kind == "device link") {
            QVERIFY(QFile::remove(path()) && QFile::link(QStringLiteral("/dev/null"), path()));
        } else if (kind == "device copy") {
            QVERIFY(QFile::remove(path()));
            if (::mknod(at.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
                QSKIP("making a device node needs root");
        } else if (kind == "fifo") {
            QVERIFY(QFile::remove(path()) && ::mkfifo(at.constData(), 0666) == 0);
        }
        struct stat before {};
        ::lstat(at.constData(), &before);
        const AppSettings s = loadSettings(path());
        QCOMPARE(s.portNumber, readPort);
        QCOMPARE(s.fileProblem.isEmpty(), written);
        saveComSerial(7, path());
        QCOMPARE(loadSettings(path()).portNumber, written ? 7 : readPort);
        struct stat after {};
        ::lstat(at.constData(), &after);
        QCOMPARE(after.st_mode, before.st_mode); // a link stays a link, a node a node
        QCOMPARE(after.st_rdev, before.st_rdev);
        QFile::remove(path());
        QFile::remove(real);
    }
#endif

    void mapping_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("device");
        QTest::newRow("unmapped COM1") << QByteArray() << 1 << QStringLiteral("/dev/ttyS0");
        QTest::newRow("unmapped COM10") << QByteArray() << 10 << QStringLiteral("/dev/ttyS9");
        QTest::newRow("mapped") << QByteArray("[Ports]\nCOM3=/dev/ttyUSB1\n") << 3
                                << QStringLiteral("/dev/ttyUSB1");
        QTest::newRow("mapping of another port")
            << QByteArray("[Ports]\nCOM3=/dev/ttyUSB1\n") << 2 << QStringLiteral("/dev/ttyS1");
    }
    void mapping() {
        QFETCH(QByteArray, ini);
        QFETCH(int, number);
        QFETCH(QString, device);
        write(ini);
        QCOMPARE(::portDevice(number, path()), deviceOfCom(number, device));
    }
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "settings_appsettings.moc"
