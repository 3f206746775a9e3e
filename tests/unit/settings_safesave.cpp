#include "settings/safesave.h"
#include "support/privileges.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using safesave::InPlace;
using safesave::Problem;

class SafeSaveTest : public QObject {
    Q_OBJECT
private slots:
    void targets_data();
    void targets();
};

// Each row makes trasy.txt (or a name) in a fresh folder, saves "new" over it and compares what
// the system says about the file before and after.
void SafeSaveTest::targets_data() {
    // What is there: owned (by nobody), rootfile (root's, writable by all), xattr, hardlink,
    // loop, dangling (a link into a missing folder), badname (the name to save is not UTF-8).
    QTest::addColumn<QString>("make");
    QTest::addColumn<bool>("asNobody"); // root saves as "nobody" (skipped for other users)
    QTest::addColumn<bool>("fullDisk");
    QTest::addColumn<int>("inPlace"); // InPlace
    QTest::addColumn<int>("problem"); // Problem; None: saved
    const auto row = [](const char* name, const char* make, bool nobody, bool full, InPlace in,
                        Problem problem) {
        QTest::newRow(name) << QString(make) << nobody << full << int(in) << int(problem);
    };
    row("a user's file saved by root", "owned", false, false, InPlace::No, Problem::None);
    row("extended attributes", "xattr", false, false, InPlace::No, Problem::None);
    row("another user's file: in place", "rootfile", true, false, InPlace::Owner, Problem::None);
    row("hard link: in place", "hardlink", false, false, InPlace::HardLinks, Problem::None);
    row("in place on a full disk: old contents back", "hardlink", false, true, InPlace::HardLinks,
        Problem::DiskFull);
    row("loop of links", "loop", false, false, InPlace::No, Problem::Loop);
    row("link into a missing folder", "dangling", false, false, InPlace::No,
        Problem::MissingFolder);
    row("name that is not UTF-8", "badname", false, false, InPlace::No, Problem::BadName);
}

void SafeSaveTest::targets() {
    QFETCH(QString, make);
    QFETCH(bool, asNobody);
    QFETCH(bool, fullDisk);
    QFETCH(int, inPlace);
    QFETCH(int, problem);
    if ((make == "owned" || asNobody) && geteuid() != 0)
        QSKIP("needs root: owners other than the saving user");
    QTemporaryDir dir;
    chmod(QFile::encodeName(dir.path()).constData(), 0777);
    QString path = dir.filePath(QStringLiteral("trasy.txt"));
    const QByteArray at = QFile::encodeName(path);
    const QByteArray old = "S2.6\r\nold\r\n";
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(old) == old.size());
    f.close();
    chmod(at.constData(), make == "rootfile" ? 0666 : 0640);
    if (make == "owned")
        QCOMPARE(chown(at.constData(), 65534, 65534), 0);
    if (make == "xattr" && setxattr(at.constData(), "user.stavnik", "x", 1, 0) != 0)
        QSKIP("no extended attributes on this file system");
    if (make == "hardlink")
        QCOMPARE(link(at.constData(), QFile::encodeName(path + ".2").constData()), 0);
    if (make == "loop")
        QVERIFY(QFile::remove(path) && QFile::link(path + ".b", path) &&
                QFile::link(path, path + ".b"));
    if (make == "dangling")
        QVERIFY(QFile::remove(path) && QFile::link(dir.filePath("neni/x.txt"), path));
    if (make == "badname")
        path = dir.filePath(QStringLiteral("star\uFFFD.txt"));
    struct stat before {};
    lstat(at.constData(), &before);
    const QStringList entries = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System);

    const QByteArray longer = "S2.6\r\nnew and longer\r\n";
    safesave::Result r;
    {
        std::optional<WithoutRootRights> nobody;
        if (asNobody)
            nobody.emplace();
        // Room to overwrite the old bytes but not to grow, as on a full disk.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit small{16, saved.rlim_max};
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, fullDisk ? &small : &saved);
        r = safesave::write(path, longer);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
    }
    QCOMPARE(int(r.problem), problem);
    QCOMPARE(r.saved, problem == int(Problem::None));
    QCOMPARE(int(r.inPlaceWhy), inPlace);
    QVERIFY(r.saved ? r.reason.isEmpty() : !r.reason.isEmpty());
    if (make == "loop")
        QCOMPARE(r.reason, qt_error_string(ELOOP));
    struct stat after {};
    lstat(at.constData(), &after);
    // Nothing the user did not ask for: the same kind, owner, group, mode and links.
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QCOMPARE(after.st_nlink, before.st_nlink);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System), entries);
    if (make == "xattr") {
        char value[4] = {};
        QCOMPARE(getxattr(at.constData(), "user.stavnik", value, sizeof value), ssize_t(1));
    }
    if (S_ISREG(before.st_mode)) {
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), r.saved ? longer : old);
    }
    if (make == "hardlink") { // the other name sees the same
        QFile other(path + ".2");
        QVERIFY(other.open(QIODevice::ReadOnly));
        QCOMPARE(other.readAll(), r.saved ? longer : old);
    }
}

QTEST_GUILESS_MAIN(SafeSaveTest)
#include "settings_safesave.moc"
