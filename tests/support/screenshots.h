#pragma once

#include <QString>

// Where the GUI tests save pictures of their windows for a side-by-side look with the windows'
// description: the folder STAVNIK_SCREENSHOTS names; empty when unset, and then none are saved.
inline QString screenshotFolder() {
    return qEnvironmentVariable("STAVNIK_SCREENSHOTS");
}
