#include "cli/linkcommands.h"

#include "cli/console.h"
#include "cli/datafileio.h"
#include "cli/stopsignals.h"
#include "data/configstore.h"
#include "data/hex.h"
#include "data/history.h"
#include "link/historyrecorder.h"
#include "link/linediagnosis.h"
#include "link/linetester.h"
#include "link/linkdriver.h"
#include "link/linkengine.h"
#include "link/linkrunner.h"
#include "link/linktexts.h"
#include "link/linktrace.h"
#include "link/modulecontents.h"
#include "link/portlist.h"
#include "link/serialport.h"
#include "link/transfers.h"
#include "review/historysummary.h"
#include "settings/appsettings.h"

#include <QElapsedTimer>
#include <QLocale>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

namespace linkcli {
namespace {

// --tick in milliseconds, 0 when it is not given, -1 when it is not 1..1000 (the settings file's
// timerCOM bounds: a clock of seconds makes every exchange look dead).
int tickOption(const Invocation& run) {
    if (!run.options.contains(QStringLiteral("--tick")))
        return 0;
    bool ok = false;
    const int tick = run.options.value(QStringLiteral("--tick")).toInt(&ok);
    return ok && tick >= 1 && tick <= 1000 ? tick : -1;
}

// Checks --tick and --port before anything is opened; a usage error's exit status when one is
// wrong, 0 when both are fine. `tick` is 0 when not given.
int optionError(const Invocation& run, int& tick) {
    tick = tickOption(run);
    if (tick < 0)
        return run.usageError(QStringLiteral("--tick takes milliseconds, 1..1000"));
    const QString port = QStringLiteral("--port");
    if (run.options.contains(port)) {
        const PortArgument p = parsePortArgument(run.options.value(port));
        if (!p.error.isEmpty())
            return run.usageError(p.error);
    }
    return 0;
}

// "Do modulu: 2244 bajtů uloženo a ověřeno, 44,1 s", as the main window notes it.
QString storedText(std::size_t bytes, bool verified, qint64 ms) {
    return linktexts::storedText(static_cast<int>(bytes), verified) +
           QStringLiteral(", %1 s").arg(QLocale(QLocale::Czech).toString(ms / 1000.0, 'f', 1));
}

// One engine on one port, ticked as the main window ticks it. Boxes become lines on stderr.
class Session {
public:
    Session(ConfigStore& store, QTextStream& err)
        : m_err(err), m_port(settingsFilePath()), m_traced(m_port), m_engine(store, m_traced),
          m_driver(m_engine, m_traced), m_runner(m_driver), m_stop([this] {
              m_runner.cancel();
              if (m_onStop)
                  m_onStop();
          }),
          m_history(m_engine, store, history::defaultFolder()) {
        QObject::connect(&m_engine, &LinkEngine::imageRead, [&store](const Image& read, int last) {
            store.takeModuleRead(read, last);
        });
        // The history never fails a transfer; it only says why it could not be kept.
        QObject::connect(&m_history, &HistoryRecorder::problem,
                         [this](const QString& text, const QString& details) {
                             m_err << "stavnikctl: " << text << '\n'
                                   << "stavnikctl: " << details << '\n';
                         });
        m_history.setSummarizer(history::changeSummary);
        // A verify or store works on a data file: its descriptions go with the entry.
        m_history.setDescriptionsFrom(QStringLiteral("file"));
        if (stderrIsTerminal())
            QObject::connect(&m_engine, &LinkEngine::progressChanged,
                             [this](int p) { drawProgress(p); });
    }

    // --port as checked by optionError(); none means COMserial of the settings file. Tick 0
    // means its timerCOM.
    bool open(const std::optional<PortArgument>& port, int tick) {
        const AppSettings settings = loadSettings();
        if (!settings.fileIgnored.isEmpty())
            m_err << "stavnikctl: " << settingsFilePath() << ": " << settings.fileIgnored << '\n';
        m_tickMs = tick > 0 ? tick : settings.timerInterval;
        m_driver.setTickInterval(m_tickMs);
        // "COM3" means port number 3, as in the window's port dialog.
        const int number = port ? port->number : settings.portNumber;
        const QString device = number > 0 ? m_port.deviceFor(number) : port->device;
        if (m_trace)
            m_trace->comment(
                QStringLiteral("port %1 (%2), interval %3 ms")
                    .arg(number > 0 ? QStringLiteral("COM%1").arg(number) : device, device)
                    .arg(m_tickMs));
        m_history.setPortName([number, port] {
            return number > 0 ? QStringLiteral("COM%1").arg(number) : port->device;
        });
        if (number > 0) {
            if (m_port.open(number))
                return opened();
            // The window's own words, two blanks included.
            m_err << linktexts::portOpenFailedText(QStringLiteral("COM%1").arg(number)) << '\n'
                  << m_port.openErrorText() << '\n';
            return false;
        }
        if (m_port.openDevice(port->device))
            return opened();
        m_err << linktexts::portOpenFailedText(port->device) << '\n'
              << m_port.openErrorText() << '\n';
        return false;
    }

    // --trace FILE: the line's record from now on. False, said on stderr, when it cannot be
    // written.
    bool startTrace(const QString& path) {
        m_trace = std::make_unique<LinkTrace>(path);
        QString why;
        if (!m_trace->open(QStringLiteral("stavnikctl"), &why)) {
            m_err << "stavnikctl: " << path << ": " << why << '\n';
            m_trace.reset();
            return false;
        }
        m_traced.setTrace(m_trace.get());
        return true;
    }
    LinkTrace* trace() const { return m_trace.get(); }
    BytePort& port() { return m_traced; }
    int tickMs() const { return m_tickMs; }
    // Ctrl-C or SIGTERM also calls this (the link diagnosis's own exchanges).
    void setOnStop(std::function<void()> stop) { m_onStop = std::move(stop); }

    LinkEngine& engine() { return m_engine; }
    LinkDriver& driver() { return m_driver; }
    HistoryRecorder& history() { return m_history; }
    // Ctrl-C or SIGTERM came: the link has gone quiet, nothing more is to be sent or saved.
    bool stopped() const { return m_stop.signalNumber() != 0; }
    int stoppedExit() {
        m_err << "stavnikctl: stopped\n";
        return m_stop.exitCode();
    }
    const QList<LinkEngine::Message>& messages() const { return m_runner.messages(); }
    bool transferOk() const { return m_runner.transferOk(); }

    void run(const std::function<bool(LinkEngine&)>& start) {
        m_runner.run(start);
        if (m_barDrawn) {
            m_err << '\n';
            m_err.flush();
            m_barDrawn = false;
        }
    }

private:
    bool opened() {
        if (m_trace)
            m_trace->comment(linediag::lowLatencyText(m_port.lowLatency()));
        return true;
    }

    void drawProgress(int percent) {
        const int width = 40;
        const int filled = percent * width / 100;
        m_err << "\r[" << QString(filled, QLatin1Char('#'))
              << QString(width - filled, QLatin1Char('.')) << "] " << percent << " %";
        m_err.flush();
        m_barDrawn = true;
    }

    QTextStream& m_err;
    SerialBytePort m_port;
    std::unique_ptr<LinkTrace> m_trace;
    TracedPort m_traced;
    LinkEngine m_engine;
    LinkDriver m_driver;
    LinkRunner m_runner;
    StopSignals m_stop;
    HistoryRecorder m_history;
    std::function<void()> m_onStop;
    int m_tickMs = LinkDriver::kDefaultTickMs;
    bool m_barDrawn = false;
};

// Errors go to stderr; the verify results, which are the answer, are printed by the caller.
void reportErrors(Session& s, QTextStream& err) {
    if (const QString note = linktexts::fastFellBackNote(s.engine()); !note.isEmpty())
        err << note << '\n';
    for (LinkEngine::Message m : s.messages()) {
        if (!linktexts::isWarning(m))
            continue;
        err << linktexts::messageText(m) << '\n';
        // Where a transfer failed, in the words of the window's box details.
        const QString where = linktexts::failureText(s.engine().transfer().failure());
        if ((m == LinkEngine::Message::ReadError || m == LinkEngine::Message::WriteError) &&
            !where.isEmpty())
            err << where << '\n';
    }
}

std::optional<std::vector<std::uint32_t>> parseWhat(const QString& what, int capacity,
                                                    bool* needsCapacity, QString* error) {
    *needsCapacity = false;
    if (what == QLatin1String("header"))
        return transfers::storeAddresses(transfers::HeaderOnly, 1, capacity);
    if (what == QLatin1String("all")) {
        *needsCapacity = true;
        return std::vector<std::uint32_t>{};
    }
    if (what.startsWith(QLatin1String("route="))) {
        bool ok = false;
        const int n = what.mid(6).toInt(&ok);
        if (ok && n >= 1 && n <= image::kRouteCount)
            return transfers::storeAddresses(transfers::SelectedRoute, n, capacity);
        *error = QStringLiteral("route=N takes a route number 1..90");
        return std::nullopt;
    }
    *error = QStringLiteral("--what takes header, all or route=N");
    return std::nullopt;
}

// The port named by --port (or the settings file), ticked at `tick`; null when it cannot be
// opened, which the session has said on stderr.
std::unique_ptr<Session> openSession(const Invocation& run, ConfigStore& store, int tick) {
    auto s = std::make_unique<Session>(store, run.err);
    if (run.options.contains(QStringLiteral("--trace")) &&
        !s->startTrace(run.options.value(QStringLiteral("--trace"))))
        return nullptr;
    std::optional<PortArgument> port;
    if (run.options.contains(QStringLiteral("--port")))
        port = parsePortArgument(run.options.value(QStringLiteral("--port")));
    if (!s->open(port, tick))
        return nullptr;
    s->driver().setFastLink(run.options.contains(QStringLiteral("--fast")));
    return s;
}

// For the commands that only ask the module: the options checked and the line opened over an
// empty configuration, which lives as long as `body` runs on the session.
int onLineAlone(const Invocation& run, const std::function<int(Session&)>& body) {
    int tick = 0;
    if (const int wrong = optionError(run, tick))
        return wrong;
    ConfigStore store;
    const auto s = openSession(run, store, tick);
    if (!s)
        return exitcode::kTransferFailed;
    return body(*s);
}

int identifyOver(Session& s, const Invocation& run) {
    s.run([](LinkEngine& e) { return e.startIdentify(); });
    if (s.stopped())
        return s.stoppedExit();
    reportErrors(s, run.err);
    const LinkEngine& engine = s.engine();
    run.out << linktexts::versionText(engine.identifyReply()) << '\n'
            << linktexts::capacityText(engine.reportedCapacity()) << '\n';
    if (!engine.identifyReply() || !engine.reportedCapacity()) {
        // Bytes that came but made no answer are not silence: say which it was.
        run.err << (engine.identifyGarbled()
                        ? "stavnikctl: the module's answer was not understood (other bytes on "
                          "the line)\n"
                        : "stavnikctl: no reply from the module\n");
        return exitcode::kTransferFailed;
    }
    return exitcode::kOk;
}

int lineTestOver(Session& s, const Invocation& run) {
    if (s.trace())
        s.trace()->comment(QStringLiteral("diagnostika linky"));
    LineTestRun test(s.port(), s.tickMs());
    s.setOnStop([&test] { test.cancel(); });
    if (stderrIsTerminal())
        QObject::connect(&test, &LineTestRun::progress, [&run](int done, int planned) {
            run.err << "\r" << done << " / " << planned;
            run.err.flush();
        });
    const std::vector<linediag::Exchange> exchanges = test.runToEnd();
    if (stderrIsTerminal())
        run.err << '\n';
    if (s.stopped())
        return s.stoppedExit();
    const linediag::Diagnosis d = linediag::diagnose(exchanges, s.tickMs(), s.port().lowLatency());
    for (const QString& line : linediag::reportLines(d))
        run.out << line << '\n';
    if (d.replies.count > 0) {
        run.out << "Rozložení dob odpovědi:\n";
        for (const QString& line : linediag::histogramLines(d.histogram))
            run.out << "  " << line << '\n';
    }
    return linediag::exitCodeOf(d.verdict);
}

} // namespace

int identifyCommand(const Invocation& run) {
    return onLineAlone(run, [&run](Session& s) { return identifyOver(s, run); });
}

int readCommand(const Invocation& run) {
    int tick = 0;
    if (const int wrong = optionError(run, tick))
        return wrong;
    const QString out = run.operands.first();
    // Better now than after minutes of transfer.
    if (!cliio::canSaveTo(out, run.err))
        return exitcode::kTransferFailed;
    ConfigStore store;
    const auto s = openSession(run, store, tick);
    if (!s)
        return exitcode::kTransferFailed;
    s->run([](LinkEngine& e) { return e.startRead(); });
    // A stopped read leaves the output file alone, whether it exists or not.
    if (s->stopped())
        return s->stoppedExit();
    reportErrors(*s, run.err);
    if (!s->transferOk())
        return exitcode::kTransferFailed;
    if (cliio::saveDataFile(out, store, run.err))
        return exitcode::kOk;
    // The module's configuration came over the line at some cost; never throw it away.
    cliio::keepInTemporaryFile(store, run.err);
    return exitcode::kTransferFailed;
}

int verifyCommand(const Invocation& run) {
    int tick = 0;
    if (const int wrong = optionError(run, tick))
        return wrong;
    ConfigStore store;
    if (!cliio::loadDataFile(run.operands.first(), store, run.err))
        return exitcode::kTransferFailed;
    const auto s = openSession(run, store, tick);
    if (!s)
        return exitcode::kTransferFailed;
    s->run([](LinkEngine& e) { return e.startVerify(); });
    if (s->stopped())
        return s->stoppedExit();
    reportErrors(*s, run.err);
    if (!s->transferOk())
        return exitcode::kTransferFailed;
    const bool equal = s->engine().transfer().differences().empty();
    run.out << linktexts::messageText(equal ? LinkEngine::Message::VerifyEqual
                                            : LinkEngine::Message::VerifyDifferent)
            << '\n';
    for (const auto& d : s->engine().transfer().differences())
        run.out << toHex(static_cast<std::uint32_t>(d.address), 4) << ": file "
                << toHex(d.imageValue, 2) << " module " << toHex(d.moduleValue, 2) << '\n';
    return equal ? exitcode::kOk : exitcode::kDifferent;
}

int linktestCommand(const Invocation& run) {
    return onLineAlone(run, [&run](Session& s) { return lineTestOver(s, run); });
}

namespace {
using AddressList = std::vector<std::uint32_t>;

// BASE stands for the module's memory in the same form as FILE (a data file, zero beyond its
// last route), so the two compare byte for byte over any list. False when it cannot be loaded.
bool loadBase(const Invocation& run, std::optional<ModuleContents>& module) {
    if (!run.options.contains(QStringLiteral("--only-changed")))
        return true;
    ConfigStore base;
    if (!cliio::loadDataFile(run.options.value(QStringLiteral("--only-changed")), base, run.err))
        return false;
    module.emplace();
    module->learn(base.image, 0, image::kSize - 1);
    return true;
}

// The window stores with the capacity last reported; here nothing has been reported yet, so
// ask as a read asks: on a quiet line, until two answers agree. Nonzero: the exit status.
int askCapacity(Session& s, const ConfigStore& store, std::optional<AddressList>& list,
                QTextStream& err) {
    s.run([](LinkEngine& e) { return e.startStoreCapacityQuery(); });
    if (s.stopped())
        return s.stoppedExit();
    list = s.transferOk() ? transfers::storeAddresses(transfers::Everything, 1, store.routeCapacity)
                          : std::nullopt;
    if (list)
        return exitcode::kOk;
    reportErrors(s, err);
    return exitcode::kTransferFailed;
}

int backupFailed(const history::WriteResult& result, QTextStream& err) {
    err << "stavnikctl: " << backupFailedText(result) << '\n'
        << "stavnikctl: " << result.details << '\n';
    return exitcode::kTransferFailed;
}

// What the module held goes into the history before it is overwritten; a history that cannot
// keep it stops the store before its first write. Nonzero: the exit status.
int backUpFirst(Session& s, QTextStream& err) {
    s.run([](LinkEngine& e) { return e.startRead(false); });
    if (s.stopped())
        return s.stoppedExit();
    reportErrors(s, err);
    if (!s.transferOk())
        return exitcode::kTransferFailed;
    const history::WriteResult kept = s.history().lastWrite();
    return kept.written() ? exitcode::kOk : backupFailed(kept, err);
}

int storeList(Session& s, const AddressList& list, const Invocation& run) {
    const bool readBack =
        !run.options.contains(QStringLiteral("--no-verify")) && loadSettings().verifyAfterStore;
    QElapsedTimer clock;
    clock.start();
    s.run([&list, readBack](LinkEngine& e) { return e.startStore(list, readBack); });
    if (s.stopped() && s.engine().transfer().writesComplete()) {
        run.err << "stavnikctl: all " << list.size()
                << " bytes written; stopped while reading them back, so only their proof is "
                   "missing\n";
        return s.stoppedExit();
    }
    if (s.stopped()) {
        // The write in flight may have been carried out before the stop.
        const int done = s.engine().transfer().writesDone();
        run.err << "stavnikctl: " << done;
        if (s.engine().transfer().writeInFlight())
            run.err << " or " << done + 1;
        run.err << " of " << list.size() << " bytes written, the module is now partly written\n";
        return s.stoppedExit();
    }
    reportErrors(s, run.err);
    if (!s.transferOk())
        return exitcode::kTransferFailed;
    run.out << storedText(list.size(), readBack, clock.elapsed()) << '\n';
    return exitcode::kOk;
}
} // namespace

int storeCommand(const Invocation& run) {
    bool needsCapacity = false;
    QString whatError;
    auto list = parseWhat(run.options.value(QStringLiteral("--what")), image::kRouteCount,
                          &needsCapacity, &whatError);
    if (!list)
        return run.usageError(whatError);
    int tick = 0;
    if (const int wrong = optionError(run, tick))
        return wrong;

    ConfigStore store;
    std::optional<ModuleContents> module;
    if (!cliio::loadDataFile(run.operands.first(), store, run.err) || !loadBase(run, module))
        return exitcode::kTransferFailed;
    // Told before minutes of reading, not after.
    const bool backup = run.options.contains(QStringLiteral("--backup-first"));
    if (backup)
        if (const history::WriteResult can = history::probe(history::defaultFolder());
            !can.written())
            return backupFailed(can, run.err);
    const auto s = openSession(run, store, tick);
    if (!s)
        return exitcode::kTransferFailed;
    if (needsCapacity)
        if (const int code = askCapacity(*s, store, list, run.err))
            return code;
    if (module) {
        list = module->changedAddresses(store.image, *list);
        if (list->empty()) {
            run.out << linktexts::kNothingToStoreText << '\n';
            return exitcode::kOk;
        }
    }
    // The history records the store on top of what is known of the module: BASE, or what a
    // read just before the store found.
    ModuleContents known;
    known.follow(s->engine(), store);
    if (module)
        known.learn(module->bytes(), 0, image::kSize - 1);
    s->history().setModuleContents(&known);
    if (backup)
        if (const int code = backUpFirst(*s, run.err))
            return code;
    return storeList(*s, *list, run);
}

} // namespace linkcli

CliCommands linkCommands() {
    const CliOption port{QStringLiteral("--port"), QStringLiteral("N|DEVICE")};
    const CliOption tick{QStringLiteral("--tick"), QStringLiteral("MS")};
    const CliOption what{QStringLiteral("--what"), QStringLiteral("header|all|route=N"), true};
    const CliOption fast{QStringLiteral("--fast"), QString()};
    const CliOption onlyChanged{QStringLiteral("--only-changed"), QStringLiteral("BASE")};
    const CliOption noVerify{QStringLiteral("--no-verify"), QString()};
    const CliOption backupFirst{QStringLiteral("--backup-first"), QString()};
    const CliOption trace{QStringLiteral("--trace"), QStringLiteral("FILE")};
    return {
        {QStringLiteral("identify"),
         QString(),
         0,
         {port, tick, fast, trace},
         QStringLiteral("\"Test comm\": print the module's version and route capacity"),
         linkcli::identifyCommand},
        {QStringLiteral("read"),
         QStringLiteral("OUT"),
         1,
         {port, tick, fast, trace},
         QStringLiteral("read the module's configuration and save it as data file OUT"),
         linkcli::readCommand},
        {QStringLiteral("verify"),
         QStringLiteral("FILE"),
         1,
         {port, tick, fast, trace},
         QStringLiteral("compare data file FILE with the module (exit 1: they differ)"),
         linkcli::verifyCommand},
        {QStringLiteral("store"),
         QStringLiteral("FILE"),
         1,
         {what, onlyChanged, noVerify, backupFirst, port, tick, fast, trace},
         QStringLiteral("write data file FILE (or a part of it) into the module and read it back "
                        "(--no-verify: do not); --only-changed BASE: only the bytes that differ "
                        "from BASE, the module's contents; --backup-first: read the module into "
                        "the history first"),
         linkcli::storeCommand},
        {QStringLiteral("linktest"),
         QString(),
         0,
         {port, tick, trace},
         QStringLiteral("diagnose the line: reply times, lost, late and stray replies, advice "
                        "(nothing is written; exit 0 usable, 1 with faults, 2 not working)"),
         linkcli::linktestCommand},
    };
}
