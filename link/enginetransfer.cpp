// The link engine's transfers: the capacity query that opens them, the blocks of bytes each
// closed by a probe, the line kept quiet after a wrong turn, and the end of a read, verify or
// store.
#include "link/linkengine.h"

#include "link/protocol.h"
#include "link/transfers.h"

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
            fail(m_transfer.capacityFailure());
            return;
        }
        m_state = S::CapacitySend;
        return;
    }
    if (!m_transfer.retry()) {
        fail(m_transfer.byteFailure());
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
    const TransferFailure f = m_transfer.blockFailure(empty, TransferProgress::kBlockAttempts);
    m_port.note(LinkNote::BlockRedone, f.address);
    m_line.awaitStragglers();
    m_transfer.countIrregular(true, m_fast);
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
    m_transfer.countIrregular(true, m_fast);
    if (!m_transfer.redoBlock(true)) {
        fail(m_transfer.blockFailure(false, TransferProgress::kCautiousRedos));
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
            fail(m_transfer.capacityFailure());
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
        TransferFailure f = RunningTransfer::failureAt(TransferFailure::Where::CapacityRange);
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

// ---- probes

void LinkEngine::sendProbe() {
    m_port.note(LinkNote::Probe, -1);
    m_rx.clear();
    startWait(S::ProbeWait1);
    send(protocol::identifyCommand());
}

void LinkEngine::tickProbe() {
    // A byte's window: a module slow to answer is as slow with this answer.
    const bool last = waitTick(3, QuietLine::kIdentifyExchange);
    const QByteArray b = m_rx.bytes();
    const bool emptyBlock = m_transfer.blockEmpty();
    const RunningTransfer::Probe verdict = m_transfer.judgeProbe(b, last);
    using P = RunningTransfer::Probe;
    // The command and the answer as long as it came: the short form is a byte less. No reply
    // passes for it, so its time is not judged: it shows the line's pace. Another identify
    // answer does so only after a block of no bytes (on a quiet line nothing else can have come).
    const bool answer = verdict != P::Waiting && verdict != P::NotAnAnswer;
    if (verdict == P::Answered || (answer && emptyBlock))
        m_line.provenReply(static_cast<int>(protocol::identifyCommand().size() + b.size()));
    switch (verdict) {
    case P::Waiting:
        return;
    case P::Answered:
        probeAnswered();
        return;
    case P::FirstAnswer:
        m_rx.clear();
        m_transfer.blockConfirmed();
        sendNext();
        return;
    case P::ModuleChanged:
        fail(m_transfer.moduleChangedFailure());
        return;
    case P::OtherAnswer:
    case P::NotAnAnswer:
        blockWentWrong(true);
        return;
    }
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
        fail(m_transfer.readBackFailure());
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
    m_transfer.countIrregular(irregular, m_fast);
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
        fail(m_transfer.byteFailure());
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
        fail(m_transfer.byteFailure());
        return;
    }
    m_transfer.writeSent();
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
        advanceProgress(m_transfer.writeAcknowledged());
        entryDone(irregular);
        return;
    }
    if (last || m_rx.size() >= 2)
        windowWentWrong(S::WriteSend);
}

// ---- the end

// A whole store or a verify with a module that reports fewer routes than the image holds active
// did not do all that was asked: it fails, naming the routes.
bool LinkEngine::routesLeftOut() {
    const TransferFailure f = m_transfer.leftOut(m_store.routeCapacity, m_store.image);
    if (f.routes.empty())
        return false;
    fail(f);
    return true;
}

void LinkEngine::finishTransfer() {
    if (routesLeftOut())
        return;
    m_state = S::Idle;
    switch (m_transfer.kind()) {
    case TransferKind::Verify:
        endTransfer(true);
        emit message(m_transfer.differences().empty() ? Message::VerifyEqual
                                                      : Message::VerifyDifferent);
        return;
    case TransferKind::Read:
        if (!m_transfer.handsOver())
            break;
        emit imageRead(m_transfer.sentImage(), m_transfer.end());
        break;
    case TransferKind::Store:
        if (m_transfer.capacityOnly())
            break;
        m_transfer.storeDone();
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
    emit transferCancelled(m_transfer.kind(), m_transfer.bytesDone());
    endTransfer(false);
    return true;
}
