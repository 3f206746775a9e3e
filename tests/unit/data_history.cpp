#include "data/history.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

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
    return e;
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
            QCOMPARE(history::write(folder, entry(f[0], f[1], f[2].toInt()), limits), QString());
        }
        const history::Listing l = history::list(folder);
        QCOMPARE(l.damaged.size(), 0);
        QCOMPARE(parts(l), kept);
        QCOMPARE(QDir(folder).entryList({"*.txt"}, QDir::Files).size(), dataFiles);
        QCOMPARE(l.entries.first().bytes[100],
                 std::uint8_t(100 * writes.last().back().digitValue()));
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
        QTest::newRow("data file no data file")
            << "txt" << QByteArray() << QByteArray("hello\n") << "datový soubor je poškozen";
    }
    void damaged() {
        QFETCH(QString, file);
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString folder = dir.path();
        QCOMPARE(history::write(folder, entry("old", "X", 1)), QString());
        QCOMPARE(history::write(folder, entry("new", "X", 2)), QString());
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

QTEST_GUILESS_MAIN(HistoryTest)
#include "data_history.moc"
