#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// The settings file is the user's as much as ours: people keep comments, commented-out port
// mappings and keys of their own in it. So it is read and edited as text, one line at a time,
// instead of being regenerated from a key table.
//
// Lines end in LF or CR LF and may start with a UTF-8 byte order mark. A line is blank, a comment
// (first non-blank ';' or '#'), a section header "[name]" (a ';' or '#' comment may follow), or
// "key=value"; blanks around names and values do not count, and a ';' ends the value (the rest is
// a comment). Section and key names match without regard to ASCII case. A key given twice in a
// section (or in two headers of the same name) has its last value.
namespace inifile {

// The value of key in section, or nothing when there is no such key. Lines that are none of the
// kinds above are skipped, so one garbled line does not cost the values around it.
std::optional<QByteArray> value(const QByteArray& text, QByteArrayView section, QByteArrayView key);

// text with key in section set to value, every other byte as it was: only the value between '='
// and the line's end (or its comment) changes. A missing key is added after the last key of the
// section's first header, a missing section at the end of the file, in the line ends the file
// already uses. Nothing when the text has a line of no known kind (we cannot tell what editing it
// would do), or when the names or the value could not be read back as given.
std::optional<QByteArray> withValue(const QByteArray& text, QByteArrayView section,
                                    QByteArrayView key, QByteArrayView value);

} // namespace inifile
