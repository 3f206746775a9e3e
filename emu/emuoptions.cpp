#include "emu/emuoptions.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <functional>
#include <map>

namespace {
bool parseInt(const QString& text, int lo, int hi, int& out) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 0);
    if (!ok || v < lo || v > hi)
        return false;
    out = v;
    return true;
}
} // namespace

bool parseFirmware(const QString& text, std::uint8_t& version, char& revision) {
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        bool ok = false;
        const uint v = t.mid(2).toUInt(&ok, 16);
        if (!ok || v > 0xFF)
            return false;
        version = static_cast<std::uint8_t>(v);
        return true;
    }
    static const QRegularExpression re(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})([A-Za-z]?)$"));
    const QRegularExpressionMatch m = re.match(t);
    if (!m.hasMatch())
        return false;
    const int major = m.captured(1).toInt();
    const int minor = m.captured(2).toInt();
    if (major > 15 || minor > 15)
        return false;
    version = static_cast<std::uint8_t>(major * 16 + minor);
    if (!m.captured(3).isEmpty())
        revision = m.captured(3).at(0).toLatin1();
    return true;
}

bool parseShare(const QString& text, double& share) {
    QString t = text.trimmed();
    double scale = 1.0;
    if (t.endsWith(QLatin1Char('%'))) {
        t.chop(1);
        scale = 0.01;
    }
    bool ok = false;
    const double v = t.toDouble(&ok) * scale;
    if (!ok || !(v >= 0.0 && v <= 1.0))
        return false;
    share = v;
    return true;
}

using Setter = std::function<bool(const QString&)>;
using FlagSetter = std::function<void()>;

// The options that take a value, each with what it sets in `o`.
std::map<QString, Setter> valuedOptions(EmuOptions& o) {
    FaultOptions& f = o.responder.faults;
    return {
        {QStringLiteral("--firmware"),
         [&](const QString& v) {
             return parseFirmware(v, o.responder.version, o.responder.revision);
         }},
        {QStringLiteral("--revision"),
         [&](const QString& v) {
             if (v == QLatin1String("none")) {
                 o.responder.revision = 0;
                 return true;
             }
             if (v.size() != 1 || v.at(0).unicode() < 0x21 || v.at(0).unicode() > 0x7E)
                 return false;
             o.responder.revision = v.at(0).toLatin1();
             return true;
         }},
        {QStringLiteral("--capacity"),
         [&](const QString& v) { return parseInt(v, 0, 255, o.responder.capacity); }},
        {QStringLiteral("--latency"),
         [&](const QString& v) { return parseInt(v, 0, 60000, o.responder.latencyMs); }},
        {QStringLiteral("--adapter-latency"),
         [&](const QString& v) { return parseInt(v, 0, 1000, o.adapterLatencyMs); }},
        {QStringLiteral("--write-ms"),
         [&](const QString& v) { return parseInt(v, 0, 60000, o.responder.writeMs); }},
        {QStringLiteral("--seed"),
         [&](const QString& v) {
             bool ok = false;
             f.seed = v.trimmed().toULongLong(&ok, 0);
             return ok;
         }},
        {QStringLiteral("--drop"), [&](const QString& v) { return parseShare(v, f.dropRate); }},
        {QStringLiteral("--late"), [&](const QString& v) { return parseShare(v, f.lateRate); }},
        {QStringLiteral("--split"), [&](const QString& v) { return parseShare(v, f.splitRate); }},
        {QStringLiteral("--corrupt"),
         [&](const QString& v) { return parseShare(v, f.corruptRate); }},
        {QStringLiteral("--duplicate"),
         [&](const QString& v) { return parseShare(v, f.duplicateRate); }},
        {QStringLiteral("--duplicate-ms"),
         [&](const QString& v) { return parseInt(v, 0, 60000, f.duplicateMs); }},
        {QStringLiteral("--noise"), [&](const QString& v) { return parseShare(v, f.noiseRate); }},
        {QStringLiteral("--noise-ms"),
         [&](const QString& v) { return parseInt(v, 0, 60000, f.noiseMs); }},
        {QStringLiteral("--late-ms"),
         [&](const QString& v) { return parseInt(v, 0, 60000, f.lateMs); }},
        {QStringLiteral("--split-ms"),
         [&](const QString& v) { return parseInt(v, 0, 60000, f.splitGapMs); }},
        {QStringLiteral("--silent-after"),
         [&](const QString& v) { return parseInt(v, 0, 2147483647, f.silentAfter); }},
        {QStringLiteral("--link"), [&](const QString& v) { return !(o.linkPath = v).isEmpty(); }},
        {QStringLiteral("--load"), [&](const QString& v) { return !(o.loadPath = v).isEmpty(); }},
        {QStringLiteral("--save"), [&](const QString& v) { return !(o.savePath = v).isEmpty(); }},
        {QStringLiteral("--log"), [&](const QString& v) { return !(o.logPath = v).isEmpty(); }},
        {QStringLiteral("--animate-ms"),
         [&](const QString& v) { return parseInt(v, 10, 60000, o.animateMs); }},
    };
}

std::map<QString, FlagSetter> flagOptions(EmuOptions& o) {
    return {
        {QStringLiteral("--no-pacing"), [&] { o.pacing = false; }},
        {QStringLiteral("--pacing"), [&] { o.pacing = true; }},
        {QStringLiteral("--quiet"), [&] { o.quiet = true; }},
        {QStringLiteral("--animate"), [&] { o.animate = true; }},
        {QStringLiteral("--help"), [&] { o.help = true; }},
        {QStringLiteral("-h"), [&] { o.help = true; }},
        {QStringLiteral("--version"), [&] { o.version = true; }},
    };
}

EmuOptionsResult parseEmuOptions(const QStringList& args) {
    EmuOptionsResult r;
    const std::map<QString, Setter> valued = valuedOptions(r.options);
    const std::map<QString, FlagSetter> flags = flagOptions(r.options);

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const auto& [name, setter] : valued)
        parser.addOption(QCommandLineOption(name.mid(2), QString(), QStringLiteral("value")));
    for (const auto& [name, set] : flags)
        parser.addOption(
            QCommandLineOption(name.mid(name.startsWith(QLatin1String("--")) ? 2 : 1)));
    if (!parser.parse(QStringList{QStringLiteral("stv2-emu")} + args)) {
        const QStringList unknown = parser.unknownOptionNames();
        r.error = unknown.isEmpty()
                      ? parser.errorText() + QStringLiteral(" (see --help)")
                      : QStringLiteral("unknown option %1%2 (see --help)")
                            .arg(unknown.first().size() > 1 ? "--" : "-", unknown.first());
        return r;
    }
    if (!parser.positionalArguments().isEmpty()) {
        r.error = QStringLiteral("unknown option %1 (see --help)")
                      .arg(parser.positionalArguments().first());
        return r;
    }
    // In the order given, so that a later option wins over an earlier one.
    std::map<QString, int> seen;
    for (const QString& option : parser.optionNames()) {
        const QString name =
            (option.size() > 1 ? QStringLiteral("--") : QStringLiteral("-")) + option;
        if (const auto fl = flags.find(name); fl != flags.end()) {
            fl->second();
            continue;
        }
        const QString value = parser.values(option).value(seen[option]++);
        if (!valued.at(name)(value)) {
            r.error = QStringLiteral("bad value '%1' for %2 (see --help)").arg(value, name);
            return r;
        }
    }
    r.ok = true;
    return r;
}

namespace {
// What it is, its module and its timing.
QString moduleHelp() {
    return QStringLiteral(
        "Usage: stv2-emu [options]\n"
        "\n"
        "A virtual STV2 module with its EXP2 expansion unit on a pseudo-terminal. It prints the\n"
        "terminal's device path as its first line on standard output; point Stavnik CFG at it\n"
        "through the [Ports] section of stavnikCFG.ini (COM1=/dev/pts/N, or the --link path) and\n"
        "use \"Test comm\", read, verify and store as with a real module. It answers identify,\n"
        "capacity, read byte, write byte, status (@S), expansion status (@U) and simulation\n"
        "frames, and logs every command, including signal (@N), point machine (@T) and relay\n"
        "(@E, @F) commands, which get no reply. The tool may close and reopen the port at will.\n"
        "SIGTERM or SIGINT ends it cleanly (saving with --save, removing the --link).\n"
        "\n"
        "Module:\n"
        "  --firmware V        firmware version the identify reply reports: major.minor as\n"
        "                      \"3.0\" (default) or \"2.5\", optionally with a revision letter\n"
        "                      (\"3.0b\"), or the raw version byte as \"0x30\"\n"
        "  --revision C        revision letter: one printable character, sent in the long\n"
        "                      identify reply \"S\", version, C, \"*\"; \"none\" (default): short "
        "reply\n"
        "  --capacity N        route capacity reported to \"@M0000*\", 0..255 (default 90); the\n"
        "                      memory holds max(3004, 264 + 22 x N) bytes\n"
        "  --load FILE         load the memory from a data file (S2.6; S2.0 and S2.4 are\n"
        "                      converted) before starting; a file that cannot be read is an error\n"
        "  --save FILE         save the memory to a data file (S2.6) at exit, SIGTERM and\n"
        "                      SIGINT included; route descriptions of a --load file are kept\n"
        "\n"
        "Timing:\n"
        "  --latency MS        wait MS milliseconds before every reply (default 0)\n"
        "  --write-ms MS       time to store one written byte: the acknowledgement of a write\n"
        "                      comes MS milliseconds later still (default 0)\n"
        "  --no-pacing         deliver bytes at once; by default every byte takes its 9600-baud\n"
        "                      time of 1.04 ms, both the received command and the reply\n"
        "  --adapter-latency MS  model a USB serial adapter: replies reach the tool only at the\n"
        "                      next beat of its latency timer, every MS ms (16 is the common\n"
        "                      adapters' default; 0, the default, is a direct line)\n"
        "\n");
}

// The options that make it misbehave, and those of its terminal, log and live inputs.
QString faultAndInputHelp() {
    return QStringLiteral(
        "Faults (each reply draws its fate from a generator seeded with --seed, so a run with\n"
        "the same options and the same commands misbehaves the same way; P is a share 0..1 or\n"
        "a percentage such as 5%):\n"
        "  --seed N            seed of the fault generator (default 1)\n"
        "  --drop P            leave this share of replies unsent\n"
        "  --late P            send this share of replies --late-ms later\n"
        "  --late-ms MS        extra delay of a late reply (default 200)\n"
        "  --split P           write this share of replies in two pieces\n"
        "  --split-ms MS       pause between the two pieces (default 10)\n"
        "  --corrupt P         change one byte in this share of replies\n"
        "  --duplicate P       send this share of replies twice\n"
        "  --duplicate-ms MS   pause before the second copy (default 10)\n"
        "  --noise P           follow this share of replies by two bytes of noise, the second "
        "\"*\"\n"
        "  --noise-ms MS       pause before the noise (default 10)\n"
        "  --silent-after N    answer only the first N commands, then nothing (0: always silent)\n"
        "\n"
        "Terminal and log:\n"
        "  --link PATH         also make PATH a symbolic link to the terminal (an existing link\n"
        "                      is replaced, any other file is left alone and is an error); the\n"
        "                      link is removed at exit\n"
        "  --log FILE          append the command log to FILE instead of standard error\n"
        "  --quiet             no command log\n"
        "\n"
        "Live inputs:\n"
        "  --animate           walk a light pattern over the sensors, push-buttons and detectors\n"
        "                      of both units, so the test windows show movement\n"
        "  --animate-ms MS     time of one pattern step (default 400)\n"
        "  Lines on standard input change the inputs while running (type \"help\" for the list):\n"
        "    sensor N on|off     detector N on|off     (N 1..16; 9..16 are the EXP2 unit's)\n"
        "    button N [on|off]   push-button bit N 1..16 of the main module; without on/off a\n"
        "                        press of one second\n"
        "    exp sensor|detector N on|off   exp button N [on|off]   (EXP2 unit, N 1..8 / 1..16)\n"
        "    set main|exp sensors|buttons|detectors VALUE   whole input word (0x.. or decimal)\n"
        "    clear   silent on|off   animate on|off   status   help   quit\n"
        "\n"
        "  -h, --help          show this text\n"
        "  --version           show the program's version\n");
}
} // namespace

QString emuHelpText() {
    return moduleHelp() + faultAndInputHelp();
}
