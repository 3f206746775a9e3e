#pragma once

// Data files for stv2-emu, shared by the link end-to-end tests.

#include "data/configstore.h"
#include "data/datafile.h"
#include "support/emulator.h"

#include <QFile>
#include <QString>

#include <random>

namespace linke2e {

// STAVNIK_CTL may name another stavnikctl to run the same cases against: the Windows one under
// Wine, through a wrapper that maps the emulator's terminal to a COM port.
inline const QString kCtl = qEnvironmentVariableIsEmpty("STAVNIK_CTL")
                                ? QStringLiteral(STAVNIK_BIN_DIR "/stavnikctl")
                                : qEnvironmentVariable("STAVNIK_CTL");

// A configuration whose bytes 1..2243 are all different from an all-zero module.
inline ConfigStore randomConfig(unsigned seed) {
    ConfigStore store;
    std::mt19937 rng(seed);
    for (int a = 1; a < image::kConfigSize; ++a)
        store.image[static_cast<std::size_t>(a)] = static_cast<std::uint8_t>(rng() % 255 + 1);
    // Push-button 31 for routes 21..90: none beyond what a 20-route module holds is active.
    for (int a = image::indexPairAddress(21); a <= image::indexPairAddress(90) + 1; ++a)
        store.image[static_cast<std::size_t>(a)] |= 0x1F;
    return store;
}

inline bool writeConfig(const QString& path, const ConfigStore& store) {
    return datafile::saveFile(path, store).saved;
}

// What `path` holds; empty when it cannot be read.
inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool readConfig(const QString& path, ConfigStore& store) {
    return datafile::loadFile(path, store).status == datafile::LoadResult::Status::Loaded;
}

// A pseudo-terminal on a machine short of CPU has been seen to hold the commands for 150 ms,
// longer than a byte's three attempts take at the tests' 5 ms clock: a stavnikctl command then
// fails as it must (that byte, or silence), and a test of the end result runs it again.
inline bool lostToTheLine(int exitCode, const QString& err) {
    return exitCode == 2 && (err.contains(QStringLiteral(". Pokusů: 3.\n")) ||
                             err.contains(QStringLiteral("no reply from the module")));
}

} // namespace linke2e
