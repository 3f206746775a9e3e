#pragma once

#include "data/configstore.h"

#include <QTableWidget>

// Table1: the route table view. Qt's horizontal header is the fixed yellow row, so table row
// n - 1 shows route n and the header can never be selected.
//
// Every column is at least as wide as drawn for the original font and wide enough for the
// widest text it can show in the current font, header included; the description column takes
// the rest of the width, or more when a description needs it. Nothing is ever cut short.
class RouteGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit RouteGrid(QWidget* parent = nullptr);

    // Rewrites every cell from the route table; the DCC base is read from the image each time.
    void fill(const ConfigStore& store);
    // The route the route commands act on (1 when the user has not picked a row yet).
    int selectedRoute() const;
    void selectRoute(int n);
    // "Skrýt nepoužité cesty": from the next fill on, the rows of routes that hold nothing at all
    // (no settings, no description) are hidden.
    void setHideUnused(bool hide) { m_hideUnused = hide; }
    // Shades the number cell of each route in `routes`, with `tip`, until the next fill.
    void markRoutes(const QList<int>& routes, const QString& tip);

signals:
    // Every cell was just written again from the route table.
    void filled();

protected:
    void changeEvent(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void fitToFont();
    void fitDescriptionColumn();
    int cellWidth(const QStringList& texts) const;
    QFont italicFont() const;
    int headerWidth(int column) const;

    bool m_fitting = false;
    bool m_hideUnused = false;
};
