#pragma once

#include "data/configdocument.h"
#include "data/datafile.h"

#include <optional>

class QFileDialog;
class QWidget;
class RouteGrid;

// The window side of "Načíst data" and "Uložit data": the file dialogs, the message boxes and
// the grid refill around the data file logic.

// Asks for a file with `openDialog` (cancel does nothing), loads it into `store` and refills
// `grid`. Refusals, read errors, a file without data lines and skipped lines are told in
// warning boxes over `parent`; a file that sets only part of the configuration is loaded only
// when the user confirms it (otherwise the result says Stopped and nothing changed). True when
// the file was loaded.
bool loadDataFileCommand(QWidget* parent, QFileDialog& openDialog, ConfigStore& store,
                         RouteGrid& grid);
// For a comparison: asks for a file as the load does and loads it into a copy of `store` with
// the same boxes, leaving `store` and the grid as they are. The copy, or nothing when the user
// cancelled or the file was not loaded.
std::optional<ConfigStore> loadDataFileCopyCommand(QWidget* parent, QFileDialog& openDialog,
                                                   ConfigStore& store);
// Asks for a file name with `saveDialog` (cancel does nothing) and writes the configuration;
// a failure is shown with the system's text and leaves any earlier file as it was. True when
// the file was written: the store then counts as unmodified.
bool saveDataFileCommand(QWidget* parent, QFileDialog& saveDialog, ConfigStore& store);

// Runs `dialog` in the folder of the last file used, with `name` in its name field, selected.
// The chosen file (its folder is remembered), or an empty name when the user cancelled.
QString askForFile(QFileDialog& dialog, ConfigStore& store, const QString& name);
QString askForFile(QFileDialog& dialog, QString& lastFolder, const QString& name);
QString askForFile(QFileDialog& dialog, ConfigDocument& document, const QString& name);

// The same once a file name is known.
datafile::LoadResult loadDataFileFrom(QWidget* parent, const QString& path, ConfigStore& store,
                                      RouteGrid& grid);
std::optional<ConfigStore> loadDataFileCopyFrom(QWidget* parent, const QString& path,
                                                const ConfigStore& store);
bool saveDataFileTo(QWidget* parent, const QString& path, ConfigStore& store);
// After any save of a file the user keeps: a failure in a warning box (Czech sentence, the file
// and the system's reason in the details), a save in place in an information box. True when
// the file was written.
bool tellSaveResult(QWidget* parent, const QString& path, const safesave::Result& result);

// Before the configuration is replaced or the program ends: when it differs from the last file
// loaded or saved, asks whether to save it first. True when the caller may go on (nothing to
// keep, saved, or the user chose not to save); false when the user cancelled or saving failed.
bool saveChangesFirst(QWidget* parent, QFileDialog& saveDialog, ConfigStore& store);

// The same for the configuration on screen, which announces what follows.

// Loads `path` beside the document with the load's boxes; when it loaded, it replaces the
// document's configuration, coming from `origin` (a file: it then saves back to `path`).
bool loadDataFileInto(QWidget* parent, const QString& path, ConfigDocument& document,
                      ConfigDocument::Origin origin);
// Writes the document to its file, or, with `askName` or when it has none, to a file asked
// for with `saveDialog` (offering the document's name or its suggestion). True when written.
bool saveDocument(QWidget* parent, QFileDialog& saveDialog, ConfigDocument& document, bool askName);
// The question before the configuration is replaced or the program ends; "Uložit" saves as
// Ctrl+S does: to the open file when there is one.
bool saveChangesFirst(QWidget* parent, QFileDialog& saveDialog, ConfigDocument& document);
