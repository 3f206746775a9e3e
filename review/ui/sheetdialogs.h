#pragma once

#include "data/configstore.h"

class QFileDialog;
class QWidget;

// The window side of "Tisk…" and "Exportovat…": the printer's dialog, the file dialog and the
// boxes around the printed sheet.

// A save dialog with one filter per format; the chosen filter gives a name typed without an
// extension its suffix.
QFileDialog* exportDialog(QWidget* parent);
// Asks for a file with `dialog` (cancel does nothing) and writes the sheet there.
bool exportSheetCommand(QWidget* parent, QFileDialog& dialog, ConfigStore& store);
// Writes the sheet in the format `path`'s extension names, as a data file is saved: the old file
// survives a failure, which is told in a box. True when the file was written.
bool exportSheetTo(QWidget* parent, const QString& path, const ConfigStore& store);
// Asks for a printer and prints the sheet on it.
void printSheetCommand(QWidget* parent, const ConfigStore& store);
