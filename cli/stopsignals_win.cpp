#include "cli/stopsignals.h"

#include <QMetaObject>

#include <atomic>
#include <csignal>
#include <windows.h>

namespace {
std::atomic<int> g_signal{0};
std::atomic<StopSignals*> g_instance{nullptr};

// Runs on a thread of its own that the system starts; a queued call is safe from any thread.
BOOL WINAPI onConsoleEvent(DWORD event) {
    const int number = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    int none = 0;
    if (!g_signal.compare_exchange_strong(none, number))
        return FALSE; // the second one: the system's default ends the program
    if (StopSignals* s = g_instance.load())
        QMetaObject::invokeMethod(s, "wake", Qt::QueuedConnection);
    return TRUE;
}
} // namespace

StopSignals::StopSignals(std::function<void()> onStop, QObject* parent)
    : QObject(parent), m_onStop(std::move(onStop)) {
    g_signal = 0;
    g_instance = this;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

StopSignals::~StopSignals() {
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    g_instance = nullptr;
}

int StopSignals::signalNumber() const {
    return g_signal;
}

void StopSignals::wake() {
    if (m_onStop)
        m_onStop();
}
