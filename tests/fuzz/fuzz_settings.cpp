// Feeds arbitrary bytes to the settings file reader and the one-line editor. Whatever the bytes,
// an edit either refuses the whole text or changes a single line (or adds one key, or one
// section), after which the key reads back as written, every other key reads as before, and
// editing again to the same value changes nothing.

#include "settings/inifile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_settings: %s\n", what);
        std::abort();
    }
}

struct Key {
    QByteArrayView section;
    QByteArrayView key;
};

// What the program reads and a key of the user's own; one edit spells its names in other case.
const Key kProbes[] = {{"Options", "COMserial"}, {"Options", "timerCOM"}, {"Options", "Developer"},
                       {"Ports", "COM1"},        {"Ports", "COM3"},       {"mine", "x"}};

struct Edit {
    Key where;
    QByteArrayView value;
};

const Edit kEdits[] = {{{"Options", "COMserial"}, "7"},
                       {{"PORTS", "com3"}, "/dev/ttyUSB9"},
                       {{"Options", "timerCOM"}, ""}};

bool sameKey(const Key& a, const Key& b) {
    return a.section.compare(b.section, Qt::CaseInsensitive) == 0 &&
           a.key.compare(b.key, Qt::CaseInsensitive) == 0;
}

void checkEdit(const QByteArray& text, const Edit& e, bool wellFormed) {
    const std::optional<QByteArray> edited =
        inifile::withValue(text, e.where.section, e.where.key, e.value);
    require(edited.has_value() == wellFormed, "whether a text can be edited depends on the key");
    if (!edited)
        return;
    require(inifile::value(*edited, e.where.section, e.where.key) == e.value.toByteArray(),
            "the edited key does not read back");
    for (const Key& probe : kProbes)
        if (!sameKey(probe, e.where))
            require(inifile::value(*edited, probe.section, probe.key) ==
                        inifile::value(text, probe.section, probe.key),
                    "another key changed");
    require(inifile::withValue(*edited, e.where.section, e.where.key, e.value) == edited,
            "writing the same value again changed the text");

    // One region differs; what it replaced lies within one line.
    qsizetype prefix = 0;
    const qsizetype shorter = std::min(text.size(), edited->size());
    while (prefix < shorter && text[prefix] == (*edited)[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           text[text.size() - 1 - suffix] == (*edited)[edited->size() - 1 - suffix])
        ++suffix;
    const QByteArray removed = text.mid(prefix, text.size() - suffix - prefix);
    const QByteArray added = edited->mid(prefix, edited->size() - suffix - prefix);
    require(!removed.contains('\n'), "the edit removed a line end");
    // At most: the missing end of the last line, a blank line, the header and the key.
    require(added.count('\n') <= 4, "the edit added more than a section with its key");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const Key& probe : kProbes)
        inifile::value(text, probe.section, probe.key);
    const bool wellFormed = inifile::withValue(text, "mine", "x", "1").has_value();
    for (const Edit& e : kEdits)
        checkEdit(text, e, wellFormed);
    return 0;
}
