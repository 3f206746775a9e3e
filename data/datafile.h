#pragma once

#include "data/configstore.h"

#include <QByteArray>
#include <QString>

class QIODevice;

// The configuration as a text file: marker line, region lines, one "AAAA:VV" line per image
// byte, then "POPIS" and the 90 route descriptions in Windows-1250. Nothing here opens a window.
namespace datafile {

constexpr int kLineCount = 2341;
// A description line longer than this keeps only its first bytes, so that no file, however
// large or malformed, can make a load hold more than a few kilobytes of any one line.
constexpr int kMaxDescriptionBytes = 4096;

struct LoadResult {
    enum class Status {
        Loaded,  // image and routes replaced (descriptions too when the file has "POPIS")
        Refused, // cannot be opened, or an unknown marker; `message` is the warning to show
        Stopped, // nothing follows the header lines: no message, nothing changed
        IoError, // reading failed part-way; `message` is the system's text, nothing changed
    };
    Status status = Status::Stopped;
    QString message;
    int skippedLines = 0; // data lines whose address lies outside the image
};

// Reads `in` (already open) and changes `store` only when the file was read to its end without
// an error; the store then counts as unmodified. `fileName` goes into the refusal text.
LoadResult load(QIODevice& in, const QString& fileName, ConfigStore& store);
LoadResult loadBytes(const QByteArray& bytes, const QString& fileName, ConfigStore& store);
// Opens and loads `path`; refusal texts carry its full name.
LoadResult loadFile(const QString& path, ConfigStore& store);

// The 2341 lines of the current layout, CR LF after every line.
QByteArray format(const ConfigStore& store);
// Writes `format(store)` to `path` through a temporary file that replaces `path` only when it
// was written completely. Returns the system's error text, or an empty string on success.
QString saveFile(const QString& path, const ConfigStore& store);

// The warning shown after a load that had to skip data lines.
QString skippedLinesText(int count);

} // namespace datafile
