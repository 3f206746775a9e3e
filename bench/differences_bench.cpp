// Time to list the differences of two wholly different configurations (every byte and every
// description differs), as the differences window and stavnikctl diff compute them.
// Usage: differences_bench [--runs N]

#include "data/codec.h"
#include "review/differences.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {
ConfigStore randomConfiguration(unsigned seed) {
    ConfigStore store;
    std::mt19937 random(seed);
    for (int a = 1; a < image::kConfigSize; ++a)
        store.image[static_cast<std::size_t>(a)] = static_cast<std::uint8_t>(random());
    decodeCurrent(store.image, store.routes);
    for (int n = 1; n <= image::kRouteCount; ++n)
        store.route(n).description = QStringLiteral("Cesta %1 – verze %2").arg(n).arg(seed);
    return store;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int at = static_cast<int>(args.indexOf(QStringLiteral("--runs")));
    const int runs = at > 0 && at + 1 < args.size() ? std::max(1, args.at(at + 1).toInt()) : 50;

    const ConfigStore a = randomConfiguration(1), b = randomConfiguration(2);
    std::vector<double> ms;
    qsizetype count = differences::compare(a, b).size();
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        timer.start();
        count = differences::compare(a, b).size();
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("differences of two whole configurations: %lld lines, median %.2f ms, "
                "worst %.2f ms (%d runs)\n",
                static_cast<long long>(count), ms[ms.size() / 2], ms.back(), runs);
    return 0;
}
