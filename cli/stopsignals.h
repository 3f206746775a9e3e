#pragma once

#include <QObject>

#include <functional>

// Ctrl-C (SIGINT) and SIGTERM (on Windows Ctrl-C, Ctrl-Break and the console's closing) as an
// ordinary event. The handler only notes the signal and wakes the event loop, which calls
// `onStop` from whatever loop runs, so the link is stopped between two ticks and never from
// inside the handler. The handler takes one signal: a second Ctrl-C ends the program the hard
// way, should the clean stop ever hang.
class StopSignals : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(std::function<void()> onStop, QObject* parent = nullptr);
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The signal that asked to stop, 0 when none came.
    int signalNumber() const;
    // The shell's convention: 128 + the signal (130 for Ctrl-C, 143 for SIGTERM).
    int exitCode() const { return 128 + signalNumber(); }

private:
    Q_INVOKABLE void wake();

    std::function<void()> m_onStop;
    QObject* m_notifier = nullptr; // what wakes the loop, where the system needs one
};
