#pragma once

#include <QMap>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <vector>

// Every exit status stavnikctl gives. Scripts rely on them, so they never change.
namespace exitcode {
constexpr int kOk = 0;
constexpr int kFailed = 1;         // convert, show: a file could not be loaded or saved
constexpr int kDifferent = 1;      // verify: the module holds other bytes than the file
constexpr int kUsage = 2;          // the command line itself is wrong
constexpr int kTransferFailed = 2; // identify, read, verify, store: the module or a file failed
constexpr int kError = 2;          // diff, check, export: a file could not be loaded or written
} // namespace exitcode

// An option that takes a value, written "--name VALUE" or "--name=VALUE".
struct CliOption {
    QString name;  // "--port"
    QString value; // as the usage line shows it, e.g. "N|DEVICE"
    bool required = false;
};

// One run of a command, its command line already checked against the command's operands and
// options.
struct Invocation {
    QStringList operands;
    QMap<QString, QString> options; // by name, "--port"
    QString usage;                  // the command's usage line
    QTextStream& out;
    QTextStream& err;

    // For a wrong command line the command itself finds (a value out of range): says why and
    // gives the usage line, like the dispatcher does.
    int usageError(const QString& what) const;
};

struct CliCommand {
    QString name;
    QString operands; // as the usage line shows them, e.g. "IN OUT"
    int operandCount = 0;
    std::vector<CliOption> options;
    QString summary; // one line for --help
    std::function<int(const Invocation&)> run;
    int optionalOperands = 0; // operands that may follow the required ones
};
using CliCommands = std::vector<CliCommand>;

// "stavnikctl NAME OPERANDS --required VALUE [--optional VALUE]": the one usage line of a
// command, shown by --help and with every usage error.
QString usageLine(const CliCommand& command);
// `text` with every control character (and every invisible one that reorders or hides text)
// written as \x1b or \u202e, so that what a file holds reaches a terminal as text and never as
// its commands.
QString printable(const QString& text);

// Says what is wrong with the command line, then the usage line; returns exitcode::kUsage.
int usageError(QTextStream& err, const QString& what, const QString& usage);

// The groups of subcommands, each defined in its own cli/<group>commands.cpp and listed in the
// dispatch table of cli/main.cpp.
CliCommands fileCommands();
CliCommands historyCommands();
CliCommands linkCommands();
CliCommands portCommands();
CliCommands reportCommands();

// Whether the command line needs a QGuiApplication (a PDF is drawn with fonts); every other
// command runs on QCoreApplication, without a display.
bool needsGuiApplication(const QStringList& args);
