#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct Run {
    int code = -1;
    QString out;
};

Run stavnikctl(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(STAVNIK_BIN_DIR "/stavnikctl"), args);
    Run r;
    if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit) {
        r.code = p.exitCode();
        r.out = QString::fromUtf8(p.readAllStandardOutput());
    }
    return r;
}

QString sample(const char* name) {
    return QStringLiteral(STAVNIK_TEST_DATA "/") + QLatin1String(name);
}
} // namespace

class ReportTest : public QObject {
    Q_OBJECT
private slots:
    void exitCodes_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("firstLine");
        const QString mixed = sample("s26_mixed.txt"), old = sample("s24_nopopis.txt");
        QTest::newRow("diff equal") << QStringList{"diff", mixed, mixed} << 0 << QString();
        QTest::newRow("diff of an older generation, tsv")
            << QStringList{"diff", mixed, old, "--format", "tsv"} << 1
            << QStringLiteral("hlavička\tpočáteční DCC adresa (formát LENZE,  max 1900)\t353\t1");
        QTest::newRow("diff, file missing")
            << QStringList{"diff", mixed, "/nonexistent/a.txt"} << 2 << QString();
        QTest::newRow("diff without B") << QStringList{"diff", mixed} << 2 << QString();
        QTest::newRow("check with findings")
            << QStringList{"check", mixed} << 1
            << QStringLiteral("Cesta 1 má povoleno DCC řízení, ale modul nepřijímá pakety DCC "
                              "(„Povolit příjem paketů DCC (pakety ovlád. příslušenství)“ není "
                              "zapnuto): přes DCC je nepostavíte.");
        QTest::newRow("check without findings") << QStringList{"check", old} << 0 << QString();
        QTest::newRow("conflicts are no findings")
            << QStringList{"check", mixed, "--conflicts"} << 0 << QString();
        QTest::newRow("long form is a CSV's")
            << QStringList{"export", mixed, "x.pdf", "--format", "long"} << 2 << QString();
        QTest::newRow("export to a folder that does not exist")
            << QStringList{"export", mixed, "/nonexistent/x.csv"} << 2 << QString();
    }
    void exitCodes() {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, firstLine);
        const Run r = stavnikctl(args);
        QCOMPARE(r.code, code);
        QCOMPARE(r.out.section(QLatin1Char('\n'), 0, 0), firstLine);
    }

    // Every active route of the sample (1 and 90) reaches each format, in words.
    void exportRoundTrip_data() {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QStringList>("options");
        QTest::newRow("csv") << "csv" << QStringList{"--format", "long"};
        QTest::newRow("html") << "html" << QStringList{};
        QTest::newRow("pdf") << "pdf" << QStringList{};
    }
    void exportRoundTrip() {
        QFETCH(QString, suffix);
        QFETCH(QStringList, options);
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("sheet.") + suffix);
        QCOMPARE(stavnikctl(QStringList{"export", sample("s26_mixed.txt"), out} + options).code, 0);
        QString text;
        if (suffix == QLatin1String("pdf")) {
            const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
            if (tool.isEmpty())
                QSKIP("pdftotext is not installed");
            QProcess p;
            p.start(tool, {out, QStringLiteral("-")});
            QVERIFY(p.waitForFinished(30000));
            text = QString::fromUtf8(p.readAllStandardOutput());
        } else {
            QFile f(out);
            QVERIFY(f.open(QIODevice::ReadOnly));
            text = QString::fromUtf8(f.readAll());
        }
        if (suffix == QLatin1String("csv")) {
            QStringList routeRows;
            for (const QString& line : text.split(QStringLiteral("\r\n")))
                if (line.startsWith(QLatin1String("cesta ")))
                    routeRows << line.section(QLatin1Char(','), 0, 0);
            routeRows.removeDuplicates();
            QCOMPARE(routeRows, (QStringList{"cesta 1", "cesta 90"}));
            QVERIFY(text.contains(QStringLiteral("cesta 1,KAM,12\r\n")));
            QVERIFY(text.contains(
                QStringLiteral("cesta 1,\"Název cesty,  popis\",Vjezd na 1. kolej – Žďár\r\n")));
            return;
        }
        QVERIFY(text.contains(QStringLiteral("TL 5 → TL 12")));
        QVERIFY(text.contains(QStringLiteral("TL 22 → TL 1")));
        QVERIFY(text.contains(QStringLiteral("Vjezd na 1. kolej – Žďár")));
        QVERIFY(text.contains(QStringLiteral("s26_mixed.txt")));
    }

    // The names go with the data file wherever stavnikctl takes it, and are read by every
    // command that reads it.
    void namesTravelWithTheDataFile() {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("stanice.txt"));
        const QString b = dir.filePath(QStringLiteral("kopie.txt"));
        QVERIFY(QFile::copy(sample("s26_mixed.txt"), a));
        QFile names(dir.filePath(QStringLiteral("stanice.nazvy.ini")));
        QVERIFY(names.open(QIODevice::WriteOnly));
        names.write("[tlacitka]\nTL5=Vjezd od Lhoty\n[vyhybky]\nV3=u skladiště\n");
        names.close();
        QCOMPARE(stavnikctl({"convert", a, b}).code, 0);
        QVERIFY(stavnikctl({"show", b})
                    .out.endsWith(QStringLiteral("\n\nTL5\tVjezd od Lhoty\nV3\tu skladiště\n")));
        QCOMPARE(stavnikctl({"diff", a, b}).code, 0);
        const QString html = dir.filePath(QStringLiteral("s.html"));
        QCOMPARE(stavnikctl({"export", b, html}).code, 0);
        QFile sheet(html);
        QVERIFY(sheet.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(sheet.readAll())
                    .contains(QStringLiteral("TL 5 (Vjezd od Lhoty) → TL 12")));
        QVERIFY(names.open(QIODevice::WriteOnly));
        names.write("TL5=Odjezd\n");
        names.close();
        const Run diff = stavnikctl({"diff", b, a});
        QCOMPARE(diff.code, 1);
        QCOMPARE(diff.out, QStringLiteral("názvy: TL5: Vjezd od Lhoty → Odjezd\n"
                                          "názvy: V3: u skladiště → \n"));
    }
};

QTEST_GUILESS_MAIN(ReportTest)
#include "cli_report.moc"
