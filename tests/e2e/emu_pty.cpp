#include "support/emulator.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <signal.h>

namespace {
const QString kEmu = QStringLiteral(STAVNIK_BIN_DIR "/stv2-emu");

QByteArray bytes(std::initializer_list<int> list) {
    QByteArray b;
    for (int v : list)
        b += static_cast<char>(v);
    return b;
}

std::unique_ptr<QSerialPort> openPort(const QString& path) {
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(path);
    if (!port->open(QIODevice::ReadWrite))
        return nullptr;
    port->setBaudRate(9600);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    // DTR/RTS fail on a pseudo-terminal with "Inappropriate ioctl"; nothing depends on them.
    port->setDataTerminalReady(false);
    port->setRequestToSend(false);
    port->clearError();
    return port;
}

// Sends `cmd` and collects the reply until `length` bytes have come or `timeoutMs` has passed.
QByteArray exchange(QSerialPort& port, const QByteArray& cmd, int length, int timeoutMs = 1000) {
    port.write(cmd);
    port.waitForBytesWritten(100);
    QByteArray got;
    QElapsedTimer t;
    t.start();
    while (got.size() < length && t.elapsed() < timeoutMs) {
        port.waitForReadyRead(10);
        got += port.readAll();
    }
    return got;
}

QByteArray readCmd(int a) {
    return bytes({'@', 'R', a & 0xFF, a >> 8, '0', '0', '*'});
}
QByteArray writeCmd(int a, int v) {
    return bytes({'@', 'W', a & 0xFF, a >> 8, v, a & 0xFF, '*'});
}
} // namespace

class EmuPtyTest : public QObject {
    Q_OBJECT
private slots:
    void identify_data();
    void identify();
    void sessionLoadWriteReopenSave();
    void liveInputsFromStandardInput();
    void pacingTakesWireTime();
    void faults_data();
    void faults();
    void refusesBadStart_data();
    void refusesBadStart();
    void quitFromStandardInput();
    void stopSignals_data();
    void stopSignals();
};

void EmuPtyTest::identify_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("3.0") << QStringList{} << QByteArray("S0*");
    QTest::newRow("2.5b") << QStringList{"--firmware", "2.5b"} << bytes({'S', 0x25, 'b', '*'});
    QTest::newRow("3.0 with revision c") << QStringList{"--revision", "c"} << QByteArray("S0c*");
}

void EmuPtyTest::identify() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, reply);
    EmulatorProcess emu;
    QVERIFY(emu.startFast(args));
    auto port = openPort(emu.device);
    QVERIFY(port);
    QCOMPARE(exchange(*port, "@G0000* ", reply.size()), reply);
    QCOMPARE(exchange(*port, "@M0000*", 2), bytes({90, '*'}));
}

// One emulator through a whole session: a loaded file, reads and writes over its link path, the
// tool closing and reopening the port, and the memory saved on SIGTERM.
void EmuPtyTest::sessionLoadWriteReopenSave() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString in = dir.filePath("in.txt");
    const QString out = dir.filePath("out.txt");
    const QString link = dir.filePath("run/stv2/port");
    QFile f(in);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("S2.6\r\n*\r\n0123:5A\r\n08C3:AB\r\n*\r\nPOPIS\r\nprvni cesta\r\n");
    f.close();

    EmulatorProcess emu;
    QVERIFY(emu.start({"--no-pacing", "--load", in, "--save", out, "--link", link, "--capacity",
                       "100", "--log", dir.filePath("emu.log")}));
    QCOMPARE(QFileInfo(link).symLinkTarget(), emu.device);

    for (int session = 0; session < 3; ++session) {
        auto port = openPort(link);
        QVERIFY2(port, qPrintable(QString("session %1").arg(session)));
        QCOMPARE(exchange(*port, "@M0000*", 2), bytes({100, '*'}));
        QCOMPARE(exchange(*port, readCmd(0x123), 2), bytes({0x5A, '*'}));
        QCOMPARE(exchange(*port, writeCmd(5 + session, 0x70 + session), 2), QByteArray("Y*"));
        QCOMPARE(exchange(*port, readCmd(5 + session), 2), bytes({0x70 + session, '*'}));
        // A write beyond 2243 is kept in the memory though no data file holds it.
        QCOMPARE(exchange(*port, writeCmd(2463, 0x11), 2), QByteArray("Y*"));
        QCOMPARE(exchange(*port, readCmd(2463), 2), bytes({0x11, '*'}));
        port->close();
        QTest::qWait(50);
    }
    QCOMPARE(emu.process.state(), QProcess::Running);

    emu.process.terminate();
    QVERIFY(emu.process.waitForFinished(5000));
    QCOMPARE(emu.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(emu.process.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());

    QFile saved(out);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray text = saved.readAll();
    for (const char* line : {"0005:70\r\n", "0006:71\r\n", "0007:72\r\n", "0123:5A\r\n",
                             "08C3:AB\r\n", "POPIS\r\nprvni cesta\r\n"})
        QVERIFY2(text.contains(line), line);

    QFile log(dir.filePath("emu.log"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray logText = log.readAll();
    QVERIFY(logText.contains("W 0005 := 70"));
    QCOMPARE(logText.count("the tool opened"), 3);
}

void EmuPtyTest::liveInputsFromStandardInput() {
    EmulatorProcess emu;
    QVERIFY(emu.startFast({}));
    auto port = openPort(emu.device);
    QVERIFY(port);
    QCOMPARE(exchange(*port, "@S0000*", 5), bytes({0, 0, 0, 0, '*'}));
    emu.command("sensor 2 on");
    emu.command("detector 8 on");
    emu.command("button 16 on");
    emu.command("exp button 1 on");
    emu.command("sensor 9 on");
    QTest::qWait(100);
    QCOMPARE(exchange(*port, "@S0000*", 5), bytes({0x02, 0x00, 0x80, 0x80, '*'}));
    QCOMPARE(exchange(*port, "@U0000*", 5), bytes({0x01, 0x00, 0x01, 0x00, '*'}));
    // Signal and point commands get no reply but show in the status.
    QCOMPARE(exchange(*port, bytes({'@', 'N', 3, 1, 1, 1, '*'}), 1, 100), QByteArray());
    emu.process.readAllStandardOutput();
    emu.command("status");
    QElapsedTimer t;
    t.start();
    QByteArray status;
    while (!status.contains("commands:") && t.elapsed() < 2000) {
        emu.process.waitForReadyRead(50);
        status += emu.process.readAllStandardOutput();
    }
    QVERIFY2(status.contains("signals: 3=1"), status.constData());
    QVERIFY2(status.contains("exp:  sensors 01"), status.constData());
}

void EmuPtyTest::pacingTakesWireTime() {
    EmulatorProcess emu;
    QVERIFY(emu.start({"--quiet"}));
    auto port = openPort(emu.device);
    QVERIFY(port);
    QCOMPARE(exchange(*port, "@M0000*", 2), bytes({90, '*'}));
    constexpr int kCount = 20;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < kCount; ++i)
        QCOMPARE(exchange(*port, readCmd(i + 1), 2), bytes({0, '*'}));
    // Seven bytes out and two back, 1.04 ms each at 9600 baud.
    const double perExchange = static_cast<double>(t.nsecsElapsed()) / 1e6 / kCount;
    QVERIFY2(perExchange >= 9 * 10.0 / 9.6 * 0.98, qPrintable(QString::number(perExchange)));
}

void EmuPtyTest::faults_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("answeredAtOnce"); // of three reads, within 100 ms each
    QTest::addColumn<bool>("answeredLater"); // the last one, within one more second
    QTest::newRow("silent after 1") << QStringList{"--silent-after", "1"} << 1 << false;
    QTest::newRow("always silent") << QStringList{"--silent-after", "0"} << 0 << false;
    QTest::newRow("all dropped") << QStringList{"--drop", "1"} << 0 << false;
    QTest::newRow("all late") << QStringList{"--late", "100%", "--late-ms", "400"} << 0 << true;
    QTest::newRow("latency") << QStringList{"--latency", "400"} << 0 << true;
    QTest::newRow("split, short gap")
        << QStringList{"--split", "1", "--split-ms", "5"} << 3 << true;
}

void EmuPtyTest::faults() {
    QFETCH(QStringList, args);
    QFETCH(int, answeredAtOnce);
    QFETCH(bool, answeredLater);
    EmulatorProcess emu;
    QVERIFY(emu.startFast(args));
    auto port = openPort(emu.device);
    QVERIFY(port);
    int atOnce = 0;
    QByteArray last;
    for (int i = 0; i < 3; ++i) {
        port->clear(QSerialPort::Input);
        last = exchange(*port, readCmd(1), 2, 100);
        atOnce += last == bytes({0, '*'});
    }
    QCOMPARE(atOnce, answeredAtOnce);
    if (last.size() < 2) {
        QElapsedTimer t;
        t.start();
        while (last.size() < 2 && t.elapsed() < 1000) {
            port->waitForReadyRead(10);
            last += port->readAll();
        }
        QCOMPARE(last.endsWith(bytes({0, '*'})), answeredLater);
    }
}

void EmuPtyTest::refusesBadStart_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown option") << QStringList{"--bogus"} << "--bogus";
    QTest::newRow("bad share") << QStringList{"--drop", "2"} << "--drop";
    QTest::newRow("missing data file")
        << QStringList{"--load", "/nonexistent/x.txt"} << "/nonexistent/x.txt";
    QTest::newRow("link over a plain file") << QStringList{"--link", "PLAIN"} << "not a symbolic";
}

void EmuPtyTest::refusesBadStart() {
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain.txt");
    QFile f(plain);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("keep me");
    f.close();
    args.replaceInStrings("PLAIN", plain);

    QProcess p;
    p.start(kEmu, args);
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), 2);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(err.contains(message), qPrintable(err));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("keep me"));
}

void EmuPtyTest::quitFromStandardInput() {
    EmulatorProcess emu;
    QVERIFY(emu.startFast({}));
    emu.command("quit");
    QVERIFY(emu.process.waitForFinished(5000));
    QCOMPARE(emu.process.exitCode(), 0);
    // The help text is there for whoever runs it by hand.
    QProcess help;
    help.start(kEmu, {"--help"});
    QVERIFY(help.waitForFinished(5000));
    QCOMPARE(help.exitCode(), 0);
    QVERIFY(help.readAllStandardOutput().contains("--silent-after"));
}

void EmuPtyTest::stopSignals_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

// Every way a session ends from outside saves the memory and removes the link.
void EmuPtyTest::stopSignals() {
    QFETCH(int, signal);
    QTemporaryDir dir;
    const QString out = dir.filePath("out.txt");
    const QString link = dir.filePath("port");
    EmulatorProcess emu;
    QVERIFY(emu.start({"--no-pacing", "--quiet", "--save", out, "--link", link}));
    {
        auto port = openPort(link);
        QVERIFY(port);
        QCOMPARE(exchange(*port, writeCmd(0x10, 0xC3), 2), QByteArray("Y*"));
    }
    QVERIFY(::kill(static_cast<pid_t>(emu.process.processId()), signal) == 0);
    QVERIFY(emu.process.waitForFinished(5000));
    QCOMPARE(emu.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(emu.process.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
    QFile saved(out);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().contains("\r\n0010:C3\r\n"));
}

QTEST_MAIN(EmuPtyTest)
#include "emu_pty.moc"
