#include "cli/command.h"
#include "cli/datafileio.h"
#include "cli/linkcommands.h"
#include "review/configcheck.h"
#include "review/configsheet.h"
#include "review/differences.h"
#include "review/print/printedsheet.h"
#include "settings/safesave.h"

#include <QFileInfo>
#include <QTemporaryDir>

namespace {

const QString kModule = QStringLiteral("--module");
const QString kFormat = QStringLiteral("--format");

bool loadOrSay(const QString& path, ConfigStore& store, QTextStream& err) {
    return cliio::loadDataFile(path, store, err);
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
    if (!loadOrSay(run.operands.at(0), a, run.err))
        return exitcode::kError;
    if (module ? !readModule(run, b) : !loadOrSay(run.operands.at(1), b, run.err))
        return exitcode::kError;
    // The module keeps no descriptions: only what it holds is compared, as a verify does.
    if (module)
        for (int n = 1; n <= image::kRouteCount; ++n)
            b.route(n).description = a.route(n).description;
    const QList<differences::Difference> list = differences::compare(a, b);
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
    if (!loadOrSay(run.operands.at(0), config, run.err))
        return exitcode::kError;
    const QList<configcheck::Finding> findings = configcheck::check(config);
    for (const configcheck::Finding& f : findings)
        run.out << f.text << '\n';
    return findings.isEmpty() ? exitcode::kOk : exitcode::kDifferent;
}

int exportCommand(const Invocation& run) {
    const QString out = run.operands.at(1);
    const printedsheet::Format format = printedsheet::formatOf(out);
    if (format == printedsheet::Format::Unknown)
        return run.usageError(QStringLiteral("OUT must end in .pdf, .html or .csv"));
    ConfigStore config;
    if (!loadOrSay(run.operands.at(0), config, run.err))
        return exitcode::kError;
    // Refused before any work, as a data file's save is.
    const safesave::Result target = safesave::check(out);
    if (target.problem != safesave::Problem::None) {
        run.err << "stavnikctl: " << out << ": " << target.reason << '\n';
        return exitcode::kError;
    }
    const QByteArray bytes = printedsheet::render(
        format, config, QFileInfo(run.operands.at(0)).fileName(), printedsheet::today());
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
         {},
         QStringLiteral("list mistakes between the routes of data file FILE (exit 1: found some)"),
         checkCommand},
        {QStringLiteral("export"),
         QStringLiteral("FILE OUT"),
         2,
         {},
         QStringLiteral("write data file FILE as a sheet to read: OUT ending .pdf, .html or .csv"),
         exportCommand},
    };
}
