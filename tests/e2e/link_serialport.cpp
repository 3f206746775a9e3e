#include "link/serialport.h"
#include "support/pty.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

class SerialPortTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    // QSettings caches a file by name, size and time: each case maps its port in a file of its own.
    QString ini() const {
        return dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) + ".ini");
    }
    void map(int n, const QString& device) {
        QFile f(ini());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QStringLiteral("[Ports]\nCOM%1=%2\n").arg(n).arg(device).toUtf8());
    }

private slots:
    void missingDeviceFailsAndLeavesNoPort() {
        map(7, dir.filePath(QStringLiteral("no-such-device")));
        SerialBytePort port(ini());
        QVERIFY(!port.open(7));
        QVERIFY(!port.isOpen());
        port.send("@V0000*"); // lost silently
        QCOMPARE(port.bytesWaiting(), 0);
    }

    void bytesPassBothWaysUnchanged() {
        Pty pty;
        QVERIFY(!pty.slave.isEmpty());
        map(2, pty.slave);
        SerialBytePort port(ini());
        QVERIFY(port.open(2));

        QByteArray all;
        for (int v = 0; v < 256; ++v)
            all.append(char(v));
        port.send(all);
        QByteArray got;
        QElapsedTimer t;
        t.start();
        while (got.size() < all.size() && t.elapsed() < 3000) {
            got += pty.readAll();
            QTest::qWait(5);
        }
        QCOMPARE(got.toHex(), all.toHex());

        // The other way, through the receive step as the link clock runs it.
        ReceiveBuffer buffer;
        const QByteArray reply("@V\x03\x00\x0d*", 6);
        QVERIFY(pty.write(reply));
        t.restart();
        while (buffer.size() < reply.size() && t.elapsed() < 3000) {
            QTest::qWait(5);
            buffer.receiveStep(port);
        }
        QCOMPARE(buffer.bytes(), reply);
    }

    void floodIsDiscarded() {
        Pty pty;
        map(3, pty.slave);
        SerialBytePort port(ini());
        QVERIFY(port.open(3));
        ReceiveBuffer buffer;
        QVERIFY(pty.write("old"));
        QTRY_VERIFY_WITH_TIMEOUT(port.bytesWaiting() >= 3, 3000);
        buffer.receiveStep(port);
        QCOMPARE(buffer.bytes(), QByteArray("old"));
        const QByteArray flood(150, 'x');
        QVERIFY(pty.write(flood));
        QTRY_VERIFY_WITH_TIMEOUT(port.bytesWaiting() >= 150, 3000);
        buffer.receiveStep(port);
        QCOMPARE(buffer.size(), 0);
        QCOMPARE(port.bytesWaiting(), 0);
    }

    void otherEndGoingAwayClosesThePort() {
        auto* pty = new Pty;
        map(4, pty->slave);
        SerialBytePort port(ini());
        QVERIFY(port.open(4));
        delete pty; // the module is unplugged
        // Without the error handling the port would stay open and spin on read errors.
        QTRY_VERIFY_WITH_TIMEOUT(!port.isOpen(), 3000);
        ReceiveBuffer buffer;
        buffer.receiveStep(port);
        QCOMPARE(buffer.size(), 0);
    }

    // QSerialPort reports a port held by another program as a permission error.
    void busyPortIsNotCalledAPermissionProblem() {
        Pty pty;
        SerialBytePort holder(ini());
        QVERIFY(holder.openDevice(pty.slave));
        SerialBytePort port(ini());
        QVERIFY(!port.openDevice(pty.slave));
        QVERIFY2(port.openErrorText().contains(QStringLiteral("právě používá jiný program")),
                 qPrintable(port.openErrorText()));
    }

    // Root passes the exclusive mode; the lock on the device stops root too.
    void lockedPortIsBusyForAnyone() {
        Pty pty;
        const int other = ::open(QFile::encodeName(pty.slave).constData(), O_RDWR | O_NOCTTY);
        QVERIFY(other >= 0 && ::flock(other, LOCK_EX | LOCK_NB) == 0);
        SerialBytePort port(ini());
        QVERIFY(!port.openDevice(pty.slave));
        QVERIFY2(port.openErrorText().contains(QStringLiteral("právě používá jiný program")),
                 qPrintable(port.openErrorText()));
        ::close(other);
        QVERIFY(port.openDevice(pty.slave));
    }
};

QTEST_MAIN(SerialPortTest)
#include "link_serialport.moc"
