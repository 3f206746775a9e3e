#include "link/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
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

namespace {
// A value as QSettings reads it back: commas would make a list and a semicolon a comment.
QByteArray iniValue(const QString& value) {
    const QByteArray raw = value.toUtf8();
    const bool plain = raw.trimmed() == raw && !raw.contains(';') && !raw.contains(',') &&
                       !raw.contains('"') && !raw.contains('\\');
    if (plain)
        return raw;
    QByteArray quoted = raw;
    quoted.replace("\\", "\\\\").replace("\"", "\\\"");
    return '"' + quoted + '"';
}

QByteArray lineEnd(const QByteArray& line) {
    return line.endsWith("\r\n") ? "\r\n" : line.endsWith('\n') ? "\n" : "";
}
} // namespace

bool savePortMapping(int portNumber, const QString& device, const QString& path) {
    QByteArray text;
    QFile in(path);
    if (in.exists()) {
        if (!in.open(QIODevice::ReadOnly))
            return false;
        text = in.readAll();
        in.close();
    }
    const QByteArray eol = text.contains("\r\n") ? "\r\n" : "\n";
    const QByteArray key = "COM" + QByteArray::number(portNumber);
    const QByteArray entry = key + '=' + iniValue(device);

    QList<QByteArray> lines; // each with its own line end, so that joining gives the file back
    for (qsizetype start = 0; start < text.size();) {
        const qsizetype nl = text.indexOf('\n', start);
        const qsizetype end = nl < 0 ? text.size() : nl + 1;
        lines << text.mid(start, end - start);
        start = end;
    }
    bool inPorts = false;
    bool replaced = false;
    qsizetype insertAt = -1; // after the last non-blank line of [Ports]
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray content = lines[i].trimmed();
        if (content.startsWith('[')) {
            inPorts = content == "[Ports]";
            if (inPorts)
                insertAt = i + 1;
            continue;
        }
        if (!inPorts || content.isEmpty())
            continue;
        insertAt = i + 1;
        const qsizetype eq = content.indexOf('=');
        if (eq > 0 && content.left(eq).trimmed() == key) {
            lines[i] = entry + lineEnd(lines[i]);
            replaced = true;
        }
    }
    if (!replaced && insertAt >= 0) {
        if (lineEnd(lines[insertAt - 1]).isEmpty())
            lines[insertAt - 1] += eol;
        lines.insert(insertAt, entry + eol);
    } else if (!replaced) {
        QByteArray section;
        if (!text.isEmpty() && lineEnd(lines.last()).isEmpty())
            section += eol;
        if (!text.isEmpty() && !lines.last().trimmed().isEmpty())
            section += eol; // a blank line between sections, as people write them
        lines << section + "[Ports]" + eol + entry + eol;
    }

    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    for (const QByteArray& line : lines)
        out.write(line);
    return out.commit();
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
