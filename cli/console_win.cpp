#include "cli/console.h"

#include <cstdio>
#include <fcntl.h>
#include <initializer_list>
#include <io.h>
#include <windows.h>

void prepareConsole() {
    for (FILE* f : {stdin, stdout, stderr})
        _setmode(_fileno(f), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
}

bool stderrIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}
