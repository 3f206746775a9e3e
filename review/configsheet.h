#pragma once

#include "data/configstore.h"

#include <QByteArray>
#include <QString>

// The configuration as a document a person reads or another program takes in: the
// module-wide settings in words, then every active route with its fields and description.
namespace configsheet {

// Comma-separated, UTF-8, CR LF line ends, quoted where a value needs it. Columns: the item
// ("hlavička", "cesta 12"), the field and its value.
QByteArray csv(const ConfigStore& config);

// A complete HTML page; `title` names the configuration (its file name) and `date` when the
// sheet was made.
QString html(const ConfigStore& config, const QString& title, const QString& date);

// The title line a printed page carries on top: file name and date.
QString pageHeading(const QString& title, const QString& date);

} // namespace configsheet
