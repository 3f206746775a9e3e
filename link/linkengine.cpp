#include "link/linkengine.h"

#include "data/codec.h"
#include "data/hex.h"
#include "link/protocol.h"
#include "link/transfers.h"

#include <QElapsedTimer>
#include <algorithm>

#include <cmath>
#include <memory>

using transfers::capacityAccepted;
using transfers::lastConfigAddress;

// Why a transfer never takes a straggler for a fresh reply.
//
// Read, write and capacity replies carry no address, and the answer to an attempt that timed out
// may still come later, looking exactly like the answer to whatever was sent next. So:
// - A window is taken only when it holds exactly one whole reply; a straggler arriving with the
//   fresh reply makes two, nothing is taken and the attempt counts as gone wrong.
// - After an attempt went wrong (silence, too many bytes, a damaged reply), nothing more is sent
//   until no byte has come for a full reply window: a late answer, however many of them in a run,
//   lands in that wait, restarts it and is thrown away.
// - A value taken after that must be confirmed by one more read after another quiet spell. A
//   straggler later than a quiet spell would have to arrive alone, in a window whose own reply is
//   lost too, and then be matched by the next read; otherwise it brings a second reply or a
//   different value. A store writes the same address again (writes are idempotent) and takes the
//   fresh acknowledgement.
// - Every wrong turn counts against the three attempts: a line that stays irregular ends in the
//   error box, never in a shifted byte. On a clean line none of this costs an exchange or a tick.
// What no rule can see is a value byte damaged with its "*" intact: the protocol has no check sum.

namespace {
// 9600 baud, 8N1: ten bit times a byte.
constexpr double kByteMs = 10.0 * 1000.0 / 9600.0;
// On top of the wire time: the module's turnaround, and USB serial adapters, which hold received
// bytes for up to their latency timer (16 ms by default) before the PC sees any.
constexpr double kMarginMs = 20.0;
constexpr int kByteExchange = 9;      // read, write, capacity: 7-byte command, 2-byte reply
constexpr int kIdentifyExchange = 12; // 8-byte command, reply of up to 4
constexpr int kStatusExchange = 12;   // 7-byte command, 5-byte reply
// Reply windows a command waits for a quiet line before that attempt counts as gone wrong.
constexpr int kQuietLimitWindows = 10;
} // namespace

LinkEngine::LinkEngine(ConfigStore& store, BytePort& port, QObject* parent)
    : QObject(parent), m_store(store), m_port(port) {
    m_now = [clock = std::make_shared<QElapsedTimer>()] {
        if (!clock->isValid())
            clock->start();
        return clock->elapsed();
    };
}

QString LinkEngine::messageText(Message message) {
    switch (message) {
    case Message::VersionWarning:
        return QStringLiteral(
            "Tento SW nelze použít pro konfiguraci, aktualizujte funkci Stavníka na V3.0!");
    case Message::ReadError:
        return QStringLiteral("Chyba čtení dat !");
    case Message::WriteError:
        return QStringLiteral("Chyba zapisu dat !");
    case Message::VerifyEqual:
        return QStringLiteral("Data v modulu jsou shodná");
    case Message::VerifyDifferent:
        return QStringLiteral("Data v modulu jsou rozdílná !");
    }
    return QString();
}

QString LinkEngine::failureText(const Failure& failure) {
    using Where = Failure::Where;
    switch (failure.where) {
    case Where::Nothing:
        return QString();
    case Where::CapacityQuery:
        return QStringLiteral("Dotaz na počet cest zůstal bez platné odpovědi. Pokusů: %1.")
            .arg(failure.attempts);
    case Where::CapacityRange:
        return QStringLiteral("Modul hlásí %1 cest, platný počet je %2 až %3.")
            .arg(failure.capacity)
            .arg(transfers::kMinCapacity)
            .arg(transfers::kMaxCapacity);
    case Where::Byte:
        break;
    }
    const int a = failure.address;
    QString place;
    if (a < image::kIndexPairBase) {
        place = QStringLiteral("bajt %1 hlavičky").arg(a);
    } else if (a < image::kBlockBase) {
        const int offset = a - image::kIndexPairBase;
        place =
            QStringLiteral("cesta %1, bajt %2 dvojice indexů").arg(offset / 2 + 1).arg(offset % 2);
    } else {
        const int offset = a - image::kBlockBase;
        place = QStringLiteral("cesta %1, bajt %2 bloku cesty")
                    .arg(offset / image::kBlockSize + 1)
                    .arg(offset % image::kBlockSize);
    }
    return QStringLiteral("Adresa %1 (%2): %3. Pokusů: %4.")
        .arg(a)
        .arg(toHex(static_cast<std::uint32_t>(a), 4), place)
        .arg(failure.attempts);
}

bool LinkEngine::isWarning(Message message) {
    return message == Message::VersionWarning || message == Message::ReadError ||
           message == Message::WriteError;
}

// ---- starters

bool LinkEngine::startIdentify() {
    if (m_state != Idle)
        return false;
    m_rx.clear();
    send(protocol::identifyCommand());
    setVersionText(QStringLiteral("??"));
    startWait(IdentifyWait1);
    return true;
}

bool LinkEngine::startCapacityQuery() {
    if (m_state != Idle)
        return false;
    send(protocol::capacityCommand());
    m_rx.clear();
    startWait(IdentCapacityWait1);
    return true;
}

bool LinkEngine::beginTransfer() {
    if (m_state != Idle)
        return false;
    m_failure = Failure();
    m_fastFellBack = false;
    m_irregularRun = 0;
    setProgress(0);
    setProgressVisible(true);
    return true;
}

bool LinkEngine::startRead() {
    if (!beginTransfer())
        return false;
    m_transfer.startRead(m_store.image, lastConfigAddress(m_store.routeCapacity));
    m_state = CapacitySend;
    emit transferStarted(Transfer::Read);
    return true;
}

bool LinkEngine::startVerify() {
    if (!beginTransfer())
        return false;
    m_transfer.startVerify(lastConfigAddress(m_store.routeCapacity));
    m_state = CapacitySend;
    emit transferStarted(Transfer::Verify);
    return true;
}

bool LinkEngine::startStore(std::vector<std::uint32_t> addresses) {
    if (m_state != Idle || addresses.empty())
        return false;
    const bool inside = std::all_of(addresses.begin(), addresses.end(), [](std::uint32_t a) {
        return a < static_cast<std::uint32_t>(image::kSize);
    });
    if (!inside)
        return false;
    beginTransfer();
    m_transfer.startStore(std::move(addresses));
    m_state = WriteSend;
    emit transferStarted(Transfer::Store);
    return true;
}

bool LinkEngine::startStatusPoll() {
    if (m_state != Idle)
        return false;
    m_state = StatusSend;
    return true;
}

bool LinkEngine::stopStatusPoll() {
    // 30..34: the main poll and the unused state after it.
    if (m_state < StatusSend || m_state >= ExpStatusSend)
        return false;
    m_state = Idle;
    unsettle();
    return true;
}

bool LinkEngine::startExpansionStatusPoll() {
    if (m_state != Idle)
        return false;
    m_state = ExpStatusSend;
    return true;
}

bool LinkEngine::stopExpansionStatusPoll() {
    // 30..39: either poll; the expansion window's switch also ends a main poll.
    if (m_state < StatusSend || m_state >= PreparedSend)
        return false;
    m_state = Idle;
    unsettle();
    return true;
}

bool LinkEngine::prepareCommand(const QByteArray& command) {
    m_prepared = command;
    if (m_state != Idle)
        return false;
    m_state = PreparedSend;
    return true;
}

bool LinkEngine::requestSimulationFrame() {
    if (m_state != Idle && m_state != SimulationWait)
        return false;
    m_state = SimulationSend;
    return true;
}

bool LinkEngine::endSimulation() {
    if (m_state != SimulationSend && m_state != SimulationWait)
        return false;
    m_state = Idle;
    unsettle();
    return true;
}

void LinkEngine::messageClosed(Message message) {
    switch (message) {
    case Message::VersionWarning:
        // The two waiting ticks have usually run out while the box was open; the query is
        // repeated now unless something else has taken the link meanwhile.
        if (m_state == Idle || m_state == IdentCapacityWait1 || m_state == IdentCapacityWait2) {
            send(protocol::capacityCommand());
            m_rx.clear();
            startWait(IdentCapacityWait1);
        }
        break;
    case Message::ReadError:
    case Message::WriteError:
        if (!transferRunning())
            setProgressVisible(false);
        break;
    case Message::VerifyEqual:
    case Message::VerifyDifferent:
        break;
    }
}

// ---- the tick

void LinkEngine::tick() {
    const bool arrived = m_rx.receiveStep(m_port) > 0;
    m_quiet = arrived ? 0 : std::min(m_quiet + 1, 1 << 20);
    m_byteTicks = std::min(m_byteTicks + 1, 1 << 20);

    switch (m_state) {
    case IdentifyWait1:
    case IdentifyWait2:
        tickIdentify();
        break;
    case IdentCapacityWait1:
    case IdentCapacityWait2:
        tickIdentCapacity();
        break;
    case CapacitySend:
        if (lineReady(CapacitySend))
            sendCapacityQuery();
        break;
    case CapacityWait1:
    case CapacityWait2:
        tickCapacity();
        break;
    case ReadSend:
        if (lineReady(ReadSend))
            sendReadRequest();
        break;
    case ReadWait1:
    case ReadWait2:
    case ReadWait3:
        tickRead();
        break;
    case WriteSend:
        if (lineReady(WriteSend))
            sendWriteRequest();
        break;
    case WriteWait1:
    case WriteWait2:
    case WriteWait3:
        tickWrite();
        break;
    case StatusSend:
    case ExpStatusSend:
        m_rx.clear();
        send(m_state == StatusSend ? protocol::statusCommand()
                                   : protocol::expansionStatusCommand());
        startWait(m_state + 1);
        break;
    case StatusWait1:
    case ExpStatusWait1:
        ++m_waited;
        ++m_state;
        break;
    case StatusWait2:
    case ExpStatusWait2:
        // The reply is looked for once, in the last tick of the window.
        if (++m_waited >= lookTicks(3, kStatusExchange) - 1)
            ++m_state;
        break;
    case StatusLook:
        protocol::matchStatus(m_rx.bytes(), m_status);
        m_state = StatusSend;
        break;
    case ExpStatusLook:
        protocol::matchExpansionStatus(m_rx.bytes(), m_expStatus);
        m_state = ExpStatusSend;
        break;
    case PreparedSend:
        // Unanswered: the receive buffer is left as it is.
        if (!m_prepared.isEmpty())
            send(m_prepared);
        m_state = Idle;
        break;
    case SimulationSend:
        m_rx.clear();
        send(protocol::simulationFrame(m_simData));
        m_state = SimulationWait;
        break;
    case SimulationWait:
        if (protocol::matchSimulation(m_rx.bytes(), m_simReply)) {
            ++m_simReply.replyCounter;
            m_rx.clear();
        }
        break;
    default:
        break;
    }
}

// ---- waiting

void LinkEngine::setTickInterval(int ms) {
    m_tickMs = std::max(1, ms);
}

int LinkEngine::lookTicks(int documentedTicks, int exchangeBytes) const {
    const double needMs = exchangeBytes * kByteMs + kMarginMs;
    return std::max(documentedTicks, static_cast<int>(std::ceil(needMs / m_tickMs)));
}

void LinkEngine::startWait(int firstWaitState) {
    m_waited = 0;
    m_sentAt = m_now();
    m_state = firstWaitState;
}

// One tick of a reply window: the documented states advance as ever, the last one is held while
// a short clock still owes the window ticks. True when this is the window's last look.
bool LinkEngine::waitTick(int lastWaitState, int documentedTicks, int exchangeBytes) {
    // A look on arrival is not a tick: the window neither moves nor ends.
    if (m_onArrival)
        return false;
    if (m_state < lastWaitState)
        ++m_state;
    ++m_waited;
    if (fastActive())
        return m_now() - m_sentAt >= static_cast<qint64>(exchangeBytes * kByteMs + kMarginMs);
    return m_waited >= lookTicks(documentedTicks, exchangeBytes);
}

// ---- fast link

QString LinkEngine::fastFellBackText() {
    return QStringLiteral("fast link: fell back to the normal pace after repeated retries");
}

void LinkEngine::dataArrived() {
    if (!fastActive())
        return;
    switch (m_state) {
    case IdentCapacityWait1:
    case IdentCapacityWait2:
        break;
    case CapacityWait1:
    case CapacityWait2:
    case ReadWait1:
    case ReadWait2:
    case ReadWait3:
    case WriteWait1:
    case WriteWait2:
    case WriteWait3:
        // After a wrong turn the quiet rules need the tick's count of silence.
        if (m_transfer.irregular() || m_unsettled || m_settleTicks > 0)
            return;
        break;
    default:
        return;
    }
    if (m_rx.receiveStep(m_port) <= 0)
        return;
    m_quiet = 0;
    if (!replyComplete())
        return; // a part, or something wrong: the next tick judges it
    m_onArrival = true;
    switch (m_state) {
    case IdentCapacityWait1:
    case IdentCapacityWait2:
        tickIdentCapacity();
        break;
    case CapacityWait1:
    case CapacityWait2:
        tickCapacity();
        break;
    case ReadWait1:
    case ReadWait2:
    case ReadWait3:
        tickRead();
        break;
    default:
        tickWrite();
        break;
    }
    m_onArrival = false;
}

// Exactly one whole reply of the kind the state awaits is in the buffer.
bool LinkEngine::replyComplete() const {
    std::uint8_t value = 0;
    switch (m_state) {
    case IdentCapacityWait1:
    case IdentCapacityWait2:
        return protocol::matchCapacity(m_rx.bytes(), value);
    case CapacityWait1:
    case CapacityWait2:
        return protocol::matchSingleReply(m_rx.bytes(), value);
    case ReadWait1:
    case ReadWait2:
    case ReadWait3:
        return protocol::matchReadByte(m_rx.bytes(), value);
    default:
        return protocol::matchWriteAck(m_rx.bytes());
    }
}

// A run of bytes each needing retries means the line cannot keep up with replies taken at once:
// the rest of the transfer goes at the normal pace.
void LinkEngine::countIrregular(bool irregular) {
    m_irregularRun = irregular ? m_irregularRun + 1 : 0;
    if (m_fast && m_irregularRun >= kFastGiveUpRun)
        m_fastFellBack = true;
}

// Whether the transfer's next command may go out now: at once on a regular line, else only once
// no byte has come for a full reply window; what came meanwhile is thrown away.
bool LinkEngine::lineReady(int sendState) {
    if (!m_transfer.irregular() && !m_unsettled && m_settleTicks == 0)
        return true;
    const int window = lookTicks(sendState == CapacitySend ? 2 : 3, kByteExchange);
    if (m_quiet >= std::max(window, m_settleTicks)) {
        m_rx.clear();
        m_unsettled = false;
        m_settleTicks = 0;
        m_quietWaited = 0;
        return true;
    }
    // A line that never falls quiet is as good as no reply.
    if (++m_quietWaited > kQuietLimitWindows * std::max(window, m_settleTicks))
        attemptFailed(sendState);
    return false;
}

// The attempt at the current byte (or at the capacity) went wrong: try again after a quiet spell,
// or fail when it was the last attempt.
void LinkEngine::attemptFailed(int sendState) {
    m_quiet = 0;
    m_quietWaited = 0;
    if (!m_transfer.retry()) {
        if (sendState == CapacitySend)
            failTransfer(Message::ReadError, Failure::Where::CapacityQuery);
        else
            failTransfer(sendState == WriteSend ? Message::WriteError : Message::ReadError);
        return;
    }
    m_state = sendState;
}

void LinkEngine::unsettle() {
    m_unsettled = true;
    m_quiet = 0;
}

// A byte that needed more than one attempt has been taken. Answers to its earlier attempts may
// still be on the way, as late as the ones seen so far: the next command waits until the line
// has been quiet for as long as this byte took.
void LinkEngine::settleAfter(int sendState) {
    m_settleTicks = m_byteTicks;
    m_quiet = 0;
    m_quietWaited = 0;
    m_state = sendState;
}

// ---- identify

void LinkEngine::tickIdentify() {
    const bool last = waitTick(IdentifyWait2, 2, kIdentifyExchange);
    protocol::IdentifyReply reply;
    if (protocol::matchIdentify(m_rx.bytes(), reply)) {
        setVersionText(protocol::versionText(reply));
        if (reply.version < 0x30) {
            // The capacity query waits until the warning is closed (messageClosed). The reply
            // is dropped so that its bytes cannot pass for a capacity reply meanwhile.
            m_rx.clear();
            startWait(IdentCapacityWait1);
            emit message(Message::VersionWarning);
            return;
        }
        send(protocol::capacityCommand());
        m_rx.clear();
        startWait(IdentCapacityWait1);
        return;
    }
    if (last) {
        m_state = Idle;
        unsettle();
    }
}

void LinkEngine::tickIdentCapacity() {
    const bool last = waitTick(IdentCapacityWait2, 2, kByteExchange);
    std::uint8_t count = 0;
    if (protocol::matchCapacity(m_rx.bytes(), count)) {
        setCapacity(count);
        m_state = Idle;
        return;
    }
    if (last) {
        m_state = Idle;
        unsettle();
    }
}

// ---- read and verify

// One attempt of a transfer's exchange: the buffer emptied, the command out, its wait begun.
void LinkEngine::sendAttempt(const QByteArray& command, int firstWaitState) {
    if (m_transfer.attemptsSent() == 0)
        m_byteTicks = 0;
    m_rx.clear();
    send(command);
    m_transfer.attemptSent();
    startWait(firstWaitState);
}

void LinkEngine::sendCapacityQuery() {
    sendAttempt(protocol::capacityCommand(), CapacityWait1);
}

void LinkEngine::tickCapacity() {
    const bool last = waitTick(CapacityWait2, 2, kByteExchange);
    std::uint8_t count = 0;
    if (!protocol::matchSingleReply(m_rx.bytes(), count)) {
        if (last || m_rx.size() >= 2)
            attemptFailed(CapacitySend);
        return;
    }
    switch (m_transfer.replied(count)) {
    case TransferProgress::Verdict::Take:
        break;
    case TransferProgress::Verdict::AskAgain:
        m_quiet = 0;
        m_state = CapacitySend;
        return;
    case TransferProgress::Verdict::Fail:
        failTransfer(Message::ReadError, Failure::Where::CapacityQuery);
        return;
    }
    setCapacity(count);
    m_transfer.setEnd(lastConfigAddress(count));
    if (!capacityAccepted(count)) {
        m_state = CapacityFailed;
        m_failure.capacity = count;
        failTransfer(Message::ReadError, Failure::Where::CapacityRange);
        return;
    }
    const bool irregular = m_transfer.irregular();
    m_transfer.restartAttempts();
    if (irregular)
        settleAfter(ReadSend);
    else
        m_state = ReadSend;
}

void LinkEngine::sendReadRequest() {
    // An accepted capacity keeps every address inside the image; this holds without it too.
    const int address = m_transfer.address();
    if (address < 0) {
        failTransfer(Message::ReadError);
        return;
    }
    sendAttempt(protocol::readByteCommand(address), ReadWait1);
}

void LinkEngine::tickRead() {
    const bool last = waitTick(ReadWait3, 3, kByteExchange);
    std::uint8_t value = 0;
    if (!protocol::matchReadByte(m_rx.bytes(), value)) {
        if (last || m_rx.size() >= 2) {
            m_state = ReadTimedOut;
            attemptFailed(ReadSend);
        }
        return;
    }
    switch (m_transfer.replied(value)) {
    case TransferProgress::Verdict::Take:
        acceptReadByte(value, m_transfer.irregular());
        break;
    case TransferProgress::Verdict::AskAgain:
        m_quiet = 0;
        m_state = ReadSend;
        break;
    case TransferProgress::Verdict::Fail:
        failTransfer(Message::ReadError);
        break;
    }
}

void LinkEngine::acceptReadByte(std::uint8_t value, bool irregular) {
    if (m_transfer.address() < 0) {
        failTransfer(Message::ReadError);
        return;
    }
    setProgress(m_transfer.accept(value, m_store.image));
    countIrregular(irregular);
    if (irregular)
        settleAfter(ReadSend);
    if (!m_transfer.finished()) {
        if (!irregular)
            sendReadRequest();
        return;
    }

    m_state = Idle;
    setProgressVisible(false);
    if (m_transfer.kind() == TransferProgress::Kind::Verify) {
        endTransfer(true);
        emit message(matchFlag() ? Message::VerifyEqual : Message::VerifyDifferent);
        return;
    }
    m_transfer.commit(m_store.image);
    decodeCurrent(m_store.image, m_store.routes);
    emit decoded();
    endTransfer(true);
}

// ---- store

void LinkEngine::sendWriteRequest() {
    const int address = m_transfer.address();
    if (address < 0) {
        failTransfer(Message::WriteError);
        return;
    }
    m_writeValue = m_store.image[static_cast<std::size_t>(address)];
    sendAttempt(protocol::writeByteCommand(address, m_writeValue), WriteWait1);
}

void LinkEngine::tickWrite() {
    const bool last = waitTick(WriteWait3, 3, kByteExchange);
    if (protocol::matchWriteAck(m_rx.bytes())) {
        // A store takes the first acknowledgement of a write sent on a quiet line.
        const bool irregular = m_transfer.irregular();
        m_transfer.replied('Y');
        acceptWriteAck(irregular);
        return;
    }
    if (last || m_rx.size() >= 2) {
        m_state = WriteTimedOut;
        attemptFailed(WriteSend);
    }
}

void LinkEngine::acceptWriteAck(bool irregular) {
    emit byteStored(m_transfer.address(), m_writeValue);
    setProgress(m_transfer.acknowledge());
    countIrregular(irregular);
    if (irregular)
        settleAfter(WriteSend);
    if (!m_transfer.finished()) {
        if (!irregular)
            sendWriteRequest();
        return;
    }
    m_state = Idle;
    setProgressVisible(false);
    endTransfer(true);
}

void LinkEngine::failTransfer(Message message, Failure::Where where) {
    // The progress bar stays until the box is closed (messageClosed).
    m_failure.where = where;
    m_failure.address = std::max(0, m_transfer.address());
    m_failure.attempts = m_transfer.attemptsSent();
    m_state = Idle;
    unsettle();
    endTransfer(false);
    emit this->message(message);
}

void LinkEngine::endTransfer(bool ok) {
    switch (m_transfer.kind()) {
    case TransferProgress::Kind::Read:
        emit transferFinished(Transfer::Read, ok);
        break;
    case TransferProgress::Kind::Verify:
        emit transferFinished(Transfer::Verify, ok);
        break;
    case TransferProgress::Kind::Store:
        emit transferFinished(Transfer::Store, ok);
        break;
    }
}

// ---- cancel

bool LinkEngine::cancelTransfer() {
    if (!transferRunning())
        return false;
    // Whatever the module still answers to the command in flight is dropped by the next
    // exchange, which empties the receive buffer before it looks for its reply.
    m_state = Idle;
    setProgressVisible(false);
    emit transferCancelled(runningTransfer(), transferDone());
    endTransfer(false);
    return true;
}

int LinkEngine::transferDone() const {
    // A store counts list entries from 0, a read or verify addresses from 1.
    const int position = m_transfer.position();
    return m_transfer.kind() == TransferProgress::Kind::Store ? position
                                                              : std::max(0, position - 1);
}

LinkEngine::Transfer LinkEngine::runningTransfer() const {
    switch (m_transfer.kind()) {
    case TransferProgress::Kind::Read:
        return Transfer::Read;
    case TransferProgress::Kind::Verify:
        return Transfer::Verify;
    case TransferProgress::Kind::Store:
        break;
    }
    return Transfer::Store;
}

// ---- helpers

void LinkEngine::send(const QByteArray& bytes) {
    m_port.send(bytes);
}

void LinkEngine::setVersionText(const QString& text) {
    if (text == m_versionText)
        return;
    m_versionText = text;
    emit versionTextChanged(text);
}

void LinkEngine::setCapacity(int count) {
    m_store.routeCapacity = count;
    const QString text = protocol::capacityText(count);
    if (text == m_capacityText)
        return;
    m_capacityText = text;
    emit capacityTextChanged(text);
}

void LinkEngine::setProgress(int percent) {
    if (percent == m_progress)
        return;
    m_progress = percent;
    emit progressChanged(percent);
}

void LinkEngine::setProgressVisible(bool visible) {
    if (visible == m_progressVisible)
        return;
    m_progressVisible = visible;
    emit progressVisibleChanged(visible);
}
