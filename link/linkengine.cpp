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

int LinkEngine::progressPercent(int position, int end) {
    if (end <= 0)
        return 100;
    // Exact integer arithmetic: a floating-point quotient could land a hair off an exact half.
    const long long num = 100LL * position;
    long long q = num / end;
    const long long twiceRest = 2 * (num % end);
    if (twiceRest > end || (twiceRest == end && (q & 1)))
        ++q;
    return static_cast<int>(q);
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

bool LinkEngine::beginTransfer(Transfer kind) {
    if (m_state != Idle)
        return false;
    m_transfer = kind;
    m_verify = kind == Transfer::Verify;
    m_match = true;
    m_differences.clear();
    m_retries = 0;
    setProgress(0);
    setProgressVisible(true);
    return true;
}

bool LinkEngine::startRead() {
    if (!beginTransfer(Transfer::Read))
        return false;
    m_position = 1;
    m_end = lastConfigAddress(m_store.routeCapacity);
    m_readCopy = m_store.image;
    m_state = CapacitySend;
    return true;
}

bool LinkEngine::startVerify() {
    if (!beginTransfer(Transfer::Verify))
        return false;
    m_position = 1;
    m_end = lastConfigAddress(m_store.routeCapacity);
    m_state = CapacitySend;
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
    beginTransfer(Transfer::Store);
    m_addresses = std::move(addresses);
    m_position = 0;
    m_end = static_cast<int>(m_addresses.size()) - 1;
    m_state = WriteSend;
    return true;
}

bool LinkEngine::startStatusPoll() {
    if (m_state != Idle)
        return false;
    m_state = StatusSend;
    return true;
}

bool LinkEngine::stopStatusPoll() {
    if (m_state < StatusSend || m_state > 34)
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
    if (m_state < StatusSend || m_state > 39)
        return false;
    m_state = Idle;
    return true;
}

bool LinkEngine::sendPreparedCommand() {
    if (m_state != Idle)
        return false;
    m_state = PreparedSend;
    return true;
}

bool LinkEngine::prepareCommand(const QByteArray& command) {
    m_prepared = command;
    return sendPreparedCommand();
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
    if (m_barLabelVisible != m_progressVisible) {
        m_barLabelVisible = m_progressVisible;
        emit barLabelVisibleChanged(m_barLabelVisible);
    }

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
    case ExpStatusLook: {
        std::array<std::uint8_t, 4> b{};
        const bool main = m_state == StatusLook;
        if (protocol::matchStatus(m_rx.bytes(), b)) {
            // The expansion unit sends its push-button word high byte first.
            if (main) {
                m_status = {b[0], static_cast<std::uint16_t>(b[1] + 256 * b[2]), b[3]};
                emit statusReceived();
            } else {
                m_expStatus = {b[0], static_cast<std::uint16_t>(256 * b[1] + b[2]), b[3]};
                emit expansionStatusReceived();
            }
        }
        m_state = main ? StatusSend : ExpStatusSend;
        break;
    }
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
    case SimulationWait: {
        std::array<std::uint8_t, 9> b{};
        if (protocol::matchSimulation(m_rx.bytes(), b)) {
            m_simReply.requestedSignalA = b[1] & 0x1F;
            m_simReply.requestedSignalB = b[2] & 0x1F;
            m_simReply.answerA = (b[1] >> 5) & 0x03;
            m_simReply.answerB = (b[2] >> 5) & 0x03;
            ++m_simReply.replyCounter;
            m_rx.clear();
            emit simulationReplyReceived();
        }
        break;
    }
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
        m_end = lastConfigAddress(count);
        m_state = capacityAccepted(count) ? ReadSend : CapacityFailed;
    }
    if (m_state == CapacityFailed)
        failTransfer(Message::ReadError);
}

bool LinkEngine::takeByteReply(std::uint8_t& value) const {
    // Replies carry no address. A reply that missed its attempt's window can still arrive and
    // be read together with a later one. Several whole replies that all say the same are safe
    // to take (typically every attempt at the same address answering at once); replies that
    // disagree may mix two addresses' bytes, so none is taken and the retry asks again on a
    // cleared buffer.
    const QByteArray& b = m_rx.bytes();
    if (b.isEmpty() || b.size() % 2 != 0)
        return false;
    for (qsizetype i = 0; i < b.size(); i += 2)
        if (b.at(i + 1) != '*' || b.at(i) != b.at(0))
            return false;
    value = static_cast<std::uint8_t>(b.at(0));
    return true;
}

bool LinkEngine::takeWriteAck() const {
    const QByteArray& b = m_rx.bytes();
    if (b.isEmpty() || b.size() % 2 != 0)
        return false;
    for (qsizetype i = 0; i < b.size(); i += 2)
        if (b.at(i) != 'Y' || b.at(i + 1) != '*')
            return false;
    return true;
}

bool LinkEngine::sendReadRequest() {
    // Only reachable with bad values when a test forces the state; never read past the image.
    if (m_position < 1 || m_position > m_end || m_end >= image::kSize) {
        failTransfer(Message::ReadError);
        return false;
    }
    send(protocol::readByteCommand(m_position));
    m_rx.clear();
    m_state = ReadWait1;
    return true;
}

void LinkEngine::tickRead() {
    ++m_state;
    std::uint8_t value = 0;
    if (takeByteReply(value)) {
        acceptReadByte(value);
        return;
    }
    if (m_state == ReadTimedOut)
        retry();
}

void LinkEngine::acceptReadByte(std::uint8_t value) {
    if (m_position < 1 || m_position > m_end || m_end >= image::kSize) {
        failTransfer(Message::ReadError);
        return;
    }
    const auto at = static_cast<std::size_t>(m_position);
    if (m_verify) {
        if (m_store.image[at] != value) {
            m_match = false;
            m_differences.push_back({m_position, m_store.image[at], value});
        }
    } else {
        m_readCopy[at] = value;
    }
    setProgress(progressPercent(m_position, m_end));
    m_retries = 0;
    ++m_position;
    if (m_position <= m_end) {
        sendReadRequest();
        return;
    }

    m_state = Idle;
    setProgressVisible(false);
    if (m_verify) {
        endTransfer(true);
        emit message(m_match ? Message::VerifyEqual : Message::VerifyDifferent);
        return;
    }
    // Only a complete read replaces the image: a broken one must not leave the user's
    // configuration half overwritten.
    std::copy(m_readCopy.begin() + 1, m_readCopy.begin() + m_end + 1, m_store.image.begin() + 1);
    decodeCurrent(m_store.image, m_store.routes);
    emit decoded();
    endTransfer(true);
}

bool LinkEngine::sendWriteRequest() {
    const auto count = static_cast<int>(m_addresses.size());
    if (m_position < 0 || m_position >= count || m_end >= count ||
        m_addresses[static_cast<std::size_t>(m_position)] >=
            static_cast<std::uint32_t>(image::kSize)) {
        failTransfer(Message::WriteError);
        return false;
    }
    const auto address = static_cast<int>(m_addresses[static_cast<std::size_t>(m_position)]);
    m_rx.clear();
    send(protocol::writeByteCommand(address, m_store.image[static_cast<std::size_t>(address)]));
    m_state = WriteWait1;
    return true;
}

void LinkEngine::tickWrite() {
    ++m_state;
    if (takeWriteAck()) {
        acceptWriteAck();
        return;
    }
    if (m_state == WriteTimedOut)
        retry();
}

void LinkEngine::acceptWriteAck() {
    setProgress(progressPercent(m_position, m_end));
    m_retries = 0;
    ++m_position;
    if (m_position <= m_end) {
        sendWriteRequest();
        return;
    }
    m_state = Idle;
    setProgressVisible(false);
    endTransfer(true);
}

void LinkEngine::retry() {
    const bool store = m_state == WriteTimedOut;
    ++m_retries;
    if (m_retries >= 3) {
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
    const Transfer kind = m_transfer;
    m_transfer = Transfer::None;
    emit transferFinished(kind, ok);
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
