#include "settings/appsettings.h"
#include "support/portnames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// A new file's line ends are the platform's.
static QByteArray newFileText(QByteArray text) {
#ifdef Q_OS_WIN
    text.replace("\n", "\r\n");
#endif
    return text;
}

class PortMappingTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    // Only the COMn line changes; comments, other keys and line ends stay byte for byte.
    void editsOneLineInPlace_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("device");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("replaced in place, CR LF and comments kept")
            << QByteArray("; mine\r\n[Ports]\r\nCOM1=/dev/ttyS0\r\nCOM2 = /dev/old ; x\r\n"
                          "[Options]\r\nCOMserial=2\r\n")
            << "/dev/ttyACM0"
            << QByteArray("; mine\r\n[Ports]\r\nCOM1=/dev/ttyS0\r\nCOM2 = /dev/ttyACM0 ; x\r\n"
                          "[Options]\r\nCOMserial=2\r\n");
        QTest::newRow("COM12 is another key, com2 the same one")
            << QByteArray("[Ports]\nCOM12=/dev/a\ncom2=/dev/b\n\n[Options]\nCOMserial=2")
            << "/dev/c"
            << QByteArray("[Ports]\nCOM12=/dev/a\ncom2=/dev/c\n\n[Options]\nCOMserial=2");
        QTest::newRow("added at the end of the section")
            << QByteArray("[Ports]\nCOM1=/dev/a\n\n[Options]\nCOMserial=2") << "/dev/c"
            << QByteArray("[Ports]\nCOM1=/dev/a\nCOM2=/dev/c\n\n[Options]\nCOMserial=2");
        QTest::newRow("section added after a last line without its end")
            << QByteArray("[Options]\r\nCOMserial=2") << "/dev/ttyUSB0"
            << QByteArray("[Options]\r\nCOMserial=2\r\n\r\n[Ports]\r\nCOM2=/dev/ttyUSB0\r\n");
        QTest::newRow("no file yet; a blank in the path")
            << QByteArray() << "/tmp/a b" << newFileText("[Ports]\nCOM2=/tmp/a b\n");
        // A ';' would start a comment when the file is read back: refused, nothing written.
        QTest::newRow("a path that would not read back")
            << QByteArray("[Ports]\nCOM2=/dev/a\n") << "/tmp/a;b" << QByteArray();
    }
    void editsOneLineInPlace() {
        QFETCH(QByteArray, before);
        QFETCH(QString, device);
        QFETCH(QByteArray, after);
        const QString path =
            dir.filePath(QStringLiteral("sub/%1.ini").arg(QTest::currentDataTag()));
        if (!before.isEmpty()) {
            QDir().mkpath(dir.filePath(QStringLiteral("sub")));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(before);
        }
        if (after.isEmpty()) {
            QVERIFY(!savePortMapping(2, device, path));
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), before);
            return;
        }
        QVERIFY(savePortMapping(2, device, path));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), after);
        QCOMPARE(portDevice(2, path), deviceOfCom(2, device)); // what the next open uses
    }
};

QTEST_GUILESS_MAIN(PortMappingTest)
#include "settings_portmapping.moc"
