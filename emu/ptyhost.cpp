#include "emu/ptyhost.h"

#include "emu/controlcommand.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/prctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {
int g_signalPipe[2] = {-1, -1};

void onStopSignal(int) {
    const int saved = errno;
    const char c = 's';
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &c, 1);
    errno = saved;
}

constexpr std::int64_t kMs = 1000000;
// While nobody has the terminal open its master reports a hang-up on every poll, so the host
// waits for the device's open event instead; without one it looks again this often.
constexpr std::int64_t kReopenPollNs = 20 * kMs;
// With the open event, a look now and then all the same costs nothing and covers any open the
// event might not report.
constexpr std::int64_t kReopenSafetyNs = 250 * kMs;
constexpr int kPressMs = 1000;

QString errnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

timespec toTimespec(std::int64_t ns) {
    timespec ts;
    ts.tv_sec = static_cast<time_t>(ns / 1000000000);
    ts.tv_nsec = static_cast<long>(ns % 1000000000);
    return ts;
}
} // namespace

PtyHost::PtyHost(Stv2Responder& module, const EmuOptions& options, std::FILE* log)
    : m_module(module), m_options(options), m_log(log),
      m_byteNs(options.pacing ? static_cast<Nanos>(emu::kByteTimeMs * 1e6 + 0.5) : 0),
      m_adapterBeatNs(static_cast<Nanos>(options.adapterLatencyMs) * kMs),
      m_animate(options.animate) {
    m_start = now();
    // Byte times are about a millisecond; the default timer slack of 50 us per wake-up would
    // add up to a noticeable share of every paced reply.
    if (options.pacing)
        ::prctl(PR_SET_TIMERSLACK, 1000UL, 0UL, 0UL, 0UL);
}

PtyHost::~PtyHost() {
    removeLink();
    if (m_master >= 0)
        ::close(m_master);
    if (m_openWatch >= 0)
        ::close(m_openWatch);
}

void PtyHost::drainOpenEvents() {
    char buf[4096];
    while (m_openWatch >= 0 && ::read(m_openWatch, buf, sizeof buf) > 0) {
    }
}

bool PtyHost::nobodyHasTerminalOpen() const {
    pollfd fd{m_master, POLLIN, 0};
    return ::poll(&fd, 1, 0) == 1 && (fd.revents & POLLHUP) && !(fd.revents & POLLIN);
}

PtyHost::Nanos PtyHost::now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<Nanos>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

bool PtyHost::installSignalHandlers(QString* error) {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        *error = QStringLiteral("pipe: %1").arg(errnoText());
        return false;
    }
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        sigaction(s, &sa, nullptr);
    // A reader of our standard output going away must not kill the module, and neither must
    // being started in the background of an interactive shell: reading the terminal then fails
    // instead of stopping the process, and live input is simply not available.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGTTIN, SIG_IGN);
    std::signal(SIGTTOU, SIG_IGN);
    return true;
}

bool PtyHost::open(QString* error) {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        *error = QStringLiteral("cannot create a pseudo-terminal: %1").arg(errnoText());
        return false;
    }
    char name[128];
    if (::ptsname_r(m_master, name, sizeof name) != 0) {
        *error = QStringLiteral("ptsname: %1").arg(errnoText());
        return false;
    }
    m_devicePath = QString::fromLocal8Bit(name);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);

    // Raw mode is a property of the terminal, kept while the master lives, so a program that
    // opens the device without configuring it still sees bytes unchanged and unechoed.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        *error = QStringLiteral("cannot open %1: %2").arg(m_devicePath, errnoText());
        return false;
    }
    termios tio;
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B9600);
        ::cfsetospeed(&tio, B9600);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    ::close(slave);
    m_openWatch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_openWatch >= 0 && ::inotify_add_watch(m_openWatch, name, IN_OPEN) < 0) {
        ::close(m_openWatch);
        m_openWatch = -1;
    }

    if (!m_options.linkPath.isEmpty()) {
        const QFileInfo link(m_options.linkPath);
        if (link.exists() && !link.isSymLink()) {
            *error = QStringLiteral("%1 exists and is not a symbolic link; not replacing it")
                         .arg(m_options.linkPath);
            return false;
        }
        QDir().mkpath(link.absolutePath());
        // Build the new link beside the old one and rename it over, so the path never
        // disappears for a tool that is opening it.
        const QString temp = m_options.linkPath + QStringLiteral(".%1.tmp").arg(::getpid());
        QFile::remove(temp);
        const QByteArray tempName = QFile::encodeName(temp);
        if (::symlink(name, tempName.constData()) != 0 ||
            ::rename(tempName.constData(), QFile::encodeName(m_options.linkPath).constData()) !=
                0) {
            *error =
                QStringLiteral("cannot make the link %1: %2").arg(m_options.linkPath, errnoText());
            QFile::remove(temp);
            return false;
        }
        m_linkMade = true;
    }
    return true;
}

void PtyHost::removeLink() {
    if (!m_linkMade)
        return;
    m_linkMade = false;
    // Only our own link: another emulator may have taken the path over since.
    const QByteArray path = QFile::encodeName(m_options.linkPath);
    char target[256];
    const ssize_t n = ::readlink(path.constData(), target, sizeof target - 1);
    if (n > 0 && QString::fromLocal8Bit(target, static_cast<int>(n)) == m_devicePath)
        ::unlink(path.constData());
}

void PtyHost::logLine(const QString& line) {
    if (!m_log)
        return;
    const double t = static_cast<double>(now() - m_start) / 1e9;
    std::fprintf(m_log, "[%9.3f] %s\n", t, line.toLocal8Bit().constData());
    std::fflush(m_log);
}

void PtyHost::setConnected(bool connected) {
    if (connected == m_connected)
        return;
    m_connected = connected;
    if (connected) {
        logLine(QStringLiteral("the tool opened %1").arg(m_devicePath));
        return;
    }
    // Whatever was still to be said belonged to the closed session; written now it would wait
    // in the terminal and confuse the next one.
    m_queue.clear();
    m_current.clear();
    m_currentPos = 0;
    m_adapterHeld.clear();
    logLine(QStringLiteral("the tool closed %1").arg(m_devicePath));
}

void PtyHost::readLine() {
    char buf[512];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            setConnected(true);
            const Nanos t = now();
            // At 9600 baud the last byte of a command arrives n byte times after the first.
            m_rxFree = std::max(m_rxFree, t) + m_byteNs * n;
            schedule(m_module.receive(QByteArrayView(buf, n)), m_rxFree);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EIO)
            setConnected(false);
        return;
    }
}

void PtyHost::schedule(const QList<ReplyChunk>& chunks, Nanos ready) {
    Nanos t = ready;
    for (const ReplyChunk& c : chunks) {
        t += static_cast<Nanos>(c.delayMs) * kMs;
        // A byte is there for the tool once its stop bit is through, one byte time after it
        // started.
        m_queue.emplace(t + m_byteNs, c.bytes);
        t += m_byteNs * c.bytes.size();
    }
}

void PtyHost::writeDue(Nanos t) {
    for (;;) {
        if (m_current.isEmpty()) {
            if (m_queue.empty() || m_queue.begin()->first > t)
                return;
            m_current = m_queue.begin()->second;
            m_currentPos = 0;
            m_queue.erase(m_queue.begin());
        }
        if (t < m_txFree)
            return;
        // Paced: one byte per byte time; unpaced: the whole chunk in one write.
        const int count = m_byteNs ? 1 : static_cast<int>(m_current.size()) - m_currentPos;
        const ssize_t n = deliver(m_current.constData() + m_currentPos, count, t);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EIO) {
                setConnected(false);
                return;
            }
            // The tool is not reading and the terminal is full: try again a little later.
            m_txFree = t + 10 * kMs;
            return;
        }
        m_currentPos += static_cast<int>(n);
        // Keep the byte clock when a wake-up came a little late, so the jitter of each wake-up
        // does not add up over a reply; after an idle line start again from now.
        if (m_byteNs)
            m_txFree = (t - m_txFree < m_byteNs ? m_txFree : t) + m_byteNs;
        if (m_currentPos >= m_current.size()) {
            m_current.clear();
            m_currentPos = 0;
        }
    }
}

ssize_t PtyHost::deliver(const char* bytes, int count, Nanos t) {
    if (m_adapterBeatNs <= 0)
        return ::write(m_master, bytes, count);
    // The adapter's timer runs on its own, whatever the line does.
    if (m_adapterHeld.isEmpty()) {
        const Nanos beats = (t - m_start + m_adapterBeatNs - 1) / m_adapterBeatNs;
        m_adapterRelease = m_start + beats * m_adapterBeatNs;
    }
    m_adapterHeld.append(bytes, count);
    return count;
}

void PtyHost::releaseAdapter(Nanos t) {
    while (!m_adapterHeld.isEmpty() && t >= m_adapterRelease) {
        const ssize_t n = ::write(m_master, m_adapterHeld.constData(), m_adapterHeld.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EIO) {
            setConnected(false);
            return;
        }
        if (n < 0) { // the terminal is full: the next beat
            m_adapterRelease += m_adapterBeatNs;
            return;
        }
        m_adapterHeld.remove(0, n);
    }
}

PtyHost::Nanos PtyHost::nextWake(Nanos t) const {
    Nanos wake = INT64_MAX;
    if (!m_adapterHeld.isEmpty())
        wake = m_adapterRelease;
    if (!m_current.isEmpty())
        wake = std::min(wake, m_txFree);
    else if (!m_queue.empty())
        wake = std::min(wake, std::max(m_queue.begin()->first, m_txFree));
    for (const Release& r : m_releases)
        wake = std::min(wake, r.due);
    if (m_animate)
        wake = std::min(wake, m_nextAnimate);
    return std::max(wake, t);
}

void PtyHost::readStdin() {
    char buf[512];
    const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (n <= 0) {
        m_stdinOpen = false;
        return;
    }
    m_stdinBuffer.append(buf, n);
    qsizetype end;
    while ((end = m_stdinBuffer.indexOf('\n')) >= 0) {
        const QString line = QString::fromLocal8Bit(m_stdinBuffer.left(end));
        m_stdinBuffer.remove(0, end + 1);
        handleControl(line);
    }
    // A line without an end that never stops growing is not a command.
    if (m_stdinBuffer.size() > 4096)
        m_stdinBuffer.clear();
}

void PtyHost::handleControl(const QString& line) {
    using Kind = ControlCommand::Kind;
    const ControlCommand c = parseControlLine(line);
    QString reply;
    switch (c.kind) {
    case Kind::Empty:
        return;
    case Kind::Error:
        reply = QStringLiteral("error: ") + c.error + QLatin1Char('\n');
        break;
    case Kind::Help: {
        const QString help = emuHelpText();
        reply = help.mid(help.indexOf(QStringLiteral("  Lines on standard input")));
        break;
    }
    case Kind::Status:
        reply = moduleStatusText(m_module);
        break;
    case Kind::Quit:
        m_stop = true;
        return;
    case Kind::Silent:
        m_module.setSilent(c.flag);
        logLine(c.flag ? QStringLiteral("silent from now on") : QStringLiteral("answering again"));
        return;
    case Kind::Animate:
        m_animate = c.flag;
        m_nextAnimate = now();
        return;
    case Kind::Input:
    case Kind::SetWord:
    case Kind::Clear:
        applyInputCommand(m_module, c);
        if (c.kind == Kind::Input && c.mode == ControlCommand::Mode::Press)
            m_releases.push_back({now() + kPressMs * kMs, c.unit, c.number});
        logLine(QStringLiteral("input: %1").arg(line.trimmed()));
        return;
    }
    std::fputs(reply.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

// What is due at `t`: replies whose time has come, buttons pressed for a while, the next step of
// the animated inputs.
void PtyHost::runDue(Nanos t) {
    if (m_connected) {
        writeDue(t);
        releaseAdapter(t);
    }
    for (auto it = m_releases.begin(); it != m_releases.end();) {
        if (it->due <= t) {
            m_module.setButton(it->unit, it->button, false);
            it = m_releases.erase(it);
        } else {
            ++it;
        }
    }
    if (m_animate && m_nextAnimate <= t) {
        animateInputs(m_module, m_animateStep++);
        m_nextAnimate = t + static_cast<Nanos>(m_options.animateMs) * kMs;
    }
}

void PtyHost::run() {
    if (m_log)
        m_module.setLogSink([this](const QString& line) { logLine(line); });
    m_module.setLogLimit(0);
    logLine(QStringLiteral("STV2 module on %1%2, waiting for the tool")
                .arg(m_devicePath,
                     m_options.linkPath.isEmpty()
                         ? QString()
                         : QStringLiteral(" (link ") + m_options.linkPath + QLatin1Char(')')));
    // Nobody has the terminal open: wait for someone to open it rather than poll the master.
    bool closed = false;
    while (!m_stop) {
        const Nanos t = now();
        runDue(t);
        pollfd fds[3];
        int count = 0;
        fds[count++] = {g_signalPipe[0], POLLIN, 0};
        const int stdinSlot = m_stdinOpen ? count : -1;
        if (m_stdinOpen)
            fds[count++] = {STDIN_FILENO, POLLIN, 0};
        const int masterSlot = closed ? -1 : count;
        if (!closed)
            fds[count++] = {m_master, POLLIN, 0};
        else if (m_openWatch >= 0)
            fds[count++] = {m_openWatch, POLLIN, 0};

        Nanos wait = nextWake(t) - t;
        if (closed)
            wait = std::min(wait, m_openWatch >= 0 ? kReopenSafetyNs : kReopenPollNs);
        const timespec ts = toTimespec(wait);
        const bool untilEvent = wait == INT64_MAX - t;
        const int r = ::ppoll(fds, static_cast<nfds_t>(count), untilEvent ? nullptr : &ts, nullptr);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            logLine(QStringLiteral("poll failed: %1").arg(errnoText()));
            break;
        }
        if (fds[0].revents)
            break;
        if (stdinSlot >= 0 && fds[stdinSlot].revents)
            readStdin();
        if (closed) {
            drainOpenEvents();
            closed = false; // the next poll tells whether the terminal really is open now
            continue;
        }
        const short ev = fds[masterSlot].revents;
        if (ev & POLLIN)
            readLine();
        if (ev & POLLHUP) {
            setConnected(false);
            // An open between the hang-up and this look has left its event behind: read the
            // events first, then look once more, so none is lost.
            drainOpenEvents();
            closed = nobodyHasTerminalOpen();
        }
    }
    logLine(QStringLiteral("stopping"));
}
