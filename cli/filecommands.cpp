#include "cli/filecommands.h"

#include "data/configstore.h"
#include "data/datafile.h"
#include "data/routetexts.h"

namespace {
// Loads `path` into the start-up configuration `store`. Whatever keeps the load from completing
// is told on `err`, the refusals in the very words the window uses.
bool loadInto(const QString& path, ConfigStore& store, QTextStream& err) {
    using Status = datafile::LoadResult::Status;
    const datafile::LoadResult result = datafile::loadFile(path, store);
    switch (result.status) {
    case Status::Loaded:
        if (result.skippedLines > 0)
            err << datafile::skippedLinesText(result.skippedLines) << '\n';
        return true;
    case Status::Refused:
        err << result.message << '\n';
        return false;
    case Status::Stopped:
        err << "stavnikctl: " << path << ": no data lines after the header, nothing loaded\n";
        return false;
    case Status::IoError:
        err << "stavnikctl: " << path << ": " << result.message << '\n';
        return false;
    }
    return false;
}
} // namespace

int convertCommand(const QStringList& operands, QTextStream&, QTextStream& err) {
    ConfigStore store;
    if (!loadInto(operands.at(0), store, err))
        return exitcode::kFailed;
    const QString error = datafile::saveFile(operands.at(1), store);
    if (!error.isEmpty()) {
        err << "stavnikctl: " << operands.at(1) << ": " << error << '\n';
        return exitcode::kFailed;
    }
    return exitcode::kOk;
}

int showCommand(const QStringList& operands, QTextStream& out, QTextStream& err) {
    ConfigStore store;
    if (!loadInto(operands.at(0), store, err))
        return exitcode::kFailed;
    const QChar tab(QLatin1Char('\t'));
    out << routegrid::headerTexts().join(tab) << '\n';
    const int base = dccBase(store.image);
    for (int n = 1; n <= image::kRouteCount; ++n)
        out << routegrid::rowTexts(store.route(n), n, base).join(tab) << '\n';
    return exitcode::kOk;
}

CliCommands fileCommands() {
    return {
        {QStringLiteral("convert"), QStringLiteral("IN OUT"),
         QStringLiteral("load data file IN (S2.0, S2.4 or S2.6) and save it as S2.6 to OUT"), 2, 2,
         convertCommand},
        {QStringLiteral("show"), QStringLiteral("FILE"),
         QStringLiteral("print the route table of data file FILE, cells separated by TAB"), 1, 1,
         showCommand},
    };
}
