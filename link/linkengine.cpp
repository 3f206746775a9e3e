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

// Why a transfer never takes a stray reply for a fresh one.
//
// Read, write and capacity replies carry no address: a late answer, a reply the module sent
// twice or two bytes of line noise ending in "*" look exactly like the answer to whatever was
// sent next, and taken for it they shift every later byte by one address. So:
// - Every transfer starts on a quiet line: what waits is discarded, and the first command goes
//   out only after a reply window without a byte.
// - A window is taken only when it holds exactly one whole reply. One that stays silent is tried
//   again (three attempts a byte) once the line has been quiet for a reply window. The answer
//   that missed its window may still come, even after later answers: once the byte is taken,
//   the line must stay quiet for ten reply windows before the probe closes the block, so that
//   such a straggler lands in the wait and is thrown away instead of being taken for a byte.
// - The bytes go in blocks, each closed by a probe: the identify command, whose answer is the
//   same every time and cannot pass for a byte's reply. A shifted reply pushes a byte's answer
//   into the probe's window, so a probe answered by anything else than the module's identify
//   answer means the block is not trusted: after a quiet line it is done again. So is a block
//   in which a window held more or other bytes than one reply (a stray reply may have shifted
//   the bytes before it). A block that keeps going wrong ends in the error box.
// - The capacity is asked until two answers agree; a store reads back what it wrote.
// What no rule can see is a stray reply standing in for an answer that was lost at the same
// time, or a value byte damaged with its "*" intact: the protocol has no check sum. A store's
// read-back catches both in what it wrote.

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
// How late an answer may come and still be caught, in reply windows. An answer that missed its
// window may come this late (modules and emulators have been seen to answer eight windows late,
// and out of order), so after such a wrong turn the line must stay quiet this long before the
// transfer goes on: the straggler lands in the wait and is thrown away.
constexpr int kStragglerWindows = 10;
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

namespace {
QString addressText(int a) {
    return QStringLiteral("%1 (%2)").arg(a).arg(toHex(static_cast<std::uint32_t>(a), 4));
}
} // namespace

QString LinkEngine::failureText(const Failure& failure) {
    using Where = Failure::Where;
    switch (failure.where) {
    case Where::Nothing:
        return QString();
    case Where::CapacityQuery: {
        if (failure.answers.size() < 2)
            return QStringLiteral("Dotaz na počet cest zůstal bez platné odpovědi. Pokusů: %1.")
                .arg(failure.attempts);
        QStringList counts;
        for (int c : failure.answers)
            counts << QString::number(c);
        return QStringLiteral("Modul na dotaz na počet cest odpověděl pokaždé jinak (%1). "
                              "Pokusů: %2.")
            .arg(counts.join(QStringLiteral(", ")))
            .arg(failure.attempts);
    }
    case Where::CapacityRange:
        return QStringLiteral("Modul hlásí %1 cest, platný počet je %2 až %3.")
            .arg(failure.capacity)
            .arg(transfers::kMinCapacity)
            .arg(transfers::kMaxCapacity);
    case Where::Block:
        return QStringLiteral("Adresy %1 až %2: odpovědi modulu nepatřily k dotazům (cizí nebo "
                              "opožděné odpovědi na lince), blok se nepodařilo přenést. "
                              "Pokusů: %3.")
            .arg(addressText(failure.address), addressText(failure.lastAddress))
            .arg(failure.attempts);
    case Where::Probe:
        return QStringLiteral("Modul neodpověděl na kontrolní dotaz (identifikaci) tak, jak má. "
                              "Pokusů: %1.")
            .arg(failure.attempts);
    case Where::ReadBack:
        return QStringLiteral("Adresa %1: po zápisu modul vrací %2 místo %3 (%4). Zapsáno %5krát.")
            .arg(addressText(failure.address), toHex(failure.moduleValue, 2),
                 toHex(failure.sentValue, 2), transfers::describeAddress(failure.address))
            .arg(failure.attempts);
    case Where::PortGone:
        return QStringLiteral("Sériový port přestal být dostupný (odpojený kabel nebo převodník), "
                              "přenos skončil.");
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
    return QStringLiteral("Adresa %1: %2. Pokusů: %3.")
        .arg(addressText(a), place)
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
    m_identifyTries = 1;
    m_identifyGarbled = false;
    // What waits from before (a stopped transfer's answers) would stand before the answer.
    if (m_port.isOpen())
        m_port.discardInput();
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
    m_writeInFlight = false;
    m_writesAcked = 0;
    m_storeProven = false;
    m_probeAnswer.clear();
    setProgress(0);
    setProgressVisible(true);
    // A clean start: answers to whatever came before (a stopped transfer, a poll) are thrown
    // away, and the first command waits for a reply window without a byte.
    if (m_port.isOpen())
        m_port.discardInput();
    m_rx.clear();
    unsettle();
    m_settleTicks = 0;
    m_quietWaited = 0;
    return true;
}

bool LinkEngine::startStoreCapacityQuery() {
    if (!beginTransfer())
        return false;
    m_transfer.startCapacity();
    m_state = CapacitySend;
    return true;
}

bool LinkEngine::startRead(bool commit) {
    if (!beginTransfer())
        return false;
    m_commitRead = commit;
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

bool LinkEngine::startStore(std::vector<std::uint32_t> addresses, bool readBack) {
    if (m_state != Idle || addresses.empty())
        return false;
    const bool inside = std::all_of(addresses.begin(), addresses.end(), [](std::uint32_t a) {
        return a < static_cast<std::uint32_t>(image::kSize);
    });
    if (!inside)
        return false;
    beginTransfer();
    // The image as it is now is what goes to the module, whatever is edited meanwhile.
    m_transfer.startStore(std::move(addresses), m_store.image, readBack);
    m_state = ProbeSend;
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
    checkPort();
    const bool arrived = m_rx.receiveStep(m_port) > 0;
    m_heard = m_heard || arrived;
    m_quiet = arrived ? 0 : std::min(m_quiet + 1, 1 << 20);
    m_byteTicks = std::min(m_byteTicks + 1, 1 << 20);

    switch (m_state) {
    case IdentifySettle:
        tickIdentifySettle();
        break;
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
    case ProbeSend:
        if (lineReady(ProbeSend))
            sendProbe();
        break;
    case ProbeWait1:
    case ProbeWait2:
        tickProbe();
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

// A port that went away (unplugged) ends a transfer at once and says why, instead of leaving it
// to time-outs that would blame the module.
void LinkEngine::checkPort() {
    const bool open = m_port.isOpen();
    const bool lost = m_portWasOpen && !open;
    m_portWasOpen = open;
    if (lost)
        emit portLost();
    if (!open && transferRunning()) {
        Failure f;
        f.where = Failure::Where::PortGone;
        fail(f);
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
    m_heard = false;
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
    // A retry waits the normal window: a module slower than the fast window still gets its
    // answers in, and the transfer then goes on at the normal pace.
    const bool retrying =
        transferRunning() && (m_transfer.retries() > 0 || m_transfer.blockTries() > 1);
    if (fastActive() && !retrying)
        return m_now() - m_sentAt >= static_cast<qint64>(exchangeBytes * kByteMs + kMarginMs);
    return m_waited >= lookTicks(documentedTicks, exchangeBytes);
}

// ---- fast link

QString LinkEngine::fastFellBackText() {
    return QStringLiteral("Rychlý přenos po opakovaných pokusech přešel na běžné tempo.");
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
    case ProbeWait1:
    case ProbeWait2:
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
    m_heard = true;
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
    case ProbeWait1:
    case ProbeWait2:
        tickProbe();
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
    case ProbeWait1:
    case ProbeWait2:
        return !m_probeAnswer.isEmpty() && m_rx.bytes() == m_probeAnswer;
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

bool LinkEngine::lineRegular() const {
    return !m_transfer.irregular() && !m_unsettled && m_settleTicks == 0;
}

// Whether the transfer's next command may go out now: at once on a regular line, else only once
// no byte has come for a full reply window; what came meanwhile is thrown away.
bool LinkEngine::lineReady(int sendState) {
    if (lineRegular())
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

// The attempt at the current byte (or at the capacity, or the probe) went wrong: try again after
// a quiet spell, or fail when it was the last attempt.
void LinkEngine::attemptFailed(int sendState) {
    m_quiet = 0;
    m_quietWaited = 0;
    if (sendState == ProbeSend) {
        blockWentWrong(true);
        return;
    }
    if (sendState == CapacitySend) {
        m_transfer.retry();
        if (m_transfer.retries() >= TransferProgress::kCapacityAttempts ||
            m_transfer.attemptsSent() >= TransferProgress::kCapacityAttempts) {
            failCapacityQuery();
            return;
        }
        m_state = CapacitySend;
        return;
    }
    if (!m_transfer.retry()) {
        Failure f;
        f.where = Failure::Where::Byte;
        f.address = std::max(0, m_transfer.address());
        f.attempts = m_transfer.attemptsSent();
        fail(f);
        return;
    }
    m_state = sendState;
}

// A window ended without one whole reply. Silence is a lost or late answer: the byte is tried
// again. Bytes that are not one reply may be a stray reply, and the bytes taken before it in
// the block may have been shifted by it: the block is done again.
void LinkEngine::windowWentWrong(int sendState) {
    if (sendState != CapacitySend && m_heard) {
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
    unsettle();
    m_settleTicks = stragglerTicks();
    m_quietWaited = 0;
    countIrregular(true);
    if (!m_transfer.redoBlock()) {
        fail(f);
        return;
    }
    m_state = empty ? ProbeSend : m_transfer.writing() ? WriteSend : ReadSend;
}

void LinkEngine::unsettle() {
    m_unsettled = true;
    m_quiet = 0;
}

int LinkEngine::stragglerTicks() const {
    return kStragglerWindows * lookTicks(3, kByteExchange);
}

// A byte that needed more than one attempt has been taken. Answers to its earlier attempts may
// still be on the way: the next command waits until the line has been quiet for as long as a
// straggler may come, or as this byte took when that was longer.
void LinkEngine::settleAfter(int sendState) {
    m_settleTicks = std::max(m_byteTicks, stragglerTicks());
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
    if (!last)
        return;
    if (m_heard && m_identifyTries < TransferProgress::kAttempts) {
        // Something else came first (answers still on their way from before): ask again on a
        // quiet line.
        ++m_identifyTries;
        m_quiet = 0;
        m_quietWaited = 0;
        m_state = IdentifySettle;
        return;
    }
    m_identifyGarbled = m_heard;
    m_state = Idle;
    unsettle();
}

void LinkEngine::tickIdentifySettle() {
    const int window = lookTicks(2, kIdentifyExchange);
    if (m_quiet >= window) {
        m_rx.clear();
        send(protocol::identifyCommand());
        startWait(IdentifyWait1);
        return;
    }
    if (++m_quietWaited > kQuietLimitWindows * window) {
        m_identifyGarbled = true;
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

// ---- the capacity query that starts a read, verify or whole store

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
    m_rx.clear();
    // A damaged count is as whole a reply as the right one: only two answers that agree count.
    if (!m_transfer.capacityAnswer(count)) {
        if (m_transfer.attemptsSent() >= TransferProgress::kCapacityAttempts) {
            failCapacityQuery();
            return;
        }
        m_state = CapacitySend;
        if (lineRegular())
            sendCapacityQuery();
        return;
    }
    setCapacity(count);
    const bool wholeStore = m_transfer.kind() == TransferProgress::Kind::Capacity;
    if (!wholeStore)
        m_transfer.setEnd(lastConfigAddress(count));
    if (!capacityAccepted(count)) {
        m_state = CapacityFailed;
        Failure f;
        f.where = Failure::Where::CapacityRange;
        f.capacity = count;
        fail(f);
        return;
    }
    const bool irregular = m_transfer.irregular();
    m_transfer.restartAttempts();
    if (wholeStore) {
        finishTransfer();
        return;
    }
    if (irregular) {
        settleAfter(ProbeSend);
        return;
    }
    m_state = ProbeSend;
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
    m_rx.clear();
    send(protocol::identifyCommand());
    startWait(ProbeWait1);
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
    const bool last = waitTick(ProbeWait2, 3, kIdentifyExchange);
    const QByteArray& b = m_rx.bytes();
    if (m_probeAnswer.isEmpty()) {
        // The transfer's first probe learns the answer. It is taken at the end of its window,
        // so that a long answer whose letter is "*" is not cut short to the short form.
        if (!last)
            return;
        if (!isIdentifyAnswer(b)) {
            blockWentWrong(true);
            return;
        }
        m_probeAnswer = b;
        probeAnswered();
        return;
    }
    if (b == m_probeAnswer) {
        probeAnswered();
        return;
    }
    if (last || b.size() >= m_probeAnswer.size())
        blockWentWrong(true);
}

// The block's replies all answered their own commands: its bytes stand.
void LinkEngine::probeAnswered() {
    m_rx.clear();
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
    m_state = write ? WriteSend : ReadSend;
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
    if (irregular) {
        settleAfter(ProbeSend);
        return;
    }
    if (m_transfer.probeDue()) {
        m_state = ProbeSend;
        sendProbe();
        return;
    }
    sendNext();
}

// ---- read, verify, read-back

void LinkEngine::sendReadRequest() {
    // An accepted capacity keeps every address inside the image; this holds without it too.
    const int address = m_transfer.address();
    if (address < 0) {
        Failure f;
        fail(f);
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
            windowWentWrong(ReadSend);
        }
        return;
    }
    m_rx.clear();
    const bool irregular = m_transfer.irregular();
    advanceProgress(m_transfer.accept(value, m_store.image));
    entryDone(irregular);
}

// ---- store

void LinkEngine::sendWriteRequest() {
    const int address = m_transfer.address();
    if (address < 0) {
        Failure f;
        fail(f);
        return;
    }
    m_writeValue = m_transfer.valueToWrite();
    m_writeInFlight = true;
    sendAttempt(protocol::writeByteCommand(address, m_writeValue), WriteWait1);
}

void LinkEngine::tickWrite() {
    const bool last = waitTick(WriteWait3, 3, kByteExchange);
    if (protocol::matchWriteAck(m_rx.bytes())) {
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
    if (last || m_rx.size() >= 2) {
        m_state = WriteTimedOut;
        windowWentWrong(WriteSend);
    }
}

int LinkEngine::writesDone() const {
    if (m_transfer.kind() != TransferProgress::Kind::Store)
        return 0;
    if (m_transfer.pass() == TransferProgress::Pass::Main)
        return m_writesAcked;
    return static_cast<int>(m_transfer.storeList().size());
}

// ---- the end

void LinkEngine::finishTransfer() {
    m_state = Idle;
    setProgressVisible(false);
    switch (m_transfer.kind()) {
    case TransferProgress::Kind::Verify:
        endTransfer(true);
        emit message(matchFlag() ? Message::VerifyEqual : Message::VerifyDifferent);
        return;
    case TransferProgress::Kind::Read:
        if (!m_commitRead)
            break;
        m_transfer.commit(m_store.image);
        decodeCurrent(m_store.image, m_store.routes);
        emit decoded();
        break;
    case TransferProgress::Kind::Store:
        m_writeInFlight = false;
        m_storeProven = m_transfer.readsBack();
        break;
    case TransferProgress::Kind::Capacity:
        break;
    }
    endTransfer(true);
}

void LinkEngine::fail(const Failure& failure) {
    const bool store = m_transfer.kind() == TransferProgress::Kind::Store ||
                       m_transfer.kind() == TransferProgress::Kind::Capacity;
    // The progress bar stays until the box is closed (messageClosed).
    m_failure = failure;
    if (m_failure.where == Failure::Where::Nothing) {
        m_failure.where = Failure::Where::Byte;
        m_failure.address = std::max(0, m_transfer.address());
        m_failure.attempts = m_transfer.attemptsSent();
    }
    m_state = Idle;
    unsettle();
    endTransfer(false);
    emit message(store ? Message::WriteError : Message::ReadError);
}

void LinkEngine::endTransfer(bool ok) {
    emit transferFinished(runningTransfer(), ok);
}

// ---- cancel

bool LinkEngine::cancelTransfer() {
    if (!transferRunning())
        return false;
    // Whatever the module still answers to the command in flight is dropped by the next
    // exchange, which starts on a quiet line.
    m_state = Idle;
    unsettle();
    setProgressVisible(false);
    emit transferCancelled(runningTransfer(), transferDone());
    endTransfer(false);
    return true;
}

int LinkEngine::transferDone() const {
    // A store counts the writes acknowledged, a read or verify addresses from 1.
    if (m_transfer.kind() == TransferProgress::Kind::Store)
        return writesDone();
    return std::max(0, m_transfer.position() - 1);
}

LinkEngine::Transfer LinkEngine::runningTransfer() const {
    switch (m_transfer.kind()) {
    case TransferProgress::Kind::Read:
        return Transfer::Read;
    case TransferProgress::Kind::Verify:
        return Transfer::Verify;
    case TransferProgress::Kind::Store:
    case TransferProgress::Kind::Capacity:
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

// A block done again does not move the bar back.
void LinkEngine::advanceProgress(int percent) {
    if (percent > m_progress)
        setProgress(percent);
}

void LinkEngine::setProgressVisible(bool visible) {
    if (visible == m_progressVisible)
        return;
    m_progressVisible = visible;
    emit progressVisibleChanged(visible);
}
