#include "settings/appsettings.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

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
        QCOMPARE(::portDevice(4, path()), QStringLiteral("/dev/ttyUSB0"));
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
        QCOMPARE(::portDevice(number, path()), device);
    }
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "settings_appsettings.moc"
