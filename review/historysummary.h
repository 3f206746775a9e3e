#pragma once

#include "data/history.h"

// What an entry changed against the one before it, in one line: "3 cesty, 1 nastavení",
// "beze změny"; "první záznam" without one before. Only the addresses the entry knows count.
namespace history {
QString changeSummary(const Entry* before, const Entry& entry);
}
