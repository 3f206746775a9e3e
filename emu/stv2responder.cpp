#include "emu/stv2responder.h"

#include "data/datafile.h"
#include "data/hex.h"

#include <algorithm>

namespace {
using u8 = std::uint8_t;

constexpr char kStar = '*';
constexpr int kCommandLength = 7;
constexpr int kFrameLength = 10;

// Letters of the fixed seven-byte commands.
bool isCommandLetter(char c) {
    return QByteArrayView("GMRWSUNTEF").contains(c);
}

// Whether the bytes so far can be the start of a simulation frame: "@", eight data bytes, "*".
// Data byte 1 has bit 7 clear, byte 2 only its aspect bits 5..6 set, byte 8 is 0.
bool couldBeFrame(const QByteArray& b) {
    const auto at = [&](int i) { return static_cast<u8>(b[i]); };
    if (b.size() > 1 && (at(1) & 0x80))
        return false;
    if (b.size() > 2 && (at(2) & 0x9F))
        return false;
    if (b.size() > 8 && at(8) != 0)
        return false;
    if (b.size() > 9 && b[9] != kStar)
        return false;
    return true;
}

QString hex2(int v) {
    return toHex(static_cast<std::uint32_t>(v & 0xFF), 2);
}

QString hexBytes(QByteArrayView bytes) {
    QStringList parts;
    for (char c : bytes)
        parts << hex2(static_cast<u8>(c));
    return parts.join(QLatin1Char(' '));
}

// Short names of the sixteen signal codes, for the log.
const char* const kSignalCodeNames[16] = {"STOP",
                                          "VOLNO",
                                          "VYSTRAHA",
                                          "VOLNO, PRISTI 40",
                                          "40, PRISTI VOLNO",
                                          "REZERVA",
                                          "40, PRISTI STUJ",
                                          "40, PRISTI 40",
                                          "PRIVOLAVACI",
                                          "POSUN ZABEZP.",
                                          "POSUN NEZABEZP.",
                                          "OPAKOVACI Z",
                                          "OPAKOVACI Y",
                                          "ZHASNUTO",
                                          "OPAKOVACI Y*",
                                          "OPAKOVACI YB"};

QString signalCodeText(int code) {
    if (code >= 0 && code < 16)
        return QStringLiteral("%1 (%2)").arg(code).arg(QLatin1String(kSignalCodeNames[code]));
    return QStringLiteral("%1 (none chosen)").arg(code);
}

// What a signal showing `code` tells a train approaching it, as the neighbour's answer codes
// count: 0 stop, 1 40 km/h, 2 calling-on, 3 clear.
int aspectOfCode(int code) {
    static const int kAspect[16] = {0, 3, 3, 3, 1, 0, 1, 1, 2, 0, 0, 3, 3, 0, 3, 1};
    return code >= 0 && code < 16 ? kAspect[code] : 0;
}

const char* const kAnswerNames[4] = {"STUJ", "40km/h", "privolavaci", "VOLNO"};

QString relayList(std::uint16_t word, int first) {
    QStringList on;
    for (int k = 0; k < 16; ++k)
        if (word & (1u << k))
            on << QStringLiteral("R%1").arg(first + k);
    return on.isEmpty() ? QStringLiteral("all off") : on.join(QLatin1Char(' '));
}

int memorySizeFor(int capacity) {
    return std::max(image::kSize, image::kBlockBase + image::kBlockSize * capacity);
}
} // namespace

Stv2Responder::Stv2Responder(const ResponderOptions& options)
    : m_options(options), m_signals(256, -1), m_points(17, 0) {
    m_options.capacity = std::clamp(m_options.capacity, 0, 255);
    m_memory.assign(static_cast<std::size_t>(memorySizeFor(m_options.capacity)), 0);
    setFaults(m_options.faults);
}

void Stv2Responder::setFaults(const FaultOptions& faults) {
    m_options.faults = faults;
    m_rng = faults.seed;
}

bool Stv2Responder::isSilent() const {
    const int after = m_options.faults.silentAfter;
    return m_forcedSilent || (after >= 0 && m_commandCount > after);
}

std::uint8_t Stv2Responder::memoryAt(int address) const {
    if (address < 0 || address >= memorySize())
        return 0;
    return m_memory[static_cast<std::size_t>(address)];
}

void Stv2Responder::setMemoryAt(int address, std::uint8_t value) {
    if (address >= 0 && address < memorySize())
        m_memory[static_cast<std::size_t>(address)] = value;
}

Image Stv2Responder::image() const {
    Image img{};
    std::copy_n(m_memory.begin(), img.size(), img.begin());
    return img;
}

void Stv2Responder::setImage(const Image& img) {
    std::copy(img.begin(), img.end(), m_memory.begin());
}

bool Stv2Responder::loadDataFile(const QString& path, QString* error) {
    // The file's route descriptions stay with the module only so that a save writes them back.
    ConfigStore file = m_file;
    file.image = image();
    const datafile::LoadResult r = datafile::loadFile(path, file);
    switch (r.status) {
    case datafile::LoadResult::Status::Loaded:
        setImage(file.image);
        m_file = file;
        return true;
    case datafile::LoadResult::Status::Stopped:
        if (error)
            *error = QStringLiteral("%1 holds no data lines").arg(path);
        return false;
    default:
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, r.message);
        return false;
    }
}

bool Stv2Responder::saveDataFile(const QString& path, QString* error) const {
    ConfigStore file = m_file;
    file.image = image();
    const datafile::SaveResult r = datafile::saveFile(path, file);
    if (!r.saved && error)
        *error = QStringLiteral("cannot write %1: %2").arg(path, r.reason);
    return r.saved;
}

UnitInputs& Stv2Responder::unitInputs(Unit unit) {
    return unit == Unit::Main ? m_main : m_exp;
}

UnitInputs Stv2Responder::inputs(Unit unit) const {
    return unit == Unit::Main ? m_main : m_exp;
}

void Stv2Responder::setInputs(Unit unit, const UnitInputs& in) {
    unitInputs(unit) = in;
}

namespace {
template <typename T> void setBit(T& word, int n, int count, bool on) {
    if (n < 1 || n > count)
        return;
    const T mask = static_cast<T>(1u << (n - 1));
    word = static_cast<T>(on ? (word | mask) : (word & ~mask));
}
} // namespace

void Stv2Responder::setSensor(Unit unit, int n, bool on) {
    setBit(unitInputs(unit).sensors, n, 8, on);
}

void Stv2Responder::setDetector(Unit unit, int n, bool on) {
    setBit(unitInputs(unit).detectors, n, 8, on);
}

void Stv2Responder::setButton(Unit unit, int n, bool on) {
    setBit(unitInputs(unit).buttons, n, 16, on);
}

int Stv2Responder::signalCode(int number) const {
    return number >= 0 && number < 256 ? m_signals[static_cast<std::size_t>(number)] : -1;
}

int Stv2Responder::pointPosition(int machine) const {
    return machine >= 1 && machine <= 16 ? m_points[static_cast<std::size_t>(machine)] : 0;
}

std::uint16_t Stv2Responder::relays(Unit unit) const {
    return unit == Unit::Main ? m_relaysMain : m_relaysExp;
}

// splitmix64: tiny, good enough for fault shares, and the same on every platform.
std::uint64_t Stv2Responder::nextRandom() {
    std::uint64_t z = (m_rng += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Stv2Responder::nextUnit() {
    return static_cast<double>(nextRandom() >> 11) / static_cast<double>(1ull << 53);
}

void Stv2Responder::addLog(const QString& line) {
    m_log.append(line);
    if (m_logLimit >= 0 && m_log.size() > m_logLimit)
        m_log.remove(0, m_log.size() - m_logLimit);
    if (m_sink)
        m_sink(line);
}

void Stv2Responder::flushIgnored() {
    if (m_ignored > 0)
        addLog(QStringLiteral("ignored %1 byte(s) outside any command").arg(m_ignored));
    m_ignored = 0;
}

QList<ReplyChunk> Stv2Responder::receive(QByteArrayView bytes) {
    QList<ReplyChunk> out;
    m_pending.append(bytes.data(), bytes.size());
    for (;;) {
        // Anything before a command's "@" is line noise, except the blank that ends the
        // identify command.
        qsizetype skip = 0;
        while (skip < m_pending.size() && m_pending[skip] != '@') {
            if (!(m_expectBlank && skip == 0 && m_pending[0] == ' '))
                ++m_ignored;
            m_expectBlank = false;
            ++skip;
        }
        m_pending.remove(0, skip);
        if (m_pending.isEmpty())
            break;
        m_expectBlank = false;
        const qsizetype n = m_pending.size();
        const bool frame = couldBeFrame(m_pending);
        // A frame arrives in one write, so ten bytes that look like one are one; a seven-byte
        // command is answered as soon as it is complete.
        if (n >= kFrameLength && frame) {
            flushIgnored();
            handleFrame(m_pending.left(kFrameLength), out);
            m_pending.remove(0, kFrameLength);
            continue;
        }
        const bool command = n >= kCommandLength && m_pending[kCommandLength - 1] == kStar;
        if (command && (isCommandLetter(m_pending[1]) || !frame)) {
            flushIgnored();
            handleCommand(m_pending.left(kCommandLength), out);
            m_pending.remove(0, kCommandLength);
            continue;
        }
        if (frame || n < kCommandLength)
            break; // wait for the rest
        // Neither a command nor a frame can start here: resynchronise at the next "@".
        ++m_ignored;
        m_pending.remove(0, 1);
    }
    flushIgnored();
    return out;
}

QByteArray Stv2Responder::reply(QByteArrayView bytes) {
    QByteArray all;
    for (const ReplyChunk& c : receive(bytes))
        all += c.bytes;
    return all;
}

namespace {
u8 byteOf(const QByteArray& cmd, int i) {
    return static_cast<u8>(cmd[i]);
}

int addressOf(const QByteArray& cmd) {
    return byteOf(cmd, 2) + 256 * byteOf(cmd, 3);
}
} // namespace

void Stv2Responder::handleCommand(const QByteArray& cmd, QList<ReplyChunk>& out) {
    ++m_commandCount;
    const QString tag = QStringLiteral("#%1 ").arg(m_commandCount);
    switch (cmd[1]) {
    case 'G':
        return answerIdentify(tag, out);
    case 'M':
        return answerCapacity(tag, out);
    case 'R':
        return answerRead(cmd, tag, out);
    case 'W':
        return answerWrite(cmd, tag, out);
    case 'S':
        return answerStatus(Unit::Main, tag, out);
    case 'U':
        return answerStatus(Unit::Expansion, tag, out);
    case 'N':
        return setSignal(cmd, tag);
    case 'T':
        return setPoint(cmd, tag);
    case 'E':
    case 'F':
        return setRelays(cmd, tag);
    default:
        addLog(tag + QStringLiteral("unknown command %1: no reply").arg(hexBytes(cmd)));
        return;
    }
}

void Stv2Responder::answerIdentify(const QString& tag, QList<ReplyChunk>& out) {
    QByteArray r("S");
    r += static_cast<char>(m_options.version);
    if (m_options.revision)
        r += m_options.revision;
    r += kStar;
    m_expectBlank = true;
    answer(r,
           tag +
               QStringLiteral("G identify -> version %1.%2%3")
                   .arg(m_options.version >> 4)
                   .arg(m_options.version & 0x0F)
                   .arg(m_options.revision ? QString(QLatin1Char(m_options.revision)) : QString()),
           out);
}

void Stv2Responder::answerCapacity(const QString& tag, QList<ReplyChunk>& out) {
    answer(QByteArray(1, static_cast<char>(m_options.capacity)) + kStar,
           tag + QStringLiteral("M capacity -> %1 routes").arg(m_options.capacity), out);
}

void Stv2Responder::answerRead(const QByteArray& cmd, const QString& tag, QList<ReplyChunk>& out) {
    const int address = addressOf(cmd);
    if (address >= memorySize()) {
        addLog(tag + QStringLiteral("R %1 outside the memory (%2 bytes): no reply")
                         .arg(toHex(static_cast<std::uint32_t>(address), 4))
                         .arg(memorySize()));
        return;
    }
    const u8 v = memoryAt(address);
    answer(QByteArray(1, static_cast<char>(v)) + kStar,
           tag + QStringLiteral("R %1 -> %2")
                     .arg(toHex(static_cast<std::uint32_t>(address), 4), hex2(v)),
           out);
}

void Stv2Responder::answerWrite(const QByteArray& cmd, const QString& tag, QList<ReplyChunk>& out) {
    const int address = addressOf(cmd);
    const u8 value = byteOf(cmd, 4);
    const QString where = toHex(static_cast<std::uint32_t>(address), 4);
    // The repeated low address byte guards against a garbled command; a module that wrote
    // anyway could store a byte at the wrong address and still acknowledge it.
    if (byteOf(cmd, 5) != byteOf(cmd, 2)) {
        addLog(tag + QStringLiteral("W %1 := %2 with check byte %3 != %4: ignored, no reply")
                         .arg(where, hex2(value), hex2(byteOf(cmd, 5)), hex2(byteOf(cmd, 2))));
        return;
    }
    if (address >= memorySize()) {
        addLog(tag + QStringLiteral("W %1 := %2 outside the memory (%3 bytes): no reply")
                         .arg(where, hex2(value))
                         .arg(memorySize()));
        return;
    }
    setMemoryAt(address, value);
    // The memory takes its time to store the byte before the module confirms it.
    answer("Y*", tag + QStringLiteral("W %1 := %2").arg(where, hex2(value)), out,
           m_options.writeMs);
}

void Stv2Responder::answerStatus(Unit unit, const QString& tag, QList<ReplyChunk>& out) {
    const bool main = unit == Unit::Main;
    const UnitInputs in = main ? m_main : m_exp;
    QByteArray r(5, kStar);
    r[0] = static_cast<char>(in.sensors);
    // The expansion unit sends its push-button word high byte first.
    const u8 lo = static_cast<u8>(in.buttons & 0xFF);
    const u8 hi = static_cast<u8>(in.buttons >> 8);
    r[1] = static_cast<char>(main ? lo : hi);
    r[2] = static_cast<char>(main ? hi : lo);
    r[3] = static_cast<char>(in.detectors);
    answer(r,
           tag + QStringLiteral("%1 -> sensors %2 buttons %3 detectors %4")
                     .arg(main ? QStringLiteral("S status") : QStringLiteral("U exp status"),
                          hex2(in.sensors), toHex(in.buttons, 4), hex2(in.detectors)),
           out);
}

void Stv2Responder::setSignal(const QByteArray& cmd, const QString& tag) {
    const u8 number = byteOf(cmd, 2);
    const u8 code = byteOf(cmd, 3);
    m_signals[number] = code;
    addLog(tag +
           QStringLiteral("N signal %1%2 := code %3")
               .arg(number)
               .arg(number >= 17 ? QStringLiteral(" (EXP)") : QString(), signalCodeText(code)));
}

void Stv2Responder::setPoint(const QByteArray& cmd, const QString& tag) {
    const int index = byteOf(cmd, 2);
    const int code = byteOf(cmd, 3);
    // The main module takes positions 1/2, the expansion unit 4/8 for its machines 9..16.
    int machine = 0;
    int position = 0;
    if (index < 8 && (code == 1 || code == 2)) {
        machine = index + 1;
        position = code;
    } else if (index < 8 && (code == 4 || code == 8)) {
        machine = index + 9;
        position = code / 4;
    }
    if (!machine) {
        addLog(tag + QStringLiteral("T point index %1 code %2: no such machine or position")
                         .arg(index)
                         .arg(hex2(code)));
        return;
    }
    m_points[static_cast<std::size_t>(machine)] = position;
    addLog(tag +
           QStringLiteral("T point machine %1 := %2")
               .arg(machine)
               .arg(position == 1 ? QStringLiteral("straight") : QStringLiteral("diverging")));
}

void Stv2Responder::setRelays(const QByteArray& cmd, const QString& tag) {
    const bool main = cmd[1] == 'E';
    const auto word = static_cast<std::uint16_t>(byteOf(cmd, 2) | (byteOf(cmd, 3) << 8));
    (main ? m_relaysMain : m_relaysExp) = word;
    addLog(tag + QStringLiteral("%1 relays A=%2 B=%3: %4")
                     .arg(QString(QLatin1Char(cmd[1])), hex2(byteOf(cmd, 2)), hex2(byteOf(cmd, 3)),
                          relayList(word, main ? 1 : 17)));
}

void Stv2Responder::handleFrame(const QByteArray& frame, QList<ReplyChunk>& out) {
    ++m_commandCount;
    const int k = m_frameCount++;
    const auto b = [&](int i) { return static_cast<u8>(frame[i]); };
    // The module asks its neighbour about a different pair of signals 1..15 every frame.
    const int askA = (2 * k) % 15 + 1;
    const int askB = (2 * k + 1) % 15 + 1;
    const int asked = b(1) & 0x1F;
    const int answerA = aspectOfCode(signalCode(asked));
    QByteArray r(kFrameLength, 0);
    r[0] = '@';
    r[1] = static_cast<char>(askA | (answerA << 5));
    r[2] = static_cast<char>(askB);
    r[4] = static_cast<char>(m_main.detectors);
    r[5] = static_cast<char>(m_main.sensors);
    r[6] = static_cast<char>(m_exp.detectors);
    r[7] = static_cast<char>(m_exp.sensors);
    r[9] = kStar;
    answer(r,
           QStringLiteral("#%1 frame %2: asks signal %3 (answer %4), neighbour says %5/%6, "
                          "track %7 detectors %8 %9 sensors %10 %11 -> asking signals %12, %13")
               .arg(m_commandCount)
               .arg(hexBytes(frame.mid(1, 8)))
               .arg(asked)
               .arg(QLatin1String(kAnswerNames[answerA]))
               .arg(QLatin1String(kAnswerNames[(b(1) >> 5) & 3]),
                    QLatin1String(kAnswerNames[(b(2) >> 5) & 3]), hex2(b(3)), hex2(b(4)),
                    hex2(b(6)), hex2(b(5)), hex2(b(7)))
               .arg(askA)
               .arg(askB),
           out);
}

void Stv2Responder::answer(QByteArray bytes, QString line, QList<ReplyChunk>& out,
                           int extraDelayMs) {
    if (isSilent()) {
        addLog(line + QStringLiteral(" [silent]"));
        return;
    }
    const FaultOptions& f = m_options.faults;
    // Every reply draws the same numbers whatever the shares, so changing one share never
    // reshuffles the faults of another.
    const bool drop = nextUnit() < f.dropRate;
    const bool late = nextUnit() < f.lateRate;
    const bool split = nextUnit() < f.splitRate;
    const bool corrupt = nextUnit() < f.corruptRate;
    const std::uint64_t where = nextRandom();
    const std::uint64_t what = nextRandom();
    if (drop) {
        addLog(line + QStringLiteral(" [dropped]"));
        return;
    }
    if (corrupt) {
        const auto pos = static_cast<qsizetype>(where % static_cast<std::uint64_t>(bytes.size()));
        const auto flip = static_cast<u8>(what % 255 + 1);
        const u8 before = static_cast<u8>(bytes[pos]);
        bytes[pos] = static_cast<char>(before ^ flip);
        line += QStringLiteral(" [byte %1 corrupted %2->%3]")
                    .arg(pos)
                    .arg(hex2(before), hex2(static_cast<u8>(bytes[pos])));
    }
    int delay = m_options.latencyMs + extraDelayMs;
    if (late) {
        delay += f.lateMs;
        line += QStringLiteral(" [late %1 ms]").arg(delay);
    }
    if (split && bytes.size() > 1) {
        const auto cut = static_cast<qsizetype>(
            1 + (where >> 32) % static_cast<std::uint64_t>(bytes.size() - 1));
        out.append({delay, bytes.left(cut)});
        out.append({f.splitGapMs, bytes.mid(cut)});
        line += QStringLiteral(" [split %1+%2, %3 ms apart]")
                    .arg(cut)
                    .arg(bytes.size() - cut)
                    .arg(f.splitGapMs);
    } else {
        out.append({delay, bytes});
    }
    appendEchoes(bytes, line, out);
    addLog(line);
}

void Stv2Responder::appendEchoes(const QByteArray& bytes, QString& line, QList<ReplyChunk>& out) {
    const FaultOptions& f = m_options.faults;
    // Drawn only when asked for, so that the other faults of a seed stay where they were.
    if (f.duplicateRate > 0 && nextUnit() < f.duplicateRate) {
        out.append({f.duplicateMs, bytes});
        line += QStringLiteral(" [sent again %1 ms later]").arg(f.duplicateMs);
    }
    if (f.noiseRate > 0 && nextUnit() < f.noiseRate) {
        QByteArray noise(2, '*');
        noise[0] = static_cast<char>(nextRandom() & 0xFF);
        out.append({f.noiseMs, noise});
        line += QStringLiteral(" [noise %1 %2 ms later]")
                    .arg(hex2(static_cast<u8>(noise[0])))
                    .arg(f.noiseMs);
    }
}
