#pragma once

#include "settings/safesave.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <map>
#include <utility>

// What the modeller calls the layout's elements ("TL3 = Vjezd od Lhoty", "V5 = u skladiště").
// The data file's format is fixed (the module's documentation and other programs read it), so
// the names live in a companion file beside it: stanice.txt has its names in
// stanice.nazvy.ini, UTF-8, one "code=name" line each.
namespace elementnames {

enum class Kind { Button, Point, Signal, Detector, RemoteDetector, Relay };

struct KindInfo {
    Kind kind;
    QString prefix;  // "TL", the element's code without its number
    int count;       // numbered 1..count
    QString section; // its section in the companion file
    QString title;   // the group as the names window shows it
};
// Every kind, in the order the companion file and the lists give them.
const QList<KindInfo>& kinds();
const KindInfo& info(Kind kind);

// "TL3", "rD12": the element's code as the editors label it.
QString code(Kind kind, int number);

struct Entry {
    Kind kind;
    int number;
    QString name;
};

class ElementNames {
public:
    // Longer names are cut here, so that no name can push a row of the sheet off its page.
    static constexpr int kMaxLength = 60;

    QString name(Kind kind, int number) const;
    // Blanks, tabs and line breaks in a row become one blank, cut to kMaxLength; an empty name
    // removes it. Numbers outside the kind's range are ignored.
    void setName(Kind kind, int number, const QString& name);
    bool isEmpty() const { return m_names.empty(); }
    // Every named element, in the order of kinds() and numbers.
    QList<Entry> entries() const;

    // "TL3 (Vjezd od Lhoty)", or `text` alone for an element without a name.
    QString withName(const QString& text, Kind kind, int number) const;
    // "TL3 Vjezd od Lhoty", or the code alone: the element as lists and tooltips show it.
    QString label(Kind kind, int number) const;

    bool operator==(const ElementNames& o) const { return m_names == o.m_names; }
    bool operator!=(const ElementNames& o) const { return !(*this == o); }

private:
    std::map<std::pair<Kind, int>, QString> m_names;
};

// Names for callers that have none.
const ElementNames& noNames();

// The companion of a data file: same folder, same base name, ".nazvy.ini".
QString companionPath(const QString& dataFile);

struct LoadResult {
    enum class Status {
        Loaded,  // the names as the file gives them (`note` may tell about skipped lines)
        Missing, // no companion: no names, nothing to tell
        Damaged, // unreadable, not UTF-8 or of another form: no names, `note` says why
    };
    Status status = Status::Missing;
    ElementNames names;
    QString note; // Czech, for the status bar and stderr
};

LoadResult parse(const QByteArray& bytes, const QString& fileName);
// Reads the companion of `dataFile`; a missing or damaged one never stops the data file's load.
LoadResult loadFor(const QString& dataFile);

QByteArray format(const ElementNames& names, const QString& dataFileName);
// Writes the companion of `dataFile` when any name is set, or when a companion is already
// there (so that names cleared by the user stay cleared); a damaged one is then left as it is.
// Nothing to write counts as saved.
safesave::Result saveFor(const QString& dataFile, const ElementNames& names);

} // namespace elementnames

using ElementNames = elementnames::ElementNames;
