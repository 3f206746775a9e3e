#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// What the link engine made of the line, for a trace of it: a command's reply taken, an attempt
// that went wrong and is tried again, a probe closing a block, a block done again, and the line
// quiet again after a wrong turn. `address` is the byte concerned, -1 when none.
enum class LinkNote { ReplyTaken, Retry, Probe, ProbeAnswered, BlockRedone, LineQuiet, Failed };

// Whether the serial driver hands each received byte over at once. USB serial adapters hold what
// they receive until their latency timer fires (16 ms by default), which slows every exchange.
enum class LowLatency {
    NotAsked,    // no port open, or a line that has no such setting
    On,          // the driver was asked and took it
    Unsupported, // the driver refused (a pseudo-terminal, a plain UART): nothing changed
    NotAvailable // this system offers no such request: the adapter's own settings decide
};

// The serial line as the link engine sees it. The real port wraps QSerialPort; tests use an
// in-memory port.
class BytePort {
public:
    virtual ~BytePort() = default;
    // Opens "COM" + n; false when the device is missing or busy (no port is open then).
    virtual bool open(int portNumber) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // One write; failures and short writes are not reported, as the module's replies tell.
    virtual void send(const QByteArray& bytes) = 0;
    virtual qint64 bytesWaiting() = 0;
    virtual void discardInput() = 0;
    virtual QByteArray read(qint64 count) = 0;
    // Opens again the port last asked for when it is not open: it was lost (unplugged) or
    // missing when asked for. True when it is open. Closing by the caller ends the retries.
    virtual bool reopenIfLost() { return isOpen(); }
    // Why the last open failed and what to do about it; empty when nothing more is known.
    virtual QString openErrorText() const { return QString(); }
    // Of the port as opened last.
    virtual LowLatency lowLatency() const { return LowLatency::NotAsked; }
    // The engine says what it made of the bytes; a port that keeps a trace writes it down.
    virtual void note(LinkNote /*what*/, int /*address*/) {}

    // Called when bytes have arrived, for an owner that answers at once (fast link). A port that
    // cannot tell never calls it; the owner's timer still finds the bytes.
    void setArrivalHandler(std::function<void()> handler) { m_arrival = std::move(handler); }

protected:
    void notifyArrival() {
        if (m_arrival)
            m_arrival();
    }

private:
    std::function<void()> m_arrival;
};

// Bytes received and not yet consumed. The receive step runs first in every tick and keeps the
// buffer bounded: a flood (more than 100 bytes waiting) is thrown away whole, and a buffer that
// has grown past 200 bytes is emptied before new bytes are added.
class ReceiveBuffer {
public:
    static constexpr qint64 kQueueLimit = 100;
    static constexpr int kBufferLimit = 200;

    // Returns how many bytes arrived, a flood that was thrown away included.
    qint64 receiveStep(BytePort& port);
    void clear() { m_bytes.clear(); }
    const QByteArray& bytes() const { return m_bytes; }
    int size() const { return static_cast<int>(m_bytes.size()); }

private:
    QByteArray m_bytes;
};
