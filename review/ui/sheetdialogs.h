#pragma once

#include "data/configstore.h"
#include "data/elementnames.h"

class QFileDialog;
class QWidget;

// The window side of "Tisk…" and "Exportovat…": the printer's dialog, the file dialog and the
// boxes around the printed sheet.

// A save dialog with one filter per format; the chosen filter gives a name typed without an
// extension its suffix. The CSV comes as a table of routes, or in its long form (item, field,
// value) by the last filter.
QFileDialog* exportDialog(QWidget* parent);
// Asks for a file with `dialog` (cancel does nothing) and writes the sheet there.
bool exportSheetCommand(QWidget* parent, QFileDialog& dialog, ConfigStore& store,
                        const ElementNames& names = elementnames::noNames());
// Writes the sheet in the format `path`'s extension names (a .csv in its long form when
// `longCsv`), as a data file is saved: the old file survives a failure, which is told in a box.
// True when the file was written.
bool exportSheetTo(QWidget* parent, const QString& path, const ConfigStore& store,
                   const ElementNames& names = elementnames::noNames(), bool longCsv = false);
// Asks for a printer and prints the sheet on it, landscape.
void printSheetCommand(QWidget* parent, const ConfigStore& store,
                       const ElementNames& names = elementnames::noNames());
