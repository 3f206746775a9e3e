#include "emu/controlcommand.h"
#include "emu/emuoptions.h"

#include <QRegularExpression>
#include <QTest>

class EmuOptionsTest : public QObject {
    Q_OBJECT
private slots:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void helpDescribesEveryOption();
    void firmware_data();
    void firmware();
    void controlLines_data();
    void controlLines();
    void controlChangesInputs();
    void animationWalks();
    void statusText();
};

// Command line, then the fields it must set, as "name=value" pairs compared by a summary.
namespace {
QString summary(const EmuOptions& o) {
    const FaultOptions& f = o.responder.faults;
    return QStringLiteral("v=%1 r=%2 cap=%3 lat=%4 pace=%5 seed=%6 drop=%7 late=%8 split=%9 "
                          "corrupt=%10 latems=%11 splitms=%12 silent=%13 link=%14 load=%15 "
                          "save=%16 log=%17 quiet=%18 anim=%19 animms=%20 help=%21")
        .arg(o.responder.version, 2, 16, QLatin1Char('0'))
        .arg(o.responder.revision ? QString(QLatin1Char(o.responder.revision)) : "-")
        .arg(o.responder.capacity)
        .arg(o.responder.latencyMs)
        .arg(o.pacing)
        .arg(f.seed)
        .arg(f.dropRate)
        .arg(f.lateRate)
        .arg(f.splitRate)
        .arg(f.corruptRate)
        .arg(f.lateMs)
        .arg(f.splitGapMs)
        .arg(f.silentAfter)
        .arg(o.linkPath, o.loadPath, o.savePath, o.logPath)
        .arg(o.quiet)
        .arg(o.animate)
        .arg(o.animateMs)
        .arg(o.help);
}

const QString kDefaults = "v=30 r=- cap=90 lat=0 pace=1 seed=1 drop=0 late=0 split=0 corrupt=0 "
                          "latems=200 splitms=10 silent=-1 link= load= save= log= quiet=0 "
                          "anim=0 animms=400 help=0";

QString with(const QString& changes) {
    QString s = kDefaults;
    for (const QString& c : changes.split(' ', Qt::SkipEmptyParts)) {
        const QString key = c.section('=', 0, 0);
        s.replace(QRegularExpression("\\b" + key + "=[^ ]*"), c);
    }
    return s;
}
} // namespace

void EmuOptionsTest::accepted_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("expected");

    QTest::newRow("defaults") << QStringList{} << kDefaults;
    QTest::newRow("firmware and revision")
        << QStringList{"--firmware", "2.5", "--revision", "b"} << with("v=25 r=b");
    QTest::newRow("firmware with letter") << QStringList{"--firmware=3.0c"} << with("v=30 r=c");
    QTest::newRow("raw version byte") << QStringList{"--firmware", "0x2F"} << with("v=2f");
    QTest::newRow("revision none")
        << QStringList{"--firmware=3.1b", "--revision", "none"} << with("v=31");
    QTest::newRow("capacity bounds") << QStringList{"--capacity", "0"} << with("cap=0");
    QTest::newRow("capacity 255") << QStringList{"--capacity=255"} << with("cap=255");
    QTest::newRow("timing") << QStringList{"--latency", "5", "--no-pacing"} << with("lat=5 pace=0");
    QTest::newRow("faults") << QStringList{"--seed",     "99", "--drop",         "0.1",
                                           "--late",     "5%", "--split",        "1",
                                           "--corrupt",  "0",  "--late-ms",      "80",
                                           "--split-ms", "3",  "--silent-after", "0"}
                            << with("seed=99 drop=0.1 late=0.05 split=1 corrupt=0 latems=80 "
                                    "splitms=3 silent=0");
    QTest::newRow("files") << QStringList{"--link", "/tmp/x", "--load", "a.txt",
                                          "--save", "b.txt",  "--log",  "l.log"}
                           << with("link=/tmp/x load=a.txt save=b.txt log=l.log");
    QTest::newRow("live") << QStringList{"--animate", "--animate-ms", "50", "--quiet"}
                          << with("anim=1 animms=50 quiet=1");
    QTest::newRow("help") << QStringList{"-h"} << with("help=1");
    QTest::newRow("later wins") << QStringList{"--no-pacing", "--pacing",   "--capacity",
                                               "20",          "--capacity", "30"}
                                << with("cap=30");
}

void EmuOptionsTest::accepted() {
    QFETCH(QStringList, args);
    QFETCH(QString, expected);
    const EmuOptionsResult r = parseEmuOptions(args);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(summary(r.options), expected);
}

void EmuOptionsTest::refused_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("mention");

    QTest::newRow("unknown") << QStringList{"--baud", "9600"} << "--baud";
    QTest::newRow("positional") << QStringList{"file.txt"} << "file.txt";
    QTest::newRow("missing value") << QStringList{"--capacity"} << "--capacity";
    QTest::newRow("capacity 256") << QStringList{"--capacity", "256"} << "256";
    QTest::newRow("capacity negative") << QStringList{"--capacity=-1"} << "-1";
    QTest::newRow("capacity text") << QStringList{"--capacity", "many"} << "many";
    QTest::newRow("share above 1") << QStringList{"--drop", "1.5"} << "1.5";
    QTest::newRow("share above 100%") << QStringList{"--late", "120%"} << "120%";
    QTest::newRow("negative share") << QStringList{"--split", "-0.1"} << "-0.1";
    QTest::newRow("share nan") << QStringList{"--corrupt", "nan"} << "nan";
    QTest::newRow("firmware 16.0") << QStringList{"--firmware", "16.0"} << "16.0";
    QTest::newRow("firmware word") << QStringList{"--firmware", "three"} << "three";
    QTest::newRow("firmware raw above a byte") << QStringList{"--firmware", "0x100"} << "0x100";
    QTest::newRow("revision two letters") << QStringList{"--revision", "ab"} << "ab";
    QTest::newRow("revision blank") << QStringList{"--revision", " "} << "--revision";
    QTest::newRow("silent-after negative") << QStringList{"--silent-after", "-2"} << "-2";
    QTest::newRow("empty link") << QStringList{"--link="} << "--link";
    QTest::newRow("flag with value") << QStringList{"--no-pacing=1"} << "--no-pacing";
    QTest::newRow("animate too fast") << QStringList{"--animate-ms", "1"} << "1";
}

void EmuOptionsTest::refused() {
    QFETCH(QStringList, args);
    QFETCH(QString, mention);
    const EmuOptionsResult r = parseEmuOptions(args);
    QVERIFY(!r.ok);
    QVERIFY2(r.error.contains(mention), qPrintable(r.error));
}

void EmuOptionsTest::helpDescribesEveryOption() {
    const QString help = emuHelpText();
    const QStringList options = {
        "--firmware",  "--revision",   "--capacity",     "--load",    "--save",    "--latency",
        "--no-pacing", "--seed",       "--drop",         "--late",    "--late-ms", "--split",
        "--split-ms",  "--corrupt",    "--silent-after", "--link",    "--log",     "--quiet",
        "--animate",   "--animate-ms", "--help",         "--write-ms"};
    for (const QString& o : options) {
        QVERIFY2(help.contains(QRegularExpression("\\n +(-h, )?" + QRegularExpression::escape(o) +
                                                  "(\\s|,)")),
                 qPrintable(o));
        // Every option documented here is one the parser takes.
        if (o != "--help") {
            const bool flag = o == "--no-pacing" || o == "--quiet" || o == "--animate";
            QStringList args{o};
            if (!flag)
                args << (o == "--firmware" ? "3.0" : o == "--revision" ? "b" : "1");
            if (o == "--animate-ms")
                args.last() = "100";
            QVERIFY2(parseEmuOptions(args).ok, qPrintable(o));
        }
    }
    for (const QString& line : help.split('\n'))
        QVERIFY2(line.size() <= 100, qPrintable(line));
}

void EmuOptionsTest::firmware_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("version");
    QTest::addColumn<char>("revision");
    QTest::newRow("3.0") << "3.0" << true << 0x30 << '\0';
    QTest::newRow("2.5b") << "2.5b" << true << 0x25 << 'b';
    QTest::newRow("15.15") << "15.15" << true << 0xFF << '\0';
    QTest::newRow("3.16") << "3.16" << false << 0 << '\0';
    QTest::newRow("3") << "3" << false << 0 << '\0';
    QTest::newRow("3.0bb") << "3.0bb" << false << 0 << '\0';
    QTest::newRow("0x00") << "0x00" << true << 0x00 << '\0';
    QTest::newRow("0X30") << "0X30" << true << 0x30 << '\0';
}

void EmuOptionsTest::firmware() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, version);
    QFETCH(char, revision);
    std::uint8_t v = 0x99;
    char r = '\0';
    QCOMPARE(parseFirmware(text, v, r), ok);
    if (ok) {
        QCOMPARE(int(v), version);
        QCOMPARE(r, revision);
    }
}

// A typed line, then what it parses to, as a short description.
namespace {
QString describe(const ControlCommand& c) {
    using K = ControlCommand::Kind;
    switch (c.kind) {
    case K::Empty:
        return "empty";
    case K::Error:
        return "error";
    case K::Help:
        return "help";
    case K::Status:
        return "status";
    case K::Quit:
        return "quit";
    case K::Clear:
        return "clear";
    case K::Silent:
        return QString("silent %1").arg(c.flag);
    case K::Animate:
        return QString("animate %1").arg(c.flag);
    case K::SetWord:
    case K::Input: {
        const QString unit = c.unit == Unit::Main ? "main" : "exp";
        const QString input = c.input == ControlCommand::Input::Sensor     ? "sensor"
                              : c.input == ControlCommand::Input::Detector ? "detector"
                                                                           : "button";
        if (c.kind == K::SetWord)
            return QString("set %1 %2 %3").arg(unit, input).arg(c.value);
        const QString mode = c.mode == ControlCommand::Mode::On    ? "on"
                             : c.mode == ControlCommand::Mode::Off ? "off"
                                                                   : "press";
        return QString("%1 %2 %3 %4").arg(unit, input).arg(c.number).arg(mode);
    }
    }
    return "?";
}
} // namespace

void EmuOptionsTest::controlLines_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("blank") << "   "
                           << "empty";
    QTest::newRow("sensor 3 on") << "sensor 3 on"
                                 << "main sensor 3 on";
    QTest::newRow("sensor 11 is the expansion's 3") << "sensor 11 off"
                                                    << "exp sensor 3 off";
    QTest::newRow("detector 16") << "detector 16 on"
                                 << "exp detector 8 on";
    QTest::newRow("detector 1 with 1") << "Detector 1 1"
                                       << "main detector 1 on";
    QTest::newRow("button press") << "button 12"
                                  << "main button 12 press";
    QTest::newRow("button 16 on") << "button 16 on"
                                  << "main button 16 on";
    QTest::newRow("exp button") << "exp button 9 on"
                                << "exp button 9 on";
    QTest::newRow("exp sensor 8") << "exp sensor 8 on"
                                  << "exp sensor 8 on";
    QTest::newRow("set word hex") << "set main buttons 0x8001"
                                  << "set main button 32769";
    QTest::newRow("set word singular") << "set exp detector 255"
                                       << "set exp detector 255";
    QTest::newRow("clear") << "clear"
                           << "clear";
    QTest::newRow("silent") << "silent on"
                            << "silent 1";
    QTest::newRow("animate off") << "animate off"
                                 << "animate 0";
    QTest::newRow("status") << "status"
                            << "status";
    QTest::newRow("help") << "help"
                          << "help";
    QTest::newRow("quit") << "quit"
                          << "quit";
    QTest::newRow("sensor 0") << "sensor 0 on"
                              << "error";
    QTest::newRow("sensor 17") << "sensor 17 on"
                               << "error";
    QTest::newRow("exp sensor 9") << "exp sensor 9 on"
                                  << "error";
    QTest::newRow("button 17") << "button 17"
                               << "error";
    QTest::newRow("sensor without state") << "sensor 3"
                                          << "error";
    QTest::newRow("bad state") << "sensor 3 maybe"
                               << "error";
    QTest::newRow("too many words") << "sensor 3 on now"
                                    << "error";
    QTest::newRow("set too big") << "set main sensors 256"
                                 << "error";
    QTest::newRow("set bad unit") << "set both sensors 1"
                                  << "error";
    QTest::newRow("unknown") << "reboot"
                             << "error";
    QTest::newRow("exp alone") << "exp"
                               << "error";
}

void EmuOptionsTest::controlLines() {
    QFETCH(QString, line);
    QFETCH(QString, expected);
    const ControlCommand c = parseControlLine(line);
    QCOMPARE(describe(c), expected);
    if (c.kind == ControlCommand::Kind::Error)
        QVERIFY(!c.error.isEmpty());
}

void EmuOptionsTest::controlChangesInputs() {
    Stv2Responder m;
    for (const char* line : {"sensor 3 on", "sensor 11 on", "button 12", "detector 16 on",
                             "exp button 9 on", "set main detectors 0x81"})
        applyInputCommand(m, parseControlLine(line));
    QCOMPARE(m.inputs(Unit::Main), (UnitInputs{0x04, 0x0800, 0x81}));
    QCOMPARE(m.inputs(Unit::Expansion), (UnitInputs{0x04, 0x0100, 0x80}));
    applyInputCommand(m, parseControlLine("sensor 3 off"));
    QCOMPARE(int(m.inputs(Unit::Main).sensors), 0);
    applyInputCommand(m, parseControlLine("status")); // changes nothing
    QCOMPARE(m.inputs(Unit::Main), (UnitInputs{0x00, 0x0800, 0x81}));
    applyInputCommand(m, parseControlLine("clear"));
    QCOMPARE(m.inputs(Unit::Main), UnitInputs{});
    QCOMPARE(m.inputs(Unit::Expansion), UnitInputs{});
}

void EmuOptionsTest::animationWalks() {
    Stv2Responder m;
    QSet<int> sensors;
    QSet<int> buttons;
    QSet<int> expButtons;
    for (int k = 0; k < 16; ++k) {
        animateInputs(m, k);
        const UnitInputs a = m.inputs(Unit::Main);
        const UnitInputs b = m.inputs(Unit::Expansion);
        // One light per group at a time.
        QCOMPARE(qPopulationCount(a.sensors), 1);
        QCOMPARE(qPopulationCount(a.buttons), 1);
        QCOMPARE(qPopulationCount(b.detectors), 1);
        sensors.insert(a.sensors);
        buttons.insert(a.buttons);
        expButtons.insert(b.buttons);
    }
    QCOMPARE(sensors.size(), 8);
    QCOMPARE(buttons.size(), 16);
    QCOMPARE(expButtons.size(), 16);
    animateInputs(m, 2147483647); // no overflow into an undefined shift
    QCOMPARE(qPopulationCount(m.inputs(Unit::Expansion).buttons), 1);
}

void EmuOptionsTest::statusText() {
    Stv2Responder m;
    m.setInputs(Unit::Main, {0x05, 0x8000, 0});
    m.receive(QByteArray("@N\x03\x01\x01\x01*", 7));
    m.receive(QByteArray("@T\x07\x08\x01\x01*", 7));
    const QString s = moduleStatusText(m);
    QVERIFY2(s.contains("sensors 05 [1,3]"), qPrintable(s));
    QVERIFY2(s.contains("buttons 8000 [16]"), qPrintable(s));
    QVERIFY2(s.contains("3=1"), qPrintable(s));
    QVERIFY2(s.contains("16-"), qPrintable(s));
    QVERIFY2(s.contains("commands: 2"), qPrintable(s));
}

QTEST_APPLESS_MAIN(EmuOptionsTest)
#include "emu_options.moc"
