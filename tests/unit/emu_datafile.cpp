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

// The virtual module's memory to and from the program's data file (the format itself is tested
// with the data-file code).
class EmuDataFileTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(m_dir.isValid()); }
    void refusedLoadChangesNothing_data();
    void refusedLoadChangesNothing();
    void loadKeepsUnnamedAndFarBytes();
    void roundTripKeepsDescriptions();
    void failedSaveReportsError();

private:
    QTemporaryDir m_dir;
};

void EmuDataFileTest::refusedLoadChangesNothing_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("unknown marker") << QByteArray("S2.7\r\n*\r\n0001:05\r\n");
    QTest::newRow("nothing after the star") << QByteArray("S2.6\r\n*\r\n");
}

void EmuDataFileTest::refusedLoadChangesNothing() {
    QFETCH(QByteArray, text);
    const QString path = m_dir.filePath("bad.txt");
    QVERIFY(writeFile(path, text));
    Stv2Responder m;
    m.setMemoryAt(1, 0x77);
    QString error;
    QVERIFY(!m.loadDataFile(path, &error));
    QVERIFY2(error.contains(path), qPrintable(error));
    QCOMPARE(int(m.memoryAt(1)), 0x77);
    QVERIFY(!m.loadDataFile(m_dir.filePath("missing.txt"), &error));
    QCOMPARE(int(m.memoryAt(1)), 0x77);
}

void EmuDataFileTest::loadKeepsUnnamedAndFarBytes() {
    const QString path = m_dir.filePath("in.txt");
    QVERIFY(writeFile(path, kHead + "0123:5A\r\n08C3:AB\r\n"));
    ResponderOptions o;
    o.capacity = 200; // memory reaches past the 3004 bytes a file can name
    Stv2Responder m(o);
    m.setMemoryAt(7, 0x11);
    m.setMemoryAt(4000, 0x22);
    QVERIFY(m.loadDataFile(path));
    QCOMPARE(int(m.memoryAt(0x123)), 0x5A);
    QCOMPARE(int(m.memoryAt(0x8C3)), 0xAB);
    QCOMPARE(int(m.memoryAt(7)), 0x11);
    QCOMPARE(int(m.memoryAt(4000)), 0x22);
    // And the module answers with what was loaded.
    QCOMPARE(m.reply(QByteArray("@R\x23\x01\x30\x30*", 7)), QByteArray("\x5A*"));
}

void EmuDataFileTest::roundTripKeepsDescriptions() {
    QByteArray text = kHead;
    for (int a = 0; a < 2244; ++a)
        text += QByteArray::number(a, 16).toUpper().rightJustified(4, '0') + ':' +
                QByteArray::number((a * 13) & 0xFF, 16).toUpper().rightJustified(2, '0') + "\r\n";
    text += "*\r\nPOPIS\r\nVjezd z Brna\r\n\r\n\xe8\x9a\r\n"; // Windows-1250 bytes
    const QString in = m_dir.filePath("in.txt");
    const QString out = m_dir.filePath("out.txt");
    QVERIFY(writeFile(in, text));
    Stv2Responder m;
    QVERIFY(m.loadDataFile(in));
    QCOMPARE(int(m.memoryAt(100)), (100 * 13) & 0xFF);
    // What the tool stores goes into the saved file.
    QCOMPARE(m.reply(QByteArray("@W\x05\x00\x42\x05*", 7)), QByteArray("Y*"));
    m.setMemoryAt(2244, 0x99); // beyond the file's reach
    QVERIFY(m.saveDataFile(out));
    const QByteArray saved = readFile(out);
    QVERIFY(saved.contains("\r\n0005:42\r\n"));
    QVERIFY(!saved.contains("08C4:"));
    QVERIFY(saved.contains("POPIS\r\nVjezd z Brna\r\n\r\n\xe8\x9a\r\n\r\n"));
    QCOMPARE(saved.count("\r\n"), 2341);
    Stv2Responder again;
    QVERIFY(again.loadDataFile(out));
    Image expected = m.image();
    expected[2244] = 0;
    QCOMPARE(again.image(), expected);
}

void EmuDataFileTest::failedSaveReportsError() {
    Stv2Responder m;
    QString error;
    QVERIFY(!m.saveDataFile(m_dir.filePath("no/such/dir/out.txt"), &error));
    QVERIFY(error.contains("out.txt"));
}

QTEST_GUILESS_MAIN(EmuDataFileTest)
#include "emu_datafile.moc"
