#include "cli/console.h"

#include <conio.h>
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

namespace {
bool isConsole(DWORD stdHandle) {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(stdHandle), &mode) != 0;
}
} // namespace

bool explainedToExplorer() {
    // A program that starts stavnikctl with pipes (a script, a service, the window program)
    // may give it a console of its own too; nobody would press the key there.
    if (!isConsole(STD_INPUT_HANDLE) || !isConsole(STD_OUTPUT_HANDLE))
        return false;
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) != 1)
        return false;
    std::fputs("stavnikctl je program pro příkazový řádek, bez okna.\r\n"
               "Otevřete příkazový řádek (cmd) ve složce programu a napište například\r\n"
               "  stavnikctl --help\r\n"
               "Okno Stavnik CFG otevře stavnik-cfg.exe (v nabídce Start: Stavnik CFG).\r\n\r\n"
               "Stiskněte libovolnou klávesu…\r\n",
               stdout);
    std::fflush(stdout);
    _getch();
    return true;
}
