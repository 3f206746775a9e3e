#include "support/fakemodule.h"

#include <QTest>

class ReceiveBufferTest : public QObject {
    Q_OBJECT
private slots:
    void receiveStep_data() {
        QTest::addColumn<int>("buffered");
        QTest::addColumn<int>("waiting");
        QTest::addColumn<int>("expectedSize");
        QTest::addColumn<bool>("keepsOld");
        QTest::addColumn<int>("discards");
        QTest::newRow("flood of 101 is thrown away whole") << 10 << 101 << 0 << false << 1;
        QTest::newRow("100 waiting are all read") << 0 << 100 << 100 << false << 0;
        QTest::newRow("buffer over 200 emptied first") << 201 << 3 << 3 << false << 0;
        QTest::newRow("buffer of 200 still grows") << 200 << 3 << 203 << true << 0;
        QTest::newRow("nothing waiting keeps buffer") << 7 << 0 << 7 << true << 0;
        QTest::newRow("oversized buffer kept when nothing arrives") << 250 << 0 << 250 << true << 0;
    }
    void receiveStep() {
        QFETCH(int, buffered);
        QFETCH(int, waiting);
        QFETCH(int, expectedSize);
        QFETCH(bool, keepsOld);
        QFETCH(int, discards);
        FakeModule port;
        port.open(1);
        ReceiveBuffer buffer;
        const QByteArray old(buffered, 'o');
        for (int i = 0; i < buffered; i += 100) { // no more than a step takes
            port.inject(old.mid(i, 100));
            buffer.receiveStep(port);
        }
        QCOMPARE(buffer.bytes(), old);
        const QByteArray fresh(waiting, 'n');
        port.inject(fresh);
        buffer.receiveStep(port);
        QCOMPARE(buffer.size(), expectedSize);
        QCOMPARE(port.discards(), discards);
        if (keepsOld)
            QVERIFY(buffer.bytes().startsWith(old));
        if (waiting > 0 && waiting <= ReceiveBuffer::kQueueLimit)
            QVERIFY(buffer.bytes().endsWith(fresh));
        QCOMPARE(port.bytesWaiting(), 0);
    }

    void closedPortReceivesNothing() {
        FakeModule port;
        port.inject("@V30*");
        ReceiveBuffer buffer;
        buffer.receiveStep(port);
        QCOMPARE(buffer.size(), 0);
    }

    void everyByteValuePassesUnchanged() {
        FakeModule port;
        port.open(1);
        ReceiveBuffer buffer;
        QByteArray all;
        for (int v = 0; v < 256; ++v)
            all.append(char(v));
        for (int start = 0; start < 256; start += 64) {
            port.inject(all.mid(start, 64));
            buffer.receiveStep(port);
        }
        QCOMPARE(buffer.bytes(), all);
    }
};

QTEST_APPLESS_MAIN(ReceiveBufferTest)
#include "link_receivebuffer.moc"
