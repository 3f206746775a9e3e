#pragma once

#include "data/configstore.h"
#include "settings/safesave.h"

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
// No line of a data file, written by the program or edited by hand, comes anywhere near this.
// A longer line means the input is no data file (an endless device, a binary, a file without
// line ends) and the load gives up there instead of reading on.
constexpr qint64 kMaxLineBytes = 64 * 1024;

struct LoadResult {
    enum class Status {
        Loaded,  // image and routes replaced (descriptions too when the file has "POPIS")
        Refused, // cannot be opened, unknown marker or a line beyond kMaxLineBytes; nothing
                 // changed, `message` is the warning to show
        Stopped, // nothing follows the header lines: no message, nothing changed
        IoError, // reading failed part-way; `message` is the system's text, nothing changed
    };
    Status status = Status::Stopped;
    QString message;
    QString reason; // the system's reason for a failed open or read, or which line was too long
    int skippedLines = 0;    // data lines whose address lies outside the image
    int cutDescriptions = 0; // descriptions longer than kMaxDescriptionBytes, kept in part
    // A file may name only some addresses and so patch the configuration it is loaded over.
    int namedBytes = 0;                   // addresses of its layout the data lines set
    int layoutBytes = image::kConfigSize; // addresses its layout has (fewer for older layouts)
    bool setsEverything() const { return namedBytes >= layoutBytes; }
};

// saved, inPlace (and why), the system's reason and the kind of problem for the Czech sentence.
using SaveResult = safesave::Result;

// Reads `in` (already open) and changes `store` only when the file was read to its end without
// an error; the store then counts as unmodified. `fileName` goes into the refusal text.
LoadResult load(QIODevice& in, const QString& fileName, ConfigStore& store);
LoadResult loadBytes(const QByteArray& bytes, const QString& fileName, ConfigStore& store);
// Opens and loads `path`; refusal texts carry its full name.
LoadResult loadFile(const QString& path, ConfigStore& store);

// The 2341 lines of the current layout, CR LF after every line.
QByteArray format(const ConfigStore& store);
// Writes `format(store)` to `path` through a temporary file that replaces `path` only when it
// was written completely, as safesave::write does: owner and mode kept, a device, pipe, folder
// or loop of links refused untouched, a symbolic link followed.
SaveResult saveFile(const QString& path, const ConfigStore& store);
// Writes `format(store)` to an open device such as standard output.
SaveResult writeTo(QIODevice& out, const ConfigStore& store);
// Why a save to `path` would fail before anything is written: the folder is missing or
// read-only (and the file cannot be overwritten in place), the target is not a regular file or
// a loop of links, or the name is not UTF-8. Empty when a save can be tried.
QString saveTargetProblem(const QString& path);

// Whether the code page of the descriptions (Windows-1250) holds the character `c`, one code
// point given as one or two UTF-16 units; what it does not hold would be saved as "?".
bool holdsCharacter(QStringView c);

// The warning shown after a load that had to skip data lines.
QString skippedLinesText(int count);
// Says how many bytes of the configuration a file that patches it sets.
QString partialFileText(const LoadResult& result);
// Says that nothing follows the header lines of `fileName`, so nothing was loaded.
QString noDataLinesText(const QString& fileName);

} // namespace datafile
