#pragma once

#include "data/configstore.h"
#include "link/byteport.h"
#include "link/linkstate.h"
#include "link/protocol.h"
#include "link/quietline.h"
#include "link/runningtransfer.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
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
        ReadError,       // warning; a read or verify failed (transfer().failure() says where)
        WriteError,      // warning; a store failed (transfer().failure() says where)
        VerifyEqual,     // information
        VerifyDifferent, // information; transfer().differences() lists what differed
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
    // forgets the identify answer, state 5. When something else than an answer came, it asks
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
    // without `commit` nothing is handed over and the bytes stay in transfer().readImage() only (a
    // copy kept before a store overwrites the module).
    bool startRead(bool commit = true);
    bool startVerify();
    // From idle: one write per entry of the list, in order, of the image as it is now (edits
    // made meanwhile are not sent). With `readBack` every entry is then read back; a byte that
    // differs is written again, and still differing after three writes fails the store. Refused
    // for an empty list or an address outside the image.
    bool startStore(std::vector<std::uint32_t> addresses, bool readBack = true);
    // Ends a running read, verify or store at once: the link goes idle and no box follows. A read
    // or verify leaves the image as it was; a store leaves the module partly written. Emits
    // transferCancelled, then transferFinished(kind, false).
    bool cancelTransfer();

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
    // the version warning), then says so (messageDone). A caller without boxes calls it right
    // after handling message().
    void messageClosed(Message message);

    // ---- values the windows read
    // The running (or last) read, verify or store: what it read, sent, found different, how
    // far it got, where it failed.
    const RunningTransfer& transfer() const { return m_transfer; }

    StatusValues status() const { return m_status; }
    StatusValues expansionStatus() const { return m_expStatus; }
    SimulationReply simulationReply() const { return m_simReply; }

    // The module's answer to the last "Test comm"; none from the start of the next one until
    // the module answers it.
    const std::optional<protocol::IdentifyReply>& identifyReply() const { return m_identified; }
    // The route capacity the module last reported; none before it first did.
    std::optional<int> reportedCapacity() const { return m_reportedCapacity; }
    // Of the running (or last) transfer, 0..100.
    int progress() const { return m_transfer.progress(); }

signals:
    // The identify answer was learned, or forgotten as a "Test comm" began.
    void identifyReplyChanged();
    // The module reported its route capacity.
    void capacityLearned(int count);
    void progressChanged(int percent);
    // Emitted inside tick(): show the box later, never from the timer's own slot.
    void message(LinkEngine::Message message);
    // The owner said the box of `message` was closed (messageClosed), and what follows it ran.
    void messageDone(LinkEngine::Message message);
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
    void setIdentified(const std::optional<protocol::IdentifyReply>& reply);
    void setCapacity(int count);
    void setProgress(int percent);
    bool beginTransfer();
    void endTransfer(bool ok);
    void fail(const TransferFailure& failure);
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
    void entryDone(bool irregular);
    bool routesLeftOut();
    bool fastActive() const { return m_fast && !m_transfer.fastFellBack(); }
    bool replyComplete(const StateRow& row) const;

    ConfigStore& m_store;
    BytePort& m_port;
    ReceiveBuffer m_rx;
    QuietLine m_line;

    LinkState m_state = LinkState::Idle;
    RunningTransfer m_transfer;
    int m_identifyTries = 0;
    bool m_identifyGarbled = false;
    bool m_portWasOpen = false;

    bool m_fast = false;
    bool m_onArrival = false;   // inside dataArrived(): a look that is not a tick
    bool m_timingProbe = false; // the probe in flight only times the line afresh

    StatusValues m_status;
    StatusValues m_expStatus;
    QByteArray m_prepared;
    std::array<std::uint8_t, 8> m_simData{};
    SimulationReply m_simReply;

    std::optional<protocol::IdentifyReply> m_identified;
    std::optional<int> m_reportedCapacity;
};
