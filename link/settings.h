#pragma once

#include <QString>

// stavnikCFG.ini, section [Options]. Anything missing, zero or not an integer leaves the
// default; the file is only ever written for COMserial.
struct AppSettings {
    int portNumber = 1;
    int timerInterval = 20;
    bool developer = false;
};

// <user configuration folder>/stavnik-cfg/stavnikCFG.ini
QString settingsFilePath();
AppSettings loadSettings(const QString& path = settingsFilePath());
// Best effort: a read-only or unwritable file is left as it is, silently.
void saveComSerial(int portNumber, const QString& path = settingsFilePath());
// Maps "COM" + n to `device` in [Ports]: edits that one line in place (or adds it at the end of
// the section, or the section at the end of the file); every other byte of the file stays as
// it was, comments and line ends included. False when the file could not be read or written.
bool savePortMapping(int portNumber, const QString& device,
                     const QString& path = settingsFilePath());

// The serial device that "COM" + n opens: on Windows the name itself; elsewhere the [Ports]
// mapping of the settings file (COM1=/dev/ttyUSB0), else /dev/ttyS<n-1>.
QString portDevice(int portNumber, const QString& path = settingsFilePath());
