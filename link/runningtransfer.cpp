#include "link/runningtransfer.h"

#include "link/transfers.h"

#include <algorithm>

namespace {
// One identify answer, short or long form, and nothing else.
bool isIdentifyAnswer(const QByteArray& b) {
    return (b.size() == 3 && b.at(0) == 'S' && b.at(2) == '*') ||
           (b.size() == 4 && b.at(0) == 'S' && b.at(3) == '*');
}
} // namespace

void RunningTransfer::beginNew() {
    m_failure = TransferFailure();
    m_fastFellBack = false;
    m_irregularRun = 0;
    m_recentIrregular = 0;
    m_writeInFlight = false;
    m_writesAcked = 0;
    m_storeProven = false;
    m_answer.clear();
    m_otherAnswers.clear();
}

bool RunningTransfer::storable(const std::vector<std::uint32_t>& addresses) {
    return std::all_of(addresses.begin(), addresses.end(), [](std::uint32_t a) {
        return a < static_cast<std::uint32_t>(image::kSize);
    });
}

// ---- probes

bool RunningTransfer::knownAnswer(const QByteArray& bytes) const {
    return !bytes.isEmpty() &&
           (bytes == m_answer || (m_answer.isEmpty() && m_otherAnswers.contains(bytes)));
}

RunningTransfer::Probe RunningTransfer::judgeProbe(const QByteArray& bytes, bool last) {
    if (knownAnswer(bytes)) {
        if (m_answer.isEmpty()) {
            m_answer = bytes; // two answers agree
            m_otherAnswers.clear();
        }
        return Probe::Answered;
    }
    // Anything else is judged at the end of the window, or once it cannot become an answer, so
    // that a long answer whose letter is "*" is not cut short to the short form.
    const bool mayGrow = bytes.size() < 4 && (bytes.isEmpty() || bytes.at(0) == 'S');
    if (!last && mayGrow)
        return Probe::Waiting;
    if (!isIdentifyAnswer(bytes))
        return Probe::NotAnAnswer;
    return identifyAnswerSeen(bytes);
}

// An identify answer that is not the learned one: damaged on the line, or another module's.
// Before one is learned the first goes on to the block and the block stands once a later probe
// brings the same back; once learned, another answer twice alike ends the transfer.
RunningTransfer::Probe RunningTransfer::identifyAnswerSeen(const QByteArray& answer) {
    if (!m_answer.isEmpty() && m_otherAnswers.contains(answer)) {
        m_changedTo = answer;
        return Probe::ModuleChanged;
    }
    m_otherAnswers.append(answer);
    if (m_answer.isEmpty() && m_otherAnswers.size() == 1 && blockEmpty())
        return Probe::FirstAnswer;
    return Probe::OtherAnswer;
}

// ---- pace

// A run of bytes each needing retries, or many of them lately, means the line cannot keep up with
// replies taken at once (each costs a quiet spell that the fast pace cannot win back): the rest
// of the transfer goes at the normal pace.
void RunningTransfer::countIrregular(bool irregular, bool fast) {
    m_irregularRun = irregular ? m_irregularRun + 1 : 0;
    m_recentIrregular = (m_recentIrregular << 1) | (irregular ? 1u : 0u);
    int recent = 0;
    for (std::uint64_t bits = m_recentIrregular; bits; bits &= bits - 1)
        ++recent;
    if (fast && (m_irregularRun >= kFastGiveUpRun || recent >= kFastGiveUpMisses))
        m_fastFellBack = true;
}

// ---- writes and progress

int RunningTransfer::writeAcknowledged() {
    m_writeInFlight = false;
    const bool mainPass = pass() == Pass::Main;
    const int done = acknowledge();
    if (mainPass)
        m_writesAcked = std::max(m_writesAcked, position());
    return done;
}

void RunningTransfer::storeDone() {
    m_writeInFlight = false;
    m_storeProven = readsBack();
}

bool RunningTransfer::writesComplete() const {
    return kind() == TransferKind::Store && !capacityOnly() && pass() != Pass::Main;
}

int RunningTransfer::writesDone() const {
    if (kind() != TransferKind::Store)
        return 0;
    if (pass() == Pass::Main)
        return m_writesAcked;
    return static_cast<int>(storeList().size());
}

int RunningTransfer::bytesDone() const {
    if (kind() == TransferKind::Store)
        return writesDone();
    return std::max(0, position() - 1);
}

bool RunningTransfer::setProgress(int percent) {
    if (percent == m_progress)
        return false;
    m_progress = percent;
    return true;
}

// ---- failures

TransferFailure RunningTransfer::failureAt(TransferFailure::Where where) {
    TransferFailure f;
    f.where = where;
    return f;
}

TransferFailure RunningTransfer::byteFailure() const {
    TransferFailure f = failureAt(TransferFailure::Where::Byte);
    f.address = std::max(0, address());
    f.attempts = attemptsSent();
    return f;
}

TransferFailure RunningTransfer::blockFailure(bool probeOnly, int attempts) const {
    TransferFailure f =
        failureAt(probeOnly ? TransferFailure::Where::Probe : TransferFailure::Where::Block);
    f.address = std::max(0, blockFirstAddress());
    f.lastAddress = std::max(0, blockLastAddress());
    f.attempts = attempts;
    return f;
}

TransferFailure RunningTransfer::capacityFailure() const {
    TransferFailure f = failureAt(TransferFailure::Where::CapacityQuery);
    f.attempts = attemptsSent();
    f.answers = capacityAnswers();
    return f;
}

TransferFailure RunningTransfer::readBackFailure() const {
    TransferFailure f = failureAt(TransferFailure::Where::ReadBack);
    if (mismatches().empty())
        return f;
    const Difference& d = mismatches().front();
    f.address = d.address;
    f.sentValue = d.imageValue;
    f.moduleValue = d.moduleValue;
    f.attempts = kAttempts;
    return f;
}

TransferFailure RunningTransfer::leftOut(int capacity, const Image& screen) const {
    TransferFailure f = failureAt(TransferFailure::Where::RoutesLeftOut);
    f.capacity = capacity;
    if (kind() == TransferKind::Read || capacityOnly())
        return f;
    const int last = transfers::lastConfigAddress(capacity);
    if (kind() == TransferKind::Store) {
        std::vector<bool> listed(static_cast<std::size_t>(image::kSize), false);
        for (std::uint32_t a : storeList())
            listed[a] = true;
        if (!std::all_of(listed.begin() + 1, listed.begin() + std::min(last + 1, image::kSize),
                         [](bool b) { return b; }))
            return f; // a part the user chose: the rest was not asked for
    }
    f.routes = transfers::activeRoutesBeyond(kind() == TransferKind::Store ? sentImage() : screen,
                                             capacity);
    return f;
}

TransferFailure RunningTransfer::moduleChangedFailure() const {
    TransferFailure f = failureAt(TransferFailure::Where::ModuleChanged);
    f.firstAnswer = m_answer;
    f.laterAnswer = m_changedTo;
    return f;
}

void RunningTransfer::failed(const TransferFailure& failure) {
    m_failure = failure;
    m_failure.kind = kind();
}
