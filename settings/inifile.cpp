#include "settings/inifile.h"

#include <cstring>
#include <vector>

namespace inifile {
namespace {

enum class Kind { Blank, Comment, Section, Entry, Unknown };

// Positions are indices into the text, so that an edit can replace exactly the bytes it means.
struct Line {
    Kind kind = Kind::Unknown;
    qsizetype begin = 0;
    qsizetype end = 0;  // where the line end (LF or CR LF) starts
    qsizetype next = 0; // where the next line starts; == end for a last line without a line end
    qsizetype nameBegin = 0, nameEnd = 0;   // section name or key
    qsizetype valueBegin = 0, valueEnd = 0; // entries only
    qsizetype header = -1;                  // the section header above, -1 before the first
};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 && c != '\t';
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The position of c in [from, to), or to when it is not there. Bounded so that a long run of
// unfinished lines cannot make every line search the rest of the file.
qsizetype find(const QByteArray& t, char c, qsizetype from, qsizetype to) {
    const void* hit = std::memchr(t.constData() + from, c, static_cast<std::size_t>(to - from));
    return hit ? static_cast<const char*>(hit) - t.constData() : to;
}

qsizetype skipBlanks(const QByteArray& t, qsizetype from, qsizetype to) {
    while (from < to && isBlank(t[from]))
        ++from;
    return from;
}

qsizetype chopBlanks(const QByteArray& t, qsizetype from, qsizetype to) {
    while (to > from && isBlank(t[to - 1]))
        --to;
    return to;
}

void classify(const QByteArray& t, Line& l) {
    // A NUL, a lone CR or other control bytes mean this is not a text we understand.
    for (qsizetype i = l.begin; i < l.end; ++i)
        if (isControl(t[i]))
            return;
    const qsizetype first = skipBlanks(t, l.begin, l.end);
    if (first == l.end) {
        l.kind = Kind::Blank;
        return;
    }
    if (t[first] == ';' || t[first] == '#') {
        l.kind = Kind::Comment;
        return;
    }
    if (t[first] == '[') {
        const qsizetype close = find(t, ']', first, l.end);
        if (close == l.end)
            return;
        const qsizetype rest = skipBlanks(t, close + 1, l.end);
        if (rest < l.end && t[rest] != ';' && t[rest] != '#')
            return;
        l.kind = Kind::Section;
        l.nameBegin = skipBlanks(t, first + 1, close);
        l.nameEnd = chopBlanks(t, l.nameBegin, close);
        return;
    }
    const qsizetype equals = find(t, '=', first, l.end);
    if (equals == l.end)
        return;
    l.nameBegin = first;
    l.nameEnd = chopBlanks(t, first, equals);
    const qsizetype comment = find(t, ';', equals + 1, l.end);
    l.valueBegin = skipBlanks(t, equals + 1, comment);
    l.valueEnd = chopBlanks(t, l.valueBegin, comment);
    if (l.valueBegin == l.valueEnd) // an empty value is written right after the '='
        l.valueBegin = l.valueEnd = equals + 1;
    l.kind = Kind::Entry;
}

std::vector<Line> parse(const QByteArray& t) {
    std::vector<Line> lines;
    qsizetype pos = t.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    qsizetype header = -1;
    while (pos < t.size()) {
        Line l;
        l.begin = pos;
        const qsizetype lf = find(t, '\n', pos, t.size());
        l.next = lf < t.size() ? lf + 1 : lf;
        l.end = lf < t.size() && lf > pos && t[lf - 1] == '\r' ? lf - 1 : lf;
        classify(t, l);
        if (l.kind == Kind::Section)
            header = static_cast<qsizetype>(lines.size());
        l.header = header;
        lines.push_back(l);
        pos = l.next;
    }
    return lines;
}

bool sameName(const QByteArray& t, qsizetype begin, qsizetype end, QByteArrayView name) {
    if (end - begin != name.size())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i)
        if (asciiLower(t[begin + i]) != asciiLower(name[i]))
            return false;
    return true;
}

bool isSection(const QByteArray& t, const Line& l, QByteArrayView section) {
    return l.kind == Kind::Section && sameName(t, l.nameBegin, l.nameEnd, section);
}

bool isKey(const QByteArray& t, const std::vector<Line>& lines, const Line& l,
           QByteArrayView section, QByteArrayView key) {
    return l.kind == Kind::Entry && l.header >= 0 &&
           isSection(t, lines[static_cast<std::size_t>(l.header)], section) &&
           sameName(t, l.nameBegin, l.nameEnd, key);
}

// Text we write must read back as written: no control bytes, no blanks at either end (reading
// trims them), and none of the characters that would end it early or change the line's kind.
bool writable(QByteArrayView text, QByteArrayView forbidden, QByteArrayView forbiddenFirst) {
    for (const char c : text)
        if (isControl(c) || forbidden.contains(c))
            return false;
    return text.isEmpty() || (!isBlank(text.front()) && !isBlank(text.back()) &&
                              !forbiddenFirst.contains(text.front()));
}

// The line end this file already uses; a file without one gets the platform's.
QByteArray lineEnd(const QByteArray& t, const std::vector<Line>& lines) {
    for (const Line& l : lines)
        if (l.next > l.end)
            return t.mid(l.end, l.next - l.end);
#ifdef Q_OS_WIN
    return QByteArrayLiteral("\r\n");
#else
    return QByteArrayLiteral("\n");
#endif
}

} // namespace

std::optional<QByteArray> value(const QByteArray& text, QByteArrayView section,
                                QByteArrayView key) {
    const std::vector<Line> lines = parse(text);
    std::optional<QByteArray> found;
    for (const Line& l : lines)
        if (isKey(text, lines, l, section, key))
            found = text.mid(l.valueBegin, l.valueEnd - l.valueBegin);
    return found;
}

std::optional<QByteArray> withValue(const QByteArray& text, QByteArrayView section,
                                    QByteArrayView key, QByteArrayView value) {
    if (section.isEmpty() || key.isEmpty() || !writable(section, "]", "") ||
        !writable(key, "=", "[;#") || !writable(value, ";", ""))
        return std::nullopt;
    const std::vector<Line> lines = parse(text);
    const Line* last = nullptr;
    for (const Line& l : lines) {
        if (l.kind == Kind::Unknown)
            return std::nullopt;
        if (isKey(text, lines, l, section, key))
            last = &l;
    }
    QByteArray edited = text;
    if (last) {
        edited.replace(last->valueBegin, last->valueEnd - last->valueBegin, value);
        return edited;
    }

    const QByteArray eol = lineEnd(text, lines);
    const QByteArray entry = key.toByteArray() + '=' + value.toByteArray();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!isSection(text, lines[i], section))
            continue;
        // After the section's last key, so that blank lines and comments that introduce the
        // next section stay with it.
        const Line* anchor = &lines[i];
        for (std::size_t j = i + 1; j < lines.size() && lines[j].header == qsizetype(i); ++j)
            if (lines[j].kind == Kind::Entry)
                anchor = &lines[j];
        if (anchor->next > anchor->end)
            edited.insert(anchor->next, entry + eol);
        else
            edited.insert(anchor->next, eol + entry);
        return edited;
    }

    if (!lines.empty()) {
        if (lines.back().next == lines.back().end)
            edited += eol;
        if (lines.back().kind != Kind::Blank)
            edited += eol;
    }
    edited += '[' + section.toByteArray() + ']' + eol + entry + eol;
    return edited;
}

} // namespace inifile
