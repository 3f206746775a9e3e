#include "review/ui/stationoverview.h"

#include "data/ui/namesstep.h"
#include "data/ui/routegrid.h"
#include "review/buttonmatrix.h"
#include "review/ui/namesdialog.h"
#include "review/ui/overviewwindows.h"

#include <QAction>
#include <QMenu>
#include <QUndoStack>

namespace {
using elementnames::Kind;

const QString kNamesAction = QStringLiteral("Názvy prvků…");
const QString kNamesStep = QStringLiteral("názvy prvků");
const QString kMatrixAction = QStringLiteral("Přehled tlačítek");
const QString kConflictsAction = QStringLiteral("Vylučující se cesty");
constexpr int kFromColumn = 1, kToColumn = 2, kFirstPointColumn = 4;

void present(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

// A cell's own tip (an inactive route's) stays, after the name.
void addTip(QTableWidgetItem* item, const QString& tip) {
    if (!item || tip.isEmpty())
        return;
    item->setToolTip(item->toolTip().isEmpty() ? tip : tip + QLatin1Char('\n') + item->toolTip());
}
} // namespace

StationOverview::StationOverview(const ConfigStore& store, NamesHolder& names, RouteGrid& grid,
                                 QUndoStack& history, QWidget* window)
    : QObject(window), m_store(store), m_names(names), m_grid(grid), m_history(history),
      m_window(window), m_namesDialog(new NamesDialog(window)),
      m_matrix(new ButtonMatrixWindow(window)), m_conflicts(new ConflictsWindow(window)) {
    connect(&grid, &RouteGrid::filled, this, &StationOverview::refresh);
    // The grid's tooltips carry the names: it is filled again, and refresh() follows.
    connect(&names, &NamesHolder::changed, this, [this] { m_grid.fill(m_store); });
    connect(m_matrix, &ButtonMatrixWindow::pairChosen, this, &StationOverview::chooseCell);
    connect(m_conflicts, &ConflictsWindow::routeChosen, this, &StationOverview::routeChosen);
    nameGridCells();
}

void StationOverview::addActions(QMenu* edits, QMenu* overviews) {
    QAction* names = edits->addAction(kNamesAction);
    names->setObjectName(QStringLiteral("NazvyPrvku1"));
    connect(names, &QAction::triggered, this, &StationOverview::editNames);
    overviews->addSeparator();
    QAction* matrix = overviews->addAction(kMatrixAction);
    matrix->setObjectName(QStringLiteral("PrehledTlacitek1"));
    connect(matrix, &QAction::triggered, this, [this] {
        m_matrix->fill(m_store, m_names.names());
        present(m_matrix);
    });
    QAction* conflicts = overviews->addAction(kConflictsAction);
    conflicts->setObjectName(QStringLiteral("VylucujiciCesty1"));
    connect(conflicts, &QAction::triggered, this, [this] {
        m_conflicts->fill(m_store, m_names.names());
        present(m_conflicts);
    });
}

void StationOverview::editNames() {
    const ElementNames before = m_names.names();
    const std::optional<ElementNames> edited = m_namesDialog->edit(before);
    if (edited && *edited != before)
        m_history.push(new NamesStep(m_names, before, *edited, kNamesStep));
}

void StationOverview::chooseCell(int from, int to) {
    const QList<int> routes = buttonmatrix::Matrix(m_store).routes(from, to);
    if (!routes.isEmpty()) {
        emit routeChosen(routes.first());
        return;
    }
    const int n = buttonmatrix::firstFreeRoute(m_store);
    if (n == 0)
        emit noFreeRoute();
    else
        emit newRouteChosen(n, from, to);
}

void StationOverview::refresh() {
    nameGridCells();
    if (m_matrix->isVisible())
        m_matrix->fill(m_store, m_names.names());
    if (m_conflicts->isVisible())
        m_conflicts->fill(m_store, m_names.names());
}

void StationOverview::nameGridCells() {
    const ElementNames& names = m_names.names();
    for (int k = 1; k <= 16; ++k)
        if (QTableWidgetItem* head = m_grid.horizontalHeaderItem(kFirstPointColumn + k - 1))
            head->setToolTip(names.label(Kind::Point, k));
    if (names.isEmpty())
        return;
    for (int n = 1; n <= image::kRouteCount; ++n) {
        const RouteRecord& r = m_store.route(n);
        addTip(m_grid.item(n - 1, kFromColumn), names.name(Kind::Button, r.fromButton));
        addTip(m_grid.item(n - 1, kToColumn), names.name(Kind::Button, r.toButton));
        for (int k = 1; k <= 16; ++k)
            if (r.pointPositions[std::size_t(k - 1)] != 0)
                addTip(m_grid.item(n - 1, kFirstPointColumn + k - 1), names.label(Kind::Point, k));
    }
}
