#include "data/history.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX // file size limits
#include <csignal>
#include <sys/resource.h>
#endif

namespace {
// Entry `label` (kept in its part) of module `answer` with contents `seed`.
history::Entry entry(const QString& label, const QString& answer, int seed) {
    history::Entry e;
    e.time = QDateTime::currentDateTimeUtc();
    e.kind = history::Kind::Read;
    e.part = label;
    e.answer = answer;
    e.capacity = 20;
    for (int a = 1; a < image::kConfigSize; ++a) {
        e.known.set(std::size_t(a));
        e.bytes[std::size_t(a)] = std::uint8_t(a * seed);
    }
    e.bytes[1] = std::uint8_t(seed);
    e.bytes[2] = std::uint8_t(seed >> 8);
    return e;
}

// Writes entries `first` .. `first + count - 1` into `folder` at a bound of `bound` entries;
// the number of writes that failed.
int writeEntries(const QString& folder, int first, int count, const history::Limits& limits) {
    int failed = 0;
    for (int seed = first; seed < first + count; ++seed)
        failed +=
            !history::write(folder, entry(QString::number(seed), "X", seed), limits).written();
    return failed;
}

// One more entry, on a disk that takes no more than 4 KB in any file.
history::WriteResult writeOnFullDisk(const QString& folder, const history::Limits& limits) {
#ifdef Q_OS_UNIX
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit small{4096, saved.rlim_max};
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const history::WriteResult r = history::write(folder, entry("full", "X", 98), limits);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    return r;
#else // no file size limit to stand in for a full disk here; the row is skipped
    return history::write(folder, entry("full", "X", 98), limits);
#endif
}

// Files another program or the user keeps in the folder, some looking like the history's own.
QMap<QString, QByteArray> strangers() {
    QMap<QString, QByteArray> files{{"notes.txt", "my own notes\n"},
                                    {"big.bin", QByteArray(3 << 20, 'x')},
                                    {"0123456789abcdef0123456789abcdef.txt", "not a data file\n"}};
    for (int k = 1; k <= 40; ++k)
        files.insert(QStringLiteral("s%1-20200101-000000-000_abcdef01_"
                                    "0123456789abcdef0123456789abcdef.entry")
                         .arg(k, 10, 10, QLatin1Char('0')),
                     "someone else's\n");
    return files;
}

QStringList parts(const history::Listing& l) {
    QStringList list;
    for (const history::Entry& e : l.entries)
        list << e.part;
    return list;
}
} // namespace

class HistoryTest : public QObject {
    Q_OBJECT
private slots:
    // Entries written in order as "label answer seed"; what stays, newest first, and how many
    // data files hold it.
    void bounds_data() {
        QTest::addColumn<QStringList>("writes");
        QTest::addColumn<int>("maxEntries");
        QTest::addColumn<int>("maxDataFiles"); // the size bound, in data files of 2244 lines
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<int>("dataFiles");
        QTest::newRow("same contents stored once") << QStringList{"a X 1", "b X 1", "c X 1"} << 500
                                                   << 100 << QStringList{"c", "b", "a"} << 1;
        QTest::newRow("same contents later") << QStringList{"a X 1", "b X 2", "c X 1"} << 500 << 100
                                             << QStringList{"c", "b", "a"} << 2;
        QTest::newRow("count") << QStringList{"a X 1", "b X 2", "c X 3", "d X 4"} << 2 << 100
                               << QStringList{"d", "c"} << 2;
        QTest::newRow("newest of each module stays")
            << QStringList{"a X 1", "b Y 2", "c Y 3", "d Y 4"} << 2 << 100 << QStringList{"d", "a"}
            << 2;
        QTest::newRow("shared contents stay while referred to")
            << QStringList{"a X 1", "b X 1", "c X 2"} << 2 << 100 << QStringList{"c", "b"} << 2;
        QTest::newRow("size") << QStringList{"a X 1", "b X 2", "c X 3", "d X 4"} << 500 << 2
                              << QStringList{"d", "c"} << 2;
    }
    void bounds() {
        QFETCH(QStringList, writes);
        QFETCH(int, maxEntries);
        QFETCH(int, maxDataFiles);
        QFETCH(QStringList, kept);
        QFETCH(int, dataFiles);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("history"));
        // The size of one data file and its side-car is the same for every seed here.
        const qint64 unit = history::dataFileBytes(entry("a", "X", 1)).size() + 400;
        const history::Limits limits{maxEntries, unit * maxDataFiles};
        for (const QString& w : writes) {
            const QStringList f = w.split(QLatin1Char(' '));
            QCOMPARE(history::write(folder, entry(f[0], f[1], f[2].toInt()), limits).problem,
                     QString());
        }
        history::Listing l = history::list(folder);
        QCOMPARE(history::load(l.entries.first()), QString());
        QCOMPARE(l.damaged.size(), 0);
        QCOMPARE(parts(l), kept);
        QCOMPARE(QDir(folder).entryList({"*.txt"}, QDir::Files).size(), dataFiles);
        QCOMPARE(l.entries.first().bytes[100],
                 std::uint8_t(100 * writes.last().back().digitValue()));
    }

    // A folder at its bound of 12 entries, then `writers` programs writing `rounds` entries
    // each at once: every write takes its turn, so the newest 12 by the order of writing are
    // there, each with its data file, and nothing else in the folder is counted or touched.
    void keepsEveryEntry_data() {
        QTest::addColumn<int>("writers");
        QTest::addColumn<int>("rounds");
        QTest::addColumn<bool>("foreign"); // strangers() in the folder
        QTest::addColumn<QString>("last"); // "clock behind", "damaged" or "full disk"
        QTest::newRow("one writer") << 1 << 5 << false << "";
        QTest::newRow("four writers") << 4 << 15 << false << "";
        QTest::newRow("four writers among strangers") << 4 << 10 << true << "";
        QTest::newRow("clock behind") << 1 << 2 << false << "clock behind";
        QTest::newRow("data file changed") << 1 << 2 << false << "damaged";
        QTest::newRow("full disk") << 1 << 2 << true << "full disk";
    }
    void keepsEveryEntry() {
        QFETCH(int, writers);
        QFETCH(int, rounds);
        QFETCH(bool, foreign);
        QFETCH(QString, last);
        QTemporaryDir dir;
        const QString folder = dir.path();
        constexpr int kBound = 12;
        // Room for twice the entries, but not for a stranger's big file besides.
        const qint64 bytes = 2 * kBound * (history::dataFileBytes(entry("1", "X", 1)).size() + 400);
        const history::Limits limits{kBound, bytes};
        QCOMPARE(writeEntries(folder, 1, kBound, limits), 0);
        const QMap<QString, QByteArray> others =
            foreign ? strangers() : QMap<QString, QByteArray>();
        const QDateTime old = QDateTime::currentDateTime().addDays(-1);
        for (auto it = others.cbegin(); it != others.cend(); ++it) {
            QFile f(dir.filePath(it.key()));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(*it) == it->size());
            QVERIFY(f.setFileTime(old, QFileDevice::FileModificationTime));
        }
        QList<QProcess*> running;
        for (int w = 0; w < writers; ++w) {
            auto* p = new QProcess(this);
            p->start(QCoreApplication::applicationFilePath(),
                     {"--writer", folder, QString::number(1000 * (w + 1)), QString::number(rounds),
                      QString::number(kBound), QString::number(bytes)});
            running << p;
        }
        for (QProcess* p : running) {
            QVERIFY(p->waitForFinished(120000));
            QCOMPARE(p->exitCode(), 0);
        }
        int written = kBound + writers * rounds;
        const QStringList before = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        if (last == "clock behind") {
            history::Entry e = entry("behind", "X", 99);
            e.time = QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
            QVERIFY(history::write(folder, e, limits).written());
            ++written;
        } else if (last == "full disk") {
#ifndef Q_OS_UNIX
            QSKIP("no file size limit to stand in for a full disk here");
#endif
            const history::WriteResult r = writeOnFullDisk(folder, limits);
            QCOMPARE(r.problem, QStringLiteral("na disku není místo"));
            QVERIFY2(r.details.contains(qt_error_string(EFBIG)), qPrintable(r.details));
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), before);
        } else if (last == "damaged") {
            const QString newest = QDir(folder).entryList({"s*.entry"}, QDir::Files).last();
            QFile f(dir.filePath(newest.section('_', 2).replace(".entry", ".txt")));
            QVERIFY(f.open(QIODevice::ReadWrite));
            const QByteArray changed = f.readAll().replace("0100:", "0100:F");
            QVERIFY(f.seek(0) && f.resize(0) && f.write(changed) == changed.size());
        }
        const history::Listing l = history::list(folder);
        const int damaged = last == "damaged" ? 1 : 0;
        // The strangers' look-alike side-cars are named, and none of ours but the changed one.
        QCOMPARE(l.damaged.size(), damaged + (foreign ? 40 : 0));
        if (damaged)
            QVERIFY(l.damaged.first().reason.startsWith("datový soubor byl změněn"));
        QCOMPARE(l.entries.size() + damaged, kBound);
        // No write lost its turn: the sequence numbers of what is kept run without a gap up to
        // the number of writes.
        for (int i = 0; i < l.entries.size(); ++i)
            QCOMPARE(l.entries.at(i).sequence, written - i - damaged);
        if (last == "clock behind")
            QCOMPARE(l.entries.first().part, QStringLiteral("behind"));
        for (auto it = others.cbegin(); it != others.cend(); ++it) {
            QFile f(dir.filePath(it.key()));
            QVERIFY2(f.open(QIODevice::ReadOnly) && f.readAll() == *it, qPrintable(it.key()));
        }
        QCOMPARE(l.foreign.size(), foreign ? 2 : 0); // notes.txt and big.bin
        QCOMPARE(QDir(folder).entryList({"????????????????????????????????.txt"}).size() -
                     (foreign ? 1 : 0),
                 kBound);
    }

    // The descriptions on screen or in the stored file go into the entry's data file, marked
    // as such, and come back when it is read; an entry without them leaves them empty.
    void descriptionsTravelWithTheEntry_data() {
        QTest::addColumn<QString>("from");
        QTest::newRow("from the screen") << "screen";
        QTest::newRow("from a stored file") << "file";
        QTest::newRow("none kept") << "";
    }
    void descriptionsTravelWithTheEntry() {
        QFETCH(QString, from);
        QTemporaryDir dir;
        history::Entry e = entry("a", "X", 3);
        if (!from.isEmpty()) {
            e.descriptionsFrom = from;
            for (int n = 1; n <= image::kRouteCount; ++n)
                e.descriptions << (n == 7 ? QStringLiteral("Vjezd č. 7") : QString());
        }
        QVERIFY(history::write(dir.path(), e).written());
        history::Listing l = history::list(dir.path());
        QCOMPARE(history::load(l.entries.first()), QString());
        QCOMPARE(l.entries.first().descriptionsFrom, from);
        const ConfigStore c = history::contents(l.entries.first());
        QCOMPARE(c.route(7).description, from.isEmpty() ? QString() : "Vjezd č. 7");
    }

    // A hand-edited or damaged entry is skipped with its name and why; the others stay listed.
    void damaged_data() {
        QTest::addColumn<QString>("file"); // the suffix: "entry" or the data file's "txt"
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to"); // empty `from`: the whole file becomes `to`
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty side-car")
            << "entry" << QByteArray() << QByteArray() << "není záznam historie";
        QTest::newRow("binary side-car") << "entry" << QByteArray()
                                         << QByteArray("\x7f"
                                                       "ELF\0\1",
                                                       6)
                                         << "není záznam historie";
        QTest::newRow("a key missing")
            << "entry" << QByteArray("kind=") << QByteArray("kinx=") << "chybí údaj kind";
        QTest::newRow("unknown kind")
            << "entry" << QByteArray("kind=read") << QByteArray("kind=write")
            << "neplatný čas, druh nebo výsledek";
        QTest::newRow("bad time") << "entry" << QByteArray("time=2") << QByteArray("time=x")
                                  << "neplatný čas, druh nebo výsledek";
        QTest::newRow("addresses beyond memory")
            << "entry" << QByteArray("known=1-") << QByteArray("known=1-99999,1-")
            << "neplatný seznam známých adres";
        QTest::newRow("addresses backwards")
            << "entry" << QByteArray("known=1-") << QByteArray("known=9-2,1-")
            << "neplatný seznam známých adres";
        QTest::newRow("data file elsewhere")
            << "entry" << QByteArray("data=") << QByteArray("data=../")
            << "neplatné jméno datového souboru";
        QTest::newRow("data file gone")
            << "txt" << QByteArray() << QByteArray("-") << "chybí datový soubor";
        QTest::newRow("data file changed")
            << "txt" << QByteArray("0064:") << QByteArray("0064:1")
            << "datový soubor byl změněn: obsah neodpovídá jeho jménu";
    }
    void damaged() {
        QFETCH(QString, file);
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString folder = dir.path();
        QVERIFY(history::write(folder, entry("old", "X", 1)).written());
        QVERIFY(history::write(folder, entry("new", "X", 2)).written());
        const QDir d(folder);
        const QString newest = d.entryList({"*.entry"}, QDir::Files, QDir::Name).last();
        // The side-car's name ends with the name of its data file.
        const QString name =
            file == "entry" ? newest : newest.section('_', 2).replace(".entry", ".txt");
        QFile f(d.filePath(name));
        if (to == "-") {
            QVERIFY(f.remove());
        } else {
            QVERIFY(f.open(QIODevice::ReadOnly));
            QByteArray bytes = f.readAll();
            f.close();
            bytes = from.isEmpty() ? to : bytes.replace(from, to);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(bytes);
            f.close();
        }
        const history::Listing l = history::list(folder);
        QCOMPARE(parts(l), QStringList{"old"});
        QCOMPARE(l.damaged.size(), 1);
        QCOMPARE(l.damaged.first().name, d.entryList({"*.entry"}, QDir::Files, QDir::Name).last());
        QVERIFY2(l.damaged.first().reason.startsWith(reason), qPrintable(l.damaged.first().reason));
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // One of several programs writing at once, started by keepsEveryEntry:
    // --writer FOLDER FIRST COUNT BOUND BYTES
    const QStringList args = app.arguments();
    if (args.size() == 7 && args.at(1) == "--writer")
        return writeEntries(args.at(2), args.at(3).toInt(), args.at(4).toInt(),
                            {args.at(5).toInt(), args.at(6).toLongLong()});
    HistoryTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "data_history.moc"
