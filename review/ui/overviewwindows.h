#pragma once

#include "data/configstore.h"
#include "data/elementnames.h"

#include <QDialog>

class QLabel;
class QTableWidget;

// The station at a glance, beside the grid (not modal): which push-button pairs have a route,
// and which routes exclude each other. Both are filled again by their owner whenever the
// configuration or the names change (fill() never shows a window the user closed), and a
// double click leads to a route.

// "Přehled tlačítek": ODKUD by row, KAM by column, the route numbers in each cell.
class ButtonMatrixWindow : public QDialog {
    Q_OBJECT
public:
    explicit ButtonMatrixWindow(QWidget* parent = nullptr);
    void fill(const ConfigStore& config, const ElementNames& names);

signals:
    // A double click on the cell of ODKUD `from`, KAM `to`.
    void pairChosen(int from, int to);

private:
    QTableWidget* m_table;
};

// "Vylučující se cesty": route by route, the reasons in each cell's tooltip.
class ConflictsWindow : public QDialog {
    Q_OBJECT
public:
    explicit ConflictsWindow(QWidget* parent = nullptr);
    void fill(const ConfigStore& config, const ElementNames& names);

signals:
    void routeChosen(int n);

private:
    QLabel* m_summary;
    QTableWidget* m_table;
    QList<int> m_routes; // the routes of the rows and columns
};
