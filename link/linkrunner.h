#pragma once

#include "link/linkdriver.h"
#include "link/linkengine.h"

#include <QList>

#include <functional>

class QEventLoop;

// Runs one exchange of a LinkEngine to its end without windows: starts it, lets the driver tick
// the engine at its interval (the same clock the main window gives it) inside a local event
// loop, and closes each box the engine asks for right after the tick that asked. For stavnikctl,
// benchmarks and end-to-end tests.
class LinkRunner {
public:
    explicit LinkRunner(LinkDriver& driver) : m_driver(driver), m_engine(driver.engine()) {}

    // Called after every tick (progress display, fault injection in tests).
    void setTickHook(std::function<void()> hook) { m_hook = std::move(hook); }

    // False when `start` refused (link not idle) or the exchange was still running after
    // `limitMs` (then the link state is left as it was).
    bool run(const std::function<bool(LinkEngine&)>& start, int limitMs = -1);
    // Ends the running exchange at once (a transfer is cancelled) and refuses every later run():
    // for Ctrl-C. Safe to call from the event loop run() spins.
    void cancel();
    bool cancelled() const { return m_cancelled; }

    // Of the last run.
    const QList<LinkEngine::Message>& messages() const { return m_messages; }
    bool transferOk() const { return m_transferOk; }
    int ticks() const { return m_ticks; }
    qint64 elapsedNs() const { return m_elapsedNs; }

private:
    LinkDriver& m_driver;
    LinkEngine& m_engine;
    std::function<void()> m_hook;
    QList<LinkEngine::Message> m_messages;
    bool m_transferOk = false;
    int m_ticks = 0;
    qint64 m_elapsedNs = 0;
    bool m_cancelled = false;
    QEventLoop* m_loop = nullptr; // while run() spins
};
