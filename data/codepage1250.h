#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Windows-1250, the code page of the route descriptions in data files, carried here so that the
// descriptions never depend on whether Qt was built with a full set of codecs.
namespace codepage1250 {

// Every byte has a character, so every byte read comes back when written.
QString decode(const QByteArray& bytes);
// A character the code page lacks (and a pair of surrogates, which is one character) becomes
// "?"; `lossy`, when given, tells whether that happened.
QByteArray encode(QStringView text, bool* lossy = nullptr);
// Whether `c` is one character the code page holds.
bool holds(QStringView c);

} // namespace codepage1250
