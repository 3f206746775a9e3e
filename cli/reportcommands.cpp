#include "cli/command.h"
#include "cli/datafileio.h"
#include "cli/linkcommands.h"
#include "review/configcheck.h"
#include "review/configsheet.h"
#include "review/conflicts.h"
#include "review/differences.h"
#include "review/print/printedsheet.h"
#include "settings/safesave.h"

#include <QFileInfo>
#include <QTemporaryDir>

namespace {

const QString kModule = QStringLiteral("--module");
const QString kFormat = QStringLiteral("--format");
const QString kConflicts = QStringLiteral("--conflicts");

bool loadOrSay(const QString& path, ConfigStore& store, QTextStream& err,
               ElementNames* names = nullptr) {
    return cliio::loadDataFile(path, store, err, names);
}

// The module's configuration, read as `stavnikctl read` reads it, into `store`.
bool readModule(const Invocation& run, ConfigStore& store) {
    QTemporaryDir dir;
    if (!dir.isValid()) {
        run.err << "stavnikctl: no temporary folder for the module's contents: "
                << dir.errorString() << '\n';
        return false;
    }
    const QString file = dir.filePath(QStringLiteral("module.txt"));
    QMap<QString, QString> options = run.options;
    options.remove(kModule);
    options.remove(kFormat);
    Invocation read{{file}, options, run.usage, run.out, run.err};
    if (linkcli::readCommand(read) != exitcode::kOk)
        return false;
    return loadOrSay(file, store, run.err);
}

int diffCommand(const Invocation& run) {
    const bool module = run.options.contains(kModule);
    if (run.operands.size() != (module ? 1 : 2))
        return run.usageError(module ? QStringLiteral("--module compares one file A")
                                     : QStringLiteral("diff needs files A and B, or A --module"));
    const QString format = run.options.value(kFormat, QStringLiteral("text"));
    if (format != QLatin1String("text") && format != QLatin1String("tsv"))
        return run.usageError(QStringLiteral("--format takes text or tsv"));
    ConfigStore a, b;
    ElementNames namesA, namesB;
    if (!loadOrSay(run.operands.at(0), a, run.err, &namesA))
        return exitcode::kError;
    if (module ? !readModule(run, b) : !loadOrSay(run.operands.at(1), b, run.err, &namesB))
        return exitcode::kError;
    // The module keeps no descriptions nor names: only what it holds is compared, as a verify
    // does.
    if (module) {
        for (int n = 1; n <= image::kRouteCount; ++n)
            b.route(n).description = a.route(n).description;
        namesB = namesA;
    }
    const QList<differences::Difference> list =
        differences::compare(a, b, image::kConfigSize, namesA) +
        differences::compareNames(namesA, namesB);
    for (differences::Difference d : list) {
        // A description's control characters would act on the terminal instead of showing.
        d = {printable(d.item), printable(d.field), printable(d.a), printable(d.b)};
        run.out << (format == QLatin1String("tsv") ? differences::tsvLine(d) : differences::line(d))
                << '\n';
    }
    return list.isEmpty() ? exitcode::kOk : exitcode::kDifferent;
}

int checkCommand(const Invocation& run) {
    ConfigStore config;
    ElementNames names;
    if (!loadOrSay(run.operands.at(0), config, run.err, &names))
        return exitcode::kError;
    // Routes that exclude each other are the layout's nature, not a mistake: listed, exit 0.
    if (run.options.contains(kConflicts)) {
        for (conflicts::Conflict c : conflicts::find(config, names)) {
            c.reason = printable(c.reason); // a name's control characters stay off the terminal
            run.out << conflicts::tsvLine(c) << '\n';
        }
        return exitcode::kOk;
    }
    const QList<configcheck::Finding> findings = configcheck::check(config, names);
    for (const configcheck::Finding& f : findings)
        run.out << f.text << '\n';
    return findings.isEmpty() ? exitcode::kOk : exitcode::kDifferent;
}

int exportCommand(const Invocation& run) {
    const QString out = run.operands.at(1);
    printedsheet::Format format = printedsheet::formatOf(out);
    if (format == printedsheet::Format::Unknown)
        return run.usageError(QStringLiteral("OUT must end in .pdf, .html or .csv"));
    const QString csvForm = run.options.value(kFormat, QStringLiteral("table"));
    if (csvForm != QLatin1String("table") && csvForm != QLatin1String("long"))
        return run.usageError(QStringLiteral("--format takes table or long"));
    if (csvForm == QLatin1String("long")) {
        if (format != printedsheet::Format::Csv)
            return run.usageError(QStringLiteral("--format long is a form of .csv"));
        format = printedsheet::Format::CsvLong;
    }
    ConfigStore config;
    ElementNames names;
    if (!loadOrSay(run.operands.at(0), config, run.err, &names))
        return exitcode::kError;
    // Refused before any work, as a data file's save is.
    const safesave::Result target = safesave::check(out);
    if (target.problem != safesave::Problem::None) {
        run.err << "stavnikctl: " << out << ": " << target.reason << '\n';
        return exitcode::kError;
    }
    const QByteArray bytes = printedsheet::render(
        format, config, names, QFileInfo(run.operands.at(0)).fileName(), printedsheet::today());
    const safesave::Result r = safesave::write(out, bytes);
    cliio::tellSaved(run.err, out, r);
    return r.saved ? exitcode::kOk : exitcode::kError;
}

} // namespace

bool needsGuiApplication(const QStringList& args) {
    return args.size() >= 3 && args.at(0) == QLatin1String("export") &&
           printedsheet::formatOf(args.last()) == printedsheet::Format::Pdf;
}

CliCommands reportCommands() {
    const CliOption module{kModule, QString()};
    const CliOption format{kFormat, QStringLiteral("text|tsv")};
    const CliOption port{QStringLiteral("--port"), QStringLiteral("N|DEVICE")};
    const CliOption tick{QStringLiteral("--tick"), QStringLiteral("MS")};
    const CliOption fast{QStringLiteral("--fast"), QString()};
    CliCommand diff{QStringLiteral("diff"),
                    QStringLiteral("A [B]"),
                    1,
                    {module, format, port, tick, fast},
                    QStringLiteral("list what differs between data files A and B, or between A "
                                   "and the module with --module (exit 1: they differ)"),
                    diffCommand};
    diff.optionalOperands = 1;
    return {
        diff,
        {QStringLiteral("check"),
         QStringLiteral("FILE"),
         1,
         {{kConflicts, QString()}},
         QStringLiteral("list mistakes between the routes of data file FILE (exit 1: found "
                        "some); --conflicts lists the routes that exclude each other instead, "
                        "as route TAB route TAB reason"),
         checkCommand},
        {QStringLiteral("export"),
         QStringLiteral("FILE OUT"),
         2,
         {{kFormat, QStringLiteral("table|long")}},
         QStringLiteral("write data file FILE as a sheet to read: OUT ending .pdf, .html or "
                        ".csv (one row per route; --format long: item, field, value)"),
         exportCommand},
    };
}
