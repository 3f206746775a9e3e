#pragma once

#include "data/configstore.h"

#include <QByteArray>
#include <QString>

class QPagedPaintDevice;

// The configuration sheet in the forms it leaves the program in: CSV and HTML for other
// programs, PDF and paper for people. PDF and paper need a QGuiApplication (fonts).
namespace printedsheet {

enum class Format { Unknown, Csv, Html, Pdf };

// Chosen by the file name's extension, in any case: .csv, .html or .htm, .pdf.
Format formatOf(const QString& path);

// The date a sheet made now carries, in Czech.
QString today();

// The HTML sheet laid out on the pages of `device` (a PDF writer or a printer), every page
// headed with the file name, the date and its number. Only the pages in the device's page
// ranges are drawn, when it has any. False when the device could not be painted on.
bool paint(QPagedPaintDevice& device, const ConfigStore& config, const QString& title,
           const QString& date);

// The sheet as a file of `format` (Unknown gives nothing): PDF on A4.
QByteArray render(Format format, const ConfigStore& config, const QString& title,
                  const QString& date);

} // namespace printedsheet
