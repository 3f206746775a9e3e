#pragma once

#include <QByteArray>
#include <QString>

class QFile;

// Files the user keeps (data files, the settings file) are written and read here, so that a
// save never costs the user anything: the old file survives a failure, a replaced file keeps its
// owner, group, mode and extended attributes (ACLs included), and nothing that is not a regular
// file — a device, a pipe, a socket, a folder, a loop of symbolic links — is ever written.
namespace safesave {

// Why a save failed, for the sentence the windows show in Czech.
enum class Problem {
    None,
    BadName,    // the name holds a character the system's name could not be read as
    Loop,       // symbolic links that lead round in a circle
    NotRegular, // a device, pipe, socket or folder
    MissingFolder,
    NoPermission,
    ReadOnlyDisk,
    DiskFull,
    Other,
};

// Why the file was written in place instead of being replaced by a complete new one.
enum class InPlace {
    No,
    ReadOnlyFolder, // the folder takes no new file
    HardLinks,      // the file has other names that must see the new contents too
    Owner,          // a new file could not be given the old one's owner, group or attributes
};

struct Result {
    bool saved = false;
    // Written into the existing file; a failure part-way was undone as far as the system let
    // it (see inPlaceWhy).
    bool inPlace = false;
    QString reason; // the system's text, or why the target was refused
    Problem problem = Problem::None;
    InPlace inPlaceWhy = InPlace::No;
};

// Why a save to `path` would fail before anything is written (problem None when it can be
// tried). A symbolic link is followed to its final target.
Result check(const QString& path);
// Writes `bytes` to `path` as described above.
Result write(const QString& path, const QByteArray& bytes);

// Czech, for the windows: "Soubor nelze uložit: …" and the note on an in-place save.
QString failureSentence(Problem problem);
// The part after the colon, "na disku není místo"; empty for Other and None.
QString problemClause(Problem problem);
// The kind of problem a system error number stands for.
Problem problemOfError(int error);
QString inPlaceSentence(InPlace why);

// Opens `path` for reading without ever waiting (a pipe with no writer, a terminal), and only
// when it is a regular file. False with the reason otherwise; `file` is then closed.
bool openForReading(QFile& file, const QString& path, QString* reason);

// At most `limit` bytes of `path`, for small files such as the settings file. A path that is no
// regular file is read without waiting, for what it holds right now, and says so in `problem`.
struct ReadResult {
    bool exists = false;
    bool ok = false; // read completely (a missing file counts as read, empty)
    QByteArray bytes;
    QString problem; // why the path must not be written, e.g. "Is a device, not a regular file"
};
ReadResult read(const QString& path, qint64 limit);

// The reason a name cannot be used as it stands, or an empty text.
QString nameProblem(const QString& path);

} // namespace safesave
