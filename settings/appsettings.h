#pragma once

#include <QString>
#include <QStringList>

// stavnikCFG.ini, section [Options]. Anything missing, zero or not an integer leaves the
// default; the program itself only ever writes COMserial, fastLink and verifyAfterStore.
struct AppSettings {
    int portNumber = 1;
    int timerInterval = 20;
    bool developer = false;
    // The next command as soon as a reply is complete (read, verify, store).
    bool fastLink = false;
    // Why the settings file is read but never written (it is a device, a pipe, a loop of
    // links...); empty for an ordinary file or none at all.
    QString fileProblem;
    // Why the settings file was not read at all (it is larger than any settings file): the
    // defaults apply, the [Ports] mapping included. Empty when it was read.
    QString fileIgnored;
    // A store reads back what it wrote and writes again what differs (verifyAfterStore=0: no).
    bool verifyAfterStore = true;
    // Section [RecentFiles], file1 .. file8: the data files last loaded or saved, newest first.
    QStringList recentFiles;
};

// <user configuration folder>/stavnik-cfg/stavnikCFG.ini
QString settingsFilePath();
AppSettings loadSettings(const QString& path = settingsFilePath());
// Changes the COMserial line and nothing else, and writes only when its value differs: the
// user's comments, own keys and layout stay. A file that is not plain INI text, is unreadable or
// read-only is left as it is, silently; so is anything that is not a regular file.
void saveComSerial(int portNumber, const QString& path = settingsFilePath());
// Maps "COM" + n to `device` in [Ports]: edits that one line in place (or adds it at the end of
// the section, or the section at the end of the file); every other byte of the file stays as
// it was, comments and line ends included. False when the file could not be read or written.
// fastLink=1 or 0, the same way; nothing is written while the file already says so (a missing
// key says off).
void saveFastLink(bool on, const QString& path = settingsFilePath());
// verifyAfterStore=1 or 0, the same way (a missing key says on).
void saveVerifyAfterStore(bool on, const QString& path = settingsFilePath());
bool savePortMapping(int portNumber, const QString& device,
                     const QString& path = settingsFilePath());

// The [Ports] mapping of "COM" + n, empty when there is none.
QString mappedDevice(int portNumber, const QString& path = settingsFilePath());
// The serial device that "COM" + n opens: on Windows the name itself; elsewhere the [Ports]
// mapping of the settings file (COM1=/dev/ttyUSB0), else /dev/ttyS<n-1>.
QString portDevice(int portNumber, const QString& path = settingsFilePath());

// Section [Window]: the main window's size and place and where the splitter between the grid and
// the route pane stands, as Qt saves them (hexadecimal); empty when not saved yet.
struct WindowLayout {
    QByteArray geometry;
    QByteArray splitter;
};
WindowLayout loadWindowLayout(const QString& path = settingsFilePath());
// Edits the two lines in place; nothing is written while the file already says so.
void saveWindowLayout(const WindowLayout& layout, const QString& path = settingsFilePath());

constexpr int kRecentFileCount = 8;
// `files` with `file` at the front and no other copy of it, at most kRecentFileCount long.
QStringList withRecentFile(QStringList files, const QString& file);
// Sets file1 .. file8 of [RecentFiles] to `files` (an empty value past its end), each line
// edited in place like the other keys; nothing is written while the file already says so.
void saveRecentFiles(const QStringList& files, const QString& path = settingsFilePath());
