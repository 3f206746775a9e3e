#include "cli/command.h"
#include "cli/datafileio.h"

#include "data/history.h"
#include "review/historysummary.h"
#include "settings/safesave.h"

#include <QFile>

#include <cstdio>

namespace {

// Damaged entries and files that are not the history's are named on stderr, so that the list
// on stdout stays one entry a line.
history::Listing listing(const Invocation& run) {
    history::Listing l = history::list(history::defaultFolder());
    for (const history::Damaged& d : l.damaged)
        run.err << "stavnikctl: skipped " << printable(d.name) << ": " << d.reason << '\n';
    // A folder full of strangers' files must not bury the list.
    constexpr qsizetype kShown = 20;
    for (const QString& name : l.foreign.mid(0, kShown))
        run.err << "stavnikctl: not part of the history, left alone: " << printable(name) << '\n';
    if (l.foreign.size() > kShown)
        run.err << "stavnikctl: and " << l.foreign.size() - kShown
                << " more files not part of it\n";
    return l;
}

int listCommand(const Invocation& run) {
    history::Listing l = listing(run);
    history::fillSummaries(l.entries);
    for (qsizetype i = 0; i < l.entries.size(); ++i) {
        const history::Entry& e = l.entries.at(i);
        // The side-car is a file anyone may have edited: its words are shown, never obeyed.
        run.out << i + 1 << "  "
                << e.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) << "  "
                << printable(history::kindWord(e)) << "  "
                << (e.port.isEmpty() ? QStringLiteral("-") : printable(e.port)) << "  "
                << printable(e.summary);
        if (!e.complete())
            run.out << "  partial, known "
                    << (e.known.none() ? QStringLiteral("nothing") : history::rangesText(e.known));
        run.out << '\n';
    }
    return exitcode::kOk;
}

int exportCommand(const Invocation& run) {
    bool ok = false;
    const int n = run.operands.at(1).toInt(&ok);
    const history::Listing l = listing(run);
    if (!ok || n < 1 || n > l.entries.size())
        return run.usageError(QStringLiteral("N is an entry number of stavnikctl history, 1..%1")
                                  .arg(l.entries.size()));
    QString why;
    const std::optional<QByteArray> data = history::savedDataFile(l.entries.at(n - 1), &why);
    if (!data) {
        run.err << "stavnikctl: " << l.entries.at(n - 1).dataPath << ": " << why << '\n';
        return exitcode::kError;
    }
    const QString out = run.operands.at(2);
    if (out == QLatin1String("-")) {
        run.out.flush();
        QFile stdOut;
        if (stdOut.open(stdout, QIODevice::WriteOnly) && stdOut.write(*data) == data->size() &&
            stdOut.flush())
            return exitcode::kOk;
        run.err << "stavnikctl: standard output: " << stdOut.errorString() << '\n';
        return exitcode::kError;
    }
    const safesave::Result saved = safesave::write(out, *data);
    if (!saved.saved)
        run.err << safesave::failureSentence(saved.problem) << '\n';
    cliio::tellSaved(run.err, out, saved);
    return saved.saved ? exitcode::kOk : exitcode::kError;
}

int historyCommand(const Invocation& run) {
    if (run.operands.isEmpty())
        return listCommand(run);
    if (run.operands.size() == 3 && run.operands.first() == QLatin1String("export"))
        return exportCommand(run);
    return run.usageError(QStringLiteral("history takes nothing, or export N OUT"));
}

} // namespace

CliCommands historyCommands() {
    return {
        {QStringLiteral("history"),
         QStringLiteral("[export N OUT]"),
         0,
         {},
         QStringLiteral("list what the module held after each read, verify and store, newest "
                        "first; export N OUT: write entry N as data file OUT"),
         historyCommand,
         3},
    };
}
