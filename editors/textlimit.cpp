#include "editors/textlimit.h"

#include "data/datafile.h"

#include <algorithm>

LimitedText limitTypedText(const QString& before, const QString& after, int cursor, int limit) {
    const int allowed = std::max(limit, static_cast<int>(before.size()));
    const int size = static_cast<int>(after.size());
    if (size <= allowed)
        return {after, std::clamp(cursor, 0, size)};

    // Inserted text ends at the cursor, so the excess is taken from just before it.
    int count = size - allowed;
    int start = std::clamp(cursor, count, size) - count;
    // Never leave half of a surrogate pair behind.
    if (start > 0 && after.at(start).isLowSurrogate() && after.at(start - 1).isHighSurrogate()) {
        --start;
        ++count;
    }
    if (start + count < size && after.at(start + count).isLowSurrogate() &&
        after.at(start + count - 1).isHighSurrogate())
        ++count;
    QString text = after;
    text.remove(start, count);
    return {text, start};
}

StorableText dropUnstorable(const QString& text, int cursor) {
    StorableText out;
    out.cursor = cursor;
    for (qsizetype i = 0; i < text.size();) {
        // One code point: a surrogate pair stays together.
        const qsizetype n =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()
                ? 2
                : 1;
        const QStringView c = QStringView(text).mid(i, n);
        if (datafile::holdsCharacter(c)) {
            out.text.append(c);
        } else {
            if (!out.refused.contains(c))
                out.refused.append(c);
            if (i < cursor)
                out.cursor -= static_cast<int>(std::min<qsizetype>(n, cursor - i));
        }
        i += n;
    }
    return out;
}
