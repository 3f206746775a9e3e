#pragma once

#include "data/image.h"
#include "link/transferprogress.h"

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <vector>

// Where a read, verify or store failed, for the details of its error box.
struct TransferFailure {
    enum class Where {
        Nothing,
        CapacityQuery, // no valid answer; or `answers` that never agreed
        CapacityRange, // `capacity` outside 20..100
        Byte,          // `address` without a reply after `attempts` commands
        Block,         // replies out of step in `address`..`lastAddress`, `attempts` tries
        Probe,         // the identify answer never came back in its place
        ReadBack,      // `address` still holds `moduleValue`, not `sentValue`
        PortGone,      // the serial port went away
        // The identify answer changed to `laterAnswer` from `firstAnswer`, twice alike:
        // another module, or the module started again.
        ModuleChanged,
        // Done, but the image holds active `routes` beyond the `capacity` the module
        // reports: a whole store did not send them, a verify did not compare them.
        RoutesLeftOut,
    };
    Where where = Where::Nothing;
    int address = 0;
    int attempts = 0; // commands sent for it (Block, Probe: tries of the block)
    int capacity = 0; // CapacityRange: the count the module reported
    int lastAddress = 0;
    int sentValue = 0;
    int moduleValue = 0;
    std::vector<int> answers; // CapacityQuery: the counts that came
    QByteArray firstAnswer;
    QByteArray laterAnswer;
    std::vector<int> routes;
    TransferKind kind = TransferKind::Read; // of the transfer that failed
};

// The read, verify or store in progress, apart from the line that carries it: its bookkeeping
// (TransferProgress: list, position, blocks, read-back, the image read or sent) and what its
// exchanges learned on the way: the identify answer its probes bring back, the writes the module
// acknowledged, the bytes that needed retries, the progress shown, and where it failed. No port,
// no clock, no link state: the engine tells it what came and acts on what it answers.
class RunningTransfer : public TransferProgress {
public:
    // The fast pace gives up after retries on this many bytes in a row, or on this many of the
    // last 64.
    static constexpr int kFastGiveUpRun = 3;
    static constexpr int kFastGiveUpMisses = 4;

    // A new transfer begins: nothing learned, acknowledged or failed yet. Call before a starter.
    void beginNew();
    // Every address of a store's list lies in the image.
    static bool storable(const std::vector<std::uint32_t>& addresses);
    // A read hands its bytes over when complete; else they stay in sentImage() only.
    void setHandOver(bool handOver) { m_handOver = handOver; }
    bool handsOver() const { return m_handOver; }

    // What the bytes in a probe's window make of it. `last`: the window's last look.
    enum class Probe {
        Waiting,       // may still become an identify answer
        Answered,      // the answer learned (or seen twice now): the block stands
        FirstAnswer,   // the first answer of all, after a block of no bytes: it stands for now
        OtherAnswer,   // an identify answer not (yet) the learned one: the block is done again
        ModuleChanged, // another answer came twice: another module
        NotAnAnswer,   // the block is done again
    };
    Probe judgeProbe(const QByteArray& bytes, bool last);
    // `bytes` are the answer learned, or before one is, an answer seen once already.
    bool knownAnswer(const QByteArray& bytes) const;
    // The identify answer two of its probes brought back; empty before.
    const QByteArray& identifyAnswer() const { return m_answer; }

    // A byte was taken after one attempt or (irregular) after more. With the fast pace on, too
    // many of the latter make it fall back to the normal pace for the rest of the transfer.
    void countIrregular(bool irregular, bool fast);
    bool fastFellBack() const { return m_fastFellBack; }

    void writeSent() { m_writeInFlight = true; }
    // The module acknowledged the current write: the progress with it done.
    int writeAcknowledged();
    // A store ended well: its read-back, if it had one, proved every byte.
    void storeDone();
    // A store's writes the module acknowledged, and whether one more was on its way (and may
    // have been carried out) when it ended.
    bool writeInFlight() const { return m_writeInFlight; }
    int writesDone() const;
    // Every write of the store was acknowledged: it was reading them back (or writing again
    // what the read-back found wrong), so only the proof is missing when it ends.
    bool writesComplete() const;
    // Its read-back proved every byte sent (sentImage(), the image as the store began).
    bool storeProven() const { return m_storeProven; }
    // A store's writes acknowledged, a read's or verify's bytes from address 1.
    int bytesDone() const;
    // The bytes the last complete read received.
    const Image& readImage() const { return sentImage(); }

    // The percentage shown; false when it stays as it was. A block done again does not move it
    // back.
    int progress() const { return m_progress; }
    bool setProgress(int percent);
    bool moveProgress(int percent) { return percent > m_progress && setProgress(percent); }

    // Failures of the transfer as it stands.
    TransferFailure byteFailure() const;
    // The current block's (`probeOnly`: a probe after no byte) after `attempts` tries.
    TransferFailure blockFailure(bool probeOnly, int attempts) const;
    TransferFailure capacityFailure() const;
    TransferFailure readBackFailure() const;
    // After judgeProbe() said ModuleChanged.
    TransferFailure moduleChangedFailure() const;
    // The active routes a whole store or a verify left out beyond `capacity`: `screen` is what
    // a verify compared with. `routes` is empty when none were, or when nothing was to cover them.
    TransferFailure leftOut(int capacity, const Image& screen) const;
    static TransferFailure failureAt(TransferFailure::Where where);
    void failed(const TransferFailure& failure);
    const TransferFailure& failure() const { return m_failure; }

private:
    Probe identifyAnswerSeen(const QByteArray& answer);

    bool m_handOver = true;
    QByteArray m_answer; // the module's identify answer, once two probes brought it back
    // Identify answers not (yet) seen twice: before one is learned, or after it changed.
    QList<QByteArray> m_otherAnswers;
    QByteArray m_changedTo; // ModuleChanged: the other answer
    bool m_fastFellBack = false;
    int m_irregularRun = 0;              // bytes in a row that needed more than one attempt
    std::uint64_t m_recentIrregular = 0; // one bit a byte, the latest lowest
    bool m_writeInFlight = false;        // a write went out and was not acknowledged yet
    int m_writesAcked = 0;               // entries of the store's list the module acknowledged
    bool m_storeProven = false;
    int m_progress = 0;
    TransferFailure m_failure;
};
