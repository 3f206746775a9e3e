#include "link/protocol.h"

namespace protocol {
namespace {
QByteArray frame(char letter, std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    QByteArray f(7, '\0');
    f[0] = '@';
    f[1] = letter;
    f[2] = static_cast<char>(a);
    f[3] = static_cast<char>(b);
    f[4] = static_cast<char>(c);
    f[5] = static_cast<char>(d);
    f[6] = '*';
    return f;
}

std::uint8_t at(const QByteArray& buf, qsizetype i) {
    return static_cast<std::uint8_t>(buf.at(i));
}

// Both status replies share the frame; they differ in the order of the push-button word.
bool matchStatusFrame(const QByteArray& buf) {
    return buf.size() >= 5 && buf.at(4) == '*';
}
} // namespace

QByteArray identifyCommand() {
    return QByteArrayLiteral("@G0000* ");
}

QByteArray capacityCommand() {
    return QByteArrayLiteral("@M0000*");
}

QByteArray statusCommand() {
    return QByteArrayLiteral("@S0000*");
}

QByteArray expansionStatusCommand() {
    return QByteArrayLiteral("@U0000*");
}

QByteArray readByteCommand(int address) {
    return frame('R', address & 0xFF, (address >> 8) & 0xFF, '0', '0');
}

QByteArray writeByteCommand(int address, std::uint8_t value) {
    return frame('W', address & 0xFF, (address >> 8) & 0xFF, value, address & 0xFF);
}

QByteArray simulationFrame(const std::array<std::uint8_t, 8>& data) {
    QByteArray f;
    f.reserve(10);
    f.append('@');
    for (std::uint8_t b : data)
        f.append(static_cast<char>(b));
    f.append('*');
    return f;
}

QByteArray signalCommand(std::uint8_t signalNumber, std::uint8_t signalCode) {
    return frame('N', signalNumber, signalCode, 0x01, 0x01);
}

QByteArray pointMachineCommand(std::uint8_t machineIndex, std::uint8_t positionCode) {
    return frame('T', machineIndex, positionCode, 0x01, 0x01);
}

QByteArray relaysCommand(std::uint8_t relayByteA, std::uint8_t relayByteB) {
    return frame('E', relayByteA, relayByteB, 0x01, 0x01);
}

QByteArray expansionRelaysCommand(std::uint8_t relayByteA, std::uint8_t relayByteB) {
    return frame('F', relayByteA, relayByteB, 0x01, 0x01);
}

bool matchIdentify(const QByteArray& buf, IdentifyReply& out) {
    const bool shortForm = buf.size() >= 3 && buf.at(0) == 'S' && buf.at(2) == '*';
    const bool longForm = buf.size() >= 4 && buf.at(0) == 'S' && buf.at(3) == '*';
    if (!shortForm && !longForm)
        return false;
    out.version = at(buf, 1);
    out.hasLetter = longForm;
    out.letter = longForm ? buf.at(2) : 0;
    return true;
}

bool matchCapacity(const QByteArray& buf, std::uint8_t& count) {
    if (buf.size() < 2 || buf.at(1) != '*')
        return false;
    count = at(buf, 0);
    return true;
}

bool matchSingleReply(const QByteArray& buf, std::uint8_t& value) {
    if (buf.size() != 2 || buf.at(1) != '*')
        return false;
    value = at(buf, 0);
    return true;
}

bool matchReadByte(const QByteArray& buf, std::uint8_t& value) {
    return matchSingleReply(buf, value);
}

bool matchWriteAck(const QByteArray& buf) {
    std::uint8_t value = 0;
    return matchSingleReply(buf, value) && value == 'Y';
}

bool matchStatus(const QByteArray& buf, StatusValues& out) {
    if (!matchStatusFrame(buf))
        return false;
    out = {at(buf, 0), static_cast<std::uint16_t>(at(buf, 1) + 256 * at(buf, 2)), at(buf, 3)};
    return true;
}

bool matchExpansionStatus(const QByteArray& buf, StatusValues& out) {
    if (!matchStatusFrame(buf))
        return false;
    out = {at(buf, 0), static_cast<std::uint16_t>(256 * at(buf, 1) + at(buf, 2)), at(buf, 3)};
    return true;
}

bool matchSimulation(const QByteArray& buf, SimulationValues& out) {
    if (buf.size() != 10 || buf.at(9) != '*')
        return false;
    out.requestedSignalA = at(buf, 1) & 0x1F;
    out.requestedSignalB = at(buf, 2) & 0x1F;
    out.answerA = (at(buf, 1) >> 5) & 0x03;
    out.answerB = (at(buf, 2) >> 5) & 0x03;
    return true;
}

QString versionText(const IdentifyReply& reply) {
    QString text = QStringLiteral("V ") + QString::number(reply.version >> 4) + QLatin1Char('.') +
                   QString::number(reply.version & 0x0F);
    // The letter is one raw byte; shown as the Latin-1 character it stands for.
    if (reply.hasLetter)
        text += QChar(static_cast<unsigned char>(reply.letter));
    return text;
}

QString capacityText(int count) {
    return QStringLiteral("Max.cest:") + QString::number(count);
}

} // namespace protocol
