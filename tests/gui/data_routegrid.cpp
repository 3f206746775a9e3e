#include "data/ui/routegrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QtTest>

class RouteGridTest : public QObject {
    Q_OBJECT
private slots:
    void everyTextFits_data() {
        QTest::addColumn<QFont>("font");
        QTest::newRow("drawn font") << QFont(QStringLiteral("MS Sans Serif"), 8);
        QTest::newRow("9 pt") << QFont(QApplication::font().family(), 9);
        QTest::newRow("11 pt") << QFont(QApplication::font().family(), 11);
    }
    // Blocked routes, TL?? and TL 1..TL 22, the highest DCC numbers, every point letter and
    // descriptions wider than the window, in regular rows and in the italic rows of inactive
    // routes that hold settings.
    void everyTextFits() {
        QFETCH(QFont, font);
        ConfigStore store;
        store.image[14] = store.image[15] = 0xFF;
        for (int n = 1; n <= image::kRouteCount; ++n) {
            RouteRecord& r = store.route(n);
            r.testBlocked = r.dccEnabled = 1;
            r.fromButton = n % 3 == 0 ? 0 : n % 23;
            r.toButton = 22 - n % 23;
            r.pointPositions.fill(n % 4);
            r.description = QStringLiteral("Odjezd z %1. koleje směr Příbram ").arg(n).repeated(3);
        }
        RouteGrid grid;
        grid.resize(800, 400);
        grid.show();
        grid.fill(store);
        grid.setFont(font); // after filling: the font change alone must refit every column
        // Qt's item painter keeps the focus frame margin and a pixel free either side and draws
        // the grid line in the cell's last pixel; the header keeps 1 px border + 2 px padding.
        const int cellRoom = 2 * (grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) + 1;
        const QFontMetricsF metrics(font);
        int total = 0;
        for (int c = 0; c < grid.columnCount(); ++c) {
            const int width = grid.columnWidth(c);
            total += width;
            const QString header = grid.horizontalHeaderItem(c)->text();
            QVERIFY2(metrics.horizontalAdvance(header) + 6 <= width, qPrintable(header));
            for (int row = 0; row < grid.rowCount(); ++row) {
                const QTableWidgetItem* cell = grid.item(row, c);
                const bool slanted = cell->data(Qt::FontRole).isValid();
                QCOMPARE(cell->font().italic(), slanted);
                const QFont drawn = slanted ? cell->font() : grid.font();
                QCOMPARE(drawn.pointSize(), font.pointSize());
                QVERIFY2(QFontMetricsF(drawn).horizontalAdvance(cell->text()) + cellRoom <= width,
                         qPrintable(cell->text()));
            }
        }
        QVERIFY(total >= grid.viewport()->width());
        QVERIFY(grid.rowHeight(0) > QFontMetrics(font).height());
        QCOMPARE(grid.horizontalHeader()->viewport()->font().pointSize(), font.pointSize());
    }
};

QTEST_MAIN(RouteGridTest)
#include "data_routegrid.moc"
