#include "link/serialport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace {
// The module's side of the line: the master of a pseudo-terminal.
struct Pty {
    int master = -1;
    QString slave;
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            return;
        slave = QString::fromLocal8Bit(ptsname(master));
        termios t{};
        tcgetattr(master, &t);
        cfmakeraw(&t);
        tcsetattr(master, TCSANOW, &t);
        fcntl(master, F_SETFL, O_NONBLOCK);
    }
    ~Pty() {
        if (master >= 0)
            ::close(master);
    }
    QByteArray readAll() {
        QByteArray out;
        char buf[256];
        for (;;) {
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0)
                break;
            out.append(buf, int(n));
        }
        return out;
    }
};
} // namespace

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
        QCOMPARE(::write(pty.master, reply.constData(), size_t(reply.size())),
                 ssize_t(reply.size()));
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
        const QByteArray flood(150, 'x');
        QCOMPARE(::write(pty.master, flood.constData(), size_t(flood.size())),
                 ssize_t(flood.size()));
        QTRY_VERIFY_WITH_TIMEOUT(port.bytesWaiting() >= 150, 3000);
        ReceiveBuffer buffer;
        buffer.append("old");
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
};

QTEST_MAIN(SerialPortTest)
#include "link_serialport.moc"
