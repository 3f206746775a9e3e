#include "data/codec.h"
#include "emu/moduledatafile.h"
#include "emu/stv2responder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
bool writeFile(const QString& path, const QByteArray& text) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QByteArray kHead = "S2.6\r\nV0006:0008\r\nC0040:07BC\r\nD0000:08C4\r\n*\r\n";
} // namespace

class EmuDataFileTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(m_dir.isValid()); }
    void dataLines_data();
    void dataLines();
    void refused_data();
    void refused();
    void savedFileLayout();
    void roundTripKeepsDescriptions();
    void oldLayoutIsConverted_data();
    void oldLayoutIsConverted();
    void failedSaveReportsError();

private:
    QTemporaryDir m_dir;
};

// File text, then an address and the byte it must hold afterwards (memory starts as 0x11).
void EmuDataFileTest::dataLines_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("value");

    QTest::newRow("plain") << kHead + "0123:5A\r\n*\r\n" << 0x123 << 0x5A;
    QTest::newRow("lower-case digit skipped") << kHead + "0A:3f\r\n" << 10 << 3;
    QTest::newRow("no value") << kHead + "12:\r\n" << 18 << 0;
    QTest::newRow("value above a byte") << kHead + "0010:1FF\r\n" << 16 << 0xFF;
    QTest::newRow("LF line ends") << QByteArray(kHead).replace("\r\n", "\n") + "0005:07\n"
                                  << 5 << 7;
    QTest::newRow("unnamed bytes keep their value") << kHead + "0005:07\r\n" << 6 << 0x11;
    QTest::newRow("final star stores 0 at address 0") << kHead + "0001:07\r\n*\r\n" << 0 << 0;
    QTest::newRow("address 3003 is stored") << kHead + "0BBB:42\r\n" << 3003 << 0x42;
    QTest::newRow("address 3004 is skipped") << kHead + "0BBC:42\r\n" << 3003 << 0x11;
    QTest::newRow("lines after the closing star are not data") << kHead + "*\r\n0007:99\r\n"
                                                               << 7 << 0x11;
    QTest::newRow("header lines ignored up to the star")
        << QByteArray("S2.6\r\n0007:99\r\n*\r\n") + "0008:01\r\n"
        << 7 << 0x11;
}

void EmuDataFileTest::dataLines() {
    QFETCH(QByteArray, text);
    QFETCH(int, address);
    QFETCH(int, value);
    const QString path = m_dir.filePath("in.txt");
    QVERIFY(writeFile(path, text));
    Stv2Responder m;
    for (int a = 0; a < m.memorySize(); ++a)
        m.setMemoryAt(a, 0x11);
    QString error;
    QVERIFY2(m.loadDataFile(path, &error), qPrintable(error));
    QCOMPARE(int(m.memoryAt(address)), value);
}

void EmuDataFileTest::refused_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("marker with a blank") << QByteArray("S2.6 \r\n*\r\n0001:05\r\n");
    QTest::newRow("lower-case marker") << QByteArray("s2.6\r\n*\r\n0001:05\r\n");
    QTest::newRow("no star") << QByteArray("S2.6\r\n0001:05\r\n");
    QTest::newRow("nothing after the star") << QByteArray("S2.6\r\n*\r\n");
}

void EmuDataFileTest::refused() {
    QFETCH(QByteArray, text);
    const QString path = m_dir.filePath("bad.txt");
    QVERIFY(writeFile(path, text));
    Stv2Responder m;
    m.setMemoryAt(1, 0x77);
    QString error;
    QVERIFY(!m.loadDataFile(path, &error));
    QVERIFY(error.contains(path));
    QCOMPARE(int(m.memoryAt(1)), 0x77);
    QCOMPARE(int(m.memoryAt(0)), 0);
    QVERIFY(!m.loadDataFile(m_dir.filePath("missing.txt"), &error));
}

void EmuDataFileTest::savedFileLayout() {
    Stv2Responder m;
    m.setMemoryAt(2243, 171);
    m.setMemoryAt(2244, 0x99); // beyond the file's reach
    const QString path = m_dir.filePath("out.txt");
    QVERIFY(m.saveDataFile(path));
    const QByteArray text = readFile(path);
    QVERIFY(text.startsWith(kHead + "0000:00\r\n0001:00\r\n"));
    QVERIFY(text.contains("\r\n08C3:AB\r\n*\r\nPOPIS\r\n"));
    QVERIFY(!text.contains("08C4:"));
    QCOMPARE(text.count("\r\n"), 2341);
    QCOMPARE(text.count('\n'), 2341);
    QVERIFY(text.endsWith("POPIS\r\n" + QByteArray("\r\n").repeated(90)));
}

void EmuDataFileTest::roundTripKeepsDescriptions() {
    QByteArray text = kHead;
    for (int a = 0; a < 2244; ++a)
        text += QByteArray::number(a, 16).toUpper().rightJustified(4, '0') + ':' +
                QByteArray::number((a * 13) & 0xFF, 16).toUpper().rightJustified(2, '0') + "\r\n";
    text += "*\r\nPOPIS\r\nVjezd z Brna\r\n\r\n\xe8\x9a\r\n"; // Windows-1250 bytes kept as they are
    const QString in = m_dir.filePath("in.txt");
    const QString out = m_dir.filePath("out.txt");
    QVERIFY(writeFile(in, text));
    Stv2Responder m;
    QVERIFY(m.loadDataFile(in));
    QCOMPARE(int(m.memoryAt(0)), 0); // the closing star
    QCOMPARE(int(m.memoryAt(100)), (100 * 13) & 0xFF);
    QVERIFY(m.saveDataFile(out));
    const QByteArray saved = readFile(out);
    QVERIFY(saved.contains("POPIS\r\nVjezd z Brna\r\n\r\n\xe8\x9a\r\n\r\n"));
    QCOMPARE(saved.count("\r\n"), 2341);
    // Loading what was saved gives the same memory.
    Stv2Responder again;
    QVERIFY(again.loadDataFile(out));
    QCOMPARE(again.image(), m.image());
}

void EmuDataFileTest::oldLayoutIsConverted_data() {
    QTest::addColumn<QByteArray>("marker");
    QTest::newRow("S2.0") << QByteArray("S2.0");
    QTest::newRow("S2.4") << QByteArray("S2.4");
    QTest::newRow("S2.6") << QByteArray("S2.6");
}

// Older files hold one record per route from address 48; the memory must end up in the current
// layout, as the tool would store it after loading that file.
void EmuDataFileTest::oldLayoutIsConverted() {
    QFETCH(QByteArray, marker);
    QByteArray text = marker + "\r\n*\r\n";
    Image raw{};
    for (int a = 48; a < 48 + 3 * 12; ++a) {
        raw[a] = static_cast<std::uint8_t>(a * 5 + 1);
        text += QByteArray::number(a, 16).toUpper().rightJustified(4, '0') + ':' +
                QByteArray::number(raw[a], 16).toUpper() + "\r\n";
    }
    const QString path = m_dir.filePath("old.txt");
    QVERIFY(writeFile(path, text));
    Stv2Responder m;
    QVERIFY(m.loadDataFile(path));

    Image expected = raw;
    if (marker != "S2.6") {
        RouteTable routes;
        decodeCurrent(Image{}, routes);
        if (marker == "S2.0")
            decodeS20(raw, routes);
        else
            decodeS24(raw, routes);
        encodeRoutes(routes, expected);
        QVERIFY(expected != raw);
    }
    QCOMPARE(m.image(), expected);
}

void EmuDataFileTest::failedSaveReportsError() {
    Stv2Responder m;
    QString error;
    QVERIFY(!m.saveDataFile(m_dir.filePath("no/such/dir/out.txt"), &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(EmuDataFileTest)
#include "emu_datafile.moc"
