#include "review/configsheet.h"
#include "review/print/printedsheet.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
using elementnames::Kind;

// Every field a route can fill, so that its row is as tall as a row gets.
RouteRecord fullRoute(int n) {
    RouteRecord r;
    r.fromButton = 1 + n % 22;
    r.toButton = 1 + (n + 5) % 22;
    for (int k = 0; k < 16; ++k)
        r.pointPositions[std::size_t(k)] = 1 + (n + k) % 2;
    r.signal1 = 1;
    r.signal2 = 2;
    r.signal3 = 22;
    r.aspect1 = r.aspect2 = r.aspect3 = 3;
    r.relays = r.extRelays = r.localDetectors = r.remoteDetectors = 0xFFFF;
    r.description = QStringLiteral("Kc%1x popis cesty na kolej").arg(n);
    return r;
}

ElementNames longNames() {
    ElementNames names;
    for (int k = 1; k <= 16; ++k)
        names.setName(Kind::Point, k, QStringLiteral("výhybka u skladiště číslo %1").arg(k));
    for (int b = 1; b <= 22; ++b)
        names.setName(Kind::Button, b, QStringLiteral("tlačítko na pultu %1").arg(b));
    return names;
}

QString run(const QString& program, const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}
} // namespace

class SheetTest : public QObject {
    Q_OBJECT
private slots:
    // Each route's row on exactly one page, whole (its last relay and detector on the page of
    // its description), and the column heads on every page that holds rows.
    void pages_data() {
        QTest::addColumn<int>("count");
        QTest::newRow("1 route") << 1;
        QTest::newRow("8 routes") << 8;
        QTest::newRow("90 routes") << 90;
    }
    void pages() {
        QFETCH(int, count);
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext is not installed");
        ConfigStore config;
        for (int n = 1; n <= count; ++n)
            config.route(n) = fullRoute(n);
        QTemporaryDir dir;
        QFile pdf(dir.filePath(QStringLiteral("s.pdf")));
        QVERIFY(pdf.open(QIODevice::WriteOnly));
        pdf.write(printedsheet::render(printedsheet::Format::Pdf, config, longNames(),
                                       QStringLiteral("s.txt"), QStringLiteral("1. 1. 2026")));
        pdf.close();
        const QStringList pages = run(pdftotext, {pdf.fileName(), QStringLiteral("-")})
                                      .split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        QVERIFY(!pages.isEmpty());
        int rowsSeen = 0;
        for (const QString& page : pages) {
            int rows = 0;
            for (int n = 1; n <= count; ++n)
                rows += page.count(QStringLiteral("Kc%1x").arg(n));
            QCOMPARE(page.count(QStringLiteral("R32")), rows);
            QCOMPARE(page.count(QStringLiteral("rD16")), rows);
            QCOMPARE(page.contains(QStringLiteral("Kontrola obsazení")), rows > 0);
            rowsSeen += rows;
        }
        QCOMPARE(rowsSeen, count);
        if (count == 90)
            QVERIFY(pages.size() > 2);
    }

    // Read by a spreadsheet's rules (Python's csv module): columns by ';', diacritics intact,
    // and no cell that a spreadsheet would run as a formula, in either form.
    void csvOpensAsText_data() {
        QTest::addColumn<bool>("longForm");
        QTest::newRow("table") << false;
        QTest::newRow("long form") << true;
    }
    void csvOpensAsText() {
        QFETCH(bool, longForm);
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty())
            QSKIP("python3 is not installed");
        const QStringList texts{"=HYPERLINK(\"http://x\";\"y\")",
                                "+1",
                                "-2",
                                "@SUM(A1)",
                                "\tx",
                                "\rx",
                                "a;b \"c\", d",
                                "Žďár – nádraží"};
        ConfigStore config;
        for (int i = 0; i < texts.size(); ++i) {
            config.route(i + 1) = fullRoute(i + 1);
            config.route(i + 1).description = texts[i];
        }
        const QByteArray bytes =
            longForm
                ? configsheet::longCsv(config, elementnames::noNames())
                : configsheet::csv(configsheet::build(config, elementnames::noNames(), {}, {}));
        QCOMPARE(bytes.startsWith("\xEF\xBB\xBF"), !longForm);
        const QString script =
            QStringLiteral("import csv,io,json,sys\n"
                           "t=io.TextIOWrapper(sys.stdin.buffer,encoding='utf-8-sig',newline='')\n"
                           "json.dump(list(csv.reader(t,delimiter='%1')),sys.stdout)\n")
                .arg(longForm ? ',' : ';');
        const QJsonArray rows =
            QJsonDocument::fromJson(run(python, {"-c", script}, bytes).toUtf8()).array();
        QVERIFY(rows.size() > texts.size());
        QStringList descriptions;
        for (const QJsonValue& row : rows) {
            const QJsonArray cells = row.toArray();
            QCOMPARE(cells.size(), longForm ? 3 : configsheet::columns().size());
            for (const QJsonValue& cell : cells)
                QVERIFY2(!QStringLiteral("=+-@\t\r").contains(cell.toString().left(1)) ||
                             cell.toString().isEmpty(),
                         qPrintable(cell.toString()));
            if (!longForm || cells.at(1).toString() == QStringLiteral("Název cesty,  popis"))
                descriptions << cells.last().toString();
        }
        if (!longForm)
            descriptions.removeFirst(); // the column heads
        QStringList expected;
        for (const QString& t : texts)
            expected << (t == texts.last() || t.startsWith(QLatin1Char('a'))
                             ? t
                             : QLatin1Char('\'') + t);
        QCOMPARE(descriptions, expected);
    }
};

QTEST_MAIN(SheetTest)
#include "review_sheet.moc"
