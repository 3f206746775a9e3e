#pragma once

#include "data/configstore.h"
#include "link/byteport.h"
#include "link/linkstate.h"
#include "link/protocol.h"
#include "link/quietline.h"
#include "link/transferprogress.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

// The only code that talks to the module. The link state (LinkState) says what the next tick
// does; every exchange is one command and at most one awaited reply, with time-outs counted in
// ticks. Nothing here sleeps, waits on the port or opens a window: the owner calls tick() from
// its timer (or a test calls it directly) and shows what the signals report.
//
// Starters (startIdentify, startRead, ..., requestSimulationFrame) may be called between ticks
// from any handler; they only prepare values and set the state, and refuse (return false) when
// the link is not in the state they start from.
class LinkEngine : public QObject {
    Q_OBJECT
public:
    // What the user must be told, in a modal box with one OK button.
    enum class Message {
        VersionWarning,  // warning; after it is closed the capacity query follows
        ReadError,       // warning; after it is closed the progress bar goes
        WriteError,      // warning; after it is closed the progress bar goes
        VerifyEqual,     // information
        VerifyDifferent, // information; differences() lists what differed
    };
    Q_ENUM(Message)

    using StatusValues = protocol::StatusValues;
    struct SimulationReply : protocol::SimulationValues {
        int replyCounter = 0; // never reset
    };
    using ByteDifference = TransferProgress::Difference;

    // The store's image is read (what a store sends, a verify compares) and its route capacity
    // is kept up to date; a read hands its bytes over through imageRead.
    LinkEngine(ConfigStore& store, BytePort& port, QObject* parent = nullptr);

    // One timer tick: the receive step, then the action of the state.
    void tick();

    // The interval at which the owner calls tick(). Waits are counted in ticks, but a reply
    // window is never shorter than its exchange takes on the wire plus a margin, so at a short
    // clock a wait lasts more ticks. 20 ms until set.
    void setTickInterval(int ms) { m_line.setTickInterval(ms); }

    // Fast link: during a read, verify or store (their capacity query and the capacity query
    // after "Test comm" included) the next command goes out as soon as the reply to the previous
    // one is complete, from dataArrived(), and a reply window lasts its wire time plus a margin
    // in milliseconds instead of whole ticks. Everything after an attempt went wrong stays
    // tick-driven. Off until set; status polls and simulation never change.
    void setFastLink(bool on) { m_fast = on; }
    bool fastLink() const { return m_fast; }
    // The owner calls it when the port says bytes arrived: takes them and, when they complete the
    // awaited reply on a regular line, does what the next tick would do with it. Nothing without
    // fast link.
    void dataArrived();
    // The running (or last) fast transfer went back to the normal pace after retries on
    // kFastGiveUpRun bytes in a row, or on kFastGiveUpMisses of the last 64.
    bool fastFellBack() const { return m_fastFellBack; }
    static constexpr int kFastGiveUpRun = 3;
    static constexpr int kFastGiveUpMisses = 4;
    // Milliseconds of a monotonic clock for the fast link windows; tests give the fake line's.
    void setClock(std::function<qint64()> nowMs) { m_line.setClock(std::move(nowMs)); }

    // ---- link state
    // Its documented number.
    int linkState() const { return stateNumber(m_state); }
    bool isIdle() const { return m_state == LinkState::Idle; }
    // 10..27: read, verify or store in progress (loading a data file must wait).
    bool transferRunning() const {
        return stateWithin(m_state, LinkState::CapacitySend, LinkState::ProbeWait2);
    }

    // ---- starters
    // "Test comm": from idle only. Discards what waits on the line, sends the identify command,
    // version text back to "??", state 5. When something else than an answer came, it asks
    // again on a quiet line (state 4), at most three times in all.
    bool startIdentify();
    // Whether the last "Test comm" heard bytes it could not take for an answer.
    bool identifyGarbled() const { return m_identifyGarbled; }
    // From idle: the capacity query alone, waited for as after "Test comm" (states 8, 9).
    bool startCapacityQuery();
    // From idle, before a store of the whole configuration: the capacity asked on a quiet line
    // until two answers agree, as a read asks it; fails with the store's box when it cannot,
    // or when the count is outside 20..100.
    bool startStoreCapacityQuery();

    // Every transfer starts on a quiet line (what waits is discarded, then one reply window
    // without a byte), and goes in blocks of bytes each closed by a probe, the identify command:
    // its answer back in its place proves that every reply of the block answered its own
    // command. A block whose probe (or one of whose windows) held anything else is done again.

    // From idle: capacity query, then addresses 1 .. last byte of the last route block. A read
    // fills a copy of the image and hands it over (imageRead) only when every byte came;
    // without `commit` nothing is handed over and the bytes stay in readImage() only (a copy
    // kept before a store overwrites the module).
    bool startRead(bool commit = true);
    bool startVerify();
    // From idle: one write per entry of the list, in order, of the image as it is now (edits
    // made meanwhile are not sent). With `readBack` every entry is then read back; a byte that
    // differs is written again, and still differing after three writes fails the store. Refused
    // for an empty list or an address outside the image.
    bool startStore(std::vector<std::uint32_t> addresses, bool readBack = true);
    // Ends a running read, verify or store at once: the link goes idle, the progress bar goes,
    // and no box follows. A read or verify leaves the image as it was; a store leaves the module
    // partly written. Emits transferCancelled, then transferFinished(kind, false).
    bool cancelTransfer();
    // A store's writes the module acknowledged, and whether one more was on its way (and may
    // have been carried out) when it ended.
    int writesDone() const;
    bool writeInFlight() const { return m_writeInFlight; }
    // Every write of the store was acknowledged: it was reading them back (or writing again
    // what the read-back found wrong), so only the proof is missing when it ends.
    bool writesComplete() const;
    // What the last store sent (the image as it was at its start), its list, and whether its
    // read-back proved every byte.
    const Image& sentImage() const { return m_transfer.sentImage(); }
    const std::vector<std::uint32_t>& storeList() const { return m_transfer.storeList(); }
    bool storeProven() const { return m_storeProven; }
    // The bytes the last complete read received.
    const Image& readImage() const { return m_transfer.sentImage(); }
    // The identify answer the running (or last) transfer's probes got back twice; empty before.
    const QByteArray& identifyAnswer() const { return m_probeAnswer; }

    // Main-module status poll: idle -> 30; stop: 30..34 -> idle.
    bool startStatusPoll();
    bool stopStatusPoll();
    // Expansion status poll: idle -> 35; stop: 30..39 -> idle (either poll).
    bool stopExpansionStatusPoll();
    bool startExpansionStatusPoll();

    // The command state 40 sends once, unanswered. prepareCommand stores it and, when the link
    // is idle, sets state 40; otherwise it stays prepared and is not sent (returns false).
    bool prepareCommand(const QByteArray& command);

    // Simulation: the eight data bytes go out as they are when state 42 is ticked.
    void setSimulationData(const std::array<std::uint8_t, 8>& data) { m_simData = data; }
    // 0 or 43 -> 42.
    bool requestSimulationFrame();
    // 42 or 43 -> idle; any other state is left alone so a running transfer is not cut short.
    bool endSimulation();

    // The user closed the box of this message: runs what follows it (the capacity query after
    // the version warning, hiding the progress bar after an error). A caller without boxes
    // calls it right after handling message().
    void messageClosed(Message message);

    // ---- values the windows read
    int retryCount() const { return m_transfer.retries(); }
    // Bytes of the running (or last) transfer already confirmed by the module.
    int transferDone() const;
    // Whether the last verify found every byte equal.
    bool matchFlag() const { return m_transfer.differences().empty(); }
    // Bytes the last verify found different, in address order.
    const std::vector<ByteDifference>& differences() const { return m_transfer.differences(); }

    StatusValues status() const { return m_status; }
    StatusValues expansionStatus() const { return m_expStatus; }
    SimulationReply simulationReply() const { return m_simReply; }

    QString versionText() const { return m_versionText; }      // LBverze1
    QString capacityText() const { return m_capacityText; }    // LBcestMax1
    int progress() const { return m_progress; }                // PBar1 position
    bool progressVisible() const { return m_progressVisible; } // PBar1 (LBbar1 follows it)

    // Where the last read, verify or store failed, for the details of its error box.
    struct Failure {
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
    Failure lastFailure() const { return m_failure; }

signals:
    void versionTextChanged(const QString& text);
    void capacityTextChanged(const QString& text);
    void progressChanged(int percent);
    void progressVisibleChanged(bool visible);
    // Emitted inside tick(): show the box later, never from the timer's own slot.
    void message(LinkEngine::Message message);
    // A read proved the module's bytes 1..`lastAddress`: `image` holds them over the image as it
    // was when the read started. Whoever owns the configuration takes them in; the engine
    // changes nothing of it.
    void imageRead(const Image& image, int lastAddress);
    // A starter began a read, verify or store.
    void transferStarted(TransferKind transfer);
    // A read, verify or store ended, successfully or not.
    void transferFinished(TransferKind transfer, bool ok);
    // cancelTransfer() ended it after `bytesDone` confirmed bytes.
    void transferCancelled(TransferKind transfer, int bytesDone);
    // The serial port went away (unplugged): what was known about the module is in doubt.
    void portLost();

private:
    struct StateRow;
    static const StateRow& rowOf(LinkState state);

    void send(const QByteArray& bytes);
    void setVersionText(const QString& text);
    void setCapacity(int count);
    void setProgress(int percent);
    void setProgressVisible(bool visible);
    bool beginTransfer();
    void endTransfer(bool ok);
    void fail(const Failure& failure);
    void failAt(Failure::Where where);
    void failCapacityQuery();
    void finishTransfer();
    void checkPort();
    bool lineRegular() const;
    void advanceProgress(int percent);
    void startWait(LinkState firstWaitState);
    // On to the next state of the documented count of a reply window (none after its last).
    void advanceWait();
    bool waitTick(int documentedTicks, int exchangeBytes);
    bool lineReady(LinkState sendState);
    void attemptFailed(LinkState sendState);
    void unsettle();
    void sendAttempt(const QByteArray& command, LinkState firstWaitState);
    void sendCapacityQuery();
    void sendReadRequest();
    void sendWriteRequest();
    void sendProbe();
    void sendNext();
    void sendIdentCapacityQuery();
    // The action of each state, one per row of the state table.
    void tickIdentify();
    void tickIdentifySettle();
    void tickIdentCapacity();
    void tickCapacitySend();
    void tickCapacity();
    void tickReadSend();
    void tickRead();
    void tickWriteSend();
    void tickWrite();
    void tickProbeSend();
    void tickProbe();
    void tickStatusSend();
    void tickExpStatusSend();
    void tickStatusFirstWait();
    void tickStatusLastWait();
    void tickStatusLook();
    void tickExpStatusLook();
    void tickPrepared();
    void tickSimulationSend();
    void tickSimulationWait();
    void settleAfter(LinkState sendState);
    void windowWentWrong(LinkState sendState);
    void blockWentWrong(bool atProbe);
    void redoCautiously();
    void replyCameEarly();
    void probeAnswered();
    void identifyAnswerSeen(const QByteArray& answer);
    void entryDone(bool irregular);
    bool routesLeftOut();
    bool fastActive() const { return m_fast && !m_fastFellBack; }
    bool replyComplete(const StateRow& row) const;
    void countIrregular(bool irregular);

    ConfigStore& m_store;
    BytePort& m_port;
    ReceiveBuffer m_rx;
    QuietLine m_line;

    LinkState m_state = LinkState::Idle;
    TransferProgress m_transfer;
    bool m_writeInFlight = false; // a write went out and was not acknowledged yet
    int m_writesAcked = 0;        // entries of the store's list the module acknowledged
    bool m_storeProven = false;
    bool m_commitRead = true;
    Failure m_failure;
    QByteArray m_probeAnswer; // the module's identify answer, once two probes brought it back
    // Identify answers not (yet) seen twice: before one is learned, or after it changed.
    QList<QByteArray> m_otherAnswers;
    int m_identifyTries = 0;
    bool m_identifyGarbled = false;
    bool m_portWasOpen = false;

    bool m_fast = false;
    bool m_fastFellBack = false;
    bool m_onArrival = false;            // inside dataArrived(): a look that is not a tick
    bool m_timingProbe = false;          // the probe in flight only times the line afresh
    int m_irregularRun = 0;              // bytes in a row that needed more than one attempt
    std::uint64_t m_recentIrregular = 0; // one bit a byte, the latest lowest

    StatusValues m_status;
    StatusValues m_expStatus;
    QByteArray m_prepared;
    std::array<std::uint8_t, 8> m_simData{};
    SimulationReply m_simReply;

    QString m_versionText = QStringLiteral("??");
    QString m_capacityText = QStringLiteral("??");
    int m_progress = 0;
    bool m_progressVisible = false;
};
