#pragma once

#include "cli/command.h"

// identify, read OUT, verify FILE and store FILE --what header|all|route=N: the module transfers
// of the main window, driven by the same link engine at the same tick. Each takes
// --port N|DEVICE (a COM number mapped as the tool maps it, or a device path) and --tick MS
// (default: timerCOM of the settings file, else 20).
//
// Exit status: 0 success (verify: equal), 1 verify found differences, 2 failure, with the
// message the window would show on stderr.
namespace linkcli {
constexpr int kOk = 0;
constexpr int kDifferent = 1;
constexpr int kFailed = 2;

int identifyCommand(const QStringList& operands, QTextStream& out, QTextStream& err);
int readCommand(const QStringList& operands, QTextStream& out, QTextStream& err);
int verifyCommand(const QStringList& operands, QTextStream& out, QTextStream& err);
int storeCommand(const QStringList& operands, QTextStream& out, QTextStream& err);
} // namespace linkcli
