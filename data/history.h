#pragma once

#include "data/configstore.h"
#include "data/image.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <bitset>
#include <functional>
#include <optional>

// What the module held, kept without asking: one entry per read, verify and store. An entry is
// a data file of the bytes known after the transfer (a file the tool and any text editor open;
// a partial entry names only the addresses it knows) and a short side-car of key=value lines
// that says when, what, on which port and from which module. The side-car is written last, so
// an entry exists only once both are complete. Writing and trimming happen under a lock file in
// the folder, so two programs at once take turns; entries are ordered by a sequence number
// taken under that lock, never by the clock. Files the history did not write are left alone.
namespace history {

enum class Kind { Read, Verify, Store };
enum class Outcome { Done, Failed, Cancelled };

struct Entry {
    QDateTime time; // UTC
    Kind kind = Kind::Read;
    Outcome outcome = Outcome::Done;
    // Verify: "equal" or "different". Store: "header", "all", "route=N" or "changed".
    QString part;
    QString port;
    QString answer;   // the module's identify answer in hex, empty when none came
    QString version;  // as the window shows it, "??" when not known
    int capacity = 0; // routes the module reported; 0 when it did not
    std::bitset<image::kSize> known;
    Image bytes{}; // valid where `known` is set

    // What changed against the entry before it, in one line, kept when the entry is written;
    // empty in entries of older versions.
    QString summary;
    // The route descriptions kept with the entry (the module holds none): "screen" for those
    // on screen at the time, "file" for those of the file stored; empty when none were kept.
    QString descriptionsFrom;
    QStringList descriptions; // routes 1..90, filled by load() when kept

    // Filled by list(): the side-car's name, its place in the order of writing and the data
    // file's path.
    QString name;
    qint64 sequence = 0; // 0 in entries of older versions, which come before all others
    QString dataPath;

    // Every address of the configuration the module reported (90 routes when it did not).
    bool complete() const;
};

struct Damaged {
    QString name;
    QString reason;
};

struct Listing {
    QList<Entry> entries; // newest first, without their bytes (see load())
    QList<Damaged> damaged;
    QStringList foreign; // files in the folder the history did not write; left alone
};

// Why an entry could not be written: a Czech clause ("na disku není místo") and the system's
// text with the path it concerns.
struct WriteResult {
    QString problem;
    QString details;
    bool written() const { return problem.isEmpty(); }
};

// The one-line summary of `entry` against the entry before it (none for the first).
using Summarizer = std::function<QString(const Entry* before, const Entry& entry)>;

struct Limits {
    int maxEntries = 500;
    qint64 maxBytes = 50LL * 1024 * 1024;
};

// <user data folder>/stavnik-cfg/history, the same for the tool and stavnikctl.
QString defaultFolder();

// The data file of an entry: every line when it is complete, else only the known addresses.
QByteArray dataFileBytes(const Entry& entry);
// The entry's data file as it was written, or nothing (and why in `why`) when it can no longer
// be read or its bytes are no longer those its name stands for.
std::optional<QByteArray> savedDataFile(const Entry& entry, QString* why = nullptr);
// Reads the entry's bytes (and the descriptions kept with it) from its data file; the reason
// when it cannot.
QString load(Entry& entry);
// The configuration an entry holds: its known bytes over `base` (an empty configuration unless
// given), so an address the entry does not know keeps the base's value; the descriptions kept
// with it replace the base's.
ConfigStore contents(const Entry& entry, ConfigStore base = ConfigStore());

// "1-62,264-285": the set addresses as ranges, and back (false for anything else).
QString rangesText(const std::bitset<image::kSize>& known);
bool parseRanges(const QString& text, std::bitset<image::kSize>& known);

// Writes `entry` into `folder` (made when missing) and then trims the folder to `limits`: the
// oldest entries go first, the newest of each module stays, and a data file goes only with the
// last entry that refers to it. Equal contents are kept in one data file. `summarize`, when
// given, makes the one-line summary kept in the side-car. A failure leaves no file behind.
WriteResult write(const QString& folder, const Entry& entry, const Limits& limits = {},
                  const Summarizer& summarize = {});
// Whether an entry could be written into `folder` now (made when missing): the lock can be
// taken and a file the size of a data file written and removed again.
WriteResult probe(const QString& folder);

// Every entry of `folder`, newest first; one that cannot be read, or whose data file is no
// longer what its name stands for, is listed with the reason.
Listing list(const QString& folder);

// "čtení", "ověření: shoda", "uložení: cesta 3, přerušeno" for the window; "read", "verify
// equal", "store route=3 cancelled" for scripts.
QString kindText(const Entry& entry);
QString kindWord(const Entry& entry);

} // namespace history
