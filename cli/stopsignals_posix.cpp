#include "cli/stopsignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t g_signal = 0;
int g_pipe[2] = {-1, -1};
struct sigaction g_previous[2];
constexpr int kSignals[2] = {SIGINT, SIGTERM};

void onSignal(int number) {
    const int saved = errno;
    g_signal = number;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}
} // namespace

StopSignals::StopSignals(std::function<void()> onStop, QObject* parent)
    : QObject(parent), m_onStop(std::move(onStop)) {
    g_signal = 0;
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // without the pipe the signals keep their default: the program just ends
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    m_notifier = notifier;
    connect(notifier, &QSocketNotifier::activated, this, &StopSignals::wake);
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESETHAND;
    for (int i = 0; i < 2; ++i)
        ::sigaction(kSignals[i], &sa, &g_previous[i]);
}

StopSignals::~StopSignals() {
    if (!m_notifier)
        return;
    for (int i = 0; i < 2; ++i)
        ::sigaction(kSignals[i], &g_previous[i], nullptr);
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

int StopSignals::signalNumber() const {
    return g_signal;
}

void StopSignals::wake() {
    char buffer[16];
    while (::read(g_pipe[0], buffer, sizeof buffer) > 0) {
    }
    if (m_onStop)
        m_onStop();
}
