#pragma once

#include "data/configdocument.h"
#include "data/namesholder.h"

#include <QPlainTextEdit>

class RouteGrid;

// routeDescription: the grid's current route in words, read-only, under the grid. Two routes the
// grid shows alike (a train route and a shunting route on the same push-buttons) read apart
// here. It follows the grid's current row and reads the route again whenever the document
// announces a change.
class RoutePane : public QPlainTextEdit {
    Q_OBJECT
public:
    RoutePane(const ConfigDocument& document, RouteGrid& grid, QWidget* parent = nullptr);

    // Elements named as `names` names them, from now on and whenever the names change.
    void followNames(const NamesHolder& names);

    // Room for the usual route's lines; a longer one scrolls.
    QSize sizeHint() const override;

private:
    void showCurrentRoute();

    const ConfigDocument& m_document;
    RouteGrid& m_grid;
    const NamesHolder* m_names = nullptr;
};
