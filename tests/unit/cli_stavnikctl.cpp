#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

struct Run {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// `input` and `output` name files for standard input and output; empty: none, and captured.
Run stavnikctl(const QStringList& args, const QString& workingDir = QString(),
               const QString& input = QString(), const QString& output = QString(),
               const QString& configHome = QString()) {
    QProcess p;
    if (!configHome.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
        p.setProcessEnvironment(env);
    }
    if (!workingDir.isEmpty())
        p.setWorkingDirectory(workingDir);
    if (!input.isEmpty())
        p.setStandardInputFile(input);
    if (!output.isEmpty())
        p.setStandardOutputFile(output);
    p.start(QStringLiteral(STAVNIK_BIN_DIR "/stavnikctl"), args);
    Run r;
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.code = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QString sample(const char* name) {
    return QStringLiteral(STAVNIK_TEST_DATA "/") + QLatin1String(name);
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class StavnikctlTest : public QObject {
    Q_OBJECT
private slots:
    void commandLine_data();
    void commandLine();
    void showPrintsTheGrid_data();
    void showPrintsTheGrid();
    void convertWritesTheCurrentLayout_data();
    void convertWritesTheCurrentLayout();
    void convertInPlace();
    void failedLoad_data();
    void failedLoad();
    void refusalNamesTheFullPath();
    void badTargets_data();
    void badTargets();
#ifdef Q_OS_UNIX // names are bytes and COM n maps to a device only there
    void namesThatAreNotUtf8();
    void configuredPort_data();
    void configuredPort();
    void printsWhatTheFileHolds_data();
    void printsWhatTheFileHolds();
#endif
};

void StavnikctlTest::commandLine_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("stdoutHas"); // empty: stdout must be empty
    QTest::addColumn<QByteArray>("stderrHas"); // empty: stderr must be empty
    QTest::newRow("help") << QStringList{"--help"} << 0 << QByteArray("convert IN OUT")
                          << QByteArray();
    QTest::newRow("short help") << QStringList{"-h"} << 0 << QByteArray("show FILE")
                                << QByteArray();
    QTest::newRow("command help") << QStringList{"convert", "--help"} << 0
                                  << QByteArray("stavnikctl convert IN OUT") << QByteArray();
    QTest::newRow("nothing") << QStringList{} << 2 << QByteArray() << QByteArray("usage");
    QTest::newRow("unknown command")
        << QStringList{"frobnicate"} << 2 << QByteArray() << QByteArray("frobnicate");
    QTest::newRow("convert without operands")
        << QStringList{"convert"} << 2 << QByteArray() << QByteArray("stavnikctl convert IN OUT");
    QTest::newRow("convert with one operand")
        << QStringList{"convert", "x.txt"} << 2 << QByteArray() << QByteArray("too few");
    QTest::newRow("convert with three operands")
        << QStringList{"convert", "a.txt", "b.txt", "c.txt"} << 2 << QByteArray()
        << QByteArray("too many");
    QTest::newRow("show without operand")
        << QStringList{"show"} << 2 << QByteArray() << QByteArray("stavnikctl show FILE");
    QTest::newRow("show with two operands")
        << QStringList{"show", "a.txt", "b.txt"} << 2 << QByteArray() << QByteArray("too many");
    QTest::newRow("version") << QStringList{"--version"} << 0 << QByteArray("stavnikctl 3.")
                             << QByteArray();
    QTest::newRow("unknown option") << QStringList{"show", "a.txt", "--baud", "9600"} << 2
                                    << QByteArray() << QByteArray("unknown option --baud");
    // A port named on the command line is a COM number from 1, or a device; never a fall-back.
    for (const char* port : {"0", "COM0", "-1", "com-3", "", " "})
        QTest::addRow("--port '%s'", port)
            << QStringList{"identify", "--port", port} << 2 << QByteArray()
            << QByteArray("usage: stavnikctl identify");
}

void StavnikctlTest::commandLine() {
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QByteArray, stdoutHas);
    QFETCH(QByteArray, stderrHas);
    QTemporaryDir dir;
    const Run r = stavnikctl(args, dir.path());
    QCOMPARE(r.code, code);
    if (stdoutHas.isEmpty())
        QCOMPARE(r.out, QByteArray());
    else
        QVERIFY2(r.out.contains(stdoutHas), r.out.constData());
    if (stderrHas.isEmpty())
        QCOMPARE(r.err, QByteArray());
    else
        QVERIFY2(r.err.contains(stderrHas), r.err.constData());
    QVERIFY(QDir(dir.path()).isEmpty()); // a wrong command line writes nothing
}

void StavnikctlTest::showPrintsTheGrid_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("warns");
    QTest::newRow("S2.6 in any order, junk, Czech")
        << sample("s26_mixed.txt") << sample("s26_mixed.show.txt") << true;
    QTest::newRow("S2.6 from standard input")
        << QStringLiteral("-") << sample("s26_mixed.show.txt") << true;
    QTest::newRow("S2.4 with LF, no POPIS")
        << sample("s24_nopopis.txt") << sample("s24_nopopis.show.txt") << false;
    QTest::newRow("S2.0 with short descriptions")
        << sample("s20_short.txt") << sample("s20_short.show.txt") << false;
}

void StavnikctlTest::showPrintsTheGrid() {
    QFETCH(QString, file);
    QFETCH(QString, expected);
    QFETCH(bool, warns);
    const Run r = stavnikctl({QStringLiteral("show"), file}, QString(),
                             file == QLatin1String("-") ? sample("s26_mixed.txt") : QString());
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, contents(expected));
    // Every sample sets only part of its layout; the S2.6 one also names one address beyond
    // the image.
    QVERIFY2(r.err.contains("Soubor dat nastavuje jen"), r.err);
    QCOMPARE(QString::fromUtf8(r.err).contains(QLatin1String(": 1\n")), warns);
}

void StavnikctlTest::convertWritesTheCurrentLayout_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("show");
    QTest::addColumn<QStringList>("expectedLines");
    QTest::addColumn<QStringList>("absentLines");
    QTest::newRow("S2.6") << sample("s26_mixed.txt") << sample("s26_mixed.show.txt")
                          << QStringList{"0000:00",
                                         "000E:64",
                                         "0010:FF",
                                         "0018:90",
                                         "0105:07",
                                         "08AE:08",
                                         QString::fromLatin1(
                                             "Vjezd na 1. kolej \x96 \x8E\xEF\xE1r")}
                          << QStringList{"0BBB:5A", "0BBC:FF", "0000:AB"};
    QTest::newRow("S2.4") << sample("s24_nopopis.txt") << sample("s24_nopopis.show.txt")
                          << QStringList{"003C:FF", "0040:01", "0041:02", "0066:40",
                                         "010B:10", "011D:AB", "045C:00"}
                          << QStringList{"S2.4", "045C:3A"};
    QTest::newRow("S2.0") << sample("s20_short.txt") << sample("s20_short.show.txt")
                          << QStringList{"0044:04", "0045:05", "010D:40", "010E:23", "0134:22"}
                          << QStringList{"S2.0"};
}

void StavnikctlTest::convertWritesTheCurrentLayout() {
    QFETCH(QString, file);
    QFETCH(QString, show);
    QFETCH(QStringList, expectedLines);
    QFETCH(QStringList, absentLines);
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.txt"));
    QCOMPARE(stavnikctl({QStringLiteral("convert"), file, out}).code, 0);
    const QByteArray bytes = contents(out);
    QVERIFY(bytes.startsWith("S2.6\r\nV0006:0008\r\nC0040:07BC\r\nD0000:08C4\r\n*\r\n"));
    QList<QByteArray> lines = bytes.split('\n');
    QCOMPARE(lines.takeLast(), QByteArray());
    QCOMPARE(lines.size(), 2341);
    for (QByteArray& l : lines) {
        QVERIFY(l.endsWith('\r'));
        l.chop(1);
    }
    for (const QString& want : expectedLines)
        QVERIFY2(lines.contains(want.toLatin1()), qPrintable(want));
    for (const QString& unwanted : absentLines)
        QVERIFY2(!lines.contains(unwanted.toLatin1()), qPrintable(unwanted));

    // The converted file shows the same grid, and converting it again changes nothing.
    QCOMPARE(stavnikctl({QStringLiteral("show"), out}).out, contents(show));
    const QString again = dir.filePath(QStringLiteral("again.txt"));
    QCOMPARE(stavnikctl({QStringLiteral("convert"), out, again}).code, 0);
    QCOMPARE(contents(again), bytes);
}

void StavnikctlTest::convertInPlace() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trasy.txt"));
    write(path, contents(sample("s24_nopopis.txt")));
    QCOMPARE(stavnikctl({QStringLiteral("convert"), path, path}).code, 0);
    QCOMPARE(stavnikctl({QStringLiteral("show"), path}).out,
             contents(sample("s24_nopopis.show.txt")));
}

void StavnikctlTest::failedLoad_data() {
    QTest::addColumn<QByteArray>("input"); // "-": no input file at all
    QTest::addColumn<QString>("message");  // the first line before the file name; empty: any
    QTest::newRow("missing file") << QByteArray("-")
                                  << QStringLiteral("Chyba otevreni souboru  dat");
    QTest::newRow("unknown marker")
        << QByteArray("s2.6\r\n*\r\n0001:01\r\n") << QStringLiteral("Neznámý format dat !");
    QTest::newRow("empty file") << QByteArray() << QStringLiteral("Neznámý format dat !");
    QTest::newRow("no data lines") << QByteArray("S2.6\r\nV0006:0008\r\n*\r\n") << QString();
}

void StavnikctlTest::failedLoad() {
    QFETCH(QByteArray, input);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("vstup.txt"));
    if (input != "-")
        write(in, input);
    const QString out = dir.filePath(QStringLiteral("vystup.txt"));
    const QByteArray previous = "the user's earlier file";
    write(out, previous);

    for (const QStringList& args : {QStringList{QStringLiteral("convert"), in, out},
                                    QStringList{QStringLiteral("show"), in}}) {
        const Run r = stavnikctl(args);
        QCOMPARE(r.code, 1);
        QCOMPARE(r.out, QByteArray());
        if (message.isEmpty())
            QVERIFY(!r.err.isEmpty());
        else // the system's reason may follow
            QCOMPARE(QString::fromUtf8(r.err).section('\n', 0, 0),
                     message + QDir::toNativeSeparators(in));
        QCOMPARE(contents(out), previous);
    }
}

void StavnikctlTest::refusalNamesTheFullPath() {
    QTemporaryDir dir;
    const Run r =
        stavnikctl({QStringLiteral("show"), QStringLiteral("neni/trasy.txt")}, dir.path());
    QCOMPARE(r.code, 1);
    // The window's words with the full name, then the name as given and the system's reason.
    const QStringList lines = QString::fromUtf8(r.err).split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0],
             QStringLiteral("Chyba otevreni souboru  dat") +
                 QDir::toNativeSeparators(dir.filePath(QStringLiteral("neni/trasy.txt"))));
    const QString given = QStringLiteral("stavnikctl: neni/trasy.txt: ");
#ifdef Q_OS_UNIX
    QCOMPARE(lines[1], given + QStringLiteral("No such file or directory"));
#else // the system's own words
    QVERIFY2(lines[1].startsWith(given) && lines[1].size() > given.size(), qPrintable(lines[1]));
#endif
    QCOMPARE(lines[2], QString());
}

void StavnikctlTest::badTargets_data() {
    QTest::addColumn<QString>("command"); // convert from the S2.4 sample, or read
    QTest::addColumn<QString>("target");  // DIR: a fresh folder
    QTest::addColumn<QString>("stdoutTo");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("err"); // part of stderr; empty: stderr empty
    const auto row = [](const char* name, const char* command, const char* target,
                        const char* stdoutTo, int code, const QString& err) {
        QTest::newRow(name) << QString(command) << QString(target) << QString(stdoutTo) << code
                            << err;
    };
    row("- is standard output", "convert", "-", "", 0, "nastavuje jen 6 z 1128 bajtů");
#ifdef Q_OS_UNIX
    row("/dev/stdout", "convert", "/dev/stdout", "", 0, "nastavuje jen 6 z 1128 bajtů");
    row("standard output on a full disk", "convert", "-", "/dev/full", 1,
        "standard output: No space left on device");
#endif
    const QString missing = QStringLiteral("neni/out.txt: ") + qt_error_string(ENOENT);
    row("missing folder", "convert", "DIR/neni/out.txt", "", 1, missing);
    // Found before the port is opened, so the named port is never tried.
    row("read into a missing folder", "read", "DIR/neni/out.txt", "", 2, missing);
#ifdef Q_OS_UNIX
    row("read into a device", "read", "/dev/null", "", 2, "/dev/null: Is a device");
#endif
}

void StavnikctlTest::badTargets() {
    QFETCH(QString, command);
    QFETCH(QString, target);
    QFETCH(QString, stdoutTo);
    QFETCH(int, code);
    QFETCH(QString, err);
    QTemporaryDir dir;
    target.replace(QLatin1String("DIR"), dir.path());
    QStringList args{command, sample("s24_nopopis.txt"), target};
    if (command == QLatin1String("read"))
        args = QStringList{command, target, QStringLiteral("--port"), dir.filePath("none")};
    const Run r = stavnikctl(args, QString(), QString(), stdoutTo);
    QCOMPARE(r.code, code);
    QVERIFY2(err.isEmpty() ? r.err.isEmpty() : QString::fromUtf8(r.err).contains(err), r.err);
    QVERIFY(!r.err.contains("Chyba otev"));
    QVERIFY(QDir(dir.path()).isEmpty());
#ifdef Q_OS_UNIX
    QVERIFY(QFileInfo(QStringLiteral("/dev/null")).exists() && !QFileInfo("/dev/null").isFile());
#endif
    if (code == 0) {
        const QString file = dir.filePath(QStringLiteral("out.txt"));
        QCOMPARE(stavnikctl({command, sample("s24_nopopis.txt"), file}).code, 0);
        QCOMPARE(r.out, contents(file)); // the same bytes as a file gets
    }
}

#ifdef Q_OS_UNIX
void StavnikctlTest::namesThatAreNotUtf8() {
    QTemporaryDir dir;
    // "starý" with the Latin-2 byte E8, a name Qt reads as U+FFFD and would write as EF BF BD.
    const QByteArray in = QFile::encodeName(dir.path()) + "/star\xe8.txt";
    QVERIFY(QFile::copy(sample("s24_nopopis.txt"), dir.filePath("copy.txt")));
    QCOMPARE(std::rename(QFile::encodeName(dir.filePath("copy.txt")).constData(), in.constData()),
             0);
    QProcess p; // arguments in bytes, which QProcess cannot pass
    p.start(QStringLiteral("/bin/sh"),
            {"-c", "e=$(printf '\\350'); \"$0\" convert \"$1/star$e.txt\" \"$1/out-$e.txt\"",
             QStringLiteral(STAVNIK_BIN_DIR "/stavnikctl"), dir.path()});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY2(p.readAllStandardError().contains("not valid UTF-8"), "no reason given");
    // Nothing written, under either name (Qt itself cannot list these names).
    const QByteArray folder = QFile::encodeName(dir.path());
    QCOMPARE(::access(folder + "/out-\xe8.txt", F_OK), -1);
    QCOMPARE(::access(folder + "/out-\xef\xbf\xbd.txt", F_OK), -1);
    QCOMPARE(::unlink(in.constData()), 0);
}

void StavnikctlTest::configuredPort_data() {
    QTest::addColumn<QByteArray>("ini"); // "-": no settings file
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("after"); // the settings file afterwards
    QTest::newRow("no file") << QByteArray("-") << QStringList{"port"}
                             << QByteArray("COM1\t/dev/ttyS0\tdefault\n") << QByteArray("-");
    const QByteArray own =
        "\xEF\xBB\xBF[options]\r\nCOMserial = 2\r\n[ports]\r\n COM2 = /dev/u\r\n";
    QTest::newRow("the user's own mapping, as the tool reads it")
        << own << QStringList{"port"} << QByteArray("COM2\t/dev/u\tmapped\n") << own;
    QTest::newRow("--map adds one line, the rest stays")
        << QByteArray("[Options]\nCOMserial=3\n; mine\n") << QStringList{"port", "--map", "/e"}
        << QByteArray("COM3\t/e\tmapped\n")
        << QByteArray("[Options]\nCOMserial=3\n; mine\n\n[Ports]\nCOM3=/e\n");
}

void StavnikctlTest::configuredPort() {
    QFETCH(QByteArray, ini);
    QFETCH(QStringList, args);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stavnik-cfg/stavnikCFG.ini"));
    QDir(dir.path()).mkpath(QStringLiteral("stavnik-cfg"));
    if (ini != "-")
        write(path, ini);
    const Run r = stavnikctl(args, QString(), QString(), QString(), dir.path());
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, out);
    QCOMPARE(QFile::exists(path) ? contents(path) : QByteArray("-"), after);
}

// A file's control characters reach the terminal as text; what a file loses on the way is said.
void StavnikctlTest::printsWhatTheFileHolds_data() {
    QTest::addColumn<QStringList>("args"); // DIR/: the test's folder, also the settings' home
    QTest::addColumn<QByteArray>("out");   // found in standard output
    QTest::addColumn<QByteArray>("err");   // found in standard error
    QTest::newRow("show") << QStringList{"show", "DIR/escape.txt"} << QByteArray("x\\x1b[2J")
                          << QByteArray();
    QTest::newRow("diff") << QStringList{"diff", "DIR/escape.txt", "DIR/long.txt"}
                          << QByteArray("popis: x\\x1b[2J →") << QByteArray();
    QTest::newRow("convert cutting a description")
        << QStringList{"convert", "DIR/long.txt", "DIR/out.txt"} << QByteArray()
        << QByteArray("long.txt: 1 route description(s) longer than 4096 bytes, cut");
    QTest::newRow("settings over 1 MB")
        << QStringList{"port"} << QByteArray("COM1\t/dev/ttyS0\tdefault\n")
        << QByteArray("stavnikCFG.ini: larger than 1 MB, so not read");
}

void StavnikctlTest::printsWhatTheFileHolds() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QTemporaryDir dir;
    QByteArray lines = "S2.6\r\n*\r\n0001:01\r\n*\r\nPOPIS\r\n";
    write(dir.filePath("escape.txt"), lines + "x\x1b[2J\r\n");
    write(dir.filePath("long.txt"), lines + QByteArray(5000, 'A') + "\r\n");
    QDir(dir.path()).mkpath("stavnik-cfg");
    write(dir.filePath("stavnik-cfg/stavnikCFG.ini"),
          "[Ports]\nCOM1=/dev/u\n;" + QByteArray(1100000, ' ') + '\n');
    for (QString& a : args)
        a.replace("DIR/", dir.path() + '/');
    const Run r = stavnikctl(args, QString(), QString(), QString(), dir.path());
    QVERIFY2(r.out.contains(out) && !r.out.contains('\x1b'), r.out.left(2000));
    QVERIFY2(r.err.contains(err), r.err);
}

#endif

QTEST_GUILESS_MAIN(StavnikctlTest)
#include "cli_stavnikctl.moc"
