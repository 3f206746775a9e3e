#include "data/routegrid.h"

#include "data/routetexts.h"

#include <QHeaderView>

namespace {
constexpr int kColumnWidths[routegrid::kColumnCount] = {29, 33, 33, 28, 21, 21, 22, 22, 23, 21, 23,
                                                        22, 25, 26, 25, 25, 25, 24, 25, 22, 250};
}

RouteGrid::RouteGrid(QWidget* parent) : QTableWidget(parent) {
    setObjectName(QStringLiteral("Table1"));
    setColumnCount(routegrid::kColumnCount);
    setRowCount(image::kRouteCount);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(19);
    verticalHeader()->setMinimumSectionSize(10);
    horizontalHeader()->setDefaultSectionSize(30);
    horizontalHeader()->setMinimumSectionSize(10);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { background-color: yellow; color: black; "
                       "border: 1px solid gray; padding: 0px 2px; }"));
    for (int c = 0; c < routegrid::kColumnCount; ++c)
        setColumnWidth(c, kColumnWidths[c]);
    setCurrentCell(0, 0);
}

void RouteGrid::fill(const ConfigStore& store) {
    const int row = currentRow();
    setHorizontalHeaderLabels(routegrid::headerTexts());
    setRowCount(image::kRouteCount);
    const int base = dccBase(store.image);
    for (int n = 1; n <= image::kRouteCount; ++n) {
        const QStringList texts = routegrid::rowTexts(store.route(n), n, base);
        for (int c = 0; c < texts.size(); ++c) {
            QTableWidgetItem* cell = item(n - 1, c);
            if (!cell) {
                cell = new QTableWidgetItem;
                setItem(n - 1, c, cell);
            }
            cell->setText(texts[c]);
        }
    }
    if (row >= 0)
        selectRow(row);
}

int RouteGrid::selectedRoute() const {
    const int row = currentRow();
    return row >= 0 && row < image::kRouteCount ? row + 1 : 1;
}

void RouteGrid::selectRoute(int n) {
    selectRow(n - 1);
}
