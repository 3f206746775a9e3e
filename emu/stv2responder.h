#pragma once

#include "data/configstore.h"
#include "data/image.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

// A virtual STV2 module with its EXP2 expansion unit, as seen from the serial line: bytes in,
// reply bytes out. No clock and no I/O: the pseudo-terminal host (stv2-emu) and in-process tests
// decide when the bytes travel. Everything it does follows from its options and the bytes fed in,
// so the same options and the same input always give the same replies, faults included.

namespace emu {
// One byte on the wire at 9600 baud, 8N1: ten bit times.
constexpr double kByteTimeMs = 10.0 * 1000.0 / 9600.0;
} // namespace emu

// How the module misbehaves. Every reply draws its fate from a generator started from `seed`.
struct FaultOptions {
    std::uint64_t seed = 1;
    double dropRate = 0.0;    // share of replies never sent
    double lateRate = 0.0;    // share of replies that wait a further lateMs
    double splitRate = 0.0;   // share of replies written in two pieces, splitGapMs apart
    double corruptRate = 0.0; // share of replies with one byte changed
    // Stray replies: a share of replies sent a second time duplicateMs after the first, and a
    // share followed noiseMs later by two bytes of line noise, the second one "*".
    double duplicateRate = 0.0;
    double noiseRate = 0.0;
    int duplicateMs = 10;
    int noiseMs = 10;
    int silentAfter = -1; // answer only the first N commands, then nothing; -1: never silent
    int lateMs = 200;
    int splitGapMs = 10;
};

struct ResponderOptions {
    std::uint8_t version = 0x30; // high nibble major, low nibble minor
    char revision = 0;           // 0: short identify reply "S", version, "*"
    int capacity = 90;           // route count the module reports, 0..255
    int latencyMs = 0;           // every reply waits this long after its command
    int writeMs = 0;             // a write byte's acknowledgement waits this much longer
    FaultOptions faults;
};

// One write towards the tool: wait delayMs after the previous chunk has been written (for the
// first chunk of a reply: after its command has been received), then write the bytes.
struct ReplyChunk {
    int delayMs = 0;
    QByteArray bytes;
    bool operator==(const ReplyChunk& o) const { return delayMs == o.delayMs && bytes == o.bytes; }
};

enum class Unit { Main, Expansion };

// Inputs of one unit as its status reply reports them; bit k-1 is input k.
struct UnitInputs {
    std::uint8_t sensors = 0;
    std::uint16_t buttons = 0;
    std::uint8_t detectors = 0;
    bool operator==(const UnitInputs& o) const {
        return sensors == o.sensors && buttons == o.buttons && detectors == o.detectors;
    }
};

class Stv2Responder {
public:
    explicit Stv2Responder(const ResponderOptions& options = {});

    // Bytes from the tool, in whatever pieces they arrive. Returns the writes answering every
    // command these bytes complete, in order; commands without a reply and faults add nothing.
    QList<ReplyChunk> receive(QByteArrayView bytes);
    // The same with delays ignored: every byte the tool would have read once all had arrived.
    QByteArray reply(QByteArrayView bytes);

    const ResponderOptions& options() const { return m_options; }
    // Restarts the fault generator from the new seed.
    void setFaults(const FaultOptions& faults);
    // While on, nothing is answered (as a module with its cable pulled); off resumes.
    void setSilent(bool silent) { m_forcedSilent = silent; }
    bool isSilent() const;

    // Configuration memory: max(3004, 264 + 22 x capacity) bytes, all zero at start. Here reads
    // outside it give 0 and writes are ignored; over the line such addresses get no reply.
    int capacity() const { return m_options.capacity; }
    int memorySize() const { return static_cast<int>(m_memory.size()); }
    std::uint8_t memoryAt(int address) const;
    void setMemoryAt(int address, std::uint8_t value);
    const std::vector<std::uint8_t>& memory() const { return m_memory; }
    // The first 3004 bytes, the part the tool's image mirrors.
    Image image() const;
    void setImage(const Image& img);

    // The program's data file (S2.6; S2.0 and S2.4 files are converted as the tool does).
    // Loading replaces the bytes the file names and keeps the route descriptions so that a
    // later save writes them back; on failure nothing changes and `error` says why.
    bool loadDataFile(const QString& path, QString* error = nullptr);
    bool saveDataFile(const QString& path, QString* error = nullptr) const;

    // Live inputs, changeable at any time; the next status reply reports them.
    UnitInputs inputs(Unit unit) const;
    void setInputs(Unit unit, const UnitInputs& in);
    void setSensor(Unit unit, int n, bool on);   // n 1..8
    void setDetector(Unit unit, int n, bool on); // n 1..8
    void setButton(Unit unit, int n, bool on);   // n 1..16

    // Outputs as the last commands set them.
    int signalCode(int number) const;      // -1 when never set; number 0..255
    int pointPosition(int machine) const;  // 1..16: 0 unknown, 1 straight, 2 diverging
    std::uint16_t relays(Unit unit) const; // relay byte A as low byte, B as high byte

    int commandCount() const { return m_commandCount; } // every complete command, answered or not
    int frameCount() const { return m_frameCount; }     // simulation frames among them

    // One readable line per command (and per run of ignored bytes), newest last; the oldest are
    // dropped beyond logLimit lines (negative: no limit). The sink, when set, gets each line as it
    // is made.
    const QStringList& log() const { return m_log; }
    void setLogLimit(int lines) { m_logLimit = lines; }
    void setLogSink(std::function<void(const QString&)> sink) { m_sink = std::move(sink); }

private:
    void handleCommand(const QByteArray& cmd, QList<ReplyChunk>& out);
    // One per command: the reply (when there is one) and the log line.
    void answerIdentify(const QString& tag, QList<ReplyChunk>& out);
    void answerCapacity(const QString& tag, QList<ReplyChunk>& out);
    void answerRead(const QByteArray& cmd, const QString& tag, QList<ReplyChunk>& out);
    void answerWrite(const QByteArray& cmd, const QString& tag, QList<ReplyChunk>& out);
    void answerStatus(Unit unit, const QString& tag, QList<ReplyChunk>& out);
    void setSignal(const QByteArray& cmd, const QString& tag);
    void setPoint(const QByteArray& cmd, const QString& tag);
    void setRelays(const QByteArray& cmd, const QString& tag);
    void handleFrame(const QByteArray& frame, QList<ReplyChunk>& out);
    void answer(QByteArray bytes, QString line, QList<ReplyChunk>& out, int extraDelayMs = 0);
    // A second copy or noise after the reply, as the fault options ask.
    void appendEchoes(const QByteArray& bytes, QString& line, QList<ReplyChunk>& out);
    void addLog(const QString& line);
    void flushIgnored();
    std::uint64_t nextRandom();
    double nextUnit();
    UnitInputs& unitInputs(Unit unit);

    ResponderOptions m_options;
    std::vector<std::uint8_t> m_memory;
    ConfigStore m_file; // descriptions of the last loaded data file
    QByteArray m_pending;
    bool m_expectBlank = false;
    int m_ignored = 0;
    std::uint64_t m_rng = 0;
    bool m_forcedSilent = false;
    int m_commandCount = 0;
    int m_frameCount = 0;
    UnitInputs m_main;
    UnitInputs m_exp;
    std::vector<int> m_signals;
    std::vector<int> m_points;
    std::uint16_t m_relaysMain = 0;
    std::uint16_t m_relaysExp = 0;
    QStringList m_log;
    int m_logLimit = 1000;
    std::function<void(const QString&)> m_sink;
};
