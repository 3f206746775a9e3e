// Full read, verify and store of a 90-route module over a pseudo-terminal against stv2-emu with
// its 9600-baud pacing, at several tick intervals, side by side; the store of one edited route
// as "pouze změněná data" sends it (op "changed", also with a module write time); then the CPU
// the link takes while idle with its port open (this process, and the desktop tool when built).
// Stores read back what they wrote, so their "x wire" compares two passes and the probes with
// the wire time of one; "ticks/B" of a read compares with the documented one tick a byte.
//
// --fast: the transfers with fast link (the next command as soon as a reply is complete).
// --sweep N --emu 'ARGS': each op N times against stv2-emu ARGS (faults), counting exact, failed
// with their box, and wrong data reported as success.
// --latencies 15,25,35,45: a read of a 20-route module answering that many ms late, at the
// normal pace and with fast link, side by side (fast must stay within 1.1 x the normal pace).
//
// Usage: link_bench [--ticks 20,15,12] [--ops read,verify,store,changed] [--idle-seconds 10]
//                   [--no-idle] [--fast] [--adapter] [--bin BUILD/bin] [--sweep N --emu 'ARGS']
//                   [--latencies MS,...]
// --adapter: only normal and fast reads with and without a USB adapter's 16 ms latency timer
// (stv2-emu --adapter-latency), which a run without --ops also ends with.

#include "data/configstore.h"
#include "data/datafile.h"
#include "link/linkengine.h"
#include "link/linkrunner.h"
#include "link/linktexts.h"
#include "link/modulecontents.h"
#include "link/serialport.h"
#include "link/transfers.h"
#include "support/emulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <random>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kExchanges = 2243; // one per byte of a 90-route configuration
// Every exchange is a 7-byte command and a 2-byte reply; 10 bits per byte at 9600 baud.
constexpr double kWireSeconds = kExchanges * 9 * 10 / 9600.0;

double cpuSeconds(const rusage& r) {
    return r.ru_utime.tv_sec + r.ru_stime.tv_sec + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// utime + stime of another process, in seconds.
double processCpu(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = f.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return (fields.at(11).toLongLong() + fields.at(12).toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

// Sleeps in the event loop, so that the CPU it measures is the link's and not a poll's.
void wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// The tool's side of a bench run: the real serial port on the emulator's terminal, an engine
// (with fast link or not) and its runner at `tick`.
struct Link {
    SerialBytePort port{QDir::temp().filePath(QStringLiteral("link_bench.ini"))};
    LinkEngine engine;
    LinkDriver driver;
    LinkRunner runner;
    bool opened = false;

    Link(ConfigStore& store, const QString& device, int tick, bool fast)
        : engine(store, port), driver(engine, port), runner(driver) {
        QObject::connect(&engine, &LinkEngine::imageRead, [&store](const Image& read, int last) {
            store.takeModuleRead(read, last);
        });
        opened = port.openDevice(device);
        if (!opened)
            std::fprintf(stderr, "link_bench: cannot open %s\n", qPrintable(device));
        driver.setTickInterval(tick);
        driver.setFastLink(fast);
        wait(100);
    }
};

int runTransfers(const QString& bin, const QList<int>& ticks, const QStringList& ops, bool fast) {
    std::printf("Full transfers of 90 routes (%d exchanges) against stv2-emu with 9600-baud "
                "pacing.\nIdeal = %d exchanges x one tick; wire limit = %d x 9 bytes x 10 bits "
                "/ 9600 baud = %.1f s.\n\n",
                kExchanges, kExchanges, kExchanges, kWireSeconds);
    if (fast)
        std::printf("Fast link: the next command as soon as a reply is complete.\n\n");
    std::printf("%-7s %-7s %10s %8s %9s %9s %8s %8s %s\n", "tick", "op", "elapsed", "ticks",
                "ticks/B", "x ideal", "x wire", "retries", "result");
    int failures = 0;
    for (int tick : ticks) {
        EmulatorProcess emu(bin);
        if (!emu.start({QStringLiteral("--quiet")})) {
            std::fprintf(stderr, "link_bench: cannot start %s/stv2-emu\n", qPrintable(bin));
            return 2;
        }
        ConfigStore store;
        std::mt19937 random(static_cast<unsigned>(tick));
        for (int a = 1; a < image::kConfigSize; ++a)
            store.image[static_cast<std::size_t>(a)] = static_cast<std::uint8_t>(random());
        Link link(store, emu.device, tick, fast);
        if (!link.opened)
            return 2;
        LinkEngine& engine = link.engine;
        LinkRunner& runner = link.runner;
        int retries = 0;
        int lastCount = 0;
        // Counted as they happen: a retry waits some ticks in the send state for a quiet line.
        runner.setTickHook([&] {
            retries += std::max(0, engine.transfer().retries() - lastCount);
            lastCount = engine.transfer().retries();
        });
        // Store first, so that read and verify see the bench's configuration.
        for (const QString& op : ops) {
            retries = 0;
            bool ok = false;
            if (op == QLatin1String("store")) {
                const auto list = transfers::allAddresses(90);
                ok = runner.run([&](LinkEngine& e) { return e.startStore(list); }) &&
                     runner.transferOk();
            } else if (op == QLatin1String("read")) {
                const Image expected = store.image;
                ok = runner.run([](LinkEngine& e) { return e.startRead(); }) &&
                     runner.transferOk() && store.image == expected;
            } else if (op == QLatin1String("verify")) {
                ok = runner.run([](LinkEngine& e) { return e.startVerify(); }) &&
                     runner.transferOk() && engine.transfer().differences().empty();
            } else {
                continue;
            }
            const double seconds = runner.elapsedNs() / 1e9;
            const double ideal = kExchanges * tick / 1000.0;
            std::printf("%4d ms %-7s %8.2f s %8d %9.3f %9.3f %8.2f %8d %s\n", tick, qPrintable(op),
                        seconds, runner.ticks(), runner.ticks() / double(kExchanges),
                        seconds / ideal, seconds / kWireSeconds, retries,
                        !ok                                ? "FAILED"
                        : engine.transfer().fastFellBack() ? "ok (fell back to the normal pace)"
                                                           : "ok");
            if (!ok)
                std::printf("  %s\n",
                            qPrintable(linktexts::failureText(engine.transfer().failure())));
            std::fflush(stdout);
            failures += ok ? 0 : 1;
        }
    }
    return failures ? 1 : 0;
}

// One full read behind a modelled adapter (`latency` ms, 0: none), checked byte for byte:
// its seconds, negative when it failed.
double adapterRead(const QString& bin, int latency, int tick, bool fast) {
    ConfigStore module;
    std::mt19937 random(static_cast<unsigned>(latency + 7));
    for (int a = 1; a < image::kConfigSize; ++a)
        module.image[static_cast<std::size_t>(a)] = static_cast<std::uint8_t>(random());
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("module.txt"));
    EmulatorProcess emu(bin);
    if (!datafile::saveFile(file, module).saved ||
        !emu.start({QStringLiteral("--quiet"), QStringLiteral("--load"), file,
                    QStringLiteral("--adapter-latency"), QString::number(latency)}))
        return -1;
    ConfigStore store;
    Link link(store, emu.device, tick, fast);
    if (!link.opened)
        return -1;
    const bool ok = link.runner.run([](LinkEngine& e) { return e.startRead(); }) &&
                    link.runner.transferOk() &&
                    std::equal(store.image.begin() + 1, store.image.begin() + image::kConfigSize,
                               module.image.begin() + 1);
    return ok ? link.runner.elapsedNs() / 1e9 : -1;
}

// Normal and fast reads with and without a USB adapter's 16 ms latency timer, side by side.
int runAdapterTable(const QString& bin, int tick) {
    std::printf("\nFull read of 90 routes behind a modelled USB adapter (stv2-emu "
                "--adapter-latency), %d ms ticks; wire limit %.1f s.\n%-8s %-24s %s\n",
                tick, kWireSeconds, "pace", "no adapter", "16 ms adapter timer");
    int failures = 0;
    for (const bool fast : {false, true}) {
        QString row = QStringLiteral("%1").arg(fast ? "fast" : "normal", -8);
        for (const int latency : {0, 16}) {
            const double s = adapterRead(bin, latency, tick, fast);
            failures += s < 0;
            row += s < 0 ? QStringLiteral("%1").arg("FAILED", -25)
                         : QStringLiteral("%1 s = %2 x wire")
                               .arg(s, 6, 'f', 1)
                               .arg(s / kWireSeconds, 4, 'f', 2)
                               .leftJustified(25);
        }
        std::printf("%s\n", qPrintable(row));
        std::fflush(stdout);
    }
    return failures ? 1 : 0;
}

// One route edited after the module was filled with the bench's configuration, stored as only
// the bytes that changed: 24 exchanges instead of 2243.
int runRouteChange(const QString& bin, const QList<int>& ticks, bool fast) {
    std::printf("\nOne edited route stored as only the changed bytes and read back, against "
                "stv2-emu with 9600-baud pacing%s.\n%-7s %-9s %6s %10s %8s %s\n",
                fast ? ", fast link" : "", "tick", "write-ms", "bytes", "elapsed", "ticks",
                "result");
    int failures = 0;
    for (int tick : ticks) {
        for (int writeMs : {0, 5}) {
            ConfigStore store;
            std::mt19937 random(static_cast<unsigned>(tick));
            for (int a = 1; a < image::kConfigSize; ++a)
                store.image[static_cast<std::size_t>(a)] = static_cast<std::uint8_t>(random());
            QTemporaryDir dir;
            const QString file = dir.filePath(QStringLiteral("module.txt"));
            if (!datafile::saveFile(file, store).saved)
                return 2;
            EmulatorProcess emu(bin);
            if (!emu.start({QStringLiteral("--quiet"), QStringLiteral("--load"), file,
                            QStringLiteral("--write-ms"), QString::number(writeMs)}))
                return 2;
            // What a read would have taught: the module holds the configuration.
            ModuleContents module;
            module.learn(store.image, 1, image::kConfigSize - 1);
            for (std::uint32_t a : transfers::routeAddresses(5))
                store.image[a] = static_cast<std::uint8_t>(store.image[a] ^ 0x5A);
            const auto list = module.changedAddresses(store.image, transfers::allAddresses(90));
            Link link(store, emu.device, tick, fast);
            LinkRunner& runner = link.runner;
            const bool ok = link.opened && list &&
                            runner.run([&](LinkEngine& e) { return e.startStore(*list); }) &&
                            runner.transferOk();
            std::printf("%4d ms %9d %6d %8.2f s %8d %s\n", tick, writeMs,
                        list ? int(list->size()) : -1, runner.elapsedNs() / 1e9, runner.ticks(),
                        ok ? "ok" : "FAILED");
            std::fflush(stdout);
            failures += ok ? 0 : 1;
        }
    }
    return failures ? 1 : 0;
}

// The same transfer again and again against stv2-emu with faults (`emuArgs`, a new --seed each
// run): how many ended exact, how many failed with their box, and how many ended with wrong data
// reported as success, which must be none. A store is checked by what the emulator saved.
int runSweep(const QString& bin, const QList<int>& ticks, const QStringList& ops, bool fast,
             int runs, const QStringList& emuArgs) {
    std::printf("Sweep of %d runs against stv2-emu %s%s\n%-7s %-7s %6s %6s %6s %10s\n", runs,
                qPrintable(emuArgs.join(QLatin1Char(' '))), fast ? ", fast link" : "", "tick", "op",
                "exact", "loud", "WRONG", "mean s");
    int wrongTotal = 0;
    for (int tick : ticks) {
        for (const QString& op : ops) {
            int exact = 0;
            int loud = 0;
            int wrong = 0;
            double seconds = 0;
            for (int run = 1; run <= runs; ++run) {
                ConfigStore module;
                std::mt19937 random(static_cast<unsigned>(run * 7919 + tick));
                for (int a = 1; a < image::kConfigSize; ++a)
                    module.image[static_cast<std::size_t>(a)] = static_cast<std::uint8_t>(random());
                QTemporaryDir dir;
                const QString loaded = dir.filePath(QStringLiteral("module.txt"));
                const QString saved = dir.filePath(QStringLiteral("saved.txt"));
                if (!datafile::saveFile(loaded, module).saved)
                    return 2;
                EmulatorProcess emu(bin);
                if (!emu.start(QStringList{QStringLiteral("--quiet"), QStringLiteral("--load"),
                                           loaded, QStringLiteral("--save"), saved,
                                           QStringLiteral("--seed"), QString::number(run)} +
                               emuArgs))
                    return 2;
                // A read starts from zeros, a store sends another configuration, a verify
                // compares the module's own.
                ConfigStore tool;
                if (op != QLatin1String("read"))
                    tool.image = module.image;
                if (op == QLatin1String("store"))
                    for (auto& b : tool.image)
                        b = static_cast<std::uint8_t>(b ^ 0x5A);
                Link link(tool, emu.device, tick, fast);
                if (!link.opened)
                    return 2;
                LinkEngine& engine = link.engine;
                LinkRunner& runner = link.runner;
                const auto list = transfers::allAddresses(90);
                const bool ran = runner.run([&](LinkEngine& e) {
                    return op == QLatin1String("read")     ? e.startRead()
                           : op == QLatin1String("verify") ? e.startVerify()
                                                           : e.startStore(list);
                });
                seconds += runner.elapsedNs() / 1e9;
                link.port.close();
                bool right = false;
                if (op == QLatin1String("read")) {
                    right =
                        std::equal(tool.image.begin() + 1, tool.image.begin() + image::kConfigSize,
                                   module.image.begin() + 1);
                } else if (op == QLatin1String("verify")) {
                    right = engine.transfer().differences().empty();
                } else {
                    ConfigStore after;
                    right = emu.stop() &&
                            datafile::loadFile(saved, after).status ==
                                datafile::LoadResult::Status::Loaded &&
                            std::equal(after.image.begin() + 1,
                                       after.image.begin() + image::kConfigSize,
                                       tool.image.begin() + 1);
                }
                if (!ran || !runner.transferOk()) {
                    ++loud;
                    std::printf("  run %d: %s\n", run,
                                qPrintable(linktexts::failureText(engine.transfer().failure())));
                } else if (right) {
                    ++exact;
                } else {
                    ++wrong;
                    std::printf("  run %d: WRONG data reported as success\n", run);
                }
            }
            std::printf("%4d ms %-7s %6d %6d %6d %10.2f\n", tick, qPrintable(op), exact, loud,
                        wrong, seconds / runs);
            std::fflush(stdout);
            wrongTotal += wrong;
        }
    }
    return wrongTotal ? 1 : 0;
}

// One read of a 20-route module with `latencyMs` turnaround, at `tick` and then with fast link:
// the fast link must never cost more than the normal pace.
int runLatencies(const QString& bin, const QList<int>& latencies, int tick) {
    std::printf("Read of a 20-route module (703 bytes) answering late, normal pace at %d ms and "
                "fast link.\n%-10s %10s %10s %8s %s\n",
                tick, "latency", "normal", "fast", "fast/n", "result");
    int failures = 0;
    for (int latency : latencies) {
        double seconds[2] = {0, 0};
        bool ok[2] = {false, false};
        bool fellBack = false;
        for (int fast = 0; fast < 2; ++fast) {
            EmulatorProcess emu(bin);
            if (!emu.start({QStringLiteral("--quiet"), QStringLiteral("--capacity"),
                            QStringLiteral("20"), QStringLiteral("--latency"),
                            QString::number(latency)}))
                return 2;
            ConfigStore store;
            Link link(store, emu.device, tick, fast == 1);
            ok[fast] = link.opened &&
                       link.runner.run([](LinkEngine& e) { return e.startRead(); }) &&
                       link.runner.transferOk();
            seconds[fast] = link.runner.elapsedNs() / 1e9;
            fellBack = fellBack || (fast == 1 && link.engine.transfer().fastFellBack());
        }
        const double ratio = seconds[1] / seconds[0];
        const bool right = ok[0] && ok[1] && ratio <= 1.1;
        std::printf("%7d ms %8.2f s %8.2f s %8.3f %s\n", latency, seconds[0], seconds[1], ratio,
                    !right     ? "FAILED"
                    : fellBack ? "ok (fell back to the normal pace)"
                               : "ok");
        std::fflush(stdout);
        failures += right ? 0 : 1;
    }
    return failures ? 1 : 0;
}

void idleInProcess(const QString& bin, int seconds) {
    EmulatorProcess emu(bin);
    if (!emu.start({QStringLiteral("--quiet")}))
        return;
    ConfigStore store;
    SerialBytePort port(QDir::temp().filePath(QStringLiteral("link_bench.ini")));
    if (!port.openDevice(emu.device))
        return;
    LinkEngine engine(store, port);
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(20);
    int ticks = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        engine.tick();
        ++ticks;
    });
    timer.start();
    wait(500);
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    QElapsedTimer wall;
    wall.start();
    const int ticksBefore = ticks;
    wait(seconds * 1000);
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    const double cpu = cpuSeconds(after) - cpuSeconds(before);
    std::printf("\nIdle link, port open, 20 ms ticks, %d s: %.3f %% of one core (%d ticks, "
                "%.1f us CPU per tick)\n",
                seconds, 100.0 * cpu / (wall.elapsed() / 1000.0), ticks - ticksBefore,
                1e6 * cpu / std::max(1, ticks - ticksBefore));
}

void idleTool(const QString& bin, int seconds) {
    const QString tool = bin + QStringLiteral("/stavnik-cfg");
    if (!QFile::exists(tool))
        return;
    EmulatorProcess emu(bin);
    if (!emu.start({QStringLiteral("--quiet")}))
        return;
    QTemporaryDir config;
    QDir().mkpath(config.filePath(QStringLiteral("stavnik-cfg")));
    QFile ini(config.filePath(QStringLiteral("stavnik-cfg/stavnikCFG.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return;
    ini.write(
        QStringLiteral("[Options]\nCOMserial=1\n[Ports]\nCOM1=%1\n").arg(emu.device).toUtf8());
    ini.close();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(tool, {});
    if (!p.waitForStarted(5000))
        return;
    wait(2000); // start-up
    const double before = processCpu(p.processId());
    QElapsedTimer wall;
    wall.start();
    wait(seconds * 1000);
    const double after = processCpu(p.processId());
    const double share = 100.0 * (after - before) / (wall.elapsed() / 1000.0);
    std::printf("Idle desktop tool (stavnik-cfg, offscreen), port open on stv2-emu, %d s: "
                "%.3f %% of one core\n",
                seconds, share);
    p.terminate();
    if (!p.waitForFinished(3000))
        p.kill();
}

int runTransfersAndRoute(const QString& bin, const QList<int>& ticks, const QStringList& ops,
                         bool fast) {
    const bool full = ops.contains(QLatin1String("store")) || ops.contains(QLatin1String("read")) ||
                      ops.contains(QLatin1String("verify"));
    int rc = full && !ticks.isEmpty() ? runTransfers(bin, ticks, ops, fast) : 0;
    if (ops.contains(QLatin1String("changed")))
        rc = std::max(rc, runRouteChange(bin, ticks, fast));
    return rc;
}

int usage() {
    std::fprintf(stderr, "usage: link_bench [--ticks 20,15,12] "
                         "[--ops store,read,verify,changed] [--idle-seconds N] [--no-idle] "
                         "[--fast] [--adapter] [--bin DIR] [--sweep N --emu 'ARGS'] "
                         "[--latencies MS,...]\n");
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QList<int> ticks{20, 15, 12};
    QStringList ops{QStringLiteral("store"), QStringLiteral("read"), QStringLiteral("verify"),
                    QStringLiteral("changed")};
    int idleSeconds = 10;
    bool idle = true;
    bool fast = false;
    bool adapterOnly = false;
    bool adapterTable = true; // unless --ops picks what to run
    int sweepRuns = 0;
    QList<int> latencies;
    QStringList emuArgs;
    QString bin = QStringLiteral(STAVNIK_BIN_DIR);
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString a = args.at(i);
        const QString next = i + 1 < args.size() ? args.at(i + 1) : QString();
        if (a == QLatin1String("--ticks")) {
            ticks.clear();
            for (const QString& t : next.split(QLatin1Char(',')))
                ticks << t.toInt();
            ++i;
        } else if (a == QLatin1String("--ops")) {
            ops = next.split(QLatin1Char(','));
            adapterTable = false;
            ++i;
        } else if (a == QLatin1String("--idle-seconds")) {
            idleSeconds = next.toInt();
            ++i;
        } else if (a == QLatin1String("--fast")) {
            fast = true;
        } else if (a == QLatin1String("--sweep")) {
            sweepRuns = next.toInt();
            ++i;
        } else if (a == QLatin1String("--emu")) {
            emuArgs = next.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            ++i;
        } else if (a == QLatin1String("--adapter")) {
            adapterOnly = true;
        } else if (a == QLatin1String("--latencies")) {
            for (const QString& t : next.split(QLatin1Char(',')))
                latencies << t.toInt();
            ++i;
        } else if (a == QLatin1String("--no-idle")) {
            idle = false;
        } else if (a == QLatin1String("--bin")) {
            bin = next;
            ++i;
        } else {
            return usage();
        }
    }
    if (sweepRuns > 0)
        return runSweep(bin, ticks, ops, fast, sweepRuns, emuArgs);
    if (!latencies.isEmpty())
        return runLatencies(bin, latencies, ticks.value(0, 20));
    if (adapterOnly)
        return runAdapterTable(bin, ticks.value(0, 20));
    const int rc = runTransfersAndRoute(bin, ticks, ops, fast);
    const int adapterRc = adapterTable ? runAdapterTable(bin, ticks.value(0, 20)) : 0;
    if (idle) {
        idleInProcess(bin, idleSeconds);
        idleTool(bin, idleSeconds);
    }
    return std::max(rc, adapterRc);
}
