#pragma once

#include "data/image.h"

#include <cstdint>
#include <vector>

// What a transfer does with the module's configuration memory.
enum class TransferKind { Read, Verify, Store };

// Where a read, verify or store stands, apart from the exchange that moves it: the list of
// addresses and the position in it, the attempts at the current byte, the block since the last
// good probe, a read's staged copy of the image, the image a store sends, the bytes a verify
// found different and the bytes a store's read-back found wrong. No port and no clock.
//
// Replies carry no address, so nothing is final until the module's identify answer has come back
// in its place after it: a transfer goes in blocks, each closed by such a probe. A block whose
// probe (or one of whose windows) went wrong is done again from its first byte; its results are
// taken back first.
class TransferProgress {
public:
    // A store writes its list, then reads it back and compares; bytes that differ are written
    // again and read back once more.
    enum class Pass { Main, ReadBack, Rewrite };

    struct Difference {
        int address = 0;
        std::uint8_t imageValue = 0;
        std::uint8_t moduleValue = 0;
    };

    static constexpr int kAttempts = 3;
    // A block whose probe keeps failing fails the transfer on its fifth try.
    static constexpr int kBlockAttempts = 5;
    static constexpr int kCautiousRedos = 8;
    // The capacity is asked until two answers agree, at most this often.
    static constexpr int kCapacityAttempts = 4;
    // Bytes between two probes. A probe is one identify exchange (one tick, or 12 bytes on the
    // wire against a byte's 9), so at every clock and with the fast link the probes cost 1 to
    // 1.5 % of a clean transfer.
    static constexpr int kBlockLength = 128;

    // Addresses 1..end. A read stages its bytes over a copy of `image`, so that a broken read
    // leaves the user's configuration as it was.
    void startRead(const Image& image, int end);
    void startVerify(int end);
    // One write per entry, in order, of the bytes `image` holds now: an edit made while the
    // store runs is not sent. With `readBack` every entry is then read back and compared.
    void startStore(std::vector<std::uint32_t> addresses, const Image& image = Image{},
                    bool readBack = false);
    // Only the capacity query that opens a store of the whole configuration, asked until two
    // answers agree.
    void startCapacity();
    bool capacityOnly() const { return m_capacityOnly; }
    // The module has reported its capacity: the read or verify ends at its last byte.
    void setEnd(int end);

    TransferKind kind() const { return m_kind; }
    Pass pass() const { return m_pass; }
    // The current entry is sent as a write (else as a read).
    bool writing() const { return m_kind == TransferKind::Store && m_pass != Pass::ReadBack; }
    // Read and verify count addresses from 1, a store's passes count list entries from 0.
    int position() const { return m_position; }
    int retries() const { return m_retries; }
    bool finished() const { return m_position > m_end; }
    // The last position: a read's last address.
    int end() const { return m_end; }

    // The address the current byte lives at, or -1 when position, end or list would take the
    // transfer outside the image: such a transfer fails instead of sending anything.
    int address() const;
    // What a write of the current entry carries: the image as it was when the store started.
    std::uint8_t valueToWrite() const;
    const Image& sentImage() const { return m_image; }
    const std::vector<std::uint32_t>& storeList() const { return m_storeList; }
    bool readsBack() const { return m_readBack; }

    // The current byte came: a read stages `value`, a verify compares it with `image`, a
    // read-back with what was sent. Both this and acknowledge() return the progress with the
    // byte done, and move on to the next.
    int accept(std::uint8_t value, const Image& image);
    // The module acknowledged the store's current byte.
    int acknowledge() { return advance(); }
    // The current byte got no reply: true while it has another attempt.
    bool retry() { return ++m_retries < kAttempts; }
    // An attempt has gone wrong at the current byte: its next command waits for a quiet line.
    bool irregular() const { return m_retries > 0; }
    void attemptSent() { ++m_sent; }
    int attemptsSent() const { return m_sent; }
    // The capacity query is done: the first byte starts with fresh attempts.
    void restartAttempts();

    // Capacity answers: true once two of them agree.
    bool capacityAnswer(int count);
    // The differing answers so far.
    const std::vector<int>& capacityAnswers() const { return m_answers; }

    // The probe is due: the block is full or the pass is at its end.
    bool probeDue() const { return m_position >= m_blockLimit || finished(); }
    // The probe came back right: the block stands and the next one begins.
    void blockConfirmed();
    // Something went wrong in the block (a bad probe, a window with a stray reply in it): back to
    // its first byte, with what it found taken back. The block done again ends with the byte
    // at which it went wrong, so that a run of stray replies costs short blocks, not whole ones.
    // False once the block has had its tries. A redo out of caution (nothing went wrong for
    // certain, bytes were only thrown away) has tries of its own, so that a slow PC that misses
    // windows costs time, not the transfer.
    bool redoBlock(bool cautious = false);
    int blockTries() const { return m_blockTries; }
    // No byte since the last good probe (the transfer's first probe closes such a block).
    bool blockEmpty() const { return m_position == m_blockStart; }
    // Addresses of the current block, first and last, for the failure report.
    int blockFirstAddress() const;
    int blockLastAddress() const;
    // The pass is over and its last block confirmed: a store goes on to its read-back or to
    // writing again what the read-back found wrong. False when the transfer is complete.
    bool nextPass();
    // A store's read-back found these still wrong after its last round.
    const std::vector<Difference>& mismatches() const { return m_mismatches; }

    const std::vector<Difference>& differences() const { return m_differences; }
    // Progress of the whole transfer, 0..100.
    int percentDone() const;

    // 100 * position / end, halves to even; 100 when the end is not positive.
    static int percent(int position, int end);

private:
    void start(TransferKind kind, int position, int end);
    void startPass(Pass pass, std::vector<std::uint32_t> list);
    int advance();
    int entryAddress(int position) const;
    int total() const;

    TransferKind m_kind = TransferKind::Read;
    bool m_capacityOnly = false;
    Pass m_pass = Pass::Main;
    int m_position = 0;
    int m_end = 0;
    int m_retries = 0;
    int m_sent = 0;
    std::vector<std::uint32_t> m_addresses; // the store pass's list
    std::vector<std::uint32_t> m_storeList; // the store's whole list
    bool m_readBack = false;
    Image m_image{}; // read: the staged bytes; store: the bytes sent
    std::vector<Difference> m_differences;
    std::vector<Difference> m_mismatches;
    int m_round = 0;
    // Block bookkeeping.
    int m_blockStart = 0;
    int m_blockLimit = kBlockLength; // the probe goes out before this position
    int m_blockTries = 1;
    int m_cautiousRedos = 0;
    std::size_t m_differencesMark = 0;
    std::size_t m_mismatchesMark = 0;
    int m_passBase = 0; // entries of the passes before this one
    // Capacity answers while none agree.
    std::vector<int> m_answers;
};
