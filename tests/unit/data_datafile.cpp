#include "data/codec.h"
#include "data/codepage1250.h"
#include "data/datafile.h"
#include "support/privileges.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <random>
#include <sys/stat.h>
#ifdef Q_OS_UNIX // named pipes, file size limits and owners
#include <sys/resource.h>
#include <unistd.h>
#endif

using Status = datafile::LoadResult::Status;
Q_DECLARE_METATYPE(datafile::LoadResult::Status)

namespace {

const QString kName = QStringLiteral("/data/trasy.txt");

// Serves bytes in pieces of at most `chunk` and can fail at a given offset, like a file on a
// flaky disk.
class TrickleDevice : public QIODevice {
public:
    TrickleDevice(QByteArray data, qint64 chunk, qint64 failAt = -1)
        : m_data(std::move(data)), m_chunk(chunk), m_failAt(failAt) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* out, qint64 max) override {
        if (m_failAt >= 0 && m_pos >= m_failAt) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        qint64 n = qMin(qMin(max, m_chunk), qint64(m_data.size()) - m_pos);
        if (m_failAt >= 0)
            n = qMin(n, m_failAt - m_pos);
        memcpy(out, m_data.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_chunk;
    qint64 m_failAt;
    qint64 m_pos = 0;
};

// Produces a file made of fixed parts and of long runs of one byte without ever holding them.
class GeneratedDevice : public QIODevice {
public:
    struct Part {
        QByteArray text;
        qint64 repeat = 1;
    };
    explicit GeneratedDevice(std::vector<Part> parts) : m_parts(std::move(parts)) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }
    qint64 served() const { return m_served; }

protected:
    qint64 readData(char* out, qint64 max) override {
        qint64 done = 0;
        while (done < max && m_part < m_parts.size()) {
            const Part& p = m_parts[m_part];
            const qint64 total = p.text.size() * p.repeat;
            const qint64 n = qMin(max - done, total - m_offset);
            if (p.text.size() == 1)
                memset(out + done, p.text[0], size_t(n));
            else
                for (qint64 i = 0; i < n; ++i)
                    out[done + i] = p.text[(m_offset + i) % p.text.size()];
            done += n;
            m_offset += n;
            m_served += n;
            if (m_offset == total) {
                ++m_part;
                m_offset = 0;
            }
        }
        return done;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::vector<Part> m_parts;
    std::size_t m_part = 0;
    qint64 m_offset = 0;
    qint64 m_served = 0;
};

QByteArray lines(const QList<QByteArray>& list, const char* eol = "\r\n") {
    QByteArray out;
    for (const QByteArray& l : list)
        out += l + eol;
    return out;
}

// Every image byte and every description set, so that any change a load makes shows.
ConfigStore prefilled() {
    ConfigStore s;
    for (std::size_t i = 0; i < s.image.size(); ++i)
        s.image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    decodeCurrent(s.image, s.routes);
    for (int n = 1; n <= image::kRouteCount; ++n)
        s.route(n).description = QStringLiteral("stará %1").arg(n);
    return s;
}

bool sameConfiguration(const ConfigStore& a, const ConfigStore& b) {
    return a.image == b.image && a.routes == b.routes;
}

QByteArray cp1250(const QString& text) {
    return codepage1250::encode(text);
}

} // namespace

class DataFileTest : public QObject {
    Q_OBJECT
private slots:
    void savedFileHasTheDocumentedShape();
    void dataLineOfEveryAddress_data();
    void dataLineOfEveryAddress();
    void descriptionsAreSavedInWindows1250();
    void markerLine_data();
    void markerLine();
    void silentStop_data();
    void silentStop();
    void dataLine_data();
    void dataLine();
    void namedBytesOfFullPartialAndOlderFiles_data();
    void namedBytesOfFullPartialAndOlderFiles();
    void linesOutsideTheImageAreSkipped();
    void closingStarClearsByteZero_data();
    void closingStarClearsByteZero();
    void descriptions_data();
    void descriptions();
    void olderLayoutKeepsFieldsItDoesNotCarry_data();
    void olderLayoutKeepsFieldsItDoesNotCarry();
    void sampleFiles_data();
    void sampleFiles();
    void pieceSizeAndLineEndsDoNotMatter_data();
    void pieceSizeAndLineEndsDoNotMatter();
    void readErrorChangesNothing_data();
    void readErrorChangesNothing();
    void saveLoadSaveIsIdentical();
    void overlongLines_data();
    void overlongLines();
    void openFailure_data();
    void openFailure();
    void saveReplacesTheWholeFile();
#ifdef Q_OS_UNIX
    void saveFailures_data();
    void saveFailures();
#endif
};

void DataFileTest::savedFileHasTheDocumentedShape() {
    const ConfigStore empty;
    const QByteArray bytes = datafile::format(empty);
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    QList<QByteArray> l = bytes.split('\n');
    QCOMPARE(l.takeLast(), QByteArray());
    QCOMPARE(l.size(), datafile::kLineCount);
    for (QByteArray& line : l)
        line.chop(1);
    const QList<QByteArray> head{"S2.6", "V0006:0008", "C0040:07BC", "D0000:08C4", "*", "0000:00"};
    QCOMPARE(l.mid(0, 6), head);
    QCOMPARE(l.at(2248), QByteArray("08C3:00"));
    QCOMPARE(l.at(2249), QByteArray("*"));
    QCOMPARE(l.at(2250), QByteArray("POPIS"));
    for (int i = 2251; i < datafile::kLineCount; ++i)
        QVERIFY2(l.at(i).isEmpty(), qPrintable(QString::number(i)));
    for (int a = 0; a < image::kConfigSize; ++a)
        QVERIFY(l.at(5 + a).endsWith(":00"));
}

void DataFileTest::dataLineOfEveryAddress_data() {
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("last byte 171") << 2243 << 171 << QByteArray("08C3:AB");
    QTest::newRow("byte 0") << 0 << 0x5A << QByteArray("0000:5A");
    QTest::newRow("upper-case digits") << 0xAF << 0xCD << QByteArray("00AF:CD");
    QTest::newRow("single digit padded") << 10 << 7 << QByteArray("000A:07");
    QTest::newRow("first block byte") << 264 << 0xFF << QByteArray("0108:FF");
}

void DataFileTest::dataLineOfEveryAddress() {
    QFETCH(int, address);
    QFETCH(int, value);
    QFETCH(QByteArray, line);
    ConfigStore store;
    store.image[address] = static_cast<std::uint8_t>(value);
    store.image[image::kConfigSize] = 0xEE; // beyond the saved range
    const QList<QByteArray> l = datafile::format(store).split('\n');
    QCOMPARE(l.at(5 + address), line + "\r");
    QCOMPARE(l.at(5 + image::kConfigSize), QByteArray("*\r"));
}

void DataFileTest::descriptionsAreSavedInWindows1250() {
    ConfigStore store;
    store.route(1).description = QStringLiteral("Vjezd – Žďár nad Sázavou");
    store.route(2).description = QStringLiteral("dva\nřádky");
    store.route(4).description = QStringLiteral("mimo \u4E2D kódování");
    store.route(90).description = QString(60, QLatin1Char('x'));
    const QList<QByteArray> l = datafile::format(store).split('\n');
    QCOMPARE(l.at(2251), QByteArray("Vjezd \x96 \x8E\xEF\xE1r nad S\xE1zavou\r"));
    QCOMPARE(l.at(2252), QByteArray("dva \xF8\xE1"
                                    "dky\r"));
    QCOMPARE(l.at(2254), QByteArray("mimo ? k\xF3"
                                    "dov\xE1n\xED\r"));
    QCOMPARE(l.at(2340), QByteArray(60, 'x') + "\r");
}

void DataFileTest::markerLine_data() {
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<Status>("status");
    QTest::newRow("S2.6") << QByteArray("S2.6\r\n") << Status::Loaded;
    QTest::newRow("S2.4") << QByteArray("S2.4\r\n") << Status::Loaded;
    QTest::newRow("S2.0") << QByteArray("S2.0\r\n") << Status::Loaded;
    QTest::newRow("LF only") << QByteArray("S2.6\n") << Status::Loaded;
    QTest::newRow("trailing blank") << QByteArray("S2.6 \r\n") << Status::Refused;
    QTest::newRow("leading blank") << QByteArray(" S2.6\r\n") << Status::Refused;
    QTest::newRow("lower case") << QByteArray("s2.6\r\n") << Status::Refused;
    QTest::newRow("other generation") << QByteArray("S2.5\r\n") << Status::Refused;
    QTest::newRow("longer") << QByteArray("S2.60\r\n") << Status::Refused;
    QTest::newRow("shorter") << QByteArray("S2.\r\n") << Status::Refused;
    QTest::newRow("extra CR") << QByteArray("S2.6\r\r\n") << Status::Refused;
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBFS2.6\r\n") << Status::Refused;
    QTest::newRow("empty first line") << QByteArray("\r\n") << Status::Refused;
    QTest::newRow("empty file") << QByteArray() << Status::Refused;
    QTest::newRow("long first line") << QByteArray(100000, 'S') + "\r\n" << Status::Refused;
}

void DataFileTest::markerLine() {
    QFETCH(QByteArray, first);
    QFETCH(Status, status);
    const QByteArray file = first.isEmpty() ? first : first + lines({"*", "0001:05"});
    const ConfigStore before = prefilled();
    ConfigStore store = before;
    const datafile::LoadResult r = datafile::loadBytes(file, kName, store);
    QCOMPARE(r.status, status);
    if (status == Status::Refused) {
        QCOMPARE(r.message, QStringLiteral("Neznámý format dat !/data/trasy.txt"));
        QVERIFY(sameConfiguration(store, before));
    } else {
        QVERIFY(r.message.isEmpty());
        QCOMPARE(store.image[1], std::uint8_t(5));
    }
}

void DataFileTest::silentStop_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("marker only") << QByteArray("S2.6");
    QTest::newRow("marker line only") << QByteArray("S2.6\r\n");
    QTest::newRow("no star line") << lines({"S2.6", "V0006:0008", "0001:05"});
    QTest::newRow("star line last") << lines({"S2.6", "V0006:0008", "*"});
    QTest::newRow("star without line end") << QByteArray("S2.6\r\n*");
    QTest::newRow("star, LF only") << QByteArray("S2.4\n*\n");
    QTest::newRow("near miss of star") << lines({"S2.0", "* ", "**", "0001:05"});
}

void DataFileTest::silentStop() {
    QFETCH(QByteArray, file);
    const ConfigStore before = prefilled();
    ConfigStore store = before;
    const datafile::LoadResult r = datafile::loadBytes(file, kName, store);
    QCOMPARE(r.status, Status::Stopped);
    QVERIFY(r.message.isEmpty());
    QVERIFY(sameConfiguration(store, before));
}

void DataFileTest::namedBytesOfFullPartialAndOlderFiles_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("named");
    QTest::addColumn<int>("layout");
    const QByteArray full = datafile::format(ConfigStore());
    const QList<QByteArray> fullLines = full.split('\n');
    QTest::newRow("saved file") << full << 2244 << 2244;
    QTest::newRow("first 300 lines") << fullLines.mid(0, 300).join('\n') << 295 << 2244;
    QTest::newRow("repeats and beyond the image count once")
        << lines({"S2.6", "*", "0001:05", "0001:06", "08C4:01", "0BBC:01", "*"}) << 1 << 2244;
    QTest::newRow("S2.4 counts its 1128")
        << lines({"S2.4", "*", "0000:01", "0467:02", "0468:03", "*"}) << 2 << 1128;
    QTest::newRow("S2.0 counts its 1038")
        << lines({"S2.0", "*", "040D:02", "040E:03"}) << 1 << 1038;
}

void DataFileTest::namedBytesOfFullPartialAndOlderFiles() {
    QFETCH(QByteArray, file);
    QFETCH(int, named);
    QFETCH(int, layout);
    ConfigStore store;
    const datafile::LoadResult r = datafile::loadBytes(file, kName, store);
    QCOMPARE(r.status, Status::Loaded);
    QCOMPARE(r.namedBytes, named);
    QCOMPARE(r.layoutBytes, layout);
    QCOMPARE(r.setsEverything(), named == layout);
}

void DataFileTest::dataLine_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << QByteArray("0123:45") << 0x123 << 0x45;
    QTest::newRow("lower-case f skipped") << QByteArray("0A:3f") << 10 << 3;
    QTest::newRow("no value") << QByteArray("12:") << 18 << 0;
    QTest::newRow("low 8 bits") << QByteArray("0010:1FF") << 16 << 0xFF;
    QTest::newRow("lower-case address") << QByteArray("0a:05") << 0 << 5;
    QTest::newRow("junk around digits") << QByteArray("0x0E:0x64") << 14 << 100;
    QTest::newRow("blanks") << QByteArray(" 0105 :  7 ") << 0x105 << 7;
    QTest::newRow("no colon: first ten") << QByteArray("ABCDEFGHIJKLMN") << 0 << 0xEF;
    QTest::newRow("no colon, short") << QByteArray("AB") << 0 << 0xAB;
    QTest::newRow("colon first") << QByteArray(":7") << 0 << 7;
    QTest::newRow("ten characters after colon") << QByteArray("0001:000000001234") << 1 << 0x12;
    QTest::newRow("second colon is value text") << QByteArray("0002:1:2") << 2 << 0x12;
    QTest::newRow("address wraps at 32 bits") << QByteArray("10000000A:5") << 10 << 5;
    QTest::newRow("value wraps at 32 bits") << QByteArray("0003:1234567890") << 3 << 0x90;
    QTest::newRow("last image byte") << QByteArray("0BBB:12") << 3003 << 0x12;
    QTest::newRow("beyond the saved range") << QByteArray("08C4:34") << 2244 << 0x34;
    QTest::newRow("star with more") << QByteArray("*0004:1") << 4 << 1;
    QTest::newRow("Windows-1250 letters") << QByteArray("0\x8A"
                                                        "5:\x9E"
                                                        "1")
                                          << 5 << 1;
}

void DataFileTest::dataLine() {
    QFETCH(QByteArray, line);
    QFETCH(int, address);
    QFETCH(int, value);
    const ConfigStore before = prefilled();
    ConfigStore store = before;
    const datafile::LoadResult r =
        datafile::loadBytes(lines({"S2.6", "*", line, "0007:07"}), kName, store);
    QCOMPARE(r.status, Status::Loaded);
    QCOMPARE(r.skippedLines, 0);
    QCOMPARE(int(store.image[address]), value);
    QCOMPARE(int(store.image[7]), 7); // reading goes on after the line
    for (int a = 0; a < image::kSize; ++a)
        if (a != address && a != 7)
            QCOMPARE(store.image[a], before.image[a]);
}

void DataFileTest::linesOutsideTheImageAreSkipped() {
    const ConfigStore before = prefilled();
    ConfigStore store = before;
    const datafile::LoadResult r = datafile::loadBytes(
        lines({"S2.6", "*", "0BBC:01", "0001:11", "FFFF:FF", "FFFFFFFF:1", "0BBB:22", "*"}), kName,
        store);
    QCOMPARE(r.status, Status::Loaded);
    QCOMPARE(r.skippedLines, 3);
    QCOMPARE(store.image[1], std::uint8_t(0x11));
    QCOMPARE(store.image[3003], std::uint8_t(0x22));
    QVERIFY(datafile::skippedLinesText(3).contains(QLatin1String("3")));
}

void DataFileTest::closingStarClearsByteZero_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("byteZero");
    QTest::newRow("closing star") << lines({"S2.6", "*", "0000:AB", "*"}) << 0;
    QTest::newRow("end of file instead") << lines({"S2.6", "*", "0000:AB"}) << 0xAB;
    QTest::newRow("not named, no star") << lines({"S2.6", "*", "0001:AB"}) << 3;
}

void DataFileTest::closingStarClearsByteZero() {
    QFETCH(QByteArray, file);
    QFETCH(int, byteZero);
    ConfigStore store = prefilled();
    QCOMPARE(datafile::loadBytes(file, kName, store).status, Status::Loaded);
    QCOMPARE(int(store.image[0]), byteZero);
}

void DataFileTest::descriptions_data() {
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<QStringList>("expected"); // routes 1..n; empty list: all kept
    QTest::addColumn<bool>("restEmpty");
    QTest::newRow("no POPIS") << QByteArray() << QStringList() << false;
    QTest::newRow("lower case popis") << lines({"popis", "a"}) << QStringList() << false;
    QTest::newRow("POPIS with blank") << lines({"POPIS ", "a"}) << QStringList() << false;
    QTest::newRow("three lines")
        << lines({"POPIS", cp1250(QStringLiteral("první")), "", cp1250(QStringLiteral("třetí"))},
                 "\n")
        << QStringList{QStringLiteral("první"), QString(), QStringLiteral("třetí")} << true;
    QTest::newRow("POPIS last line") << QByteArray("POPIS") << QStringList{QString()} << true;
    QTest::newRow("Windows-1250")
        << QByteArray("POPIS\r\n\x8A\x9A\x8E\x9E\xC8\xE8\xD8\xF8\xEC\xF9 \x84\x93\r\n")
        << QStringList{QStringLiteral("ŠšŽžČčŘřěů „“")} << true;
    QTest::newRow("CR inside kept")
        << QByteArray("POPIS\r\na\rb\r\nc\r\r\n")
        << QStringList{QStringLiteral("a\rb"), QStringLiteral("c\r")} << true;
    QTest::newRow("longer than the editor allows")
        << lines({"POPIS", QByteArray(300, 'd')}) << QStringList{QString(300, QLatin1Char('d'))}
        << true;
    QTest::newRow("capped") << lines({"POPIS",
                                      QByteArray(datafile::kMaxDescriptionBytes + 5000, 'e'),
                                      cp1250(QStringLiteral("druhá"))})
                            << QStringList{QString(datafile::kMaxDescriptionBytes,
                                                   QLatin1Char('e')),
                                           QStringLiteral("druhá")}
                            << true;
    QList<QByteArray> many{"POPIS"};
    QStringList ninety;
    for (int n = 1; n <= 95; ++n) {
        many << "cesta " + QByteArray::number(n);
        if (n <= 90)
            ninety << QStringLiteral("cesta %1").arg(n);
    }
    QTest::newRow("more than 90 lines") << lines(many) << ninety << true;
}

void DataFileTest::descriptions() {
    QFETCH(QByteArray, tail);
    QFETCH(QStringList, expected);
    QFETCH(bool, restEmpty);
    const ConfigStore before = prefilled();
    ConfigStore store = before;
    const QByteArray file = lines({"S2.6", "*", "0001:01", "*"}) + tail;
    QCOMPARE(datafile::loadBytes(file, kName, store).status, Status::Loaded);
    for (int n = 1; n <= image::kRouteCount; ++n) {
        const QString want = n <= expected.size()
                                 ? expected[n - 1]
                                 : (restEmpty ? QString() : before.route(n).description);
        QCOMPARE(store.route(n).description, want);
    }
}

void DataFileTest::olderLayoutKeepsFieldsItDoesNotCarry_data() {
    QTest::addColumn<QByteArray>("marker");
    QTest::addColumn<int>("recordSize");
    QTest::newRow("S2.0") << QByteArray("S2.0") << 11;
    QTest::newRow("S2.4") << QByteArray("S2.4") << 12;
}

void DataFileTest::olderLayoutKeepsFieldsItDoesNotCarry() {
    QFETCH(QByteArray, marker);
    QFETCH(int, recordSize);
    ConfigStore store;
    RouteRecord& r2 = store.route(2);
    r2.dccEnabled = 1;
    r2.extRelays = 0x1234;
    r2.signal3 = 7;
    r2.pointPositions[15] = 2;
    r2.description = QStringLiteral("zůstane");
    const int rec = 48 + recordSize; // route 2
    auto line = [](int address, int value) {
        return QByteArray::number(address, 16).toUpper() + ':' +
               QByteArray::number(value, 16).toUpper();
    };
    const QByteArray file = lines({marker, "*", line(rec, 0x21), line(rec + 8, 0x0F),
                                   line(rec + 11, 0xF0), line(50, 0x77), "*"});
    QCOMPARE(datafile::loadBytes(file, kName, store).status, Status::Loaded);

    const RouteRecord& r = store.route(2);
    QCOMPARE(r.fromButton, 1);
    QCOMPARE(r.toButton, 2);
    // byte 11 of the record exists in S2.4 only
    QCOMPARE(r.localDetectors, recordSize == 12 ? 0xF00F : 0x000F);
    QCOMPARE(r.dccEnabled, Flag(1));
    QCOMPARE(r.extRelays, 0x1234);
    QCOMPARE(r.signal3, 7);
    QCOMPARE(r.pointPositions[15], 2);
    QCOMPARE(r.description, QStringLiteral("zůstane"));
    // The image is in the current layout right after the load.
    QCOMPARE(int(store.image[image::indexPairAddress(2)]), 0x01);
    QCOMPARE(int(store.image[image::indexPairAddress(2) + 1]), 0x42);
    QCOMPARE(int(store.image[image::blockAddress(2) + 12]), 0x34);
    QCOMPARE(int(store.image[image::blockAddress(2) + 3]), 0x80);
    QCOMPARE(int(store.image[50]), 0x77); // below the index pairs: kept as the file had it
    RouteTable decoded = store.routes;
    decodeCurrent(store.image, decoded);
    QVERIFY(decoded == store.routes);
}

void DataFileTest::sampleFiles_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("value");
    const QString s26 = QStringLiteral("s26_mixed.txt");
    QTest::newRow("S2.6 byte 0 after closing star") << s26 << 0 << 0;
    QTest::newRow("S2.6 DCC base low") << s26 << 14 << 0x64;
    QTest::newRow("S2.6 DCC base high") << s26 << 15 << 0x31;
    QTest::newRow("S2.6 low 8 bits of 1FF") << s26 << 16 << 0xFF;
    QTest::newRow("S2.6 lower-case address") << s26 << 0x18 << 0x90;
    QTest::newRow("S2.6 route 1 pair") << s26 << 0x40 << 0x85;
    QTest::newRow("S2.6 junk value") << s26 << 0x108 << 0x21;
    QTest::newRow("S2.6 spare index pairs") << s26 << 0x105 << 0x07;
    QTest::newRow("S2.6 last image byte") << s26 << 3003 << 0x5A;
    QTest::newRow("S2.6 unnamed byte") << s26 << 0x109 + 1 << 0;
    const QString s24 = QStringLiteral("s24_nopopis.txt");
    QTest::newRow("S2.4 record bytes below 64 stay") << s24 << 0x3C << 0xFF;
    QTest::newRow("S2.4 route 1 from") << s24 << 0x40 << 0x01;
    QTest::newRow("S2.4 route 1 to") << s24 << 0x41 << 0x02;
    QTest::newRow("S2.4 route 2 pair") << s24 << 0x42 << 0x0F;
    QTest::newRow("S2.4 route 20 shunting") << s24 << 0x66 << 0x40;
    QTest::newRow("S2.4 route 90 pair") << s24 << 0xF2 << 0x0A;
    QTest::newRow("S2.4 route 1 points") << s24 << 0x108 << 0x21;
    QTest::newRow("S2.4 route 1 P8") << s24 << 0x10B << 0x10;
    QTest::newRow("S2.4 following signal code") << s24 << 0x10E << 0x01;
    QTest::newRow("S2.4 old record overwritten") << s24 << 0x45C << 0x00;
    QTest::newRow("S2.4 block byte 21 kept") << s24 << 0x11D << 0xAB;
    const QString s20 = QStringLiteral("s20_short.txt");
    QTest::newRow("S2.0 following N3 kind") << s20 << 0x10D << 0x40;
    QTest::newRow("S2.0 following N3 code") << s20 << 0x10E << 35;
    QTest::newRow("S2.0 route 3 pair") << s20 << 0x44 << 0x04;
    QTest::newRow("S2.0 route 3 points") << s20 << image::blockAddress(3) << 0x22;
    QTest::newRow("S2.0 route 3 points 2") << s20 << image::blockAddress(3) + 1 << 0x22;
}

void DataFileTest::sampleFiles() {
    QFETCH(QString, file);
    QFETCH(int, address);
    QFETCH(int, value);
    ConfigStore store;
    const datafile::LoadResult r =
        datafile::loadFile(QStringLiteral(STAVNIK_TEST_DATA "/") + file, store);
    QCOMPARE(r.status, Status::Loaded);
    QCOMPARE(int(store.image[address]), value);
}

void DataFileTest::pieceSizeAndLineEndsDoNotMatter_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<qint64>("chunk");
    QFile f(QStringLiteral(STAVNIK_TEST_DATA "/s26_mixed.txt"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray sample = f.readAll();
    QByteArray lfOnly = sample;
    lfOnly.replace("\r\n", "\n");
    // CRs that are text, next to the CR of a line end
    const QByteArray crs =
        "S2.6\r\n*\r\n0001:0\r5\r\n\r\n*\r\nPOPIS\r\na\r\rb\r\nc\r\r\n\r\r\n\r\nd\r";
    for (qint64 chunk : {1, 2, 3, 5, 8, 64}) {
        QTest::addRow("sample in pieces of %lld", chunk) << sample << chunk;
        QTest::addRow("sample with LF in pieces of %lld", chunk) << lfOnly << chunk;
        QTest::addRow("CRs in pieces of %lld", chunk) << crs << chunk;
    }
}

void DataFileTest::pieceSizeAndLineEndsDoNotMatter() {
    QFETCH(QByteArray, file);
    QFETCH(qint64, chunk);
    ConfigStore reference = prefilled();
    const datafile::LoadResult whole = datafile::loadBytes(file, kName, reference);
    QCOMPARE(whole.status, Status::Loaded);
    if (file.contains("Vjezd")) {
        QCOMPARE(whole.skippedLines, 1);
        QCOMPARE(reference.route(1).description, QStringLiteral("Vjezd na 1. kolej – Žďár"));
    } else {
        QCOMPARE(int(reference.image[1]), 5);
        const QStringList texts{QStringLiteral("a\r\rb"), QStringLiteral("c\r"),
                                QStringLiteral("\r"), QString(), QStringLiteral("d\r")};
        for (int n = 1; n <= texts.size(); ++n)
            QCOMPARE(reference.route(n).description, texts[n - 1]);
    }

    TrickleDevice device(file, chunk);
    ConfigStore store = prefilled();
    const datafile::LoadResult r = datafile::load(device, kName, store);
    QCOMPARE(r.status, Status::Loaded);
    QCOMPARE(r.skippedLines, whole.skippedLines);
    QVERIFY(sameConfiguration(store, reference));
}

void DataFileTest::readErrorChangesNothing_data() {
    QTest::addColumn<int>("failAt");
    QTest::addColumn<int>("fromEnd"); // offset counted back from the end when failAt < 0
    QTest::newRow("in the marker") << 2 << 0;
    QTest::newRow("in the header lines") << 12 << 0;
    QTest::newRow("in the data lines") << 2000 << 0;
    QTest::newRow("in the descriptions") << -1 << 60;
    QTest::newRow("before the last line end") << -1 << 1;
}

void DataFileTest::readErrorChangesNothing() {
    QFETCH(int, failAt);
    QFETCH(int, fromEnd);
    ConfigStore full;
    for (int a = 1; a < image::kConfigSize; ++a)
        full.image[a] = static_cast<std::uint8_t>(a * 13);
    for (int n = 1; n <= image::kRouteCount; ++n)
        full.route(n).description = QStringLiteral("nová %1").arg(n);
    const QByteArray file = datafile::format(full);
    TrickleDevice device(file, 4096, failAt >= 0 ? failAt : file.size() - fromEnd);
    const ConfigStore before = prefilled();
    ConfigStore store = before;
    const datafile::LoadResult r = datafile::load(device, kName, store);
    QCOMPARE(r.status, Status::IoError);
    QCOMPARE(r.message, QStringLiteral("Input/output error"));
    QCOMPARE(r.reason, r.message);
    QVERIFY(sameConfiguration(store, before));
}

void DataFileTest::saveLoadSaveIsIdentical() {
    std::mt19937 random(90);
    const QString letters =
        QStringLiteral("aábcčdďeéěfghiíjklmnňoópqrřsštťuúůvwxyýzž ABČŘŠŽ–„“-.,1234");
    ConfigStore original;
    for (int a = 1; a < image::kConfigSize; ++a)
        original.image[a] = static_cast<std::uint8_t>(random());
    original.image[0] = 0x5C;
    for (int n = 1; n <= image::kRouteCount; ++n) {
        QString text;
        for (int i = int(random() % 46); i > 0; --i)
            text += letters[int(random() % letters.size())];
        original.route(n).description = text;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    QVERIFY(datafile::saveFile(path, original).saved);

    ConfigStore loaded = prefilled();
    QCOMPARE(datafile::loadFile(path, loaded).status, Status::Loaded);
    QCOMPARE(int(loaded.image[0]), 0);
    for (int a = 1; a < image::kConfigSize; ++a)
        QCOMPARE(loaded.image[a], original.image[a]);
    for (int a = image::kConfigSize; a < image::kSize; ++a)
        QCOMPARE(loaded.image[a], prefilled().image[a]); // not in the file, not touched
    for (int n = 1; n <= image::kRouteCount; ++n)
        QCOMPARE(loaded.route(n).description, original.route(n).description);

    const QString again = dir.filePath(QStringLiteral("b.txt"));
    QVERIFY(datafile::saveFile(again, loaded).saved);
    ConfigStore third;
    QCOMPARE(datafile::loadFile(again, third).status, Status::Loaded);
    QFile a(again);
    QVERIFY(a.open(QIODevice::ReadOnly));
    QCOMPARE(a.readAll(), datafile::format(third));
}

void DataFileTest::overlongLines_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("run"); // one byte, repeated `length` times
    QTest::addColumn<qint64>("length");
    QTest::addColumn<int>("line"); // the line refused; 0: the file loads
    const qint64 endless = qint64(1) << 50;
    const QByteArray toPopis = lines({"S2.6", "*", "0001:05", "*", "POPIS"});
    QTest::newRow("endless first line, as /dev/zero")
        << QByteArray() << QByteArray(1, '\0') << endless << 1;
    QTest::newRow("endless header line") << lines({"S2.6"}) << QByteArray("V") << endless << 2;
    QTest::newRow("endless data value")
        << lines({"S2.6", "X", "*"}) + "0001:" << QByteArray("F") << endless << 4;
    QTest::newRow("endless run of CR")
        << lines({"S2.6", "*", "0001:05"}) << QByteArray("\r") << endless << 4;
    QTest::newRow("endless description") << toPopis << QByteArray("\xE8") << endless << 6;
    QTest::newRow("longest line allowed")
        << toPopis << QByteArray("\xE8") << datafile::kMaxLineBytes << 0;
    QTest::newRow("one byte longer")
        << toPopis << QByteArray("\xE8") << datafile::kMaxLineBytes + 1 << 6;
}

void DataFileTest::overlongLines() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, run);
    QFETCH(qint64, length);
    QFETCH(int, line);
    GeneratedDevice device({{before}, {run, length}, {"\r\n"}});
    const ConfigStore old = prefilled();
    ConfigStore store = old;
    const datafile::LoadResult r = datafile::load(device, kName, store);
    // Gave up within a line's limit and one read of the reader, whatever follows.
    QVERIFY(device.served() <= before.size() + datafile::kMaxLineBytes + 64 * 1024 + 2);
    if (line == 0) {
        QCOMPARE(r.status, Status::Loaded);
        QCOMPARE(store.route(1).description,
                 QString(datafile::kMaxDescriptionBytes, QChar(0x010D)));
        return;
    }
    QCOMPARE(r.status, Status::Refused);
    QVERIFY(sameConfiguration(store, old));
    QCOMPARE(r.message.startsWith(QStringLiteral("Neznámý format dat !")), line == 1);
    QVERIFY(r.message.endsWith(kName));
    QVERIFY2(r.reason.startsWith(QStringLiteral("Line %1 ").arg(line)), qPrintable(r.reason));
}

void DataFileTest::openFailure_data() {
    QTest::addColumn<QString>("relative");
    QTest::newRow("missing file") << QStringLiteral("neni.txt");
    QTest::newRow("folder") << QStringLiteral("slozka");
    QTest::newRow("inside a missing folder") << QStringLiteral("neni/trasy.txt");
#ifdef Q_OS_UNIX
    QTest::newRow("FIFO without a writer: refused, not waited on") << QStringLiteral("roura");
#endif
}

void DataFileTest::openFailure() {
    QFETCH(QString, relative);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("slozka")));
#ifdef Q_OS_UNIX
    QCOMPARE(mkfifo(QFile::encodeName(dir.filePath("roura")).constData(), 0666), 0);
#endif
    const QString path = dir.filePath(relative);
    const ConfigStore before = prefilled();
    ConfigStore store = before;
    const datafile::LoadResult r = datafile::loadFile(path, store);
    QCOMPARE(r.status, Status::Refused);
    QCOMPARE(r.message,
             QStringLiteral("Chyba otevreni souboru  dat") + QDir::toNativeSeparators(path));
    QVERIFY(!r.reason.isEmpty()); // the system's
    QVERIFY(sameConfiguration(store, before));
}

void DataFileTest::saveReplacesTheWholeFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trasy.txt"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100000, 'x'));
    old.close();
    ConfigStore store;
    store.image[5] = 0x42;
    QVERIFY(datafile::saveFile(path, store).saved);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), datafile::format(store));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("trasy.txt")});
}

#ifdef Q_OS_UNIX
void DataFileTest::saveFailures_data() {
    QTest::addColumn<QString>("target"); // in a fresh folder whose subfolder ro is read-only
    QTest::addColumn<QString>("make");   // what is there before: file MODE, fifo, folder, link
    QTest::addColumn<bool>("inPlace");
    QTest::addColumn<QString>("reason"); // part of the reason; empty: saved
    const auto row = [](const char* name, const char* target, const char* make, bool inPlace,
                        const QString& reason) {
        QTest::newRow(name) << QString(target) << QString(make) << inPlace << reason;
    };
    row("device", "/dev/null", "", false, "Is a device");
    row("FIFO", "trasy.txt", "fifo", false, "Is a named pipe");
    row("folder", "trasy.txt", "folder", false, "Is a folder");
    // A file size limit makes the write fail part-way, as a full disk would, even for root.
    row("full disk", "trasy.txt", "file 666", false, qt_error_string(EFBIG));
    row("read-only file", "trasy.txt", "file 444", false, qt_error_string(EACCES));
    row("read-only folder", "ro/trasy.txt", "", false, qt_error_string(EACCES));
    row("read-only folder, writable file", "ro/trasy.txt", "file 666", true, "");
    row("missing folder", "neni/trasy.txt", "", false, qt_error_string(ENOENT));
    row("link to a file", "trasy.txt", "link", false, "");
}

void DataFileTest::saveFailures() {
    QFETCH(QString, target);
    QFETCH(QString, make);
    QFETCH(bool, inPlace);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = target.startsWith('/') ? target : dir.filePath(target);
    const QString real = make == QLatin1String("link") ? dir.filePath("real.txt") : path;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("ro")));
    if (make.startsWith(QLatin1String("file")) || make == QLatin1String("link")) {
        QFile f(real);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("S2.6\r\nearlier\r\n") > 0);
        f.close();
        chmod(QFile::encodeName(real).constData(), make.endsWith("444") ? 0444 : 0666);
        // The saving user's own file: a replaced file keeps its owner, which only root may give.
        if (geteuid() == 0)
            QCOMPARE(chown(QFile::encodeName(real).constData(), 65534, getegid()), 0);
    }
    if ((make == QLatin1String("fifo") && mkfifo(QFile::encodeName(path).constData(), 0666)) ||
        (make == QLatin1String("folder") && !QDir().mkdir(path)) ||
        (make == QLatin1String("link") && !QFile::link(real, path)))
        QFAIL("cannot make the target");
    chmod(QFile::encodeName(dir.path()).constData(), 0777);
    chmod(QFile::encodeName(dir.filePath("ro")).constData(), 0555);
    const auto contents = [](const QString& p) {
        QFile f(p); // a FIFO would wait for a writer
        return QFileInfo(p).isFile() && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const bool wasFile = QFileInfo(path).isFile();
    const QByteArray before = contents(path);
    const QDir folder(QFileInfo(path).absolutePath());
    const QStringList entries = folder.entryList(QDir::AllEntries | QDir::System);

    datafile::SaveResult r;
    QString problem;
    {
        WithoutRootRights unprivileged;
        QVERIFY(unprivileged.ok());
        problem = datafile::saveTargetProblem(path);
        const bool full = QTest::currentDataTag() == QByteArray("full disk");
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit small{4096, saved.rlim_max};
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, full ? &small : &saved), 0);
        r = datafile::saveFile(path, ConfigStore());
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        // Only a failure part-way through the write cannot be foreseen.
        QCOMPARE(problem.isEmpty(), reason.isEmpty() || full);
    }
    chmod(QFile::encodeName(dir.filePath("ro")).constData(), 0755);
    QCOMPARE(r.saved, reason.isEmpty());
    QCOMPARE(r.inPlace, inPlace);
    QVERIFY2(r.saved ? r.reason.isEmpty() : r.reason.contains(reason), qPrintable(r.reason));
    if (!path.startsWith(QLatin1String("/dev/")))
        QCOMPARE(folder.entryList(QDir::AllEntries | QDir::System), entries);
    QCOMPARE(QFileInfo(path).isFile(), r.saved || wasFile); // a device stays a device
    QCOMPARE(contents(path), r.saved ? datafile::format(ConfigStore()) : before);
    QCOMPARE(QFileInfo(path).isSymLink(), make == QLatin1String("link"));
}
#endif

QTEST_GUILESS_MAIN(DataFileTest)
#include "data_datafile.moc"
