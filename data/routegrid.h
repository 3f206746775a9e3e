#pragma once

#include "data/configstore.h"

#include <QTableWidget>

// Table1: the route table view. Qt's horizontal header is the fixed yellow row, so table row
// n - 1 shows route n and the header can never be selected.
class RouteGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit RouteGrid(QWidget* parent = nullptr);

    // Rewrites every cell from the route table; the DCC base is read from the image each time.
    void fill(const ConfigStore& store);
    // The route the route commands act on (1 when the user has not picked a row yet).
    int selectedRoute() const;
    void selectRoute(int n);
};
