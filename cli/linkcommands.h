#pragma once

#include "cli/command.h"

// identify, read OUT, verify FILE and store FILE --what header|all|route=N: the module transfers
// of the main window, driven by the same link engine at the same tick. Each takes
// --port N|DEVICE (a COM number mapped as the tool maps it, or a device path) and --tick MS
// (default: timerCOM of the settings file, else 20).
//
// Exit status: exitcode::kOk on success (verify: equal), kDifferent when verify found
// differences, kTransferFailed on any failure, with the message the window would show on stderr;
// 130 or 143 when Ctrl-C or SIGTERM stopped it (the link goes quiet at once and no file is
// written). store --only-changed BASE sends only the bytes where FILE differs from BASE, a data
// file of what the module holds.
namespace linkcli {
int identifyCommand(const Invocation& run);
int readCommand(const Invocation& run);
int verifyCommand(const Invocation& run);
int storeCommand(const Invocation& run);
int linktestCommand(const Invocation& run);
} // namespace linkcli
