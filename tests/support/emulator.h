#pragma once

// stv2-emu in a child process on a pseudo-terminal, for end-to-end tests and benchmarks.

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <unistd.h>

class EmulatorProcess {
public:
    // `binDir` holds stv2-emu; tests take the build's, a benchmark may be pointed elsewhere.
    explicit EmulatorProcess(const QString& binDir = QStringLiteral(STAVNIK_BIN_DIR))
        : m_program(binDir + QStringLiteral("/stv2-emu")) {}
    EmulatorProcess(const EmulatorProcess&) = delete;
    EmulatorProcess& operator=(const EmulatorProcess&) = delete;
    // Whatever still runs is killed: a test that wants the emulator to save calls stop().
    ~EmulatorProcess() {
        release();
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(2000);
        }
    }

    // Starts it with exactly `args`; the first line it prints names its terminal.
    bool start(const QStringList& args) {
        process.start(m_program, args);
        if (!process.waitForStarted(5000))
            return false;
        QElapsedTimer t;
        t.start();
        while (!process.canReadLine() && t.elapsed() < 5000)
            process.waitForReadyRead(50);
        device = QString::fromLocal8Bit(process.readLine()).trimmed();
        return device.startsWith(QLatin1Char('/'));
    }
    // The usual test run: no pacing and no command log, so that the suite stays fast.
    bool startFast(const QStringList& args) {
        return start(args + QStringList{QStringLiteral("--no-pacing"), QStringLiteral("--quiet")});
    }
    // Holds the terminal open from this side too, a reader that never reads, so the emulator
    // already sees a connected line when the tool's first command comes, whatever its own
    // polling does; every reply still goes to the tool.
    void holdOpen(int settleMs = 60) {
        if (m_holder < 0)
            m_holder = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < settleMs)
            process.waitForReadyRead(10);
    }
    void release() {
        if (m_holder >= 0)
            ::close(m_holder);
        m_holder = -1;
    }
    // One line of the emulator's standard-input commands ("sensor 3 on", "quit").
    void command(const QByteArray& line) {
        process.write(line + '\n');
        process.waitForBytesWritten(1000);
    }
    // SIGTERM: the emulator saves its memory (with --save) and ends.
    bool stop() {
        release();
        process.terminate();
        return process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit;
    }

    QProcess process;
    QString device;

private:
    QString m_program;
    int m_holder = -1;
};
