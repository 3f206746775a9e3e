#include "link/linkengine.h"
#include "link/transfers.h"
#include "support/fakemodule.h"

#include <QSignalSpy>
#include <QtTest>

// "Přerušit" at any point of a transfer: the link is idle and quiet at once, no box follows, a
// read or verify leaves the image as it was, and a store has written exactly what it reports.
class LinkCancelTest : public QObject {
    Q_OBJECT
private slots:
    void cancel_data() {
        QTest::addColumn<LinkEngine::Transfer>("transfer");
        QTest::addColumn<int>("after"); // bytes the module confirmed before the cancel
        QTest::newRow("read before the capacity reply") << LinkEngine::Transfer::Read << -1;
        QTest::newRow("read") << LinkEngine::Transfer::Read << 100;
        QTest::newRow("verify") << LinkEngine::Transfer::Verify << 100;
        QTest::newRow("store at once") << LinkEngine::Transfer::Store << 0;
        QTest::newRow("store") << LinkEngine::Transfer::Store << 100;
    }
    void cancel() {
        QFETCH(LinkEngine::Transfer, transfer);
        QFETCH(int, after);
        FakeModule fake;
        fake.open(1);
        for (int a = 1; a < 3004; ++a)
            fake.responder().setMemoryAt(a, static_cast<std::uint8_t>(a * 5 + 1));
        ConfigStore store;
        for (int a = 1; a < 3004; ++a)
            store.image[a] = static_cast<std::uint8_t>(a);
        const Image before = store.image;
        const Image moduleBefore = fake.responder().image();
        LinkEngine engine(store, fake);
        QSignalSpy messages(&engine, &LinkEngine::message);
        QSignalSpy finished(&engine, &LinkEngine::transferFinished);
        QSignalSpy cancelled(&engine, &LinkEngine::transferCancelled);
        const auto list = transfers::allAddresses(90);
        QVERIFY(transfer == LinkEngine::Transfer::Read     ? engine.startRead()
                : transfer == LinkEngine::Transfer::Verify ? engine.startVerify()
                                                           : engine.startStore(list));
        engine.tick();
        for (int i = 0; i < 5000 && engine.transferDone() < after; ++i)
            engine.tick();
        QCOMPARE(engine.transferDone(), std::max(after, 0));

        QVERIFY(engine.cancelTransfer());
        QVERIFY(engine.isIdle());
        QVERIFY(!engine.progressVisible());
        fake.clearSent();
        for (int i = 0; i < 20; ++i)
            engine.tick();
        QVERIFY(fake.sent().isEmpty());
        QVERIFY(messages.isEmpty());
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished[0][1].toBool(), false);
        QCOMPARE(cancelled.size(), 1);
        QCOMPARE(cancelled[0][0].value<LinkEngine::Transfer>(), transfer);
        QCOMPARE(cancelled[0][1].toInt(), std::max(after, 0));

        if (transfer != LinkEngine::Transfer::Store) {
            QVERIFY(store.image == before);
            return;
        }
        // The confirmed bytes, and at most the one whose confirmation was still on its way.
        int written = 0;
        for (int a = 1; a < 3004; ++a)
            written += fake.responder().memoryAt(a) != moduleBefore[a];
        QVERIFY2(written == after || written == after + 1, qPrintable(QString::number(written)));
    }
};

QTEST_GUILESS_MAIN(LinkCancelTest)
#include "link_cancel.moc"
