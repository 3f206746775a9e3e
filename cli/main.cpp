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

const QString kGeneralUsage =
    QStringLiteral("stavnikctl COMMAND [OPERANDS] [OPTIONS], see stavnikctl --help");

void printHelp(QTextStream& out, const CliCommands& commands) {
    out << "Usage: stavnikctl COMMAND [OPERANDS] [OPTIONS]\n"
           "       stavnikctl COMMAND --help\n"
           "       stavnikctl --help\n\n"
           "Stavnik CFG for scripts: the configuration of an STV2 module without windows.\n\n"
           "Commands:\n";
    // The options every module command takes are explained once below, not on every line.
    const auto shortUsage = [](const CliCommand& c) {
        QString text = c.name + QLatin1Char(' ') + c.operands;
        for (const CliOption& o : c.options)
            if (o.required)
                text += QLatin1Char(' ') + o.name + QLatin1Char(' ') + o.value;
        return text.simplified();
    };
    int width = 0;
    for (const CliCommand& c : commands)
        width = qMax(width, int(shortUsage(c).size()));
    for (const CliCommand& c : commands)
        out << "  " << shortUsage(c).leftJustified(width + 2) << c.summary << '\n';
    out << "\nThe module commands also take --port N|DEVICE (a COM number, mapped as the\n"
           "tool maps it, or a device path) and --tick MS (default: timerCOM of the settings\n"
           "file, else 20); --fast sends each command as soon as the previous reply is\n"
           "complete. A data file named - is standard input; an OUT named - or\n"
           "/dev/stdout is standard output.\n"
           "\nExit status: 0 done, 2 wrong command line. convert and show exit 1 when a file\n"
           "cannot be loaded or saved; the module commands exit 1 when verify finds differences\n"
           "and 2 when the transfer or a file fails; 130 (Ctrl-C) or 143 (SIGTERM) when\n"
           "stopped, with the link quiet and no file written.\n";
}

bool isHelp(const QString& arg) {
    return arg == QLatin1String("--help") || arg == QLatin1String("-h");
}

// Splits the arguments after the command name into operands and the command's options.
// Returns what is wrong, or an empty text.
QString parseArguments(const CliCommand& command, const QStringList& args, Invocation& run) {
    bool optionsEnd = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (optionsEnd || !arg.startsWith(QLatin1String("--"))) {
            run.operands.append(arg);
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnd = true;
            continue;
        }
        const int eq = arg.indexOf(QLatin1Char('='));
        const QString name = eq > 0 ? arg.left(eq) : arg;
        const auto option = std::find_if(command.options.begin(), command.options.end(),
                                         [&name](const CliOption& o) { return o.name == name; });
        if (option == command.options.end())
            return QStringLiteral("unknown option %1").arg(name);
        // A switch (no value on the usage line) takes none.
        if (option->value.isEmpty()) {
            if (eq > 0)
                return QStringLiteral("option %1 takes no value").arg(name);
            run.options.insert(name, QString());
            continue;
        }
        if (eq < 0 && i + 1 == args.size())
            return QStringLiteral("option %1 needs a value").arg(name);
        run.options.insert(name, eq > 0 ? arg.mid(eq + 1) : args.at(++i));
    }
    if (run.operands.size() < command.operandCount)
        return QStringLiteral("too few operands for '%1'").arg(command.name);
    if (run.operands.size() > command.operandCount)
        return QStringLiteral("too many operands for '%1'").arg(command.name);
    for (const CliOption& o : command.options)
        if (o.required && !run.options.contains(o.name))
            return QStringLiteral("%1 needs %2").arg(command.name, o.name);
    return QString();
}

int dispatch(const QStringList& args, QTextStream& out, QTextStream& err) {
    const CliCommands commands = allCommands();
    if (args.isEmpty())
        return usageError(err, QStringLiteral("no command given"), kGeneralUsage);
    if (isHelp(args.first()) || args.first() == QLatin1String("help")) {
        printHelp(out, commands);
        return exitcode::kOk;
    }
    const auto command = std::find_if(commands.begin(), commands.end(),
                                      [&](const CliCommand& c) { return c.name == args.first(); });
    if (command == commands.end())
        return usageError(err, QStringLiteral("unknown command '%1'").arg(args.first()),
                          kGeneralUsage);

    Invocation run{{}, {}, usageLine(*command), out, err};
    const QStringList rest = args.mid(1);
    if (rest.size() == 1 && isHelp(rest.first())) {
        out << "usage: " << run.usage << '\n' << command->summary << '\n';
        return exitcode::kOk;
    }
    const QString wrong = parseArguments(*command, rest, run);
    if (!wrong.isEmpty())
        return run.usageError(wrong);
    return command->run(run);
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
