#pragma once

#include "data/history.h"

// What an entry changed against the one before it, in one line: "3 cesty, 1 nastavení",
// "beze změny"; "první záznam" without one before. Only the addresses the entry knows count.
namespace history {
QString changeSummary(const Entry* before, const Entry& entry);
// Gives each entry of `newestFirst` that keeps no summary (older versions wrote none) the one
// against the entry listed after it, reading the bytes of just those entries.
void fillSummaries(QList<Entry>& newestFirst);
} // namespace history
