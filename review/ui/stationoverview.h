#pragma once

#include "data/configstore.h"
#include "data/namesholder.h"

#include <QObject>

class ButtonMatrixWindow;
class ConflictsWindow;
class NamesDialog;
class QMenu;
class QUndoStack;
class QWidget;
class RouteGrid;

// The station at a glance, for the main window: "Názvy prvků" (an undoable step), "Přehled
// tlačítek" and "Vylučující se cesty", and the names in the grid's tooltips. The windows follow
// the grid: each time it is filled again (any change of the configuration) and each time the
// names change, what is open is filled again.
class StationOverview : public QObject {
    Q_OBJECT
public:
    StationOverview(const ConfigStore& store, NamesHolder& names, RouteGrid& grid,
                    QUndoStack& history, QWidget* window);

    // "Názvy prvků…" into `edits`, the two overviews into `overviews`.
    void addActions(QMenu* edits, QMenu* overviews);

signals:
    // The user asked for route n from one of the overviews.
    void routeChosen(int n);
    // An empty cell of the matrix: a new route from `from` to `to` in the free route n.
    void newRouteChosen(int n, int from, int to);
    // A cell of the matrix with no route and no free route left for it.
    void noFreeRoute();

private:
    void editNames();
    void chooseCell(int from, int to);
    void refresh();
    void nameGridCells();

    const ConfigStore& m_store;
    NamesHolder& m_names;
    RouteGrid& m_grid;
    QUndoStack& m_history;
    QWidget* m_window;
    NamesDialog* m_namesDialog;
    ButtonMatrixWindow* m_matrix;
    ConflictsWindow* m_conflicts;
};
