// Time to add one entry to the module history after a transfer, in a folder already at its
// bound of 500 entries (so every write also trims), and to list that folder.
// Usage: history_bench [--runs N] [--folder DIR]

#include "data/history.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

namespace {
history::Entry randomEntry(unsigned seed) {
    history::Entry e;
    e.time = QDateTime::currentDateTimeUtc();
    e.kind = history::Kind::Read;
    e.answer = QStringLiteral("53 30 2a");
    e.capacity = 90;
    std::mt19937 random(seed);
    for (int a = 1; a < image::kConfigSize; ++a) {
        e.known.set(std::size_t(a));
        e.bytes[std::size_t(a)] = static_cast<std::uint8_t>(random());
    }
    return e;
}

double median(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto value = [&args](const char* name) {
        const int at = static_cast<int>(args.indexOf(QLatin1String(name)));
        return at > 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
    };
    const int runs = std::max(1, value("--runs").isEmpty() ? 100 : value("--runs").toInt());
    // On the disk the user's history lives on, when given: a temporary folder may be in memory.
    QTemporaryDir temporary(value("--folder").isEmpty() ? QDir::tempPath() + "/history-XXXXXX"
                                                        : value("--folder") + "/history-XXXXXX");
    const QString folder = temporary.path();

    const history::Limits limits;
    for (int i = 0; i < limits.maxEntries; ++i)
        history::write(folder, randomEntry(unsigned(i)), limits);

    std::vector<double> ms;
    QElapsedTimer timer;
    // The processor time too: on a busy machine the wall clock mostly measures the others.
    const std::clock_t cpuStart = std::clock();
    for (int i = 0; i < runs; ++i) {
        const history::Entry e = randomEntry(unsigned(100000 + i));
        timer.start();
        const QString wrong = history::write(folder, e, limits);
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (!wrong.isEmpty()) {
            std::fprintf(stderr, "history_bench: %s\n", qPrintable(wrong));
            return 1;
        }
    }
    const double cpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC / runs;
    timer.start();
    const qsizetype listed = history::list(folder).entries.size();
    const double listMs = double(timer.nsecsElapsed()) / 1e6;
    std::printf("write one entry into a full history (%d entries): median %.2f ms, worst %.2f ms, "
                "processor %.2f ms (%d runs); list %lld entries: %.0f ms\n",
                limits.maxEntries, median(ms), *std::max_element(ms.begin(), ms.end()), cpuMs, runs,
                static_cast<long long>(listed), listMs);
    return 0;
}
