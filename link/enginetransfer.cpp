// The link engine's transfers: the capacity query that opens them, the blocks of bytes each
// closed by a probe, the line kept quiet after a wrong turn, and the end of a read, verify or
// store.
#include "link/linkengine.h"

#include "link/protocol.h"
#include "link/transfers.h"

#include <algorithm>
#include <utility>

using transfers::capacityAccepted;
using transfers::lastConfigAddress;
using S = LinkState;

// ---- the transfer's line discipline

// Whether the transfer's next command may go out now: at once on a regular line, else only once
// no byte has come for a full reply window; what came meanwhile is thrown away. Thrown away
// inside a block, it may have been the reply that lines a shifted block up again: the block is
// done again.
bool LinkEngine::lineReady(LinkState sendState) {
    if (lineRegular())
        return true;
    switch (m_line.settleFor(m_line.lookTicks(3, QuietLine::kByteExchange))) {
    case QuietLine::Readiness::Ready:
        m_port.note(LinkNote::LineQuiet, -1);
        m_rx.clear();
        if (m_line.heardSinceRestart() && !m_transfer.blockEmpty()) {
            redoCautiously();
            return false;
        }
        return true;
    case QuietLine::Readiness::GaveUp:
        attemptFailed(sendState);
        return false;
    case QuietLine::Readiness::Waiting:
        break;
    }
    return false;
}

// The attempt at the current byte (or at the capacity, or the probe) went wrong: try again after
// a quiet spell, or fail when it was the last attempt.
void LinkEngine::attemptFailed(LinkState sendState) {
    m_line.restartQuiet();
    if (sendState == S::ProbeSend) {
        blockWentWrong(true);
        return;
    }
    m_port.note(LinkNote::Retry, sendState == S::CapacitySend ? -1 : m_transfer.address());
    if (sendState == S::CapacitySend) {
        m_transfer.retry();
        if (m_transfer.retries() >= TransferProgress::kCapacityAttempts ||
            m_transfer.attemptsSent() >= TransferProgress::kCapacityAttempts) {
            failCapacityQuery();
            return;
        }
        m_state = S::CapacitySend;
        return;
    }
    if (!m_transfer.retry()) {
        failAt(Failure::Where::Byte);
        return;
    }
    if (m_transfer.retries() == TransferProgress::kAttempts - 1)
        m_line.holdLastAttempt();
    m_state = sendState;
}

// A window ended without one whole reply. Silence is a lost or late answer: the byte is tried
// again. Bytes that are not one reply may be a stray reply, and the bytes taken before it in
// the block may have been shifted by it: the block is done again.
void LinkEngine::windowWentWrong(LinkState sendState) {
    if (sendState != S::CapacitySend && m_line.heard()) {
        blockWentWrong(false);
        return;
    }
    attemptFailed(sendState);
}

void LinkEngine::blockWentWrong(bool atProbe) {
    // The probe that opens a transfer closes a block of no bytes: it is simply asked again.
    const bool empty = atProbe && m_transfer.blockEmpty();
    Failure f;
    f.where = empty ? Failure::Where::Probe : Failure::Where::Block;
    f.address = std::max(0, m_transfer.blockFirstAddress());
    f.lastAddress = std::max(0, m_transfer.blockLastAddress());
    f.attempts = TransferProgress::kBlockAttempts;
    m_port.note(LinkNote::BlockRedone, f.address);
    m_line.awaitStragglers();
    countIrregular(true);
    if (!m_transfer.redoBlock()) {
        fail(f);
        return;
    }
    m_state = empty ? S::ProbeSend : m_transfer.writing() ? S::WriteSend : S::ReadSend;
}

// A reply came sooner than the wire allows: a stray one, or the line is quicker than the wire (a
// virtual module) and the proven answers that timed it came late on a busy machine. Either way
// the block is done again, and a probe first times the line afresh: a line that answers it
// sooner than the wire could is not judged by the wire any more.
void LinkEngine::replyCameEarly() {
    blockWentWrong(false);
    if (m_state == S::ReadSend || m_state == S::WriteSend) {
        m_state = S::ProbeSend;
        m_timingProbe = true;
    }
}

// Bytes were thrown away inside a block, most likely an answer that missed its window: the block
// is done again on the line just found quiet, without waiting for stragglers once more.
void LinkEngine::redoCautiously() {
    countIrregular(true);
    if (!m_transfer.redoBlock(true)) {
        Failure f;
        f.where = Failure::Where::Block;
        f.address = std::max(0, m_transfer.blockFirstAddress());
        f.lastAddress = std::max(0, m_transfer.blockLastAddress());
        f.attempts = TransferProgress::kCautiousRedos;
        fail(f);
        return;
    }
    m_state = m_transfer.writing() ? S::WriteSend : S::ReadSend;
}

// A byte that needed more than one attempt has been taken. Answers to its earlier attempts may
// still be on the way: the next command waits until the line has been quiet for as long as a
// straggler may come, or as this byte took when that was longer.
void LinkEngine::settleAfter(LinkState sendState) {
    m_line.settleAfterByte();
    m_state = sendState;
}

// One attempt of a transfer's exchange: the buffer emptied, the command out, its wait begun.
void LinkEngine::sendAttempt(const QByteArray& command, LinkState firstWaitState) {
    if (m_transfer.attemptsSent() == 0)
        m_line.startByte();
    m_rx.clear();
    // The window's clock starts before the command goes: a reply is never timed shorter than it
    // took.
    startWait(firstWaitState);
    send(command);
    m_transfer.attemptSent();
}

void LinkEngine::tickCapacitySend() {
    if (lineReady(S::CapacitySend))
        sendCapacityQuery();
}

void LinkEngine::tickReadSend() {
    if (lineReady(S::ReadSend))
        sendReadRequest();
}

void LinkEngine::tickWriteSend() {
    if (lineReady(S::WriteSend))
        sendWriteRequest();
}

void LinkEngine::tickProbeSend() {
    if (lineReady(S::ProbeSend))
        sendProbe();
}

// ---- the capacity query that starts a read, verify or whole store

void LinkEngine::sendCapacityQuery() {
    sendAttempt(protocol::capacityCommand(), S::CapacityWait1);
}

void LinkEngine::tickCapacity() {
    // A byte's window: a module that answers a byte in time is as quick with its capacity.
    const bool last = waitTick(3, QuietLine::kByteExchange);
    std::uint8_t count = 0;
    // Not timed: the capacity comes before any proven answer has shown the line's pace, and only
    // two answers that agree count anyway.
    if (!protocol::matchSingleReply(m_rx.bytes(), count)) {
        if (last || m_rx.size() >= 2)
            attemptFailed(S::CapacitySend);
        return;
    }
    m_port.note(LinkNote::ReplyTaken, -1);
    m_rx.clear();
    // A damaged count is as whole a reply as the right one: only two answers that agree count.
    if (!m_transfer.capacityAnswer(count)) {
        if (m_transfer.attemptsSent() >= TransferProgress::kCapacityAttempts) {
            failCapacityQuery();
            return;
        }
        m_state = S::CapacitySend;
        if (lineRegular())
            sendCapacityQuery();
        return;
    }
    setCapacity(count);
    const bool wholeStore = m_transfer.capacityOnly();
    if (!wholeStore)
        m_transfer.setEnd(lastConfigAddress(count));
    if (!capacityAccepted(count)) {
        Failure f;
        f.where = Failure::Where::CapacityRange;
        f.capacity = count;
        fail(f);
        return;
    }
    const bool irregular = m_transfer.irregular();
    m_transfer.restartAttempts();
    if (wholeStore)
        finishTransfer();
    else if (irregular)
        settleAfter(S::ProbeSend);
    else
        sendProbe();
}

void LinkEngine::failCapacityQuery() {
    Failure f;
    f.where = Failure::Where::CapacityQuery;
    f.attempts = m_transfer.attemptsSent();
    f.answers = m_transfer.capacityAnswers();
    fail(f);
}

// ---- probes

void LinkEngine::sendProbe() {
    m_port.note(LinkNote::Probe, -1);
    m_rx.clear();
    startWait(S::ProbeWait1);
    send(protocol::identifyCommand());
}

namespace {
// One identify answer, short or long form, and nothing else.
bool isIdentifyAnswer(const QByteArray& b) {
    return (b.size() == 3 && b.at(0) == 'S' && b.at(2) == '*') ||
           (b.size() == 4 && b.at(0) == 'S' && b.at(3) == '*');
}
} // namespace

void LinkEngine::tickProbe() {
    // A byte's window: a module slow to answer is as slow with this answer.
    const bool last = waitTick(3, QuietLine::kIdentifyExchange);
    const QByteArray b = m_rx.bytes();
    const bool known = !b.isEmpty() && (b == m_probeAnswer ||
                                        (m_probeAnswer.isEmpty() && m_otherAnswers.contains(b)));
    // The command and the answer as long as it came: the short form is a byte less. No reply
    // passes for it, so its time is not judged: it shows the line's pace.
    const int onWire = static_cast<int>(protocol::identifyCommand().size() + b.size());
    if (known) {
        m_line.provenReply(onWire);
        if (m_probeAnswer.isEmpty()) {
            m_probeAnswer = b; // two answers agree
            m_otherAnswers.clear();
        }
        probeAnswered();
        return;
    }
    // Anything else is judged at the end of the window, or once it cannot become an answer, so
    // that a long answer whose letter is "*" is not cut short to the short form.
    const bool mayGrow = !known && b.size() < 4 && (b.isEmpty() || b.at(0) == 'S');
    if (!last && mayGrow)
        return;
    if (!isIdentifyAnswer(b)) {
        blockWentWrong(true);
        return;
    }
    // After a block of no bytes (on a quiet line) nothing else can have come.
    if (m_transfer.blockEmpty())
        m_line.provenReply(onWire);
    identifyAnswerSeen(b);
}

// An identify answer that is not the learned one: damaged on the line, or another module's.
// Before one is learned the first goes on to the block and the block stands once a later probe
// brings the same back; once learned, another answer twice alike ends the transfer.
void LinkEngine::identifyAnswerSeen(const QByteArray& answer) {
    if (!m_probeAnswer.isEmpty() && m_otherAnswers.contains(answer)) {
        Failure f;
        f.where = Failure::Where::ModuleChanged;
        f.firstAnswer = m_probeAnswer;
        f.laterAnswer = answer;
        fail(f);
        return;
    }
    m_otherAnswers.append(answer);
    if (m_probeAnswer.isEmpty() && m_otherAnswers.size() == 1 && m_transfer.blockEmpty()) {
        m_rx.clear();
        m_transfer.blockConfirmed();
        sendNext();
        return;
    }
    blockWentWrong(true);
}

// The block's replies all answered their own commands: its bytes stand.
void LinkEngine::probeAnswered() {
    m_port.note(LinkNote::ProbeAnswered, -1);
    m_rx.clear();
    // A probe that only timed the line closes no block: the block's tries go on counting.
    if (std::exchange(m_timingProbe, false)) {
        sendNext();
        return;
    }
    m_transfer.blockConfirmed();
    if (!m_transfer.finished() || m_transfer.nextPass()) {
        sendNext();
        return;
    }
    if (!m_transfer.mismatches().empty()) {
        const auto& d = m_transfer.mismatches().front();
        Failure f;
        f.where = Failure::Where::ReadBack;
        f.address = d.address;
        f.sentValue = d.imageValue;
        f.moduleValue = d.moduleValue;
        f.attempts = TransferProgress::kAttempts;
        fail(f);
        return;
    }
    finishTransfer();
}

// The next byte of the block goes out in the same tick when the line is regular.
void LinkEngine::sendNext() {
    const bool write = m_transfer.writing();
    m_state = write ? S::WriteSend : S::ReadSend;
    if (!lineRegular())
        return;
    if (write)
        sendWriteRequest();
    else
        sendReadRequest();
}

// A byte was taken: on to the next, or to the probe that closes the block. A byte that needed
// several attempts closes its block at once: the answer to an earlier attempt may still come,
// and taken for the next byte's it would shift the block. The probe goes out once the line has
// been quiet for as long as the byte took, and catches what comes later still.
void LinkEngine::entryDone(bool irregular) {
    countIrregular(irregular);
    if (irregular)
        settleAfter(S::ProbeSend);
    else if (m_transfer.probeDue())
        sendProbe();
    else
        sendNext();
}

// ---- read, verify, read-back

void LinkEngine::sendReadRequest() {
    // An accepted capacity keeps every address inside the image; this holds without it too.
    const int address = m_transfer.address();
    if (address < 0) {
        failAt(Failure::Where::Byte);
        return;
    }
    sendAttempt(protocol::readByteCommand(address), S::ReadWait1);
}

void LinkEngine::tickRead() {
    const bool last = waitTick(3, QuietLine::kByteExchange);
    std::uint8_t value = 0;
    if (!protocol::matchReadByte(m_rx.bytes(), value)) {
        if (last || m_rx.size() >= 2)
            windowWentWrong(S::ReadSend);
        return;
    }
    if (m_line.replyEarly(QuietLine::kByteExchange)) {
        replyCameEarly();
        return;
    }
    m_port.note(LinkNote::ReplyTaken, m_transfer.address());
    m_rx.clear();
    const bool irregular = m_transfer.irregular();
    advanceProgress(m_transfer.accept(value, m_store.image));
    entryDone(irregular);
}

// ---- store

void LinkEngine::sendWriteRequest() {
    const int address = m_transfer.address();
    if (address < 0) {
        failAt(Failure::Where::Byte);
        return;
    }
    m_writeInFlight = true;
    sendAttempt(protocol::writeByteCommand(address, m_transfer.valueToWrite()), S::WriteWait1);
}

void LinkEngine::tickWrite() {
    const bool last = waitTick(3, QuietLine::kByteExchange);
    if (protocol::matchWriteAck(m_rx.bytes()) && m_line.replyEarly(QuietLine::kByteExchange)) {
        replyCameEarly();
        return;
    }
    if (protocol::matchWriteAck(m_rx.bytes())) {
        m_port.note(LinkNote::ReplyTaken, m_transfer.address());
        m_rx.clear();
        const bool irregular = m_transfer.irregular();
        m_writeInFlight = false;
        const bool mainPass = m_transfer.pass() == TransferProgress::Pass::Main;
        advanceProgress(m_transfer.acknowledge());
        if (mainPass)
            m_writesAcked = std::max(m_writesAcked, m_transfer.position());
        entryDone(irregular);
        return;
    }
    if (last || m_rx.size() >= 2)
        windowWentWrong(S::WriteSend);
}

bool LinkEngine::writesComplete() const {
    return m_transfer.kind() == TransferKind::Store && !m_transfer.capacityOnly() &&
           m_transfer.pass() != TransferProgress::Pass::Main;
}

int LinkEngine::writesDone() const {
    if (m_transfer.kind() != TransferKind::Store)
        return 0;
    if (m_transfer.pass() == TransferProgress::Pass::Main)
        return m_writesAcked;
    return static_cast<int>(m_transfer.storeList().size());
}

// ---- the end

// A whole store or a verify with a module that reports fewer routes than the image holds active
// did not do all that was asked: it fails, naming the routes.
bool LinkEngine::routesLeftOut() {
    const TransferKind kind = m_transfer.kind();
    if (kind == TransferKind::Read || m_transfer.capacityOnly())
        return false;
    const int capacity = m_store.routeCapacity;
    const int last = lastConfigAddress(capacity);
    if (kind == TransferKind::Store) {
        std::vector<bool> listed(static_cast<std::size_t>(image::kSize), false);
        for (std::uint32_t a : m_transfer.storeList())
            listed[a] = true;
        if (!std::all_of(listed.begin() + 1, listed.begin() + std::min(last + 1, image::kSize),
                         [](bool b) { return b; }))
            return false; // a part the user chose: the rest was not asked for
    }
    Failure f;
    f.where = Failure::Where::RoutesLeftOut;
    f.capacity = capacity;
    f.routes = transfers::activeRoutesBeyond(
        kind == TransferKind::Store ? m_transfer.sentImage() : m_store.image, capacity);
    if (f.routes.empty())
        return false;
    fail(f);
    return true;
}

void LinkEngine::finishTransfer() {
    if (routesLeftOut())
        return;
    m_state = S::Idle;
    setProgressVisible(false);
    switch (m_transfer.kind()) {
    case TransferKind::Verify:
        endTransfer(true);
        emit message(matchFlag() ? Message::VerifyEqual : Message::VerifyDifferent);
        return;
    case TransferKind::Read:
        if (!m_commitRead)
            break;
        emit imageRead(m_transfer.sentImage(), m_transfer.end());
        break;
    case TransferKind::Store:
        if (m_transfer.capacityOnly())
            break;
        m_writeInFlight = false;
        m_storeProven = m_transfer.readsBack();
        break;
    }
    endTransfer(true);
}

// ---- cancel

bool LinkEngine::cancelTransfer() {
    if (!transferRunning())
        return false;
    // Whatever the module still answers to the command in flight is dropped by the next
    // exchange, which starts on a quiet line.
    m_state = S::Idle;
    unsettle();
    setProgressVisible(false);
    emit transferCancelled(m_transfer.kind(), transferDone());
    endTransfer(false);
    return true;
}

int LinkEngine::transferDone() const {
    // A store counts the writes acknowledged, a read or verify addresses from 1.
    if (m_transfer.kind() == TransferKind::Store)
        return writesDone();
    return std::max(0, m_transfer.position() - 1);
}
