#include "data/codec.h"
#include "data/routecommands.h"
#include "data/routetexts.h"

#include <QTest>

namespace {
RouteRecord fullRoute() {
    RouteRecord r;
    r.fromButton = 3;
    r.toButton = 9;
    r.localDetectors = 0x00F0;
    r.remoteDetectors = 0x0F00;
    r.relays = 0x1234;
    r.extRelays = 0x8001;
    r.trackNumber = 5;
    r.pointPositions.fill(2);
    r.signal1 = 1;
    r.signal2 = 2;
    r.signal3 = 3;
    r.followingSignal = 24;
    r.aspect1 = 1;
    r.aspect2 = 2;
    r.aspect3 = 3;
    r.shuntingRoute = r.trainRoute = r.autoCancelSignal = r.autoCancelRoute = 1;
    r.autoCancelShunting = r.entry = r.dccEnabled = r.repeatN2 = r.repeatN1 = 1;
    r.repeatFollowing = r.cancelButton1 = r.cancelButton2 = r.unsecuredShunting = 1;
    r.testBlocked = 1;
    r.signalCancelSensor = 40;
    r.routeCancelSensor = 20;
    r.description = QStringLiteral("Vjezd na 5. kolej – Příbram");
    return r;
}
} // namespace

class RouteCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void clearKeepsWhatIsReused_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("route 4") << 4 << true;
        QTest::newRow("last route") << 90 << true;
        QTest::newRow("zero") << 0 << false;
        QTest::newRow("beyond the table") << 91 << false;
    }
    void clearKeepsWhatIsReused() {
        QFETCH(int, n);
        QFETCH(bool, cleared);
        ConfigStore store;
        store.routes.fill(fullRoute());
        encodeRoutes(store.routes, store.image);
        const ConfigStore before = store;
        QCOMPARE(::clearRoute(store, n), cleared);
        if (!cleared) {
            QVERIFY(store.routes == before.routes);
            QVERIFY(store.image == before.image);
            return;
        }
        const RouteRecord& r = store.route(n);
        RouteRecord expected = fullRoute();
        expected.fromButton = expected.toButton = 0;
        expected.pointPositions.fill(0);
        expected.signal1 = expected.signal2 = expected.aspect1 = expected.aspect2 = 0;
        expected.relays = expected.localDetectors = 0;
        expected.autoCancelSignal = expected.autoCancelRoute = 0;
        expected.trainRoute = expected.shuntingRoute = 0;
        expected.signalCancelSensor = expected.routeCancelSensor = 0;
        expected.followingSignal = following::kAlwaysStop;
        QCOMPARE(r, expected);
        const QStringList row = routegrid::rowTexts(r, n, 0);
        QCOMPARE(row.mid(1, 2), (QStringList{"TL??", "TL??"}));
        QCOMPARE(row.mid(4, 16), QStringList(16, QStringLiteral("-")));
        QCOMPARE(row.last(), r.description);
        // The clear reaches the image by itself, and only for route n.
        RouteTable decoded;
        decodeCurrent(store.image, decoded);
        QCOMPARE(decoded[n - 1].fromButton, 0);
        QCOMPARE(decoded[n == 1 ? 1 : 0].fromButton, fullRoute().fromButton);

        // Ticking "whole definition" leaves the route as start-up does, in the image too.
        QVERIFY(::clearRoute(store, n, true));
        QCOMPARE(store.route(n), emptyRoute());
        decodeCurrent(store.image, decoded);
        QCOMPARE(decoded[n - 1], emptyRoute());
    }

    void hiddenSettings() {
        using Set = void (*)(RouteRecord&);
        const std::pair<Set, bool> cases[] = {
            {[](RouteRecord&) {}, false},
            {[](RouteRecord& r) { r.description = QStringLiteral("popis"); }, false},
            {[](RouteRecord& r) { r.fromButton = 1, r.toButton = 2, r.signal3 = 4; }, false},
            {[](RouteRecord& r) { r.fromButton = 1; }, true},
            {[](RouteRecord& r) { r.extRelays = 1; }, true},
            {[](RouteRecord& r) { r.followingSignal = following::kNothing; }, true}};
        for (const auto& [set, hidden] : cases) {
            RouteRecord r = emptyRoute();
            set(r);
            QCOMPARE(holdsHiddenSettings(r), hidden);
        }
    }

    void copySourceLimit_data() {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("limit");
        QTest::newRow("start-up") << 90 << 90;
        QTest::newRow("small module") << 20 << 20;
        QTest::newRow("module reports 100") << 100 << 90;
        QTest::newRow("module reports 255") << 255 << 90;
        QTest::newRow("module reports 0") << 0 << 1;
        QTest::newRow("negative") << -4 << 1;
    }
    void copySourceLimit() {
        QFETCH(int, capacity);
        QFETCH(int, limit);
        QCOMPARE(::copySourceLimit(capacity), limit);
    }

    void copyRoute_data() {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("target");
        QTest::addColumn<bool>("copied");
        QTest::newRow("ordinary") << 1 << 2 << true;
        QTest::newRow("onto itself") << 5 << 5 << true;
        QTest::newRow("last route") << 90 << 1 << true;
        QTest::newRow("source beyond the table") << 91 << 1 << false;
        QTest::newRow("source zero") << 0 << 1 << false;
        QTest::newRow("target beyond") << 1 << 91 << false;
    }
    void copyRoute() {
        QFETCH(int, source);
        QFETCH(int, target);
        QFETCH(bool, copied);
        ConfigStore store;
        for (int n = 1; n <= 90; ++n) {
            store.route(n) = fullRoute();
            store.route(n).fromButton = n % 23;
            store.route(n).description = QString::number(n);
        }
        encodeRoutes(store.routes, store.image);
        const ConfigStore before = store;
        QCOMPARE(::copyRoute(store, source, target), copied);
        if (!copied) {
            QVERIFY(store.routes == before.routes);
            QVERIFY(store.image == before.image);
            return;
        }
        QCOMPARE(store.route(target), before.route(source));
        // The copy shares nothing: changing one description leaves the other.
        store.route(target).description += QStringLiteral("x");
        if (source != target)
            QCOMPARE(store.route(source).description, before.route(source).description);
        // ...and the image holds the copied definition.
        RouteTable decoded;
        decodeCurrent(store.image, decoded);
        QCOMPARE(decoded[target - 1].fromButton, before.route(source).fromButton);
    }

    void applyRoute_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<bool>("applied");
        QTest::newRow("first") << 1 << true;
        QTest::newRow("last") << 90 << true;
        QTest::newRow("zero") << 0 << false;
        QTest::newRow("beyond the table") << 91 << false;
    }
    void applyRoute() {
        QFETCH(int, n);
        QFETCH(bool, applied);
        ConfigStore store;
        const ConfigStore before = store;
        const RouteRecord edited = fullRoute();
        QCOMPARE(::applyRoute(store, n, edited), applied);
        if (!applied) {
            QVERIFY(store.routes == before.routes);
            QVERIFY(store.image == before.image);
            return;
        }
        QCOMPARE(store.route(n), edited);
        RouteTable decoded; // the image holds it too
        decodeCurrent(store.image, decoded);
        QCOMPARE(decoded[static_cast<std::size_t>(n - 1)].fromButton, edited.fromButton);
    }

    void gridTexts_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("blocked");
        QTest::addColumn<bool>("dcc");
        QTest::addColumn<int>("base");
        QTest::addColumn<QStringList>("first4");
        QTest::newRow("empty") << 0 << 0 << false << false << 0
                               << QStringList{"3", "TL??", "TL??", " "};
        QTest::newRow("buttons") << 5 << 22 << false << false << 0
                                 << QStringList{"3", "TL 5", "TL 22", " "};
        QTest::newRow("button 23 from an image")
            << 23 << 31 << false << false << 0 << QStringList{"3", "TL??", "TL??", " "};
        QTest::newRow("blocked") << 1 << 2 << true << false << 0
                                 << QStringList{"3 X", "TL 1", "TL 2", " "};
        QTest::newRow("dcc base 100")
            << 1 << 2 << false << true << 100 << QStringList{"3", "TL 1", "TL 2", "103"};
        QTest::newRow("dcc base 0")
            << 1 << 2 << false << true << 0 << QStringList{"3", "TL 1", "TL 2", "3"};
    }
    void gridTexts() {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, blocked);
        QFETCH(bool, dcc);
        QFETCH(int, base);
        QFETCH(QStringList, first4);
        RouteRecord r;
        r.fromButton = from;
        r.toButton = to;
        r.testBlocked = blocked;
        r.dccEnabled = dcc;
        r.pointPositions = {1, 2, 3, 0, 1, 1, 2, 2, 0, 0, 0, 0, 3, 3, 1, 2};
        r.description = QStringLiteral("popis č. 3");
        const QStringList row = routegrid::rowTexts(r, 3, base);
        QCOMPARE(row.size(), routegrid::kColumnCount);
        QCOMPARE(row.mid(0, 4), first4);
        QCOMPARE(row.mid(4, 16).join(QString()), QStringLiteral("RO--RROO----"
                                                                "--RO"));
        QCOMPARE(row[20], QStringLiteral("popis č. 3"));
    }

    void dccBaseUsesLowNibbleOfByte15() {
        Image img{};
        img[14] = 100;
        QCOMPARE(dccBase(img), 100);
        img[15] = 0x31;
        QCOMPARE(dccBase(img), 356);
        img[14] = 0xFF;
        img[15] = 0xFF;
        QCOMPARE(dccBase(img), 4095);
    }

    void header() {
        const QStringList h = routegrid::headerTexts();
        QCOMPARE(h.size(), 21);
        QCOMPARE(h.mid(0, 4), (QStringList{"poř.", "OD", "KAM", "DCC"}));
        QCOMPARE(h[4], QStringLiteral("V1"));
        QCOMPARE(h[19], QStringLiteral("V16"));
        QCOMPARE(h[20], QStringLiteral("popis"));
    }
};

QTEST_APPLESS_MAIN(RouteCommandsTest)
#include "data_routecommands.moc"
