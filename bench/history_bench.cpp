// The module history at its bound of 500 entries: the time to add one entry after a transfer
// (every write also trims), to list the folder with each entry's summary, and to open the
// "Historie modulu" window on it. Also fills a folder, or writes into one, for the scripts in
// this folder (history_bench.sh, history_race.sh).
// Usage: history_bench [--runs N] [--folder DIR]
//        history_bench --fill DIR             500 entries of one module, as after 500 reads
//        history_bench --write DIR FIRST N    N entries more (contents FIRST..), exit 1 on a
//        failure

#include "data/history.h"
#include "review/historysummary.h"
#include "review/ui/differenceswindow.h"
#include "review/ui/historywindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <random>
#include <vector>

namespace {
// A read of a 90-route module: every byte known, a few routes changed against the one before.
history::Entry readEntry(unsigned seed) {
    history::Entry e;
    e.time = QDateTime::currentDateTimeUtc();
    e.kind = history::Kind::Read;
    e.answer = QStringLiteral("53 30 2a");
    e.capacity = 90;
    e.port = QStringLiteral("COM1 (/dev/ttyUSB0)");
    std::mt19937 random(seed);
    for (int a = 1; a < image::kConfigSize; ++a) {
        e.known.set(std::size_t(a));
        e.bytes[std::size_t(a)] = std::uint8_t(a * 7);
    }
    for (int k = 0; k < 40; ++k)
        e.bytes[std::size_t(264 + random() % 1980)] = std::uint8_t(random());
    e.bytes[1] = std::uint8_t(seed);
    e.bytes[2] = std::uint8_t(seed >> 8);
    return e;
}

// Writes entries `first` .. `first + count - 1`; false at the first failure, said on stderr.
bool writeEntries(const QString& folder, unsigned first, int count) {
    for (unsigned seed = first; seed < first + unsigned(count); ++seed) {
        const history::WriteResult r =
            history::write(folder, readEntry(seed), history::Limits(), history::changeSummary);
        if (!r.written()) {
            std::fprintf(stderr, "history_bench: %s (%s)\n", qPrintable(r.problem),
                         qPrintable(r.details));
            return false;
        }
    }
    return true;
}

double median(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// Wall-clock milliseconds of each of `runs` calls, and the processor time of one on average.
struct Timing {
    std::vector<double> ms;
    double cpuMs = 0;
};
Timing timed(int runs, const std::function<void(int)>& work) {
    Timing t;
    QElapsedTimer clock;
    const std::clock_t cpuStart = std::clock();
    for (int i = 0; i < runs; ++i) {
        clock.start();
        work(i);
        t.ms.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    t.cpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC / runs;
    return t;
}

void report(const char* what, const Timing& t) {
    std::printf("%s: median %.1f ms, worst %.1f ms, processor %.1f ms (%zu runs)\n", what,
                median(t.ms), *std::max_element(t.ms.begin(), t.ms.end()), t.cpuMs, t.ms.size());
}

// The window as the main window makes it, opened on `folder` and painted.
void openWindow(const QString& folder) {
    ConfigStore store;
    DifferencesWindow differences;
    HistoryWindow window({store, differences, [](const QString&) { return true; }, {}}, folder);
    window.refresh();
    window.show();
    QApplication::processEvents();
}

int benchmark(const QStringList& args) {
    const auto value = [&args](const char* name) {
        const int at = static_cast<int>(args.indexOf(QLatin1String(name)));
        return at > 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
    };
    const int runs = std::max(1, value("--runs").isEmpty() ? 50 : value("--runs").toInt());
    // On the disk the user's history lives on, when given: a temporary folder may be in memory.
    QTemporaryDir temporary(value("--folder").isEmpty() ? QDir::tempPath() + "/history-XXXXXX"
                                                        : value("--folder") + "/history-XXXXXX");
    const QString folder = temporary.path();
    if (!writeEntries(folder, 0, history::Limits().maxEntries))
        return 1;
    bool ok = true;
    report("write one entry into a full history (500 entries)",
           timed(runs, [&](int i) { ok = ok && writeEntries(folder, 100000u + unsigned(i), 1); }));
    qsizetype listed = 0;
    report("list 500 entries with their summaries", timed(10, [&](int) {
               history::Listing l = history::list(folder);
               history::fillSummaries(l.entries);
               listed = l.entries.size();
           }));
    report("open the window on 500 entries", timed(5, [&](int) { openWindow(folder); }));
    std::printf("(%lld entries listed)\n", static_cast<long long>(listed));
    return ok && listed == history::Limits().maxEntries ? 0 : 1;
}
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("--fill"))
        return writeEntries(args.at(2), 0, history::Limits().maxEntries) ? 0 : 1;
    if (args.size() == 5 && args.at(1) == QLatin1String("--write"))
        return writeEntries(args.at(2), args.at(3).toUInt(), args.at(4).toInt()) ? 0 : 1;
    return benchmark(args);
}
