#include "data/elementnames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using elementnames::Kind;
using elementnames::LoadResult;
using Status = LoadResult::Status;

namespace {
// "TL3=Vjezd|V5=u skladiště": the names as one text, for comparing.
QString listed(const ElementNames& names) {
    QStringList out;
    for (const elementnames::Entry& e : names.entries())
        out << elementnames::code(e.kind, e.number) + QLatin1Char('=') + e.name;
    return out.join(QLatin1Char('|'));
}

bool write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

ElementNames sample() {
    ElementNames n;
    n.setName(Kind::Button, 3, QStringLiteral("Vjezd od Lhoty"));
    n.setName(Kind::Point, 5, QStringLiteral("u skladiště; =rampa"));
    n.setName(Kind::RemoteDetector, 16, QStringLiteral("kolej 2 vzadu"));
    n.setName(Kind::Relay, 32, QStringLiteral("  osvětlení\n nástupiště "));
    return n;
}
} // namespace

class ElementNamesTest : public QObject {
    Q_OBJECT
private slots:
    void parse_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("noteHas");
        QTest::newRow("as written, with byte-order mark, CR LF, sections, comments")
            << QByteArray("\xEF\xBB\xBF# x\r\n[tlacitka]\r\nTL3=Vjezd od Lhoty\r\n; c\r\n"
                          "[rele]\r\nR32 = osvětlení \r\n")
            << int(Status::Loaded) << "TL3=Vjezd od Lhoty|R32=osvětlení"
            << "";
        QTest::newRow("codes in any case, '=' and ';' inside a name")
            << QByteArray("rd3=a=b; c\nv16=x\nn22=odjezd\nd1=y") << int(Status::Loaded)
            << "V16=x|N22=odjezd|D1=y|rD3=a=b; c"
            << "";
        QTest::newRow("unknown elements are skipped and told")
            << QByteArray("TL23=x\nTL1=ok\nX5=y\nV0=z") << int(Status::Loaded) << "TL1=ok"
            << "3 řádky neznámého prvku (1, 3, 4)";
        QTest::newRow("a line of another form")
            << QByteArray("TL1=ok\nnonsense\n") << int(Status::Damaged) << ""
            << "řádek 2";
        QTest::newRow("not UTF-8") << QByteArray("TL1=\xE8\x61 x\n") << int(Status::Damaged) << ""
                                   << "UTF-8";
        QTest::newRow("binary") << QByteArray("TL1=a\0b", 7) << int(Status::Damaged) << ""
                                << "binární";
        QTest::newRow("empty") << QByteArray() << int(Status::Loaded) << ""
                               << "";
    }
    void parse() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        QFETCH(QString, names);
        QFETCH(QString, noteHas);
        const LoadResult r = elementnames::parse(bytes, QStringLiteral("s.nazvy.ini"));
        QCOMPARE(int(r.status), status);
        QCOMPARE(listed(r.names), names);
        QCOMPARE(r.note.isEmpty(), noteHas.isEmpty());
        QVERIFY2(r.note.contains(noteHas), qPrintable(r.note));
    }

    // Saved beside the data file, read back beside it, and still found when both files move to
    // another folder; a missing companion is no problem and no note.
    void companionBesideTheDataFile() {
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("stanice.txt"));
        QCOMPARE(elementnames::companionPath(data), dir.filePath("stanice.nazvy.ini"));
        const LoadResult none = elementnames::loadFor(data);
        QCOMPARE(int(none.status), int(Status::Missing));
        QVERIFY(none.note.isEmpty());
        QVERIFY(elementnames::saveFor(data, sample()).saved);
        QCOMPARE(listed(elementnames::loadFor(data).names), listed(sample()));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("jinde")));
        const QString moved = dir.filePath(QStringLiteral("jinde/stanice.txt"));
        QVERIFY(QFile::copy(elementnames::companionPath(data), elementnames::companionPath(moved)));
        QCOMPARE(listed(elementnames::loadFor(moved).names),
                 QStringLiteral("TL3=Vjezd od Lhoty|V5=u skladiště; =rampa|rD16=kolej 2 "
                                "vzadu|R32=osvětlení nástupiště"));
    }

    // Without names nothing new appears; names the user cleared stay cleared; a damaged
    // companion is left for the user to look at.
    void savingWithoutNames_data() {
        QTest::addColumn<QByteArray>("before"); // "-": no companion
        QTest::addColumn<bool>("kept");
        QTest::newRow("no companion") << QByteArray("-") << false;
        QTest::newRow("companion with names") << QByteArray("TL1=a\n") << false;
        QTest::newRow("damaged companion") << QByteArray("TL1=a\ngarbage\n") << true;
    }
    void savingWithoutNames() {
        QFETCH(QByteArray, before);
        QFETCH(bool, kept);
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("s.txt"));
        const QString companion = elementnames::companionPath(data);
        if (before != "-")
            QVERIFY(write(companion, before));
        QVERIFY(elementnames::saveFor(data, ElementNames()).saved);
        QFile f(companion);
        if (before == "-") {
            QVERIFY(!f.exists());
            return;
        }
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray after = f.readAll();
        QCOMPARE(after == before, kept);
        if (!kept)
            QVERIFY(elementnames::loadFor(data).names.isEmpty());
    }
};

QTEST_APPLESS_MAIN(ElementNamesTest)
#include "data_elementnames.moc"
