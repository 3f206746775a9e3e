#pragma once

#include <QString>

// "1 cesta", "3 cesty", "5 cest": a Czech noun takes one form for one, another for two to four,
// and a third for the rest (nought included).
inline QString counted(qsizetype n, const char* one, const char* few, const char* many) {
    const char* word = n == 1 ? one : (n >= 2 && n <= 4 ? few : many);
    return QString::number(n) + QLatin1Char(' ') + QString::fromUtf8(word);
}
