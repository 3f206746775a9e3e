#pragma once

#include "data/configstore.h"
#include "data/elementnames.h"

#include <QList>
#include <QString>

// What differs between two configurations, in the words of the dialogs.
namespace differences {

struct Difference {
    QString item;  // "hlavička", "cesta 12", or "adresa 2243 (08C3)" for a byte no field holds
    QString field; // the control's label; empty for a byte listed by address
    QString a;     // the value in the first configuration
    QString b;     // the value in the second
    bool operator==(const Difference& o) const {
        return item == o.item && field == o.field && a == o.a && b == o.b;
    }
};

// Every header setting, every route field (descriptions included) and every byte of
// addresses 0..`end` - 1 that no field holds, where `a` and `b` differ. The routes are taken
// from the images through the codec, the descriptions from the route tables. Header first,
// then the routes in order, then the bytes by address.
// `names` words the elements of both sides (a name is no difference of the configuration).
QList<Difference> compare(const ConfigStore& a, const ConfigStore& b, int end = image::kConfigSize,
                          const ElementNames& names = elementnames::noNames());
// The element names that differ, item "názvy", the element's code as the field.
QList<Difference> compareNames(const ElementNames& a, const ElementNames& b);

// The route numbers that appear in `list`, for marking rows.
QList<int> routesIn(const QList<Difference>& list);

// "cesta 12: Vyhybka 3: ROVNĚ → ODBOČ", one difference a line, as stavnikctl prints them.
QString line(const Difference& d);
// The item, the field and both values separated by tabs, for scripts.
QString tsvLine(const Difference& d);

} // namespace differences
