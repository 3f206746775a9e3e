#include "link/portlist.h"

#include "link/portscan.h"

#include <QCollator>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {
constexpr int kMaxComNumber = 999999; // as many digits as comNumber() reads
} // namespace

QString portLabel(const QString& device, const QString& description, const QString& maker) {
    QString about = description.trimmed();
    const QString by = maker.trimmed();
    // Drivers often repeat the maker in the description ("FTDI FT232R"); say it once.
    if (!by.isEmpty() && !about.contains(by, Qt::CaseInsensitive))
        about = about.isEmpty() ? by : about + QStringLiteral(" (") + by + QLatin1Char(')');
    return about.isEmpty() ? device : device + QStringLiteral(" — ") + about;
}

QList<PortEntry> availablePorts(const QString& emulatorLink) {
    QList<PortEntry> ports = systemSerialPorts();
    // ttyS2 before ttyS10, as people count.
    QCollator natural;
    natural.setNumericMode(true);
    std::sort(ports.begin(), ports.end(), [&natural](const PortEntry& a, const PortEntry& b) {
        return natural.compare(a.device, b.device) < 0;
    });
    // A link left behind by an emulator that died points nowhere and is not offered.
    if (!emulatorLink.isEmpty() && QFileInfo::exists(emulatorLink))
        ports.append({emulatorLink,
                      portLabel(emulatorLink, QStringLiteral("virtuální modul stv2-emu"), {})});
    return ports;
}

QStringList availablePortLabels(const QString& emulatorLink) {
    QStringList labels;
    for (const PortEntry& p : availablePorts(emulatorLink))
        labels << p.label;
    return labels;
}

QString emulatorLinkPath(const QString& settingsPath) {
    return QFileInfo(settingsPath).absolutePath() + QStringLiteral("/stv2-emu.tty");
}

int comNumber(const QString& device) {
    static const QRegularExpression com(QStringLiteral("^COM([1-9][0-9]{0,5})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = com.match(device);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

PortArgument parsePortArgument(const QString& text) {
    PortArgument port;
    // Anything that looks like a number is taken as one, so that "0" or "-1" is an error and
    // never a device of that name.
    static const QRegularExpression number(QStringLiteral("^(COM)?\\s*([+-]?[0-9]+)$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = number.match(text.trimmed());
    if (text.trimmed().isEmpty()) {
        port.error = QStringLiteral("--port needs a COM number (1 or more) or a device path");
    } else if (m.hasMatch()) {
        bool ok = false;
        port.number = m.captured(2).toInt(&ok);
        if (!ok || port.number < 1 || port.number > kMaxComNumber) {
            port.number = 0;
            port.error =
                QStringLiteral("COM numbers are 1..%1, not %2").arg(kMaxComNumber).arg(text);
        }
    } else {
        port.device = text;
    }
    return port;
}
