#include "settings/safesave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QVector>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/xattr.h>
#endif

namespace safesave {
namespace {

// The kernel gives up after as many links in a row.
constexpr int kMaxLinkHops = 40;
// An in-place write keeps the old contents up to this size, to put them back if it fails.
constexpr qint64 kUndoLimit = 64 * 1024 * 1024;

Problem problemOf(int error) {
    switch (error) {
    case ENOSPC:
    case EFBIG:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return Problem::DiskFull;
    case EACCES:
    case EPERM:
        return Problem::NoPermission;
    case EROFS:
        return Problem::ReadOnlyDisk;
    case ENOENT:
    case ENOTDIR:
        return Problem::MissingFolder;
#ifdef ELOOP
    case ELOOP:
        return Problem::Loop;
#endif
    default:
        return Problem::Other;
    }
}

Result failed(int error) {
    Result r;
    r.reason = qt_error_string(error);
    r.problem = problemOf(error);
    return r;
}

Result refused(Problem problem, const QString& reason) {
    Result r;
    r.reason = reason;
    r.problem = problem;
    return r;
}

#ifdef Q_OS_UNIX
QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

QString notRegularText(mode_t mode) {
    if (S_ISDIR(mode))
        return QStringLiteral("Is a folder, not a regular file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("Is a device, not a regular file");
    if (S_ISFIFO(mode))
        return QStringLiteral("Is a named pipe (FIFO), not a regular file");
    if (S_ISSOCK(mode))
        return QStringLiteral("Is a socket, not a regular file");
    return QStringLiteral("Not a regular file");
}

// Where a write to `path` lands: the end of its chain of symbolic links (which need not exist
// yet), resolved as QSaveFile would, but a loop is an error instead of a file put in its place.
Result finalTarget(const QString& path, QString* target) {
    QString p = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(native(p).constData(), &st) != 0) {
            if (errno != ENOENT)
                return failed(errno);
            *target = p;
            return Result();
        }
        if (!S_ISLNK(st.st_mode)) {
            *target = p;
            return Result();
        }
        QByteArray link(static_cast<qsizetype>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(native(p).constData(), link.data(), link.size());
        if (n < 0 || n >= link.size())
            return failed(n < 0 ? errno : ENAMETOOLONG);
        link.truncate(n);
        const QString next = QFile::decodeName(link);
        if (native(next) != link)
            return refused(Problem::BadName, nameProblem(next));
        p = QFileInfo(next).isAbsolute() ? next : QFileInfo(p).absolutePath() + '/' + next;
    }
    return failed(ELOOP);
}

int accessError(const QString& path) {
    return ::access(native(path).constData(), W_OK) == 0 ? 0 : errno;
}

QString folderOf(const QString& path) {
    return QFileInfo(path).absolutePath();
}

#ifdef Q_OS_LINUX
QList<QByteArray> attributeNames(const QByteArray& list) {
    QList<QByteArray> names = list.split('\0');
    names.removeAll(QByteArray());
    return names;
}

// The extended attributes of `source` (ACLs are among them) on the new file `fd`, and none
// that the old file did not have (a default ACL of the folder, say).
bool copyAttributes(const QByteArray& source, int fd) {
    QByteArray list(65536, '\0');
    ssize_t n = ::listxattr(source.constData(), list.data(), list.size());
    if (n < 0)
        return errno == ENOTSUP;
    const QList<QByteArray> wanted = attributeNames(list.left(n));
    n = ::flistxattr(fd, list.data(), list.size());
    for (const QByteArray& name : attributeNames(n < 0 ? QByteArray() : list.left(n)))
        if (!wanted.contains(name) && ::fremovexattr(fd, name.constData()) != 0)
            return false;
    QByteArray value(65536, '\0');
    for (const QByteArray& name : wanted) {
        const ssize_t size = ::getxattr(source.constData(), name.constData(), value.data(),
                                        static_cast<size_t>(value.size()));
        if (size < 0 ||
            ::fsetxattr(fd, name.constData(), value.constData(), static_cast<size_t>(size), 0) != 0)
            return false;
    }
    return true;
}
#endif

// The new file `fd` gets the old file's owner, group, attributes and mode, in that order (a
// change of owner clears the set-id bits, an ACL rewrites the group bits).
bool keepIdentity(int fd, const QString& oldFile, const struct stat& old) {
    struct stat now {};
    if (::fstat(fd, &now) != 0)
        return false;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
#ifdef Q_OS_LINUX
    if (!copyAttributes(native(oldFile), fd))
        return false;
#else
    Q_UNUSED(oldFile);
#endif
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

bool writeAt(int fd, const QByteArray& bytes, int* error) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::pwrite(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *error = n < 0 ? errno : ENOSPC;
            return false;
        }
        done += n;
    }
    return true;
}

// Into the file itself, so that it keeps its identity (owner, links, folder). A failure
// part-way puts the old contents back where the system allows it.
Result writeInPlace(const QString& target, const QByteArray& bytes, InPlace why) {
    Result r;
    r.inPlace = true;
    r.inPlaceWhy = why;
    const int flags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = ::open(native(target).constData(), O_RDWR | flags);
    // A file the user may write but not read is written all the same, with nothing to undo.
    if (fd < 0 && errno == EACCES)
        fd = ::open(native(target).constData(), O_WRONLY | flags);
    if (fd < 0) {
        const Result f = failed(errno);
        r.reason = f.reason;
        r.problem = f.problem;
        return r;
    }
    struct stat st {};
    int error = 0;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        r.reason = notRegularText(st.st_mode);
        r.problem = Problem::NotRegular;
        return r;
    }
    QByteArray old;
    if (st.st_size <= kUndoLimit) {
        old.resize(static_cast<qsizetype>(st.st_size));
        if (::pread(fd, old.data(), static_cast<size_t>(old.size()), 0) != old.size())
            old.clear();
    }
    if (writeAt(fd, bytes, &error) && ::ftruncate(fd, bytes.size()) == 0 && ::fsync(fd) == 0) {
        ::close(fd);
        r.saved = true;
        return r;
    }
    if (error == 0)
        error = errno;
    if (old.size() == st.st_size) {
        int ignored = 0;
        if (writeAt(fd, old, &ignored))
            (void)::ftruncate(fd, old.size());
    }
    ::close(fd);
    const Result f = failed(error);
    r.reason = f.reason;
    r.problem = f.problem;
    return r;
}
#endif

// Through a temporary file that takes the target's place only when complete. `old` describes
// the file replaced, whose identity the new one takes over; null for a new file.
Result replace(const QString& target, const QByteArray& bytes, const void* old) {
    QSaveFile file(target);
#ifndef Q_OS_UNIX
    // A folder that takes no new file cannot be told beforehand here: the file is then written
    // directly, as the Unix way decides on purpose.
    file.setDirectWriteFallback(true);
#endif
    // Unbuffered: a write failing only when a buffer is flushed on commit() would go unnoticed
    // by QSaveFile, which would then put a cut-off file in place of the old one.
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        Result r = failed(errno ? errno : EIO);
        r.reason = file.errorString();
        return r;
    }
#ifdef Q_OS_UNIX
    if (old && !keepIdentity(file.handle(), target, *static_cast<const struct stat*>(old))) {
        file.cancelWriting();
        Result r;
        r.inPlaceWhy = InPlace::Owner;
        return r;
    }
#else
    Q_UNUSED(old);
#endif
    qint64 done = 0;
    while (done < bytes.size()) {
        errno = 0;
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        // A device may take fewer bytes than offered without an error (a disk that fills up
        // mid-write does exactly that); the next attempt then reports why.
        if (n <= 0) {
            Result r = failed(errno ? errno : ENOSPC);
            if (file.error() != QFileDevice::NoError)
                r.reason = file.errorString();
            file.cancelWriting();
            return r;
        }
        done += n;
    }
    errno = 0;
    if (!file.commit()) {
        Result r = failed(errno ? errno : EIO);
        r.reason = file.errorString();
        return r;
    }
    Result r;
    r.saved = true;
    return r;
}

} // namespace

QString nameProblem(const QString& path) {
    if (path.isEmpty())
        return QStringLiteral("No file name");
    // What a byte that is not UTF-8 becomes in a name read from the system or a command line.
    if (path.contains(QChar::ReplacementCharacter))
        return QStringLiteral("The name contains bytes that are not UTF-8 (shown as \uFFFD); it "
                              "cannot be used as given: %1")
            .arg(path);
    return QString();
}

Result check(const QString& path) {
    if (const QString bad = nameProblem(path); !bad.isEmpty())
        return refused(Problem::BadName, bad);
#ifdef Q_OS_UNIX
    QString target;
    if (Result r = finalTarget(path, &target); r.problem != Problem::None)
        return r;
    struct stat st {};
    if (::stat(native(target).constData(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return refused(Problem::NotRegular, notRegularText(st.st_mode));
        // A file that exists is saved over when it can itself be written, in place if its
        // folder takes no new file.
        const int error = accessError(target);
        return error ? failed(error) : Result();
    }
    if (errno != ENOENT)
        return failed(errno);
    const int error = accessError(folderOf(target));
    return error ? failed(error) : Result();
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return refused(Problem::NotRegular, QStringLiteral("Not a regular file"));
    // Told before anything is done, as on Unix: a read must not run for a file it cannot save.
    if (!info.absoluteDir().exists())
        return failed(ENOENT);
    return Result();
#endif
}

Result write(const QString& path, const QByteArray& bytes) {
    Result r = check(path);
    if (r.problem != Problem::None)
        return r;
#ifdef Q_OS_UNIX
    QString target;
    finalTarget(path, &target);
    struct stat st {};
    if (::stat(native(target).constData(), &st) != 0)
        return replace(target, bytes, nullptr);
    InPlace why = InPlace::No;
    if (st.st_nlink > 1)
        why = InPlace::HardLinks;
    else if (accessError(folderOf(target)) != 0)
        why = InPlace::ReadOnlyFolder;
    if (why == InPlace::No) {
        r = replace(target, bytes, &st);
        if (r.inPlaceWhy != InPlace::Owner)
            return r;
        why = InPlace::Owner;
    }
    return writeInPlace(target, bytes, why);
#else
    return replace(path, bytes, nullptr);
#endif
}

QString problemClause(Problem problem) {
    switch (problem) {
    case Problem::BadName:
        return QStringLiteral("jeho název obsahuje znaky, které nejsou platné UTF-8");
    case Problem::Loop:
        return QStringLiteral("symbolické odkazy na něj vedou v kruhu");
    case Problem::NotRegular:
        return QStringLiteral("cíl není obyčejný soubor, ale zařízení, roura nebo složka");
    case Problem::MissingFolder:
        return QStringLiteral("složka neexistuje");
    case Problem::NoPermission:
        return QStringLiteral("nemáte oprávnění k zápisu");
    case Problem::ReadOnlyDisk:
        return QStringLiteral("disk je jen pro čtení");
    case Problem::DiskFull:
        return QStringLiteral("na disku není místo");
    case Problem::None:
    case Problem::Other:
        break;
    }
    return QString();
}

QString failureSentence(Problem problem) {
    const QString clause = problemClause(problem);
    return clause.isEmpty() ? QStringLiteral("Soubor nelze uložit.")
                            : QStringLiteral("Soubor nelze uložit: ") + clause + QLatin1Char('.');
}

Problem problemOfError(int error) {
    return problemOf(error);
}

QString inPlaceSentence(InPlace why) {
    switch (why) {
    case InPlace::ReadOnlyFolder:
        return QStringLiteral("Složka je jen pro čtení, soubor byl proto přepsán přímo: ");
    case InPlace::HardLinks:
        return QStringLiteral("Soubor má více jmen (pevných odkazů), byl proto přepsán přímo, "
                              "aby nový obsah viděla všechna: ");
    case InPlace::Owner:
        return QStringLiteral("Nový soubor by nemohl mít vlastníka a práva původního, soubor byl "
                              "proto přepsán přímo: ");
    case InPlace::No:
        break;
    }
    return QString();
}

bool openForReading(QFile& file, const QString& path, QString* reason) {
    *reason = nameProblem(path);
    if (!reason->isEmpty())
        return false;
#ifdef Q_OS_UNIX
    const int fd = ::open(native(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *reason = qt_error_string(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *reason = notRegularText(st.st_mode);
        ::close(fd);
        return false;
    }
    (void)::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
#else
    file.setFileName(path);
    if (file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return true;
#endif
    *reason = file.errorString();
    return false;
}

ReadResult read(const QString& path, qint64 limit) {
    ReadResult r;
    r.problem = nameProblem(path);
    if (!r.problem.isEmpty())
        return r;
#ifdef Q_OS_UNIX
    const int fd = ::open(native(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        r.exists = errno != ENOENT;
        r.ok = !r.exists;
        if (errno == ELOOP)
            r.problem = qt_error_string(ELOOP);
        return r;
    }
    r.exists = true;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && !S_ISREG(st.st_mode))
        r.problem = notRegularText(st.st_mode);
    // What is there now; a pipe or terminal with nothing waiting ends the read, not the program.
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            r.ok = n == 0 || errno == EAGAIN;
            break;
        }
        r.bytes.append(buffer, n);
        if (r.bytes.size() > limit)
            break;
    }
    ::close(fd);
    if (r.bytes.size() > limit)
        r.ok = false;
#else
    QFile file(path);
    r.exists = file.exists();
    r.ok = !r.exists;
    if (r.exists && file.open(QIODevice::ReadOnly)) {
        r.bytes = file.read(limit + 1);
        r.ok = r.bytes.size() <= limit && file.error() == QFileDevice::NoError;
    }
#endif
    return r;
}

} // namespace safesave
