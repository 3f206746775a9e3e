#include "cli/command.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

// The dispatch table: every group of subcommands, in the order --help lists them. A new group
// is one more line here.
const std::function<CliCommands()> kGroups[] = {
    fileCommands,
    linkCommands,
};

CliCommands allCommands() {
    CliCommands all;
    for (const auto& group : kGroups)
        for (CliCommand& command : group())
            all.push_back(std::move(command));
    return all;
}

QString usageLine(const CliCommand& command) {
    QString line = QStringLiteral("stavnikctl ") + command.name;
    if (!command.operands.isEmpty())
        line += QLatin1Char(' ') + command.operands;
    return line;
}

void printHelp(QTextStream& out, const CliCommands& commands) {
    out << "Usage: stavnikctl COMMAND [OPERANDS]\n"
           "       stavnikctl COMMAND --help\n"
           "       stavnikctl --help\n\n"
           "Stavnik CFG for scripts: the configuration of an STV2 module without windows.\n\n"
           "Commands:\n";
    int width = 0;
    for (const CliCommand& c : commands)
        width = qMax(width, int((c.name + QLatin1Char(' ') + c.operands).size()));
    for (const CliCommand& c : commands)
        out << "  " << (c.name + QLatin1Char(' ') + c.operands).leftJustified(width + 2)
            << c.summary << '\n';
    out << "\nExit status: 0 done, 2 wrong command line. convert and show exit 1 when a file\n"
           "cannot be loaded or saved; the module commands exit 1 when verify finds differences\n"
           "and 2 when the transfer fails; 130 (Ctrl-C) or 143 (SIGTERM) when stopped, with\n"
           "the link quiet and no file written.\n";
}

bool isHelp(const QString& arg) {
    return arg == QLatin1String("--help") || arg == QLatin1String("-h");
}

int usageError(QTextStream& err, const QString& what, const QString& usage) {
    err << "stavnikctl: " << what << '\n' << "usage: " << usage << '\n';
    return exitcode::kUsage;
}

int dispatch(const QStringList& args, QTextStream& out, QTextStream& err) {
    const CliCommands commands = allCommands();
    if (args.isEmpty())
        return usageError(err, QStringLiteral("no command given"),
                          QStringLiteral("stavnikctl COMMAND [OPERANDS], see stavnikctl --help"));
    if (isHelp(args.first()) || args.first() == QLatin1String("help")) {
        printHelp(out, commands);
        return exitcode::kOk;
    }
    const auto command = std::find_if(commands.begin(), commands.end(),
                                      [&](const CliCommand& c) { return c.name == args.first(); });
    if (command == commands.end())
        return usageError(err, QStringLiteral("unknown command '%1'").arg(args.first()),
                          QStringLiteral("stavnikctl COMMAND [OPERANDS], see stavnikctl --help"));

    const QStringList operands = args.mid(1);
    if (operands.size() == 1 && isHelp(operands.first())) {
        out << "usage: " << usageLine(*command) << '\n' << command->summary << '\n';
        return exitcode::kOk;
    }
    if (operands.size() < command->minOperands ||
        (command->maxOperands >= 0 && operands.size() > command->maxOperands)) {
        const QString what = operands.size() < command->minOperands
                                 ? QStringLiteral("too few operands for '%1'")
                                 : QStringLiteral("too many operands for '%1'");
        return usageError(err, what.arg(command->name), usageLine(*command));
    }
    const int code = command->run(operands, out, err);
    if (code == exitcode::kUsage && !command->ownsExitCodes)
        err << "usage: " << usageLine(*command) << '\n';
    return code;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("stavnikctl"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = dispatch(QCoreApplication::arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return code;
}
