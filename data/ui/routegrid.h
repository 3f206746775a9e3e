#pragma once

#include "data/configdocument.h"
#include "data/modulemark.h"

#include <QTableWidget>

#include <array>

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
    // From now on shows `document` and fills itself whenever it announces a change, marking the
    // descriptions a module read left beside other routes. It must outlive the grid.
    void follow(const ConfigDocument& document);
    // What the module holds of each route ([n - 1] = route n), kept across fills: a small
    // corner in the number cell, shaded where the route differs, with a tooltip.
    void setModuleMarks(const std::array<ModuleMark, image::kRouteCount>& marks);
    // The route the route commands act on (1 when the user has not picked a row yet).
    int selectedRoute() const;
    void selectRoute(int n);
    // "Skrýt nepoužité cesty": from the next fill on, the rows of routes that hold nothing at all
    // (no settings, no description) are hidden.
    void setHideUnused(bool hide) { m_hideUnused = hide; }

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
    void showMarks();

    bool m_fitting = false;
    bool m_hideUnused = false;
    const ConfigDocument* m_document = nullptr;
    std::array<ModuleMark, image::kRouteCount> m_moduleMarks{};
};
