#pragma once

#include "data/configstore.h"

#include <QByteArray>
#include <QString>

// The printable sheet as a PDF: the HTML sheet laid out on A4 pages, each page headed with the
// file name and date. Needs a QGuiApplication.
namespace pdfsheet {
QByteArray render(const ConfigStore& config, const QString& title, const QString& date);
}
