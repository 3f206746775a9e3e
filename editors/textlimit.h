#pragma once

#include <QString>

// Typing limit of a one-line field that must still show and keep longer text set by the
// program (a description from a data file can exceed what the user may type). An edit may
// not make the text longer than `limit`, or than it already was if it was longer; what does
// not fit is cut from the end of the inserted part, as a native edit field does.
struct LimitedText {
    QString text;
    int cursor = 0;
};
LimitedText limitTypedText(const QString& before, const QString& after, int cursor, int limit);

// Takes out of an edited text the characters the data file cannot hold, so that what the field
// shows is what is saved. `refused` lists each taken character once, in order of appearance.
struct StorableText {
    QString text;
    int cursor = 0;
    QString refused;
};
StorableText dropUnstorable(const QString& text, int cursor);
