#include "link/porterror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
const QString kChooseHint = QStringLiteral("Přenos → Nastavení RS232, ve stavnikctl volba --port");

#ifdef Q_OS_LINUX
// The program that has the device open, "minicom, PID 812", from /proc; only processes of the
// same user (or all, for root) can be seen, which is where the culprit usually is.
QString holderOf(const QString& device) {
    const QString target = QFileInfo(device).canonicalFilePath();
    const QString self = QString::number(QCoreApplication::applicationPid());
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (pid == self || !pid.front().isDigit())
            continue;
        const QDir fds(proc.filePath(pid + QStringLiteral("/fd")));
        for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
            if (fd.symLinkTarget() != target)
                continue;
            QFile comm(proc.filePath(pid + QStringLiteral("/comm")));
            const QString name = comm.open(QIODevice::ReadOnly)
                                     ? QString::fromLocal8Bit(comm.readAll()).trimmed()
                                     : QStringLiteral("?");
            return name + QStringLiteral(", PID ") + pid;
        }
    }
    return QString();
}
#endif
// What the path is instead of a serial device, as ", ale …"; empty when it is a device.
QString notSerialKind(const PortFacts& f) {
    if (f.directory)
        return QStringLiteral(", ale složka");
    if (f.regularFile)
        return QStringLiteral(", ale obyčejný soubor");
    if (f.pipe)
        return QStringLiteral(", ale pojmenovaná roura (FIFO)");
    if (f.socket)
        return QStringLiteral(", ale socket");
    if (f.inspected && f.exists && !f.characterDevice)
        return QStringLiteral(", ale blokové zařízení");
    return QString();
}
} // namespace

PortFacts portFacts(const QString& device) {
    PortFacts f;
#ifdef Q_OS_UNIX
    f.inspected = true;
    const QByteArray path = QFile::encodeName(device);
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return f;
    f.exists = true;
    f.characterDevice = S_ISCHR(st.st_mode);
    f.directory = S_ISDIR(st.st_mode);
    f.regularFile = S_ISREG(st.st_mode);
    f.pipe = S_ISFIFO(st.st_mode);
    f.socket = S_ISSOCK(st.st_mode);
    f.readWriteAllowed = ::access(path.constData(), R_OK | W_OK) == 0;
    const group* g = ::getgrgid(st.st_gid);
    f.group = g ? QString::fromLocal8Bit(g->gr_name) : QString::number(st.st_gid);
    const passwd* u = ::getpwuid(st.st_uid);
    f.owner = u ? QString::fromLocal8Bit(u->pw_name) : QString::number(st.st_uid);
    f.groupMayReadWrite = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
#ifdef Q_OS_LINUX
    if (f.characterDevice && f.readWriteAllowed)
        f.holder = holderOf(device);
#endif
#else
    Q_UNUSED(device);
#endif
    return f;
}

PortProblem classifyPortFailure(const PortFailure& failure) {
    const PortFacts& f = failure.facts;
    if (!f.inspected) {
        // Windows answers "access denied" for a port another program has open.
        switch (failure.error) {
        case PortOpenError::DeviceNotFound:
            return PortProblem::Missing;
        case PortOpenError::Permission:
            return PortProblem::Busy;
        case PortOpenError::UnsupportedOperation:
            return PortProblem::NotSerial;
        default:
            return PortProblem::Other;
        }
    }
    if (!f.exists)
        return PortProblem::Missing;
    if (!f.characterDevice)
        return PortProblem::NotSerial;
    switch (failure.error) {
    case PortOpenError::Permission:
        return f.readWriteAllowed ? PortProblem::Busy : PortProblem::Permission;
    case PortOpenError::UnsupportedOperation: // a device that is no terminal, e.g. /dev/null
        return PortProblem::NotSerial;
    case PortOpenError::DeviceNotFound: // a node left without its hardware
        return PortProblem::Missing;
    default:
        return PortProblem::Other;
    }
}

QString portFailureText(const PortFailure& failure, const QStringList& existing) {
    const QString& device = failure.device;
    const PortFacts& f = failure.facts;
    switch (classifyPortFailure(failure)) {
    case PortProblem::Missing: {
        QString text = QStringLiteral("Zařízení %1 neexistuje. Je modul připojen a převodník "
                                      "zasunut do počítače?\n")
                           .arg(device);
        if (existing.isEmpty())
            text += QStringLiteral("Počítač teď nemá žádné sériové zařízení.\n");
        else
            text += QStringLiteral("Sériová zařízení tohoto počítače:\n  ") +
                    existing.join(QStringLiteral("\n  ")) + QLatin1Char('\n');
        return text +
               QStringLiteral("Připojte modul, nebo zvolte jiné zařízení (%1).").arg(kChooseHint);
    }
    case PortProblem::Permission:
        if (!f.groupMayReadWrite)
            return QStringLiteral("Nemáte oprávnění otevřít %1: smí ho otevřít jen jeho vlastník "
                                  "(%2). Přístup vám musí povolit správce počítače.")
                .arg(device, f.owner);
        return QStringLiteral("Nemáte oprávnění otevřít %1: zařízení patří skupině %2 a váš "
                              "uživatel v ní není.\nPřidejte se do ní příkazem\n"
                              "  sudo usermod -aG %2 $USER\na pak se odhlaste a znovu "
                              "přihlaste: nová skupina platí až od dalšího přihlášení.")
            .arg(device, f.group);
    case PortProblem::Busy:
        return QStringLiteral("Zařízení %1 právě používá jiný program%2.\nUkončete ho, nebo v "
                              "něm port zavřete, a zkuste to znovu.")
            .arg(device, f.holder.isEmpty() ? QString()
                                            : QStringLiteral(" (") + f.holder + QLatin1Char(')'));
    case PortProblem::NotSerial:
        return QStringLiteral("%1 není sériové zařízení%2.\nZvolte sériový port modulu (%3).")
            .arg(device, notSerialKind(f), kChooseHint);
    case PortProblem::Other:
        break;
    }
    return QStringLiteral("Zařízení %1 nelze otevřít: %2.").arg(device, failure.systemText);
}
