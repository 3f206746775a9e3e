#include "cli/filecommands.h"

#include "cli/datafileio.h"
#include "data/configstore.h"
#include "data/routetexts.h"

int convertCommand(const Invocation& run) {
    ConfigStore store;
    ElementNames names;
    if (!cliio::loadDataFile(run.operands.at(0), store, run.err, &names))
        return exitcode::kFailed;
    return cliio::saveDataFile(run.operands.at(1), store, run.err, &names) ? exitcode::kOk
                                                                           : exitcode::kFailed;
}

int showCommand(const Invocation& run) {
    ConfigStore store;
    ElementNames names;
    if (!cliio::loadDataFile(run.operands.at(0), store, run.err, &names))
        return exitcode::kFailed;
    const QChar tab(QLatin1Char('\t'));
    run.out << routegrid::headerTexts().join(tab) << '\n';
    const int base = dccBase(store.image);
    for (int n = 1; n <= image::kRouteCount; ++n) {
        QStringList cells = routegrid::rowTexts(store.route(n), n, base);
        for (QString& cell : cells)
            cell = printable(cell);
        run.out << cells.join(tab) << '\n';
    }
    // A file without names prints exactly the table; names follow it after an empty line.
    if (!names.isEmpty())
        run.out << '\n';
    for (const elementnames::Entry& e : names.entries())
        run.out << elementnames::code(e.kind, e.number) << tab << printable(e.name) << '\n';
    return exitcode::kOk;
}

CliCommands fileCommands() {
    return {
        {QStringLiteral("convert"),
         QStringLiteral("IN OUT"),
         2,
         {},
         QStringLiteral("load data file IN (S2.0, S2.4 or S2.6) and save it as S2.6 to OUT, "
                        "element names beside it"),
         convertCommand},
        {QStringLiteral("show"),
         QStringLiteral("FILE"),
         1,
         {},
         QStringLiteral("print the route table of data file FILE, cells separated by TAB, "
                        "then its element names (code TAB name) after an empty line"),
         showCommand},
    };
}
