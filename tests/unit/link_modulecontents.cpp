#include "link/linkengine.h"
#include "link/modulecontents.h"
#include "link/transfers.h"
#include "link/ui/linkpresenter.h"
#include "support/fakemodule.h"

#include <QSignalSpy>
#include <QtTest>

class ModuleContentsTest : public QObject {
    Q_OBJECT
    static QList<int> toList(const std::vector<std::uint32_t>& v) { return {v.begin(), v.end()}; }
private slots:
    // What a store of only the changed bytes sends after the steps, with the image starting
    // equal to a 20-route module and then edited: nothing when the module's contents are unknown.
    void changeList_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QList<int>>("edit"); // bytes changed after the steps
        QTest::addColumn<bool>("listed");
        QTest::addColumn<QList<int>>("sent");
        const QStringList read{"read"};
        const QList<int> route = toList(transfers::routeAddresses(3));
        const QList<int> all = toList(transfers::allAddresses(20));
        const QList<int> header{7};
        QTest::newRow("header only") << read << header << true << header;
        QTest::newRow("one route, in increasing order") << read << route << true << route;
        QTest::newRow("all") << read << all << true << all;
        QTest::newRow("none") << read << QList<int>{} << true << QList<int>{};
        QTest::newRow("unknown contents") << QStringList{} << header << false << QList<int>{};
        QTest::newRow("verify tells the module's bytes")
            << QStringList{"edit 9", "verify"} << header << true << QList<int>{7, 9};
        QTest::newRow("store after read")
            << QStringList{"read", "edit 9", "store"} << header << true << QList<int>{7};
        QTest::newRow("store alone knows only its bytes")
            << QStringList{"store"} << header << false << QList<int>{};
        QTest::newRow("cancelled read forgets")
            << QStringList{"read", "cancel"} << header << false << QList<int>{};
        QTest::newRow("store without read-back leaves its bytes unknown")
            << QStringList{"read", "store unproven"} << header << false << QList<int>{};
        QTest::newRow("lost port forgets")
            << QStringList{"read", "unplug"} << header << false << QList<int>{};
        QTest::newRow("other identify answer forgets")
            << QStringList{"identify", "read", "other", "identify"} << header << false
            << QList<int>{};
    }
    void changeList() {
        QFETCH(QStringList, steps);
        QFETCH(QList<int>, edit);
        QFETCH(bool, listed);
        QFETCH(QList<int>, sent);
        ResponderOptions twenty;
        twenty.capacity = 20;
        FakeModule fake(twenty);
        fake.open(1);
        for (int a = 1; a < 3004; ++a) // no route beyond the twenty it reports
            fake.responder().setMemoryAt(a, a < image::indexPairAddress(21) || a > 243
                                                ? static_cast<std::uint8_t>(a * 3)
                                                : 0);
        ConfigStore store;
        store.image = fake.responder().image();
        LinkEngine engine(store, fake);
        QObject::connect(&engine, &LinkEngine::message,
                         [&engine](LinkEngine::Message m) { engine.messageClosed(m); });
        ModuleContents module;
        module.follow(engine, store);
        for (const QString& step : steps) {
            if (step == "unplug") {
                fake.close();
                engine.tick();
                fake.open(1);
                continue;
            }
            if (step == "other" || step == "edit 9") {
                if (step == "other")
                    fake.replyWith(FakeModule::Commands('G'), "S1*"); // firmware 3.1
                store.image[9] ^= step == "edit 9" ? 0x40 : 0;
                continue;
            }
            QVERIFY(step == "verify"  ? engine.startVerify()
                    : step == "store" ? engine.startStore(transfers::headerAddresses())
                    : step == "store unproven"
                        ? engine.startStore(transfers::headerAddresses(), false)
                    : step == "identify" ? engine.startIdentify()
                                         : engine.startRead());
            for (int i = 0; i < (step == "cancel" ? 20 : 5000) && !engine.isIdle(); ++i)
                engine.tick();
            if (step == "cancel")
                QVERIFY(engine.cancelTransfer());
        }
        for (int a : edit)
            store.image[a] = static_cast<std::uint8_t>(~store.image[a]);
        const auto list = module.changedAddresses(store.image, transfers::allAddresses(20));
        QCOMPARE(list.has_value(), listed);
        if (list)
            QCOMPARE(toList(*list), sent);
    }

    // "Přerušit" at any point of a transfer: the link is idle and quiet at once, no box follows,
    // a read or verify leaves the image as it was, and a store has written what it reports.
    void cancel_data() {
        QTest::addColumn<TransferKind>("transfer");
        QTest::addColumn<int>("after"); // bytes confirmed before the cancel; -1: no capacity yet
        QTest::newRow("read before the capacity reply") << TransferKind::Read << -1;
        QTest::newRow("read") << TransferKind::Read << 100;
        QTest::newRow("verify") << TransferKind::Verify << 100;
        QTest::newRow("store at once") << TransferKind::Store << 0;
        QTest::newRow("store") << TransferKind::Store << 100;
    }
    void cancel() {
        QFETCH(TransferKind, transfer);
        QFETCH(int, after);
        FakeModule fake;
        fake.open(1);
        ConfigStore store;
        for (int a = 1; a < 3004; ++a) {
            fake.responder().setMemoryAt(a, static_cast<std::uint8_t>(a * 5 + 1));
            store.image[a] = static_cast<std::uint8_t>(a);
        }
        const Image before = store.image;
        LinkEngine engine(store, fake);
        const LinkPresenter shown(engine);
        QSignalSpy messages(&engine, &LinkEngine::message);
        QSignalSpy cancelled(&engine, &LinkEngine::transferCancelled);
        QVERIFY(transfer == TransferKind::Read ? engine.startRead()
                : transfer == TransferKind::Verify
                    ? engine.startVerify()
                    : engine.startStore(transfers::allAddresses(90)));
        for (int i = 0; i < 5000 && (i == 0 || engine.transfer().bytesDone() < after); ++i)
            engine.tick();
        QVERIFY(engine.cancelTransfer() && engine.isIdle() && !shown.progressVisible());
        fake.clearSent();
        for (int i = 0; i < 20; ++i)
            engine.tick();
        QVERIFY(fake.sent().isEmpty() && messages.isEmpty());
        const int done = std::max(after, 0);
        QCOMPARE(cancelled.takeFirst(), (QVariantList{QVariant::fromValue(transfer), done}));
        // A store: the confirmed bytes, and at most the one whose confirmation was on its way.
        int written = 0;
        for (int a = 1; a < 3004; ++a)
            written += fake.responder().memoryAt(a) == store.image[a];
        if (transfer != TransferKind::Store)
            QVERIFY(store.image == before);
        else
            QVERIFY2(written == done || written == done + 1, qPrintable(QString::number(written)));
    }
};

QTEST_GUILESS_MAIN(ModuleContentsTest)
#include "link_modulecontents.moc"
