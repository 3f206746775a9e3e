#include "link/linkengine.h"

#include "data/codec.h"
#include "link/protocol.h"
#include "link/transfers.h"

#include <algorithm>

using transfers::capacityAccepted;
using transfers::lastConfigAddress;

LinkEngine::LinkEngine(ConfigStore& store, BytePort& port, QObject* parent)
    : QObject(parent), m_store(store), m_port(port) {}

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
    m_state = IdentifyWait1;
    return true;
}

bool LinkEngine::startCapacityQuery() {
    if (m_state != Idle)
        return false;
    send(protocol::capacityCommand());
    m_rx.clear();
    m_state = IdentCapacityWait1;
    return true;
}

bool LinkEngine::beginTransfer() {
    if (m_state != Idle)
        return false;
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
            m_state = IdentCapacityWait1;
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
    m_rx.receiveStep(m_port);

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
        send(protocol::capacityCommand());
        m_rx.clear();
        m_state = CapacityWait1;
        break;
    case CapacityWait1:
    case CapacityWait2:
        tickCapacity();
        break;
    case ReadSend:
        sendReadRequest();
        break;
    case ReadWait1:
    case ReadWait2:
    case ReadWait3:
        tickRead();
        break;
    case WriteSend:
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
        ++m_state;
        break;
    case StatusWait1:
    case StatusWait2:
    case ExpStatusWait1:
    case ExpStatusWait2:
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

void LinkEngine::tickIdentify() {
    ++m_state;
    protocol::IdentifyReply reply;
    if (protocol::matchIdentify(m_rx.bytes(), reply)) {
        setVersionText(protocol::versionText(reply));
        if (reply.version < 0x30) {
            // The capacity query waits until the warning is closed (messageClosed). The reply
            // is dropped so that its bytes cannot pass for a capacity reply meanwhile.
            m_rx.clear();
            m_state = IdentCapacityWait1;
            emit message(Message::VersionWarning);
            return;
        }
        send(protocol::capacityCommand());
        m_rx.clear();
        m_state = IdentCapacityWait1;
        return;
    }
    if (m_state == IdentifyTimedOut)
        m_state = Idle;
}

void LinkEngine::tickIdentCapacity() {
    ++m_state;
    std::uint8_t count = 0;
    if (protocol::matchCapacity(m_rx.bytes(), count)) {
        setCapacity(count);
        m_state = Idle;
        return;
    }
    if (m_state == CapacitySend)
        m_state = Idle;
}

void LinkEngine::tickCapacity() {
    ++m_state;
    std::uint8_t count = 0;
    if (protocol::matchCapacity(m_rx.bytes(), count)) {
        setCapacity(count);
        m_transfer.setEnd(lastConfigAddress(count));
        m_state = capacityAccepted(count) ? ReadSend : CapacityFailed;
    }
    if (m_state == CapacityFailed)
        failTransfer(Message::ReadError);
}

void LinkEngine::sendReadRequest() {
    // An accepted capacity keeps every address inside the image; this holds without it too.
    const int address = m_transfer.address();
    if (address < 0) {
        failTransfer(Message::ReadError);
        return;
    }
    send(protocol::readByteCommand(address));
    m_rx.clear();
    m_state = ReadWait1;
}

void LinkEngine::tickRead() {
    ++m_state;
    std::uint8_t value = 0;
    if (protocol::matchReadByte(m_rx.bytes(), value)) {
        acceptReadByte(value);
        return;
    }
    if (m_state == ReadTimedOut)
        retry();
}

void LinkEngine::acceptReadByte(std::uint8_t value) {
    if (m_transfer.address() < 0) {
        failTransfer(Message::ReadError);
        return;
    }
    setProgress(m_transfer.accept(value, m_store.image));
    if (!m_transfer.finished()) {
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

void LinkEngine::sendWriteRequest() {
    const int address = m_transfer.address();
    if (address < 0) {
        failTransfer(Message::WriteError);
        return;
    }
    m_rx.clear();
    m_writeValue = m_store.image[static_cast<std::size_t>(address)];
    send(protocol::writeByteCommand(address, m_store.image[static_cast<std::size_t>(address)]));
    m_state = WriteWait1;
}

void LinkEngine::tickWrite() {
    ++m_state;
    if (protocol::matchWriteAck(m_rx.bytes())) {
        acceptWriteAck();
        return;
    }
    if (m_state == WriteTimedOut)
        retry();
}

void LinkEngine::acceptWriteAck() {
    emit byteStored(m_transfer.address(), m_writeValue);
    setProgress(m_transfer.acknowledge());
    if (!m_transfer.finished()) {
        sendWriteRequest();
        return;
    }
    m_state = Idle;
    setProgressVisible(false);
    endTransfer(true);
}

void LinkEngine::retry() {
    const bool store = m_state == WriteTimedOut;
    if (!m_transfer.retry()) {
        failTransfer(store ? Message::WriteError : Message::ReadError);
        return;
    }
    m_state = store ? WriteSend : ReadSend;
}

void LinkEngine::failTransfer(Message message) {
    // The progress bar stays until the box is closed (messageClosed).
    m_state = Idle;
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
