#pragma once

#include "data/configstore.h"
#include "data/image.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <bitset>
#include <optional>

// What the module held, kept without asking: one entry per read, verify and store. An entry is
// a data file of the bytes known after the transfer (a file the tool and any text editor open;
// a partial entry names only the addresses it knows) and a short side-car of key=value lines
// that says when, what, on which port and from which module. The side-car is written last, so
// an entry exists only once both are complete; names carry the time, the process and a counter
// and are never replaced, so two programs writing at once never meet.
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

    // Filled by list(): the side-car's name and the data file's path.
    QString name;
    QString dataPath;

    // Every address of the configuration the module reported (90 routes when it did not).
    bool complete() const;
};

struct Damaged {
    QString name;
    QString reason;
};

struct Listing {
    QList<Entry> entries; // newest first
    QList<Damaged> damaged;
};

struct Limits {
    int maxEntries = 500;
    qint64 maxBytes = 50LL * 1024 * 1024;
};

// <user data folder>/stavnik-cfg/history, the same for the tool and stavnikctl.
QString defaultFolder();

// The data file of an entry: every line when it is complete, else only the known addresses.
QByteArray dataFileBytes(const Entry& entry);
// The entry's data file as it was written, or nothing when it can no longer be read.
std::optional<QByteArray> savedDataFile(const Entry& entry);
// The configuration an entry holds: its known bytes over `base` (an empty configuration unless
// given), so an address the entry does not know keeps the base's value.
ConfigStore contents(const Entry& entry, ConfigStore base = ConfigStore());

// "1-62,264-285": the set addresses as ranges, and back (false for anything else).
QString rangesText(const std::bitset<image::kSize>& known);
bool parseRanges(const QString& text, std::bitset<image::kSize>& known);

// Writes `entry` into `folder` (made when missing) and then trims the folder to `limits`.
// Contents equal to the newest entry's are not written again; the side-car refers to them.
// Returns the reason when nothing could be written, else an empty text.
QString write(const QString& folder, const Entry& entry, const Limits& limits = {});

// Every entry of `folder`, newest first; one that cannot be read is listed with the reason.
Listing list(const QString& folder);

// "čtení", "ověření: shoda", "uložení: cesta 3, přerušeno" for the window; "read", "verify
// equal", "store route=3 cancelled" for scripts.
QString kindText(const Entry& entry);
QString kindWord(const Entry& entry);

} // namespace history
