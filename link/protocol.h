#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

// The module's command and reply formats. Commands are "@", a letter, raw parameter bytes and
// "*"; parameter bytes may themselves be "@" or "*". Replies are recognised by their length and
// the fixed position of their closing "*" only, never by searching: a stray "*" inside a value
// must not shift a reply.
namespace protocol {

QByteArray identifyCommand();        // "@G0000* ", eight bytes with a trailing blank
QByteArray capacityCommand();        // "@M0000*"
QByteArray statusCommand();          // "@S0000*"
QByteArray expansionStatusCommand(); // "@U0000*"
QByteArray readByteCommand(int address);
// The address low byte is sent twice; the module uses the second copy as a check.
QByteArray writeByteCommand(int address, std::uint8_t value);
QByteArray simulationFrame(const std::array<std::uint8_t, 8>& data);

// Commands the test windows prepare; none of them is answered.
QByteArray signalCommand(std::uint8_t signalNumber, std::uint8_t signalCode);
QByteArray pointMachineCommand(std::uint8_t machineIndex, std::uint8_t positionCode);
QByteArray relaysCommand(std::uint8_t relayByteA, std::uint8_t relayByteB);
QByteArray expansionRelaysCommand(std::uint8_t relayByteA, std::uint8_t relayByteB);

struct IdentifyReply {
    std::uint8_t version = 0; // high nibble major, low nibble minor
    bool hasLetter = false;
    char letter = 0;
};
// The same answer: the letter counts only where there is one.
inline bool operator==(const IdentifyReply& a, const IdentifyReply& b) {
    return a.version == b.version && a.hasLetter == b.hasLetter &&
           (!a.hasLetter || a.letter == b.letter);
}
inline bool operator!=(const IdentifyReply& a, const IdentifyReply& b) {
    return !(a == b);
}

// Inputs of one unit as its status reply reports them.
struct StatusValues {
    std::uint8_t sensors = 0;
    std::uint16_t pushButtons = 0;
    std::uint8_t detectors = 0;
};

// What the neighbour module asks and answers in a simulation reply.
struct SimulationValues {
    std::uint8_t requestedSignalA = 0; // 0..31
    std::uint8_t requestedSignalB = 0;
    std::uint8_t answerA = 0; // 0..3
    std::uint8_t answerB = 0;
};

// Long form wins when a buffer matches both ("S", v, "*", "*").
bool matchIdentify(const QByteArray& buf, IdentifyReply& out);
bool matchCapacity(const QByteArray& buf, std::uint8_t& count);
// Read, write and transfer capacity replies carry no address: a reply that missed its attempt
// looks exactly like the answer to the next command. So a window is taken only when it holds one
// whole reply and nothing else; two replies, even agreeing ones, may both be stragglers. So a
// buffer of two bytes that does not match can never become a reply.
bool matchSingleReply(const QByteArray& buf, std::uint8_t& value);
bool matchReadByte(const QByteArray& buf, std::uint8_t& value);
bool matchWriteAck(const QByteArray& buf);
// Four data bytes and "*". The main unit sends its push-button word low byte first, the
// expansion unit high byte first.
bool matchStatus(const QByteArray& buf, StatusValues& out);
bool matchExpansionStatus(const QByteArray& buf, StatusValues& out);
// Exactly ten bytes: a longer buffer is something else and is ignored.
bool matchSimulation(const QByteArray& buf, SimulationValues& out);

// "V 3.0", "V 2.5b": nibbles in decimal, then the revision letter as one character.
QString versionText(const IdentifyReply& reply);
QString capacityText(int count); // "Max.cest:90"

} // namespace protocol
