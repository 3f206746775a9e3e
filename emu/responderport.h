#pragma once

#include "emu/stv2responder.h"
#include "link/byteport.h"

#include <QByteArray>

#include <map>

// The virtual module as an in-memory serial port, for tests that drive the link engine without a
// pseudo-terminal. Time is a counter the test moves with advance(): a reply becomes readable
// when its chunk's delays have passed, so latency, late, split and dropped replies behave as on
// the line, tick for tick and without a wall clock. Pacing is not modelled.
class ResponderPort : public BytePort {
public:
    explicit ResponderPort(Stv2Responder& module) : m_module(module) {}

    // Whether open() succeeds (as a device that exists and is free).
    void setPresent(bool present) { m_present = present; }
    bool open(int) override { return m_open = m_present; }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }

    void send(const QByteArray& bytes) override {
        if (!m_open)
            return;
        m_sent += bytes;
        qint64 due = m_nowMs;
        for (const ReplyChunk& c : m_module.receive(bytes)) {
            due += c.delayMs;
            m_due.emplace(due, c.bytes);
        }
    }
    qint64 bytesWaiting() override {
        deliver();
        return m_open ? m_inbox.size() : 0;
    }
    void discardInput() override {
        deliver();
        m_inbox.clear();
    }
    QByteArray read(qint64 count) override {
        deliver();
        const QByteArray out = m_inbox.left(count);
        m_inbox.remove(0, out.size());
        return out;
    }

    void advance(qint64 ms) { m_nowMs += ms; }
    qint64 nowMs() const { return m_nowMs; }
    // Every byte the tool sent while the port was open, in order.
    const QByteArray& sent() const { return m_sent; }

private:
    void deliver() {
        while (!m_due.empty() && m_due.begin()->first <= m_nowMs) {
            if (m_open)
                m_inbox += m_due.begin()->second;
            m_due.erase(m_due.begin());
        }
    }

    Stv2Responder& m_module;
    bool m_present = true;
    bool m_open = false;
    qint64 m_nowMs = 0;
    std::multimap<qint64, QByteArray> m_due;
    QByteArray m_inbox;
    QByteArray m_sent;
};
