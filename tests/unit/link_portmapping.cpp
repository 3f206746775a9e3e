#include "link/settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
            << QByteArray("; mine\r\n[Ports]\r\nCOM1=/dev/ttyS0\r\nCOM2=/dev/ttyACM0\r\n"
                          "[Options]\r\nCOMserial=2\r\n");
        QTest::newRow("added at the end of the section; COM12 and com2 are other keys")
            << QByteArray("[Ports]\nCOM12=/dev/a\ncom2=/dev/b\n\n[Options]\nCOMserial=2")
            << "/dev/c"
            << QByteArray(
                   "[Ports]\nCOM12=/dev/a\ncom2=/dev/b\nCOM2=/dev/c\n\n[Options]\nCOMserial=2");
        QTest::newRow("section added after a last line without its end")
            << QByteArray("[Options]\r\nCOMserial=2") << "/dev/ttyUSB0"
            << QByteArray("[Options]\r\nCOMserial=2\r\n\r\n[Ports]\r\nCOM2=/dev/ttyUSB0\r\n");
        QTest::newRow("no file yet; an awkward path quoted")
            << QByteArray() << "/tmp/a b;c,d\"e\\f"
            << QByteArray("[Ports]\nCOM2=\"/tmp/a b;c,d\\\"e\\\\f\"\n");
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
        QVERIFY(savePortMapping(2, device, path));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), after);
        QCOMPARE(portDevice(2, path), device); // what the next open uses
    }
};

QTEST_GUILESS_MAIN(PortMappingTest)
#include "link_portmapping.moc"
