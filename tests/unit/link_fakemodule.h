#pragma once

// An in-memory STV2 module behind a BytePort, for engine tests that must run without a clock:
// a reply becomes readable at the receive step `latency` steps after its command was sent
// (latency 1 = answered before the next tick). Faults are set per command letter.

#include "link/byteport.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class FakeModule : public BytePort {
public:
    std::array<std::uint8_t, 3004> memory{};
    std::uint8_t version = 0x30;
    char letter = 0; // revision letter; 0 = short identify reply
    std::uint8_t capacity = 90;
    std::array<std::uint8_t, 4> status{1, 2, 3, 4};
    std::array<std::uint8_t, 4> expansionStatus{5, 6, 7, 8};
    std::array<std::uint8_t, 9> simulationReply{0, 0x63, 0x05, 0, 0, 0, 0, 0, 0};
    int latency = 1;
    // Per-command latency; falls back to `latency` when unset or negative.
    std::function<int(const QByteArray&)> latencyOf;
    bool portOpen = true;
    bool silent = false;
    // Called for every command; returning false drops its reply. Lets a test fail exactly the
    // n-th read of address a, and so on.
    std::function<bool(const QByteArray&)> answer;
    // Replaces a reply before it is queued (corruption, splitting is done with latency).
    std::function<QByteArray(const QByteArray& command, const QByteArray& reply)> rewrite;

    QList<QByteArray> sent;
    int receiveSteps = 0;
    int discards = 0;

    bool open(int) override { return portOpen = true; }
    void close() override { portOpen = false; }
    bool isOpen() const override { return portOpen; }

    void send(const QByteArray& bytes) override {
        if (!portOpen)
            return;
        sent.append(bytes);
        if (silent || (answer && !answer(bytes)))
            return;
        QByteArray reply = replyTo(bytes);
        if (rewrite)
            reply = rewrite(bytes, reply);
        const int own = latencyOf ? latencyOf(bytes) : -1;
        const int delay = own >= 0 ? own : latency;
        if (!reply.isEmpty())
            m_pending.push_back({receiveSteps + delay, reply});
    }

    qint64 bytesWaiting() override {
        ++receiveSteps;
        for (auto it = m_pending.begin(); it != m_pending.end();) {
            if (it->due <= receiveSteps) {
                m_ready.append(it->bytes);
                it = m_pending.erase(it);
            } else {
                ++it;
            }
        }
        return m_ready.size();
    }
    void discardInput() override {
        ++discards;
        m_ready.clear();
    }
    QByteArray read(qint64 count) override {
        const QByteArray out = m_ready.left(count);
        m_ready.remove(0, count);
        return out;
    }

    // Bytes that arrive at the next receive step whatever was sent.
    void inject(const QByteArray& bytes) { m_ready.append(bytes); }

    QList<QByteArray> sentWithLetter(char letter) const {
        QList<QByteArray> out;
        for (const QByteArray& c : sent)
            if (c.size() >= 2 && c.at(1) == letter)
                out.append(c);
        return out;
    }
    static int addressOf(const QByteArray& c) {
        return static_cast<std::uint8_t>(c.at(2)) + 256 * static_cast<std::uint8_t>(c.at(3));
    }

    QByteArray replyTo(const QByteArray& c) {
        auto b = [](std::uint8_t v) { return static_cast<char>(v); };
        if (c == QByteArrayLiteral("@G0000* ")) {
            QByteArray r("S");
            r.append(b(version));
            if (letter)
                r.append(letter);
            return r + '*';
        }
        if (c.size() == 10 && c.at(0) == '@' && c.at(9) == '*') {
            QByteArray r;
            for (std::uint8_t v : simulationReply)
                r.append(b(v));
            return r + '*';
        }
        if (c.size() != 7 || c.at(0) != '@' || c.at(6) != '*')
            return {};
        const int address = addressOf(c);
        switch (c.at(1)) {
        case 'M':
            return QByteArray(1, b(capacity)) + '*';
        case 'R':
            return QByteArray(1, b(address < 3004 ? memory[address] : 0)) + '*';
        case 'W':
            if (address < 3004)
                memory[address] = static_cast<std::uint8_t>(c.at(4));
            return QByteArrayLiteral("Y*");
        case 'S':
        case 'U': {
            const auto& s = c.at(1) == 'S' ? status : expansionStatus;
            QByteArray r;
            for (std::uint8_t v : s)
                r.append(b(v));
            return r + '*';
        }
        default:
            return {};
        }
    }

private:
    struct Pending {
        int due;
        QByteArray bytes;
    };
    std::vector<Pending> m_pending; // kept in order of sending
    QByteArray m_ready;
};
