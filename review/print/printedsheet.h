#pragma once

#include "data/configstore.h"
#include "data/elementnames.h"
#include "review/configsheet.h"

#include <QByteArray>
#include <QString>

class QPagedPaintDevice;

// The configuration sheet in the forms it leaves the program in: CSV and HTML for other
// programs, PDF and paper for people. PDF and paper need a QGuiApplication (fonts).
namespace printedsheet {

enum class Format { Unknown, Csv, CsvLong, Html, Pdf };

// Chosen by the file name's extension, in any case: .csv, .html or .htm, .pdf. A .csv is the
// table of routes; the long form is asked for by name.
Format formatOf(const QString& path);

// The date a sheet made now carries, in Czech.
QString today();

// The sheet on the pages of `device` (a PDF writer or a printer), landscape: every page headed
// with the file name, the date and its number, the route table's column heads repeated on each
// page and no route's row split between two. Only the pages in the device's page ranges are
// drawn, when it has any. False when the device could not be painted on.
bool paint(QPagedPaintDevice& device, const configsheet::Sheet& sheet);

// The sheet as a file of `format` (Unknown gives nothing): PDF on landscape A4.
QByteArray render(Format format, const ConfigStore& config, const ElementNames& names,
                  const QString& title, const QString& date);

} // namespace printedsheet
