#pragma once

#include "editors/routevalues.h"

#include <QString>

#include <optional>

// Why the route editor's OK button refuses a route: the warning to show, the buttons it
// offers and the tab the editor turns to. Whatever the user answers, the editor stays open.
struct RouteRefusal {
    enum class Buttons { OkCancel, Cancel };
    enum class Tab { Unchanged = -1, TabSheet1 = 0, TabSheet2 = 1, TabSheet3 = 2 };

    QString message;
    Buttons buttons = Buttons::Cancel;
    Tab tab = Tab::Unchanged;

    bool operator==(const RouteRefusal& o) const {
        return message == o.message && buttons == o.buttons && tab == o.tab;
    }
};

// The first rule the route set in the editor breaks, or nothing when it may be stored.
// A route marked "Zkušebně zablokovat" is taken as it is.
std::optional<RouteRefusal> validateRoute(const RouteEditValues& v);
