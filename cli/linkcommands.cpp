#include "cli/linkcommands.h"

#include "data/configstore.h"
#include "data/datafile.h"
#include "data/hex.h"
#include "link/linkengine.h"
#include "link/linkrunner.h"
#include "link/serialport.h"
#include "link/transfers.h"
#include "settings/appsettings.h"

#include <cstdio>
#include <optional>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace linkcli {
namespace {

struct Options {
    QString port; // empty: COMserial of the settings file
    int tick = 0; // 0: timerCOM of the settings file
    QString what; // store only
    QStringList positional;
};

// Splits "--name value" and "--name=value"; anything else is an operand. Returns an error text.
QString parseOptions(const QStringList& args, bool allowWhat, Options& o) {
    for (int i = 0; i < args.size(); ++i) {
        QString name = args.at(i);
        QString value;
        const bool isOption = name.startsWith(QLatin1String("--"));
        if (!isOption) {
            o.positional.append(name);
            continue;
        }
        const int eq = name.indexOf(QLatin1Char('='));
        if (eq > 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
        } else if (i + 1 < args.size()) {
            value = args.at(++i);
        } else {
            return QStringLiteral("option %1 needs a value").arg(name);
        }
        if (name == QLatin1String("--port")) {
            o.port = value;
        } else if (name == QLatin1String("--tick")) {
            bool ok = false;
            o.tick = value.toInt(&ok);
            // The settings file's timerCOM bounds: a clock of seconds makes every exchange
            // look dead.
            if (!ok || o.tick < 1 || o.tick > 1000)
                return QStringLiteral("--tick takes milliseconds, 1..1000");
        } else if (name == QLatin1String("--what") && allowWhat) {
            o.what = value;
        } else {
            return QStringLiteral("unknown option %1").arg(name);
        }
    }
    return QString();
}

int usage(QTextStream& err, const QString& what, const char* line) {
    err << "stavnikctl: " << what << '\n' << "usage: " << line << '\n';
    return exitcode::kUsage;
}

// Options plus exactly `operands` operands; a usage error is said on `err` and gives nothing.
std::optional<Options> commandLine(const QStringList& args, int operands, bool allowWhat,
                                   const char* line, QTextStream& err) {
    Options o;
    QString error = parseOptions(args, allowWhat, o);
    if (error.isEmpty() && o.positional.size() != operands)
        error = operands == 0 ? QStringLiteral("no operands expected")
                              : QStringLiteral("one file name expected");
    if (!error.isEmpty()) {
        usage(err, error, line);
        return std::nullopt;
    }
    return o;
}

bool stderrIsTerminal() {
#ifdef Q_OS_UNIX
    return isatty(fileno(stderr)) != 0;
#else
    return false;
#endif
}

// One engine on one port, ticked as the main window ticks it. Boxes become lines on stderr.
class Session {
public:
    Session(ConfigStore& store, QTextStream& err)
        : m_err(err), m_port(settingsFilePath()), m_engine(store, m_port), m_runner(m_engine) {
        if (stderrIsTerminal())
            QObject::connect(&m_engine, &LinkEngine::progressChanged,
                             [this](int p) { drawProgress(p); });
    }

    bool open(const Options& o) {
        const AppSettings settings = loadSettings();
        m_runner.setTickInterval(o.tick > 0 ? o.tick : settings.timerInterval);
        bool isNumber = false;
        // "COM3" means port number 3, as in the window's port dialog.
        const QString comNumber =
            o.port.startsWith(QLatin1String("COM"), Qt::CaseInsensitive) ? o.port.mid(3) : o.port;
        const int number = o.port.isEmpty() ? settings.portNumber : comNumber.toInt(&isNumber);
        if (o.port.isEmpty() || isNumber) {
            if (m_port.open(number))
                return true;
            // The window's own words, two blanks included.
            m_err << "Chyba otevření  COM" << number << "  \n";
            return false;
        }
        if (m_port.openDevice(o.port))
            return true;
        m_err << "Chyba otevření  " << o.port << "  \n";
        return false;
    }

    LinkEngine& engine() { return m_engine; }
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
    LinkEngine m_engine;
    LinkRunner m_runner;
    bool m_barDrawn = false;
};

bool loadData(const QString& path, ConfigStore& store, QTextStream& err) {
    using Status = datafile::LoadResult::Status;
    const datafile::LoadResult r = datafile::loadFile(path, store);
    if (r.status == Status::Loaded) {
        if (r.skippedLines > 0)
            err << datafile::skippedLinesText(r.skippedLines) << '\n';
        return true;
    }
    if (r.status == Status::Stopped)
        err << "stavnikctl: " << path << ": no data lines after the header, nothing loaded\n";
    else
        err << r.message << '\n';
    return false;
}

// Errors go to stderr; the verify results, which are the answer, are printed by the caller.
void reportErrors(Session& s, QTextStream& err) {
    for (LinkEngine::Message m : s.messages()) {
        if (!LinkEngine::isWarning(m))
            continue;
        err << LinkEngine::messageText(m) << '\n';
        // Where a transfer failed, in the words of the window's box details.
        const QString where = LinkEngine::failureText(s.engine().lastFailure());
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

} // namespace

int identifyCommand(const QStringList& operands, QTextStream& out, QTextStream& err) {
    const char* line = "stavnikctl identify [--port N|DEVICE] [--tick MS]";
    const auto o = commandLine(operands, 0, false, line, err);
    if (!o)
        return exitcode::kUsage;
    ConfigStore store;
    Session s(store, err);
    if (!s.open(*o))
        return kFailed;
    s.run([](LinkEngine& e) { return e.startIdentify(); });
    reportErrors(s, err);
    out << s.engine().versionText() << '\n' << s.engine().capacityText() << '\n';
    if (s.engine().versionText() == QLatin1String("??") ||
        s.engine().capacityText() == QLatin1String("??")) {
        err << "stavnikctl: no reply from the module\n";
        return kFailed;
    }
    return kOk;
}

int readCommand(const QStringList& operands, QTextStream&, QTextStream& err) {
    const char* line = "stavnikctl read OUT [--port N|DEVICE] [--tick MS]";
    const auto o = commandLine(operands, 1, false, line, err);
    if (!o)
        return exitcode::kUsage;
    ConfigStore store;
    Session s(store, err);
    if (!s.open(*o))
        return kFailed;
    s.run([](LinkEngine& e) { return e.startRead(); });
    reportErrors(s, err);
    if (!s.transferOk())
        return kFailed;
    const QString error = datafile::saveFile(o->positional.first(), store);
    if (!error.isEmpty()) {
        err << "stavnikctl: " << o->positional.first() << ": " << error << '\n';
        return kFailed;
    }
    return kOk;
}

int verifyCommand(const QStringList& operands, QTextStream& out, QTextStream& err) {
    const char* line = "stavnikctl verify FILE [--port N|DEVICE] [--tick MS]";
    const auto o = commandLine(operands, 1, false, line, err);
    if (!o)
        return exitcode::kUsage;
    ConfigStore store;
    if (!loadData(o->positional.first(), store, err))
        return kFailed;
    Session s(store, err);
    if (!s.open(*o))
        return kFailed;
    s.run([](LinkEngine& e) { return e.startVerify(); });
    reportErrors(s, err);
    if (!s.transferOk())
        return kFailed;
    const bool equal = s.engine().matchFlag();
    out << LinkEngine::messageText(equal ? LinkEngine::Message::VerifyEqual
                                         : LinkEngine::Message::VerifyDifferent)
        << '\n';
    for (const auto& d : s.engine().differences())
        out << toHex(static_cast<std::uint32_t>(d.address), 4) << ": file "
            << toHex(d.imageValue, 2) << " module " << toHex(d.moduleValue, 2) << '\n';
    return equal ? kOk : kDifferent;
}

int storeCommand(const QStringList& operands, QTextStream&, QTextStream& err) {
    const char* line =
        "stavnikctl store FILE --what header|all|route=N [--port N|DEVICE] [--tick MS]";
    const auto o = commandLine(operands, 1, true, line, err);
    if (!o)
        return exitcode::kUsage;
    if (o->what.isEmpty())
        return usage(err, QStringLiteral("store needs --what"), line);
    bool needsCapacity = false;
    QString whatError;
    auto list = parseWhat(o->what, image::kRouteCount, &needsCapacity, &whatError);
    if (!list)
        return usage(err, whatError, line);

    ConfigStore store;
    if (!loadData(o->positional.first(), store, err))
        return kFailed;
    Session s(store, err);
    if (!s.open(*o))
        return kFailed;
    const QString writeError = LinkEngine::messageText(LinkEngine::Message::WriteError);
    if (needsCapacity) {
        // The window stores with the capacity last reported; here nothing has been reported
        // yet, so ask, and give a lost reply the same three attempts a byte gets.
        bool answered = false;
        for (int attempt = 0; attempt < 3 && !answered; ++attempt) {
            s.run([](LinkEngine& e) { return e.startCapacityQuery(); });
            answered = s.engine().capacityText() != QLatin1String("??");
        }
        list = answered ? transfers::storeAddresses(transfers::Everything, 1, store.routeCapacity)
                        : std::nullopt;
        if (!list) {
            err << writeError << '\n';
            return kFailed;
        }
    }
    s.run([&list](LinkEngine& e) { return e.startStore(*list); });
    reportErrors(s, err);
    return s.transferOk() ? kOk : kFailed;
}

} // namespace linkcli

CliCommands linkCommands() {
    auto command = [](const char* name, const char* operands, const char* summary,
                      int (*run)(const QStringList&, QTextStream&, QTextStream&)) {
        CliCommand c{QString::fromUtf8(name),
                     QString::fromUtf8(operands),
                     QString::fromUtf8(summary),
                     0,
                     -1,
                     run};
        c.ownsExitCodes = true;
        return c;
    };
    // Every one of them also takes --port N|DEVICE and --tick MS.
    return {
        command("identify", "", "\"Test comm\": print the module's version and route capacity",
                linkcli::identifyCommand),
        command("read", "OUT", "read the module's configuration and save it as data file OUT",
                linkcli::readCommand),
        command("verify", "FILE", "compare data file FILE with the module (exit 1: they differ)",
                linkcli::verifyCommand),
        command("store", "FILE --what header|all|route=N",
                "write data file FILE (or a part of it) into the module", linkcli::storeCommand),
    };
}
