#include "settings/appsettings.h"

#include "settings/inifile.h"
#include "settings/safesave.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <functional>
#include <optional>

namespace {

constexpr QByteArrayView kOptions = "Options";
constexpr QByteArrayView kComSerial = "COMserial";
constexpr QByteArrayView kFastLink = "fastLink";
constexpr QByteArrayView kVerifyAfterStore = "verifyAfterStore";
constexpr QByteArrayView kRecentFiles = "RecentFiles";

QByteArray recentKey(int k) {
    return "file" + QByteArray::number(k + 1);
}

// A settings file is a few lines; anything this large is not one, and is neither read nor
// rewritten.
constexpr qint64 kMaxFileSize = 1 << 20;

// The file's bytes; empty when there is no file, nothing when it exists but cannot be read.
// A device, pipe or loop of links in the file's place is read for what it holds now, without
// waiting, and never counts as a file that may be written.
std::optional<QByteArray> readFile(const QString& path, bool forWriting = false) {
    const safesave::ReadResult r = safesave::read(path, kMaxFileSize);
    if (!r.ok || (forWriting && !r.problem.isEmpty()))
        return std::nullopt;
    return r.bytes;
}

// All or nothing: a full disk or a crash leaves the old file, not half of the new one; a
// replaced file keeps its owner and mode.
bool writeFile(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    return safesave::write(path, text).saved;
}

std::optional<int> readInt(const QByteArray& text, QByteArrayView key) {
    bool ok = false;
    const int v = inifile::value(text, kOptions, key).value_or(QByteArray()).toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

} // namespace

QString settingsFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/stavnik-cfg/stavnikCFG.ini");
}

AppSettings loadSettings(const QString& path) {
    AppSettings s;
    const safesave::ReadResult file = safesave::read(path, kMaxFileSize);
    s.fileProblem = file.problem;
    if (file.bytes.size() > kMaxFileSize)
        s.fileIgnored = QStringLiteral("larger than 1 MB, so not read: the default settings apply, "
                                       "and no [Ports] mapping");
    const QByteArray text = file.ok ? file.bytes : QByteArray();
    // Missing keys and non-integers read as 0, which means "keep the default".
    if (const int port = readInt(text, kComSerial).value_or(0))
        s.portNumber = port;
    // A negative interval would leave the link clock stopped for good, and one of seconds would
    // make every exchange look dead: both are treated like a missing key.
    if (const int interval = readInt(text, "timerCOM").value_or(0);
        interval >= 1 && interval <= 1000)
        s.timerInterval = interval;
    s.developer = readInt(text, "Developer").value_or(0) != 0;
    s.fastLink = readInt(text, kFastLink).value_or(0) != 0;
    s.verifyAfterStore = readInt(text, kVerifyAfterStore).value_or(1) != 0;
    for (int k = 0; k < kRecentFileCount; ++k) {
        const QString file =
            QString::fromUtf8(inifile::value(text, kRecentFiles, recentKey(k)).value_or(""));
        if (!file.isEmpty() && !s.recentFiles.contains(file))
            s.recentFiles << file;
    }
    return s;
}

namespace {
// Edits one [Options] line in place. `same` says whether the file already holds the value.
void saveOption(QByteArrayView key, int value, const QString& path,
                const std::function<bool(const QByteArray&)>& same) {
    const std::optional<QByteArray> text = readFile(path, true);
    if (!text || same(*text))
        return;
    // Nothing when the text is not plain INI: such a file is left alone rather than guessed at.
    const std::optional<QByteArray> edited =
        inifile::withValue(*text, kOptions, key, QByteArray::number(value));
    if (edited)
        writeFile(path, *edited);
}
} // namespace

void saveComSerial(int portNumber, const QString& path) {
    saveOption(kComSerial, portNumber, path, [portNumber](const QByteArray& text) {
        return readInt(text, kComSerial) == portNumber;
    });
}

void saveFastLink(bool on, const QString& path) {
    // A missing key already means off.
    saveOption(kFastLink, on ? 1 : 0, path, [on](const QByteArray& text) {
        return (readInt(text, kFastLink).value_or(0) != 0) == on;
    });
}

void saveVerifyAfterStore(bool on, const QString& path) {
    // A missing key already means on.
    saveOption(kVerifyAfterStore, on ? 1 : 0, path, [on](const QByteArray& text) {
        return (readInt(text, kVerifyAfterStore).value_or(1) != 0) == on;
    });
}

QStringList withRecentFile(QStringList files, const QString& file) {
    files.removeAll(file);
    files.prepend(file);
    return files.mid(0, kRecentFileCount);
}

void saveRecentFiles(const QStringList& files, const QString& path) {
    const std::optional<QByteArray> text = readFile(path, true);
    if (!text)
        return;
    std::optional<QByteArray> edited = text;
    for (int k = 0; k < kRecentFileCount && edited; ++k) {
        const QByteArray file = files.value(k).toUtf8();
        if (inifile::value(*edited, kRecentFiles, recentKey(k)).value_or("") != file)
            edited = inifile::withValue(*edited, kRecentFiles, recentKey(k), file);
    }
    // Nothing when the text is not plain INI or a name would not read back as given.
    if (edited && *edited != *text)
        writeFile(path, *edited);
}

namespace {
constexpr QByteArrayView kWindow = "Window";
constexpr QByteArrayView kGeometry = "geometry";
constexpr QByteArrayView kSplitter = "splitter";
} // namespace

WindowLayout loadWindowLayout(const QString& path) {
    const QByteArray text = readFile(path).value_or(QByteArray());
    const auto read = [&text](QByteArrayView key) {
        return QByteArray::fromHex(inifile::value(text, kWindow, key).value_or(QByteArray()));
    };
    return {read(kGeometry), read(kSplitter)};
}

void saveWindowLayout(const WindowLayout& layout, const QString& path) {
    const std::optional<QByteArray> text = readFile(path, true);
    if (!text)
        return;
    std::optional<QByteArray> edited = text;
    for (const auto& [key, value] : {std::pair{kGeometry, layout.geometry.toHex()},
                                     std::pair{kSplitter, layout.splitter.toHex()}})
        if (edited && inifile::value(*edited, kWindow, key).value_or("") != value)
            edited = inifile::withValue(*edited, kWindow, key, value);
    if (edited && *edited != *text)
        writeFile(path, *edited);
}

bool savePortMapping(int portNumber, const QString& device, const QString& path) {
    const std::optional<QByteArray> text = readFile(path, true);
    if (!text)
        return false;
    const QByteArray key = "COM" + QByteArray::number(portNumber);
    const QByteArray value = device.toUtf8();
    if (inifile::value(*text, "Ports", key) == value)
        return true;
    // Nothing when the file is not plain INI or the device name would not read back as given.
    const std::optional<QByteArray> edited = inifile::withValue(*text, "Ports", key, value);
    return edited && writeFile(path, *edited);
}

QString mappedDevice(int portNumber, const QString& path) {
    const QByteArray text = readFile(path).value_or(QByteArray());
    const QByteArray key = "COM" + QByteArray::number(portNumber);
    return QString::fromUtf8(inifile::value(text, "Ports", key).value_or(QByteArray()));
}

QString portDevice(int portNumber, const QString& path) {
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    return QStringLiteral("COM") + QString::number(portNumber);
#else
    const QString mapped = mappedDevice(portNumber, path);
    if (!mapped.isEmpty())
        return mapped;
    return QStringLiteral("/dev/ttyS") + QString::number(portNumber - 1);
#endif
}
