#pragma once

// stv2-emu in a child process, and data files for it, shared by the link end-to-end tests.

#include "data/configstore.h"
#include "data/datafile.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace linke2e {

inline const QString kEmu = QStringLiteral(STAVNIK_BIN_DIR "/stv2-emu");
inline const QString kCtl = QStringLiteral(STAVNIK_BIN_DIR "/stavnikctl");

struct Emulator {
    QProcess process;
    QString device;
    int holder = -1;

    // No pacing and no command log unless the test asks: the suite must stay fast.
    bool start(QStringList args) {
        args << QStringLiteral("--no-pacing") << QStringLiteral("--quiet");
        process.start(kEmu, args);
        if (!process.waitForStarted(5000))
            return false;
        QElapsedTimer t;
        t.start();
        while (!process.canReadLine() && t.elapsed() < 5000)
            process.waitForReadyRead(50);
        device = QString::fromLocal8Bit(process.readLine()).trimmed();
        return device.startsWith(QLatin1Char('/'));
    }
    // Holds the terminal open from the test as well, so the emulator already sees a connected
    // line when the tool's first command comes, whatever its own polling does.
    void holdOpen() {
        if (holder < 0)
            holder = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 60)
            process.waitForReadyRead(10);
    }
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
    void release() {
        if (holder >= 0)
            ::close(holder);
        holder = -1;
    }
    ~Emulator() {
        release();
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(2000);
        }
    }
};

// A configuration whose bytes 1..2243 are all different from an all-zero module.
inline ConfigStore randomConfig(unsigned seed) {
    ConfigStore store;
    std::mt19937 rng(seed);
    for (int a = 1; a < image::kConfigSize; ++a)
        store.image[static_cast<std::size_t>(a)] = static_cast<std::uint8_t>(rng() % 255 + 1);
    return store;
}

inline bool writeConfig(const QString& path, const ConfigStore& store) {
    return datafile::saveFile(path, store).saved;
}

inline bool readConfig(const QString& path, ConfigStore& store) {
    return datafile::loadFile(path, store).status == datafile::LoadResult::Status::Loaded;
}

} // namespace linke2e
