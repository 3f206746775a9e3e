#pragma once

#include "data/configstore.h"
#include "data/elementnames.h"
#include "settings/safesave.h"

#include <QTextStream>

// Data files for every stavnikctl command: loaded and saved as "Načíst data" and "Uložit data"
// do, with "-" for standard input or output. Whatever goes wrong is told on `err`: the
// window's own words first, then the file and the system's reason.
namespace cliio {

// Loads `path` ("-": standard input) into `store`, and with `names` the element names of its
// companion file (standard input has none); a damaged companion is told, never fatal.
bool loadDataFile(const QString& path, ConfigStore& store, QTextStream& err,
                  ElementNames* names = nullptr);

// Saves `store` to `path` ("-" or /dev/stdout: standard output), and with `names` its
// companion file beside it, as the window's save does.
bool saveDataFile(const QString& path, const ConfigStore& store, QTextStream& err,
                  const ElementNames* names = nullptr);

// After a file other than a data file was written as `name`: says why it failed, or that it was
// overwritten in place and why, as a data file's save does.
void tellSaved(QTextStream& err, const QString& name, const safesave::Result& result);

// Whether a save to `path` can be tried; says why not on `err`.
bool canSaveTo(const QString& path, QTextStream& err);

// Keeps a configuration that could not be saved where the user asked in a new file in the
// temporary folder, and names that file on `err`.
void keepInTemporaryFile(const ConfigStore& store, QTextStream& err);

} // namespace cliio
