#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One serial device the port dialog offers.
struct PortEntry {
    QString device; // what "COM" + n is mapped to; on Windows the port name itself ("COM3")
    QString label;  // "/dev/ttyUSB0 — FT232R USB UART (FTDI)"
};

// "device — description (maker)", leaving out what the system does not report.
QString portLabel(const QString& device, const QString& description, const QString& maker);

// The serial devices of this computer sorted by name, then the virtual module's terminal when it
// runs (its link exists).
QList<PortEntry> availablePorts(const QString& emulatorLink);
QStringList availablePortLabels(const QString& emulatorLink);

// Where ./run starts stv2-emu: stv2-emu.tty next to the settings file.
QString emulatorLinkPath(const QString& settingsPath);

// n for a Windows port name "COM<n>", 0 for anything else.
int comNumber(const QString& device);

// What a port named on a command line means: a COM number ("3" or "COM3", 1 or more) or a
// device path. `error` says why the text is neither (empty, zero, negative); empty when fine.
struct PortArgument {
    int number = 0; // 0: `device` is meant
    QString device;
    QString error;
};
PortArgument parsePortArgument(const QString& text);
