#pragma once

#include "data/configstore.h"
#include "data/elementnames.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The configuration as a sheet to pin by the layout or take into a spreadsheet: the
// module-wide settings in one compact block, one table row per active route, the check's
// findings and the names of the elements. The HTML page, the PDF and the CSV are all made from
// the same Sheet, so they never disagree.
namespace configsheet {

struct Setting {
    QString name;
    QString value;
};

struct Row {
    int route;
    QStringList cells; // one per column
};

struct Sheet {
    QString title;
    QString date;
    QList<Setting> settings;
    QList<Row> rows;
    QStringList findings;
    QList<Setting> names; // element code, its name
};

// Headings of the sheet's parts and of the route table's columns.
inline const QString kSettingsHeading = QStringLiteral("Nastavení modulu");
inline const QString kRoutesHeading = QStringLiteral("Vlakové cesty");
inline const QString kFindingsHeading = QStringLiteral("Kontrola konfigurace");
inline const QString kNoFindings = QStringLiteral("Kontrola nenašla nic k opravě.");
inline const QString kNamesHeading = QStringLiteral("Názvy prvků");
const QStringList& columns();

Sheet build(const ConfigStore& config, const ElementNames& names, const QString& title,
            const QString& date);

// The module-wide settings a reader of the layout needs: the point machines the routes use,
// times with their units (s, ms), and only the parts of a mode that are in use.
QList<Setting> settingsBlock(const ConfigStore& config);

// One row per route with the sheet's columns, separated by semicolons, UTF-8 with a byte-order
// mark, CR LF line ends: a spreadsheet in a Czech locale opens it in columns.
QByteArray csv(const Sheet& sheet);
// The long form: item ("hlavička", "cesta 12"), field and value, comma-separated, UTF-8.
QByteArray longCsv(const ConfigStore& config, const ElementNames& names);
// A cell a spreadsheet would take for a formula (=, +, -, @, tab, carriage return first) gets
// an apostrophe in front, so it stays text.
QString neutralised(const QString& cell);

// A complete HTML page with the same content, laid out for landscape A4.
QString html(const Sheet& sheet);

// The title line a printed page carries on top: file name and date.
QString pageHeading(const QString& title, const QString& date);

} // namespace configsheet
