#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <functional>

class BytePort;
class LinkEngine;
class QTimer;

// The link's clock and its wiring to the port, in one place: the timer that ticks the engine
// (object name "Timer1") and its period, which also sizes the engine's reply windows; the fast
// link's road from the port's arrival of bytes to the engine; and the port opened again when an
// exchange starts after it was lost. The main window, LinkRunner and stavnikctl all tick the
// engine through it.
class LinkDriver : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultTickMs = 20;

    // Both must outlive the driver.
    LinkDriver(LinkEngine& engine, BytePort& port, QObject* parent = nullptr);
    ~LinkDriver() override;

    LinkEngine& engine() const { return m_engine; }
    BytePort& port() const { return m_port; }
    bool running() const;

    // The tick period in milliseconds: the timer's interval and the engine's reply windows.
    void setTickInterval(int ms);
    int tickInterval() const;
    // Fast link (the settings file's fastLink, the port dialog's check box, --fast).
    void setFastLink(bool on);
    bool fastLink() const;

    void start();
    void stop();
    // One tick, as the timer gives it: aboutToTick, the engine's tick, ticked.
    void tick();

    // Whether an exchange still runs when its port cannot be opened.
    enum class PortNeed { Required, Optional };
    // Starts an exchange (calls `exchange`): a port lost to an unplug (or missing when it was asked
    // for) is opened again first. When it still cannot be opened, portOpenFailed is emitted and the
    // exchange runs only when the port is optional for it.
    void run(const std::function<void()>& exchange, PortNeed need = PortNeed::Required);

signals:
    void aboutToTick();
    void ticked();
    void portOpenFailed();

private:
    LinkEngine& m_engine;
    BytePort& m_port;
    QTimer* m_timer;
    QElapsedTimer m_lastTimeout; // the timer's last tick taken
};
