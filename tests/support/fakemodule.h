#pragma once

// The one fake module of the tests: the emulator's own responder behind an in-memory serial
// line. Time on the line is a counter in milliseconds that moves by tickMs at every receive step
// (the engine runs one per tick) or by advance(); a reply becomes readable once its delays have
// passed, so latency, late, split and dropped replies behave as on a real line, tick for tick,
// without a wall clock. Faults hit chosen commands (stray replies included: stragglers, replies
// sent twice, noise); everything the tool sends is recorded.

#include "emu/stv2responder.h"
#include "link/byteport.h"

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <climits>
#include <functional>
#include <map>
#include <vector>

class FakeModule : public BytePort {
public:
    // Which commands a fault hits: those with `letter` (0: every command, simulation frames
    // included) and, when at() or from() narrows it, a read or write address in the range; of
    // these, the first `skip` pass untouched and the next `count` are hit (-1: all of them).
    struct Commands {
        char letter = 0;
        int first = 0;
        int last = INT_MAX;
        int skip = 0;
        int count = -1;

        Commands(char letter = 0) : letter(letter) {}
        Commands& at(int address) { return at(address, address); }
        Commands& at(int from, int to) {
            first = from;
            last = to;
            return *this;
        }
        Commands& from(int address) { return at(address, INT_MAX); }
        Commands& after(int n) {
            skip = n;
            return *this;
        }
        Commands& times(int n) {
            count = n;
            return *this;
        }
    };

    explicit FakeModule(const ResponderOptions& options = {}) : m_module(options) {}

    Stv2Responder& responder() { return m_module; }
    const Stv2Responder& responder() const { return m_module; }

    // ---- the line
    // Whether open() succeeds, as a device that exists and is free.
    void setPresent(bool present) { m_present = present; }
    bool open(int portNumber) override {
        m_opened.append(portNumber);
        return m_open = m_present;
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }

    void send(const QByteArray& bytes) override {
        if (!m_open)
            return;
        m_sent.append(bytes);
        // Held-back replies land first, alone in a receive step before this command's reply.
        int behind = 0;
        for (auto held = m_held.begin(); held != m_held.end();) {
            if (--held->commandsLeft > 0) {
                ++held;
                continue;
            }
            m_due.emplace(m_nowMs, held->bytes);
            behind = std::max(behind, m_tickMs + 1);
            held = m_held.erase(held);
        }
        for (Fault& f : m_faults)
            if (f.kind == Fault::Lose && f.hits(bytes))
                return;
        QList<ReplyChunk> reply = m_module.receive(bytes);
        for (Fault& f : m_faults) {
            if (f.kind == Fault::Lose || !f.hits(bytes))
                continue;
            if (f.kind == Fault::Straggle) {
                m_held.push_back({f.a, joined(reply)});
                reply.clear();
            } else if (f.kind == Fault::Extra) {
                m_due.emplace(m_nowMs + f.b, f.extra.isEmpty() ? joined(reply) : f.extra);
            } else {
                reply = f.apply(reply);
            }
        }
        qint64 due = m_nowMs + behind;
        qsizetype onWire = bytes.size();
        for (const ReplyChunk& c : reply) {
            due += c.delayMs;
            onWire += c.bytes.size();
            if (m_wireTime) // 9600 baud, ten bits a byte, rounded up to the clock's ms
                due = std::max(due, m_nowMs + (onWire * 10000 + 9599) / 9600);
            m_due.emplace(due, c.bytes);
        }
    }
    qint64 bytesWaiting() override {
        ++m_receiveSteps;
        if (!m_manualClock)
            advance(m_tickMs);
        return m_open ? m_inbox.size() : 0;
    }
    void discardInput() override {
        ++m_discards;
        m_inbox.clear();
    }
    QByteArray read(qint64 count) override {
        const QByteArray out = m_inbox.left(count);
        m_inbox.remove(0, out.size());
        return out;
    }

    // ---- time
    // How far the line's clock moves at each receive step; 0 leaves it to advance().
    void setTickMs(int ms) { m_tickMs = ms; }
    // Receive steps leave the clock alone: the test moves it with advance().
    void setManualClock(bool on) { m_manualClock = on; }
    // No reply is readable sooner than its command and its bytes take on the wire at 9600 baud.
    void setWireTime(bool on) { m_wireTime = on; }
    qsizetype waiting() const { return m_open ? m_inbox.size() : 0; }
    qint64 nowMs() const { return m_nowMs; }
    void advance(qint64 ms) {
        m_nowMs += ms;
        while (!m_due.empty() && m_due.begin()->first <= m_nowMs) {
            if (m_open)
                m_inbox += m_due.begin()->second;
            m_due.erase(m_due.begin());
        }
    }

    // ---- faults; each hits the replies to the commands `which` selects, in the order added
    void drop(const Commands& which) { add(which, Fault::Drop); }
    // The command never reaches the module: nothing is done and nothing answered.
    void lose(const Commands& which) { add(which, Fault::Lose); }
    // The reply comes `ms` later than the module would send it.
    void late(const Commands& which, int ms) { add(which, Fault::Late, ms); }
    // The reply arrives as its first `bytes` bytes and, `gapMs` later, the rest.
    void split(const Commands& which, int bytes, int gapMs) {
        add(which, Fault::Split, bytes, gapMs);
    }
    // The reply's bytes go through `change` (a damaged byte, a stray byte more, a wrong reply).
    void corrupt(const Commands& which, std::function<QByteArray(const QByteArray&)> change) {
        add(which, Fault::Corrupt).change = std::move(change);
    }
    // Stray replies. The reply is held back and arrives right after the `commands`-th command
    // sent after it, before that command's own reply (a straggler landing in the next window).
    void straggle(const Commands& which, int commands) { add(which, Fault::Straggle, commands); }
    // The reply comes once more, `ms` after the command.
    void duplicate(const Commands& which, int ms) { add(which, Fault::Extra, 0, ms); }
    // `bytes` of line noise arrive `ms` after the command.
    void noise(const Commands& which, const QByteArray& bytes, int ms) {
        add(which, Fault::Extra, 0, ms).extra = bytes;
    }
    // Bytes on their way already: readable `ms` from now, whatever is sent meanwhile.
    void arriveLater(const QByteArray& bytes, int ms) { m_due.emplace(m_nowMs + ms, bytes); }
    // The module answers `reply` instead, a frame spelled out byte by byte.
    void replyWith(const Commands& which, const QByteArray& reply) {
        corrupt(which, [reply](const QByteArray&) { return reply; });
    }
    // A silent module takes every command and answers none, as one with its transmitter broken.
    void setSilent(bool silent) { m_module.setSilent(silent); }
    // Bytes readable at the next receive step, whatever was sent: line noise, or a reply a test
    // spells out byte by byte.
    void inject(const QByteArray& bytes) { m_inbox += bytes; }

    // ---- what happened
    const QList<QByteArray>& sent() const { return m_sent; } // one entry per write, in order
    QByteArray sentBytes() const { return m_sent.join(); }
    QList<QByteArray> sentWithLetter(char letter) const {
        QList<QByteArray> out;
        for (const QByteArray& c : m_sent)
            if (c.size() >= 2 && c.size() != 10 && c.at(1) == letter)
                out.append(c);
        return out;
    }
    void clearSent() { m_sent.clear(); }
    static int addressOf(const QByteArray& c) {
        return static_cast<std::uint8_t>(c.at(2)) + 256 * static_cast<std::uint8_t>(c.at(3));
    }
    const QList<int>& openedNumbers() const { return m_opened; }
    int receiveSteps() const { return m_receiveSteps; }
    int discards() const { return m_discards; }

private:
    struct Fault {
        enum Kind { Drop, Lose, Late, Split, Corrupt, Straggle, Extra };
        Commands which;
        Kind kind;
        int a = 0;
        int b = 0;
        std::function<QByteArray(const QByteArray&)> change;
        int seen = 0;
        QByteArray extra;

        bool hits(const QByteArray& c) {
            const bool frame = c.size() == 10;
            if (which.letter && (frame || c.size() < 2 || c.at(1) != which.letter))
                return false;
            if (which.first != 0 || which.last != INT_MAX) {
                const bool addressed = c.size() == 7 && (c.at(1) == 'R' || c.at(1) == 'W');
                if (!addressed || addressOf(c) < which.first || addressOf(c) > which.last)
                    return false;
            }
            const int n = seen++;
            return n >= which.skip && (which.count < 0 || n < which.skip + which.count);
        }
        QList<ReplyChunk> apply(const QList<ReplyChunk>& reply) const {
            if (kind == Drop || reply.isEmpty())
                return {};
            if (kind == Late) {
                QList<ReplyChunk> out = reply;
                out.first().delayMs += a;
                return out;
            }
            const QByteArray bytes = joined(reply);
            const int delay = reply.first().delayMs;
            if (kind == Corrupt)
                return {{delay, change(bytes)}};
            if (bytes.size() <= a)
                return reply;
            return {{delay, bytes.left(a)}, {b, bytes.mid(a)}};
        }
    };

    Fault& add(const Commands& which, Fault::Kind kind, int a = 0, int b = 0) {
        m_faults.push_back({which, kind, a, b, {}, 0, {}});
        return m_faults.back();
    }
    static QByteArray joined(const QList<ReplyChunk>& reply) {
        QByteArray bytes;
        for (const ReplyChunk& c : reply)
            bytes += c.bytes;
        return bytes;
    }
    struct Held {
        int commandsLeft;
        QByteArray bytes;
    };

    Stv2Responder m_module;
    bool m_present = true;
    bool m_open = false;
    int m_tickMs = 20;
    bool m_manualClock = false;
    bool m_wireTime = false;
    qint64 m_nowMs = 0;
    std::multimap<qint64, QByteArray> m_due;
    QByteArray m_inbox;
    std::vector<Fault> m_faults;
    std::vector<Held> m_held;
    QList<QByteArray> m_sent;
    QList<int> m_opened;
    int m_receiveSteps = 0;
    int m_discards = 0;
};
