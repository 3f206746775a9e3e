#include "cli/console.h"

#include <cstdio>
#include <unistd.h>

void prepareConsole() {}

bool stderrIsTerminal() {
    return isatty(fileno(stderr)) != 0;
}

bool explainedToExplorer() {
    return false;
}
