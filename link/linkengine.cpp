#include "link/linkengine.h"

#include "link/protocol.h"
#include "link/transfers.h"

using transfers::lastConfigAddress;
using S = LinkState;

// The reply a fast arrival may complete in a state, and so act on at once.
enum class Awaited { Nothing, IdentCapacity, Capacity, ReadByte, WriteAck, Probe };

// One row per state that does something: its action on a tick, the state the documented count
// of a reply window moves to on the next tick (itself at the window's last), and the reply a
// fast arrival may complete in it.
struct LinkEngine::StateRow {
    S state;
    void (LinkEngine::*tick)();
    S next;
    Awaited awaited;
};

const LinkEngine::StateRow& LinkEngine::rowOf(LinkState state) {
    using E = LinkEngine;
    using A = Awaited;
    static const StateRow kRows[] = {
        {S::IdentifySettle, &E::tickIdentifySettle, S::IdentifySettle, A::Nothing},
        {S::IdentifyWait1, &E::tickIdentify, S::IdentifyWait2, A::Nothing},
        {S::IdentifyWait2, &E::tickIdentify, S::IdentifyWait2, A::Nothing},
        {S::IdentCapacityWait1, &E::tickIdentCapacity, S::IdentCapacityWait2, A::IdentCapacity},
        {S::IdentCapacityWait2, &E::tickIdentCapacity, S::IdentCapacityWait2, A::IdentCapacity},
        {S::CapacitySend, &E::tickCapacitySend, S::CapacitySend, A::Nothing},
        {S::CapacityWait1, &E::tickCapacity, S::CapacityWait2, A::Capacity},
        {S::CapacityWait2, &E::tickCapacity, S::CapacityWait2, A::Capacity},
        {S::ReadSend, &E::tickReadSend, S::ReadSend, A::Nothing},
        {S::ReadWait1, &E::tickRead, S::ReadWait2, A::ReadByte},
        {S::ReadWait2, &E::tickRead, S::ReadWait3, A::ReadByte},
        {S::ReadWait3, &E::tickRead, S::ReadWait3, A::ReadByte},
        {S::WriteSend, &E::tickWriteSend, S::WriteSend, A::Nothing},
        {S::WriteWait1, &E::tickWrite, S::WriteWait2, A::WriteAck},
        {S::WriteWait2, &E::tickWrite, S::WriteWait3, A::WriteAck},
        {S::WriteWait3, &E::tickWrite, S::WriteWait3, A::WriteAck},
        {S::ProbeSend, &E::tickProbeSend, S::ProbeSend, A::Nothing},
        {S::ProbeWait1, &E::tickProbe, S::ProbeWait2, A::Probe},
        {S::ProbeWait2, &E::tickProbe, S::ProbeWait2, A::Probe},
        {S::StatusSend, &E::tickStatusSend, S::StatusSend, A::Nothing},
        {S::StatusWait1, &E::tickStatusFirstWait, S::StatusWait2, A::Nothing},
        {S::StatusWait2, &E::tickStatusLastWait, S::StatusLook, A::Nothing},
        {S::StatusLook, &E::tickStatusLook, S::StatusLook, A::Nothing},
        {S::ExpStatusSend, &E::tickExpStatusSend, S::ExpStatusSend, A::Nothing},
        {S::ExpStatusWait1, &E::tickStatusFirstWait, S::ExpStatusWait2, A::Nothing},
        {S::ExpStatusWait2, &E::tickStatusLastWait, S::ExpStatusLook, A::Nothing},
        {S::ExpStatusLook, &E::tickExpStatusLook, S::ExpStatusLook, A::Nothing},
        {S::PreparedSend, &E::tickPrepared, S::PreparedSend, A::Nothing},
        {S::SimulationSend, &E::tickSimulationSend, S::SimulationSend, A::Nothing},
        {S::SimulationWait, &E::tickSimulationWait, S::SimulationWait, A::Nothing},
    };
    // Idle, the gaps and the states that exist only inside a tick do nothing.
    static const StateRow kNothing{S::Idle, nullptr, S::Idle, A::Nothing};
    for (const StateRow& row : kRows)
        if (row.state == state)
            return row;
    return kNothing;
}

LinkEngine::LinkEngine(ConfigStore& store, BytePort& port, QObject* parent)
    : QObject(parent), m_store(store), m_port(port) {}

// ---- starters

bool LinkEngine::startIdentify() {
    if (!isIdle())
        return false;
    m_identifyTries = 1;
    m_identifyGarbled = false;
    // What waits from before (a stopped transfer's answers) would stand before the answer.
    if (m_port.isOpen())
        m_port.discardInput();
    m_rx.clear();
    send(protocol::identifyCommand());
    setIdentified(std::nullopt);
    startWait(S::IdentifyWait1);
    return true;
}

bool LinkEngine::startCapacityQuery() {
    if (!isIdle())
        return false;
    sendIdentCapacityQuery();
    return true;
}

// The capacity query after "Test comm" (or alone): no transfer's rules, two ticks to answer.
void LinkEngine::sendIdentCapacityQuery() {
    send(protocol::capacityCommand());
    m_rx.clear();
    startWait(S::IdentCapacityWait1);
}

bool LinkEngine::beginTransfer() {
    if (!isIdle())
        return false;
    m_transfer.beginNew();
    m_timingProbe = false;
    setProgress(0);
    // A clean start: answers to whatever came before (a stopped transfer, a poll) are thrown
    // away, and the first command waits for a reply window without a byte.
    if (m_port.isOpen())
        m_port.discardInput();
    m_rx.clear();
    m_line.startTransfer();
    return true;
}

bool LinkEngine::startStoreCapacityQuery() {
    if (!beginTransfer())
        return false;
    m_transfer.startCapacity();
    m_state = S::CapacitySend;
    return true;
}

bool LinkEngine::startRead(bool commit) {
    if (!beginTransfer())
        return false;
    m_transfer.setHandOver(commit);
    m_transfer.startRead(m_store.image, lastConfigAddress(m_store.routeCapacity));
    m_state = S::CapacitySend;
    emit transferStarted(TransferKind::Read);
    return true;
}

bool LinkEngine::startVerify() {
    if (!beginTransfer())
        return false;
    m_transfer.startVerify(lastConfigAddress(m_store.routeCapacity));
    m_state = S::CapacitySend;
    emit transferStarted(TransferKind::Verify);
    return true;
}

bool LinkEngine::startStore(std::vector<std::uint32_t> addresses, bool readBack) {
    if (!isIdle() || addresses.empty() || !RunningTransfer::storable(addresses))
        return false;
    beginTransfer();
    // The image as it is now is what goes to the module, whatever is edited meanwhile.
    m_transfer.startStore(std::move(addresses), m_store.image, readBack);
    m_state = S::ProbeSend;
    emit transferStarted(TransferKind::Store);
    return true;
}

bool LinkEngine::startStatusPoll() {
    if (!isIdle())
        return false;
    m_state = S::StatusSend;
    return true;
}

bool LinkEngine::stopStatusPoll() {
    // 30..34: the main poll and the unused state after it.
    if (!stateWithin(m_state, S::StatusSend, S::StatusLook))
        return false;
    m_state = S::Idle;
    unsettle();
    return true;
}

bool LinkEngine::startExpansionStatusPoll() {
    if (!isIdle())
        return false;
    m_state = S::ExpStatusSend;
    return true;
}

bool LinkEngine::stopExpansionStatusPoll() {
    // 30..39: either poll; the expansion window's switch also ends a main poll.
    if (!stateWithin(m_state, S::StatusSend, S::ExpStatusLook))
        return false;
    m_state = S::Idle;
    unsettle();
    return true;
}

bool LinkEngine::prepareCommand(const QByteArray& command) {
    m_prepared = command;
    if (!isIdle())
        return false;
    m_state = S::PreparedSend;
    return true;
}

bool LinkEngine::requestSimulationFrame() {
    if (!isIdle() && m_state != S::SimulationWait)
        return false;
    m_state = S::SimulationSend;
    return true;
}

bool LinkEngine::endSimulation() {
    if (m_state != S::SimulationSend && m_state != S::SimulationWait)
        return false;
    m_state = S::Idle;
    unsettle();
    return true;
}

void LinkEngine::messageClosed(Message message) {
    // After the version warning the two waiting ticks have usually run out while the box was
    // open; the query is repeated now unless something else has taken the link meanwhile.
    if (message == Message::VersionWarning &&
        (isIdle() || stateWithin(m_state, S::IdentCapacityWait1, S::IdentCapacityWait2)))
        sendIdentCapacityQuery();
    emit messageDone(message);
}

// ---- the tick

void LinkEngine::tick() {
    checkPort();
    m_line.ticked(m_rx.receiveStep(m_port) > 0);
    const StateRow& row = rowOf(m_state);
    if (row.tick)
        (this->*row.tick)();
}

// A port that went away (unplugged) ends a transfer at once and says why, instead of leaving it
// to time-outs that would blame the module.
void LinkEngine::checkPort() {
    const bool open = m_port.isOpen();
    const bool lost = m_portWasOpen && !open;
    m_portWasOpen = open;
    if (lost)
        emit portLost();
    if (!open && transferRunning())
        fail(RunningTransfer::failureAt(TransferFailure::Where::PortGone));
}

// ---- a transfer that failed

void LinkEngine::fail(const TransferFailure& failure) {
    m_port.note(LinkNote::Failed, failure.address > 0 ? failure.address : -1);
    m_transfer.failed(failure);
    m_state = S::Idle;
    unsettle();
    endTransfer(false);
    emit message(m_transfer.kind() == TransferKind::Store ? Message::WriteError
                                                          : Message::ReadError);
}

void LinkEngine::endTransfer(bool ok) {
    emit transferFinished(m_transfer.kind(), ok);
}

// ---- waiting

void LinkEngine::startWait(LinkState firstWaitState) {
    m_line.startWait();
    m_state = firstWaitState;
}

void LinkEngine::advanceWait() {
    m_state = rowOf(m_state).next;
}

// One tick of a reply window: the documented states advance as ever, the last one is held while
// a short clock still owes the window ticks. True when this is the window's last look.
bool LinkEngine::waitTick(int documentedTicks, int exchangeBytes) {
    // A look on arrival is not a tick: the window neither moves nor ends.
    if (m_onArrival)
        return false;
    advanceWait();
    // A retry waits the normal window: a module slower than the fast window still gets its
    // answers in, and the transfer then goes on at the normal pace.
    const bool retrying =
        transferRunning() && (m_transfer.retries() > 0 || m_transfer.blockTries() > 1);
    return m_line.windowTick(documentedTicks, exchangeBytes, fastActive() && !retrying);
}

// ---- fast link

void LinkEngine::dataArrived() {
    const StateRow& row = rowOf(m_state);
    if (row.awaited == Awaited::Nothing)
        return;
    // Taken now at any pace, so that a reply is timed when it comes, not at the next tick: one
    // that comes sooner than the wire allows is stray.
    if (m_rx.receiveStep(m_port) <= 0)
        return;
    m_line.arrived();
    if (!fastActive())
        return;
    // After a wrong turn the quiet rules need the tick's count of silence.
    if (row.awaited != Awaited::IdentCapacity && !lineRegular())
        return;
    if (!replyComplete(row))
        return; // a part, or something wrong: the next tick judges it
    m_onArrival = true;
    (this->*row.tick)();
    m_onArrival = false;
}

// Exactly one whole reply of the kind the state awaits is in the buffer.
bool LinkEngine::replyComplete(const StateRow& row) const {
    std::uint8_t value = 0;
    switch (row.awaited) {
    case Awaited::IdentCapacity:
        return protocol::matchCapacity(m_rx.bytes(), value);
    case Awaited::Capacity:
        return protocol::matchSingleReply(m_rx.bytes(), value);
    case Awaited::ReadByte:
        return protocol::matchReadByte(m_rx.bytes(), value);
    case Awaited::Probe:
        return m_transfer.knownAnswer(m_rx.bytes());
    case Awaited::WriteAck:
        return protocol::matchWriteAck(m_rx.bytes());
    case Awaited::Nothing:
        break;
    }
    return false;
}

bool LinkEngine::lineRegular() const {
    return !m_transfer.irregular() && m_line.settled();
}

void LinkEngine::unsettle() {
    m_line.unsettle();
}

// ---- helpers

void LinkEngine::send(const QByteArray& bytes) {
    m_port.send(bytes);
}

void LinkEngine::setIdentified(const std::optional<protocol::IdentifyReply>& reply) {
    if (reply == m_identified)
        return;
    m_identified = reply;
    emit identifyReplyChanged();
}

void LinkEngine::setCapacity(int count) {
    m_store.routeCapacity = count;
    m_reportedCapacity = count;
    emit capacityLearned(count);
}

void LinkEngine::setProgress(int percent) {
    if (m_transfer.setProgress(percent))
        emit progressChanged(percent);
}

void LinkEngine::advanceProgress(int percent) {
    if (m_transfer.moveProgress(percent))
        emit progressChanged(percent);
}
