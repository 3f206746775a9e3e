#include "link/linkengine.h"
#include "link/modulecontents.h"
#include "link/transfers.h"
#include "support/fakemodule.h"

#include <QtTest>

namespace {
QList<int> toList(const std::vector<std::uint32_t>& v) {
    return QList<int>(v.begin(), v.end());
}
QList<int> route3() {
    return toList(transfers::routeAddresses(3));
}
} // namespace

class ModuleContentsTest : public QObject {
    Q_OBJECT
private slots:
    // What a store of only the changed bytes sends, from what is known of the module.
    void changeList_data() {
        QTest::addColumn<int>("knownUpTo"); // the module's bytes 1..knownUpTo are known
        QTest::addColumn<QString>("edit");
        QTest::addColumn<bool>("listed");
        QTest::addColumn<QList<int>>("sent");
        QTest::newRow("header only") << 2243 << "header" << true << QList<int>{5};
        QTest::newRow("one route, in increasing order") << 2243 << "route 3" << true << route3();
        QTest::newRow("all") << 2243 << "all" << true << toList(transfers::allAddresses(90));
        QTest::newRow("none") << 2243 << "" << true << QList<int>{};
        QTest::newRow("unknown contents") << 0 << "header" << false << QList<int>{};
        QTest::newRow("only 20 routes known") << 703 << "header" << false << QList<int>{};
    }
    void changeList() {
        QFETCH(int, knownUpTo);
        QFETCH(QString, edit);
        QFETCH(bool, listed);
        QFETCH(QList<int>, sent);
        Image image{};
        for (std::size_t a = 0; a < image.size(); ++a)
            image[a] = static_cast<std::uint8_t>(a * 13 + 1);
        ModuleContents module;
        module.learn(image, 1, knownUpTo);
        if (edit == QLatin1String("header"))
            image[5] ^= 0x10;
        for (std::uint32_t a : transfers::routeAddresses(3))
            if (edit == QLatin1String("route 3"))
                image[a] = static_cast<std::uint8_t>(~image[a]);
        for (int a = 1; edit == QLatin1String("all") && a <= 2243; ++a)
            image[a] = static_cast<std::uint8_t>(image[a] + 1);
        const auto list = module.changedAddresses(image, transfers::allAddresses(90));
        QCOMPARE(list.has_value(), listed);
        if (list)
            QCOMPARE(toList(*list), sent);
    }

    // What the engine's transfers teach about the module, and what makes it forget. The image
    // starts equal to the module; after the steps its byte 7 is changed, and `sent` is what a
    // store of the changes would then send.
    void learnsFromTransfers_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("known");
        QTest::addColumn<QList<int>>("sent");
        QTest::newRow("read") << QStringList{"read"} << true << QList<int>{7};
        QTest::newRow("verify tells the module's differing bytes")
            << QStringList{"edit 9", "verify"} << true << QList<int>{7, 9};
        QTest::newRow("store after read")
            << QStringList{"read", "edit 9", "store header"} << true << QList<int>{7};
        QTest::newRow("store without read knows only its bytes")
            << QStringList{"store header"} << false << QList<int>{};
        QTest::newRow("failed store forgets")
            << QStringList{"read", "silent", "store header"} << false << QList<int>{};
        QTest::newRow("cancelled read forgets")
            << QStringList{"read", "cancel read"} << false << QList<int>{};
        QTest::newRow("same identify answer keeps")
            << QStringList{"identify", "read", "identify"} << true << QList<int>{7};
        QTest::newRow("other identify answer forgets")
            << QStringList{"identify", "read", "other firmware", "identify"} << false
            << QList<int>{};
    }
    void learnsFromTransfers() {
        QFETCH(QStringList, steps);
        QFETCH(bool, known);
        QFETCH(QList<int>, sent);
        ResponderOptions twenty;
        twenty.capacity = 20;
        FakeModule fake(twenty);
        fake.open(1);
        for (int a = 1; a < 3004; ++a)
            fake.responder().setMemoryAt(a, static_cast<std::uint8_t>(a * 3));
        ConfigStore store;
        store.image = fake.responder().image(); // the file the module was last stored from
        LinkEngine engine(store, fake);
        QObject::connect(&engine, &LinkEngine::message,
                         [&engine](LinkEngine::Message m) { engine.messageClosed(m); });
        ModuleContents module;
        module.follow(engine, store);
        const auto run = [&](bool started) {
            QVERIFY(started);
            for (int i = 0; i < 5000 && !engine.isIdle(); ++i)
                engine.tick();
        };
        for (const QString& step : steps) {
            if (step == QLatin1String("read"))
                run(engine.startRead());
            else if (step == QLatin1String("verify"))
                run(engine.startVerify());
            else if (step == QLatin1String("store header"))
                run(engine.startStore(transfers::headerAddresses()));
            else if (step == QLatin1String("identify"))
                run(engine.startIdentify());
            else if (step == QLatin1String("silent"))
                fake.setSilent(true);
            else if (step == QLatin1String("other firmware"))
                fake.replyWith(FakeModule::Commands('G'), "S1*");
            else if (step.startsWith(QLatin1String("edit ")))
                store.image[step.mid(5).toUInt()] ^= 0x40;
            else if (step == QLatin1String("cancel read")) {
                QVERIFY(engine.startRead());
                for (int i = 0; i < 20; ++i)
                    engine.tick();
                QVERIFY(engine.cancelTransfer());
            }
        }
        store.image[7] ^= 0x01;
        const auto list = module.changedAddresses(store.image, transfers::allAddresses(20));
        QCOMPARE(list.has_value(), known);
        if (list)
            QCOMPARE(toList(*list), sent);
    }
};

QTEST_GUILESS_MAIN(ModuleContentsTest)
#include "link_modulecontents.moc"
