#pragma once

#include "data/image.h"

#include <cstdint>
#include <vector>

// Where a read, verify or store stands, apart from the exchange that moves it: the position, the
// end, the store's address list, the attempts at the current byte, a read's staged copy of the
// image and the bytes a verify found different. No port and no clock.
class TransferProgress {
public:
    enum class Kind { Read, Verify, Store };

    struct Difference {
        int address = 0;
        std::uint8_t imageValue = 0;
        std::uint8_t moduleValue = 0;
    };

    static constexpr int kAttempts = 3;

    // Addresses 1..end. A read stages its bytes over a copy of `image`, so that a broken read
    // leaves the user's configuration as it was.
    void startRead(const Image& image, int end);
    void startVerify(int end);
    // One write per entry, in order; the position indexes the list.
    void startStore(std::vector<std::uint32_t> addresses);
    // The module has reported its capacity: the read or verify ends at its last byte.
    void setEnd(int end) { m_end = end; }

    Kind kind() const { return m_kind; }
    int position() const { return m_position; }
    int retries() const { return m_retries; }
    bool finished() const { return m_position > m_end; }

    // The address the current byte lives at, or -1 when position, end or list would take the
    // transfer outside the image: such a transfer fails instead of sending anything.
    int address() const;

    // The current byte came: a read stages `value`, a verify compares it with `image`. Both this
    // and acknowledge() return the progress with the byte done, and move on to the next.
    int accept(std::uint8_t value, const Image& image);
    // The module acknowledged the store's current byte.
    int acknowledge() { return advance(); }
    // The current byte got no reply: true while it has another attempt.
    bool retry() { return ++m_retries < kAttempts; }

    // One whole reply came for the current byte (or for the capacity query before the first).
    // On a regular line it is taken at once. Once an attempt has gone wrong, a late answer to it
    // may still be on its way, so a value must come twice in a row from attempts sent after the
    // line fell quiet; a store, whose acknowledgement says nothing about the address, takes
    // the first such acknowledgement. A value that disagrees with the one waiting counts as a
    // failed attempt.
    enum class Verdict { Take, AskAgain, Fail };
    Verdict replied(std::uint8_t value);
    // An attempt has gone wrong at the current byte: its next command waits for a quiet line.
    bool irregular() const { return m_retries > 0; }
    void attemptSent() { ++m_sent; }
    int attemptsSent() const { return m_sent; }
    // The capacity query is done: the first byte starts with fresh attempts.
    void restartAttempts();

    const std::vector<Difference>& differences() const { return m_differences; }
    // The staged bytes 1..end of a complete read, into `image`.
    void commit(Image& image) const;

    // 100 * position / end, halves to even; 100 when the end is not positive.
    static int percent(int position, int end);

private:
    void start(Kind kind, int position, int end);
    int advance();

    Kind m_kind = Kind::Read;
    int m_position = 0;
    int m_end = 0;
    int m_retries = 0;
    int m_sent = 0;
    int m_waiting = -1; // value awaiting its confirmation, -1: none
    std::vector<std::uint32_t> m_addresses;
    Image m_staged{};
    std::vector<Difference> m_differences;
};
