#pragma once

#include "cli/command.h"

// identify, read OUT, verify FILE and store FILE --what header|all|route=N: the module transfers
// of the main window, driven by the same link engine at the same tick. Each takes
// --port N|DEVICE (a COM number mapped as the tool maps it, or a device path) and --tick MS
// (default: timerCOM of the settings file, else 20). store --only-changed BASE sends only the
// bytes where FILE differs from BASE, a data file of what the module holds.
//
// Exit status: 0 success (verify: equal), 1 verify found differences, 2 failure, with the
// message the window would show on stderr; 130 or 143 when Ctrl-C or SIGTERM stopped it (the
// link goes quiet at once and no file is written).
namespace linkcli {
constexpr int kOk = 0;
constexpr int kDifferent = 1;
constexpr int kFailed = 2;

int identifyCommand(const QStringList& operands, QTextStream& out, QTextStream& err);
int readCommand(const QStringList& operands, QTextStream& out, QTextStream& err);
int verifyCommand(const QStringList& operands, QTextStream& out, QTextStream& err);
int storeCommand(const QStringList& operands, QTextStream& out, QTextStream& err);
} // namespace linkcli
