#pragma once

#include <QStringList>
#include <QTextStream>

#include <functional>
#include <vector>

namespace exitcode {
constexpr int kOk = 0;
constexpr int kFailed = 1; // the command ran and did not succeed
constexpr int kUsage = 2;  // the command line itself is wrong
} // namespace exitcode

// One subcommand of stavnikctl. The dispatcher checks the operand count before `run`; a command
// that finds its operands wrong in some other way returns exitcode::kUsage after saying why,
// and the dispatcher adds the usage line.
struct CliCommand {
    QString name;
    QString operands; // as the usage line shows them, e.g. "IN OUT"
    QString summary;  // one line for --help
    int minOperands = 0;
    int maxOperands = 0; // -1: no upper limit
    std::function<int(const QStringList& operands, QTextStream& out, QTextStream& err)> run;
    // The module transfers use 2 for "the transfer failed" and print their own usage lines.
    bool ownsExitCodes = false;
};
using CliCommands = std::vector<CliCommand>;

// The groups of subcommands, each defined in its own cli/<group>commands.cpp and listed in the
// dispatch table of cli/main.cpp.
CliCommands fileCommands();
CliCommands linkCommands();
