// In-process times of the data file: load and save of a full configuration, from and to a real
// file and in memory. Usage: datafile_bench [--runs N] [--write-sample FILE]

#include "data/datafile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace {

// Every byte and every description in use, the descriptions at the editor's 45 characters
// with Czech letters, so that nothing is shorter than in real use.
ConfigStore fullConfiguration() {
    ConfigStore store;
    std::mt19937 random(2244);
    for (int a = 1; a < image::kConfigSize; ++a)
        store.image[a] = static_cast<std::uint8_t>(random());
    for (int n = 1; n <= image::kRouteCount; ++n)
        store.route(n).description =
            QStringLiteral("Vjezd na kolej č. %1, přes výhybky 1–16, žluť").arg(n).left(45);
    return store;
}

struct Timing {
    double median = 0;
    double best = 0;
};

Timing measure(int runs, const std::function<void()>& work) {
    std::vector<double> ms;
    QElapsedTimer timer;
    work(); // warm the caches and the codec converters once
    for (int i = 0; i < runs; ++i) {
        timer.start();
        work();
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front()};
}

void report(const char* what, const Timing& t) {
    std::printf("%-34s median %8.3f ms   best %8.3f ms\n", what, t.median, t.best);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    int runs = 200;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs") && i + 1 < args.size()) {
            runs = qMax(1, args[++i].toInt());
        } else if (args[i] == QLatin1String("--write-sample") && i + 1 < args.size()) {
            const datafile::SaveResult r = datafile::saveFile(args[++i], fullConfiguration());
            if (!r.saved) {
                std::fprintf(stderr, "datafile_bench: %s\n", qPrintable(r.reason));
                return 1;
            }
            return 0;
        } else {
            std::fprintf(stderr, "usage: datafile_bench [--runs N] [--write-sample FILE]\n");
            return 2;
        }
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.txt"));
    const ConfigStore full = fullConfiguration();
    if (!datafile::saveFile(path, full).saved)
        return 1;
    const QByteArray bytes = datafile::format(full);

    std::printf("full file: %d lines, %lld bytes, %d runs each\n", datafile::kLineCount,
                static_cast<long long>(bytes.size()), runs);
    report("load from file", measure(runs, [&] {
               ConfigStore store;
               if (datafile::loadFile(path, store).status != datafile::LoadResult::Status::Loaded)
                   std::abort();
           }));
    report("save to file", measure(runs, [&] {
               if (!datafile::saveFile(path, full).saved)
                   std::abort();
           }));
    report("load from memory (parse + decode)", measure(runs, [&] {
               ConfigStore store;
               datafile::loadBytes(bytes, QStringLiteral("full.txt"), store);
           }));
    report("format in memory", measure(runs, [&] { (void)datafile::format(full); }));
    // A file that never ends a line must be given up at once, not read for ever.
    report("give up on /dev/zero", measure(runs, [&] {
               ConfigStore store;
               if (datafile::loadFile(QStringLiteral("/dev/zero"), store).status !=
                   datafile::LoadResult::Status::Refused)
                   std::abort();
           }));
    return 0;
}
