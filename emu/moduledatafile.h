#pragma once

#include "data/image.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The program's data file as the virtual module needs it: the image bytes and, untouched, the
// route description lines, so that a module loaded from a file and saved again keeps them.
struct ModuleDataFile {
    Image image{};
    QList<QByteArray> descriptions; // raw bytes as on disk, without line ends
    bool hasDescriptions = false;
};

// Applies the data lines of `path` over `file.image` (bytes the file does not name keep their
// values); older layouts are converted to the current one. On failure `file` is unchanged.
bool readModuleDataFile(const QString& path, ModuleDataFile& file, QString* error);
// Writes bytes 0..2243 and the descriptions (90 lines, empty where none were kept) atomically:
// the old file survives any failure.
bool writeModuleDataFile(const QString& path, const ModuleDataFile& file, QString* error);
