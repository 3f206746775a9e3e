#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

// Ctrl-C (SIGINT) and SIGTERM as an ordinary event. The signal handler only sets a flag and
// writes one byte into a pipe; a socket notifier on the pipe calls `onStop` from whatever event
// loop runs, so the link is stopped between two ticks and never from inside the handler. The
// handler takes one signal: a second Ctrl-C ends the program the hard way, should the clean
// stop ever hang. Elsewhere than on Unix it does nothing.
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
    void wake();

    std::function<void()> m_onStop;
    QSocketNotifier* m_notifier = nullptr;
};
