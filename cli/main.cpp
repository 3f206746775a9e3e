#include "cli/command.h"
#include "cli/console.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>

#include <algorithm>
#include <memory>

namespace {

// The dispatch table: every group of subcommands, in the order --help lists them. A new group
// is one more line here.
const std::function<CliCommands()> kGroups[] = {
    fileCommands, linkCommands, historyCommands, portCommands, reportCommands,
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
           "       stavnikctl --help\n"
           "       stavnikctl --version\n\n"
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
    out << "\nThe module commands also take --port N|DEVICE (a COM number from 1, as 3 or\n"
           "COM3, mapped as the tool maps it, or a device path) and --tick MS (default:\n"
           "timerCOM of the settings file, else 20); --fast sends each command as soon as the\n"
           "previous reply is complete; --trace FILE appends every byte sent and received,\n"
           "with its time and what the link made of it, to the text file FILE. linktest\n"
           "diagnoses the line (exit 0 usable, 1 with faults, 2 not working).\n"
           "A data file named - is standard input; an OUT named -\n"
           "or /dev/stdout is standard output. A store that succeeds prints one line: the\n"
           "bytes written and the seconds it took. File names must be UTF-8.\n"
           "\nExit status: 0 done, 2 wrong command line. convert and show exit 1 when a file\n"
           "cannot be loaded or saved, port when --map cannot write the settings file; the\n"
           "module commands exit 1 when verify finds differences\n"
           "and 2 when the transfer or a file fails; 130 (Ctrl-C) or 143 (SIGTERM) when\n"
           "stopped, with the link quiet and no file written. diff exits 0 when equal, 1\n"
           "when different; check 0 without findings, 1 with; diff, check and export exit\n"
           "2 when a file cannot be loaded or written; history export exits 2 for an N\n"
           "that is not listed or an OUT that cannot be written.\n";
}

bool isHelp(const QString& arg) {
    return arg == QLatin1String("--help") || arg == QLatin1String("-h");
}

// The command's operands and options, read by QCommandLineParser. Returns what is wrong, or an
// empty text; `help` is set when the command was asked for its usage.
QString parseArguments(const CliCommand& command, const QStringList& args, Invocation& run,
                       bool& help) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(helpOption);
    for (const CliOption& o : command.options)
        parser.addOption(QCommandLineOption(o.name.mid(2), QString(), o.value));
    if (!parser.parse(QStringList{QStringLiteral("stavnikctl")} + args)) {
        if (!parser.unknownOptionNames().isEmpty())
            return QStringLiteral("unknown option --%1").arg(parser.unknownOptionNames().first());
        return parser.errorText();
    }
    help = parser.isSet(helpOption);
    if (help)
        return QString();
    for (const CliOption& o : command.options)
        if (parser.isSet(o.name.mid(2)))
            run.options.insert(o.name, parser.value(o.name.mid(2)));
    run.operands = parser.positionalArguments();
    if (run.operands.size() < command.operandCount)
        return QStringLiteral("too few operands for '%1'").arg(command.name);
    if (run.operands.size() > command.operandCount + command.optionalOperands)
        return QStringLiteral("too many operands for '%1'").arg(command.name);
    for (const CliOption& o : command.options)
        if (o.required && !run.options.contains(o.name))
            return QStringLiteral("%1 needs %2").arg(command.name, o.name);
    return QString();
}

// A name the system gave in bytes that are not UTF-8 would come out changed, and a file of
// another name would be read or written. Such arguments are refused, by position.
QString unreadableArgument(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        if (QFile::encodeName(QFile::decodeName(raw)) != raw)
            return QStringLiteral("argument %1 is not valid UTF-8 (%2); a file name that is "
                                  "not UTF-8 cannot be used, rename the file")
                .arg(i)
                .arg(QString::fromLatin1(raw.toPercentEncoding("/.-_~")));
    }
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
    if (args.first() == QLatin1String("--version")) {
        out << "stavnikctl " << STAVNIK_VERSION << '\n';
        return exitcode::kOk;
    }
    const auto command = std::find_if(commands.begin(), commands.end(),
                                      [&](const CliCommand& c) { return c.name == args.first(); });
    if (command == commands.end())
        return usageError(err, QStringLiteral("unknown command '%1'").arg(args.first()),
                          kGeneralUsage);

    Invocation run{{}, {}, usageLine(*command), out, err};
    bool help = false;
    const QString wrong = parseArguments(*command, args.mid(1), run, help);
    if (!wrong.isEmpty())
        return run.usageError(wrong);
    if (help) {
        out << "usage: " << run.usage << '\n' << command->summary << '\n';
        return exitcode::kOk;
    }
    return command->run(run);
}

} // namespace

int main(int argc, char* argv[]) {
    prepareConsole();
    if (argc == 1 && explainedToExplorer())
        return exitcode::kUsage;
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    // A PDF needs fonts, and fonts need a platform; offscreen keeps it free of any display.
    // Windows' own platform opens no window either and finds the system's fonts, where
    // offscreen would look in a folder of the machine Qt was built on; offscreen stays as the
    // fallback.
    const bool gui = needsGuiApplication(args);
#ifdef Q_OS_WIN
    const char* platform = "windows;offscreen";
#else
    const char* platform = "offscreen";
#endif
    if (gui && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", platform);
    const std::unique_ptr<QCoreApplication> app(gui ? new QGuiApplication(argc, argv)
                                                    : new QCoreApplication(argc, argv));
    QCoreApplication::setApplicationName(QStringLiteral("stavnikctl"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString unreadable = unreadableArgument(argc, argv);
    const int code = unreadable.isEmpty() ? dispatch(QCoreApplication::arguments().mid(1), out, err)
                                          : usageError(err, unreadable, kGeneralUsage);
    out.flush();
    err.flush();
    return code;
}
