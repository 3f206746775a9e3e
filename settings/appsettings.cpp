#include "settings/appsettings.h"

#include <QSettings>
#include <QStandardPaths>

namespace {
// Missing keys and non-integers both read as 0, which means "keep the default".
int readInt(const QSettings& ini, const QString& key) {
    bool ok = false;
    const int v = ini.value(key).toString().trimmed().toInt(&ok);
    return ok ? v : 0;
}
} // namespace

QString settingsFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/stavnik-cfg/stavnikCFG.ini");
}

AppSettings loadSettings(const QString& path) {
    AppSettings s;
    const QSettings ini(path, QSettings::IniFormat);
    if (const int port = readInt(ini, QStringLiteral("Options/COMserial")))
        s.portNumber = port;
    // A negative interval would leave the link clock stopped for good: treated like a missing key.
    if (const int interval = readInt(ini, QStringLiteral("Options/timerCOM")); interval > 0)
        s.timerInterval = interval;
    s.developer = readInt(ini, QStringLiteral("Options/Developer")) != 0;
    return s;
}

void saveComSerial(int portNumber, const QString& path) {
    QSettings ini(path, QSettings::IniFormat);
    // A file we could not parse is left alone rather than replaced by a single key.
    if (ini.status() != QSettings::NoError)
        return;
    ini.setValue(QStringLiteral("Options/COMserial"), portNumber);
    ini.sync();
}

QString portDevice(int portNumber, const QString& path) {
    const QString name = QStringLiteral("COM") + QString::number(portNumber);
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    return name;
#else
    const QSettings ini(path, QSettings::IniFormat);
    const QString mapped = ini.value(QStringLiteral("Ports/") + name).toString().trimmed();
    if (!mapped.isEmpty())
        return mapped;
    return QStringLiteral("/dev/ttyS") + QString::number(portNumber - 1);
#endif
}
