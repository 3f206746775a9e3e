#pragma once

#include "link/linkengine.h"

#include <QList>

#include <functional>

// Runs one exchange of a LinkEngine to its end without windows: starts it, ticks the engine
// from a precise timer at the tool's interval (the same clock the main window gives it) inside
// a local event loop, and closes each box the engine asks for right after the tick that asked.
// For stavnikctl, benchmarks and end-to-end tests.
class LinkRunner {
public:
    // The engine is told the interval too: it sizes its reply windows by it.
    explicit LinkRunner(LinkEngine& engine, int tickMs = 20) : m_engine(engine), m_tick(tickMs) {
        m_engine.setTickInterval(tickMs);
    }

    void setTickInterval(int ms) {
        m_tick = ms;
        m_engine.setTickInterval(ms);
    }
    // Called after every tick (progress display, fault injection in tests).
    void setTickHook(std::function<void()> hook) { m_hook = std::move(hook); }

    // False when `start` refused (link not idle) or the exchange was still running after
    // `limitMs` (then the link state is left as it was).
    bool run(const std::function<bool(LinkEngine&)>& start, int limitMs = -1);
    // Ends the running exchange at the next tick (a transfer is cancelled at once) and refuses
    // every later run(): for Ctrl-C. Safe to call from the event loop run() spins.
    void cancel();
    bool cancelled() const { return m_cancelled; }

    // Of the last run.
    const QList<LinkEngine::Message>& messages() const { return m_messages; }
    bool transferOk() const { return m_transferOk; }
    int ticks() const { return m_ticks; }
    qint64 elapsedNs() const { return m_elapsedNs; }

private:
    LinkEngine& m_engine;
    int m_tick;
    std::function<void()> m_hook;
    QList<LinkEngine::Message> m_messages;
    bool m_transferOk = false;
    int m_ticks = 0;
    qint64 m_elapsedNs = 0;
    bool m_cancelled = false;
};
