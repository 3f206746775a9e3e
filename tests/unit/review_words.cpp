#include "data/codec.h"
#include "data/routecommands.h"
#include "review/configcheck.h"
#include "review/configwords.h"
#include "review/differences.h"
#include "review/moduledifferences.h"

#include <QTest>

#include <functional>

namespace {
using Change = std::function<void(ConfigStore&)>;

// The routes are edited in the table and packed into the image, as every route command does.
Change routes(std::function<void(RouteTable&)> edit) {
    return [edit](ConfigStore& c) {
        edit(c.routes);
        encodeRoutes(c.routes, c.image);
    };
}
Change bytes(std::vector<std::pair<int, int>> values) {
    return [values](ConfigStore& c) {
        for (auto [address, value] : values)
            c.image[static_cast<std::size_t>(address)] = static_cast<std::uint8_t>(value);
    };
}
RouteRecord active(int from, int to) {
    RouteRecord r;
    r.fromButton = from;
    r.toButton = to;
    r.trainRoute = 1;
    return r;
}
} // namespace
Q_DECLARE_METATYPE(Change)

class ReviewTest : public QObject {
    Q_OBJECT
private slots:
    void differencesInWords_data() {
        QTest::addColumn<Change>("changeA");
        QTest::addColumn<Change>("changeB");
        QTest::addColumn<QStringList>("expected");
        const Change none = [](ConfigStore&) {};
        QTest::newRow("equal") << none << none << QStringList{};
        QTest::newRow("relay delay")
            << none << bytes({{3, 0x06}})
            << QStringList{"hlavička: Zpoždění sepnutí relé [x 1 s]  (kromě R13,R14): 0 → 3"};
        QTest::newRow("point machine 5 type and pulse")
            << bytes({{10, 0x10}}) << bytes({{10, 0x32}})
            << QStringList{"hlavička: přestavník 5 a 13 – Typ přestavníku: pulsní, 0.1sec → "
                           "motor (trvalý výst.)",
                           "hlavička: přestavník 5 a 13 – Puls [x0.3s]: 1 → 3"};
        QTest::newRow("DCC start address and a bit without meaning")
            << none << bytes({{14, 0x6F}, {15, 0x17}})
            << QStringList{"hlavička: počáteční DCC adresa (formát LENZE,  max 1900): 1 → 1900",
                           "adresa 15 (000F): 00 → 17"};
        QTest::newRow("relay 15 mode and occupancy condition")
            << none << bytes({{3, 0x10}, {37, 0x05}})
            << QStringList{"hlavička: Relé 15: součástí definice cesty → zapnutí izol. úseku  "
                           "(analog)",
                           "hlavička: R10 Definice podmínek D: žádné → D1, D3"};
        QTest::newRow("point of route 45")
            << routes([](RouteTable& t) { t[44].pointPositions[2] = 1; })
            << routes([](RouteTable& t) { t[44].pointPositions[2] = 2; })
            << QStringList{"cesta 45: Vyhybka 3: ROVNĚ → ODBOČ"};
        QTest::newRow("signal, aspect, relays and cancel input of route 2")
            << none << routes([](RouteTable& t) {
                   t[1].signal1 = 5;
                   t[1].aspect1 = 3;
                   t[1].relays = 0x4001;
                   t[1].extRelays = 0x0002;
                   t[1].routeCancelSensor = 34;
               })
            << QStringList{"cesta 2: Sepnutí relé: žádné → R1, R15",
                           "cesta 2: Sepnutí relé EXT: žádné → R18", "cesta 2: Návěst 1: 0 → 5",
                           "cesta 2: Návěst 1 – kód návěsti: žádný → VOLNO",
                           "cesta 2: AUT zrušit vlakovou cestu – snímač: SN1 → /SN3"};
        QTest::newRow("description only") << none << Change([](ConfigStore& c) {
            c.route(90).description = QStringLiteral("Kolej 1");
        }) << QStringList{"cesta 90: Název cesty,  popis:  → Kolej 1"};
        QTest::newRow("bytes no field holds")
            << none << bytes({{16, 1}, {68, 0x20}, {250, 7}, {285, 0xAB}, {2243, 1}})
            << QStringList{"adresa 16 (0010): 00 → 01", "adresa 68 (0044): 00 → 20",
                           "adresa 250 (00FA): 00 → 07", "adresa 285 (011D): 00 → AB",
                           "adresa 2243 (08C3): 00 → 01"};
    }
    void differencesInWords() {
        QFETCH(Change, changeA);
        QFETCH(Change, changeB);
        QFETCH(QStringList, expected);
        ConfigStore a, b;
        changeA(a);
        changeB(b);
        QStringList lines;
        for (const auto& d : differences::compare(a, b))
            lines << differences::line(d);
        QCOMPARE(lines, expected);
    }

    // A verify's bytes laid over the screen: the module keeps no descriptions, a byte past the
    // configuration is listed by address, one outside the image is no byte at all.
    void verifyInWords_data() {
        QTest::addColumn<std::vector<moduledifferences::ModuleByte>>("moduleBytes");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("nothing differs")
            << std::vector<moduledifferences::ModuleByte>{} << QStringList{};
        QTest::newRow("relay delay")
            << std::vector<moduledifferences::ModuleByte>{{3, 0x06}}
            << QStringList{"hlavička: Zpoždění sepnutí relé [x 1 s]  (kromě R13,R14): 0 → 3"};
        QTest::newRow("past the configuration, outside the image")
            << std::vector<moduledifferences::ModuleByte>{{-1, 1}, {2500, 0x11}, {3004, 1}}
            << QStringList{"adresa 2500 (09C4): 00 → 11"};
    }
    void verifyInWords() {
        QFETCH(std::vector<moduledifferences::ModuleByte>, moduleBytes);
        QFETCH(QStringList, expected);
        ConfigStore screen;
        screen.route(90).description = QStringLiteral("Kolej 1");
        expected.prepend(QStringLiteral("Na obrazovce → v modulu:"));
        QCOMPARE(moduledifferences::text(screen, moduleBytes).split(QLatin1Char('\n')), expected);
    }

    void findingsAcrossRoutes_data() {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QStringList>("expected"); // kind: routes
        QTest::newRow("empty") << Change([](ConfigStore&) {}) << QStringList{};
        QTest::newRow("same buttons") << routes([](RouteTable& t) {
            t[2] = t[16] = active(5, 7);
            t[19] = active(5, 8);
            t[20] = active(7, 5);
        }) << QStringList{"0: 3 17"};
        const auto relay15 = [](int mode) {
            return Change([mode](ConfigStore& c) {
                c.route(4) = active(1, 2);
                c.route(4).relays = 0x4000;
                c.route(9).relays = 0x4000; // not active: never set
                encodeRoutes(c.routes, c.image);
                c.image[3] = static_cast<std::uint8_t>(mode << 4);
            });
        };
        QTest::newRow("R15 part of routes") << relay15(0) << QStringList{};
        QTest::newRow("R15 switches a section") << relay15(1) << QStringList{"1: 4"};
        QTest::newRow("R10 shows occupancy") << Change([](ConfigStore& c) {
            c.route(6) = active(1, 2);
            c.route(6).relays = 0x0200 | 0x0100;
            c.route(7) = active(1, 3);
            c.route(7).relays = 0x0200;
            encodeRoutes(c.routes, c.image);
            c.image[5] = 0x20;
        }) << QStringList{"2: 6 7"};
        const auto dcc = [](int accept) {
            return Change([accept](ConfigStore& c) {
                c.route(7) = active(1, 2);
                c.route(7).dccEnabled = 1;
                encodeRoutes(c.routes, c.image);
                c.image[15] = static_cast<std::uint8_t>(accept);
            });
        };
        QTest::newRow("DCC routes, packets refused") << dcc(0) << QStringList{"3: 7"};
        QTest::newRow("DCC routes, packets accepted") << dcc(0x80) << QStringList{};
        QTest::newRow("blocked for testing") << routes([](RouteTable& t) {
            t[7] = active(3, 3);
            t[7].testBlocked = 1;
        }) << QStringList{"4: 8"};
    }
    void findingsAcrossRoutes() {
        QFETCH(Change, change);
        QFETCH(QStringList, expected);
        ConfigStore c;
        change(c);
        QStringList found;
        for (const auto& f : configcheck::check(c)) {
            QStringList routes;
            for (int n : f.routes)
                routes << QString::number(n);
            found << QStringLiteral("%1: %2").arg(int(f.kind)).arg(routes.join(' '));
            QVERIFY(f.text.contains(QString::number(f.routes.first())));
        }
        QCOMPARE(found, expected);
    }

    // Two routes the grid shows alike, a train route and an unsecured shunting route.
    void routeInWords() {
        RouteRecord r = active(5, 7);
        r.shuntingRoute = r.unsecuredShunting = 1;
        r.trackNumber = 2;
        r.entry = 1;
        r.pointPositions[2] = 2;
        r.signal1 = 4;
        r.aspect1 = 3;
        r.followingSignal = following::kAlways40;
        r.relays = 0x4000;
        r.extRelays = 0x0001;
        r.remoteDetectors = 0x0002;
        r.autoCancelRoute = 1;
        r.routeCancelSensor = 33;
        r.dccEnabled = r.testBlocked = 1;
        QCOMPARE(configwords::describeRoute(r, 12, 100),
                 QStringLiteral("Cesta 12: vlaková (dopravní) cesta a nezabezpečený posun, "
                                "ODKUD TL 5 → KAM TL 7\nKolej 2, vjezd\nVýhybky: V3 ODBOČ\n"
                                "Návěsti: N1 = návěst 4 (VOLNO)\nNásledná návěst: vždy 40km\n"
                                "Relé: R15, R17\nKontrola obsazení: rD2\n"
                                "Rušení: AUT zrušit vlakovou cestu (/SN2)\nDCC: číslo 112\n"
                                "Zkušebně zablokovat"));
    }

    // A route with nothing set says so; a cleared one lists what it still holds.
    void inactiveRouteInWords_data() {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("words");
        QTest::newRow("empty") << routes([](RouteTable&) {}) << "Cesta 3 je prázdná.";
        QTest::newRow("empty, described") << routes([](RouteTable& t) { t[2].description = "x"; })
                                          << "Cesta 3 je prázdná.\nPopis: x";
        QTest::newRow("cleared")
            << Change([](ConfigStore& c) {
                   c.route(3) = active(4, 6);
                   c.route(3).trackNumber = 2;
                   clearRoute(c, 3, false);
               })
            << "Cesta 3 není aktivní (ODKUD 0, KAM 0); uchovává:\nKolej 2, odjezd\n"
               "Následná návěst: vždy STŮJ";
    }
    void inactiveRouteInWords() {
        QFETCH(Change, change);
        QFETCH(QString, words);
        ConfigStore c;
        decodeCurrent(c.image, c.routes);
        change(c);
        QCOMPARE(configwords::describeRoute(c.route(3), 3, 0), words);
    }
};

QTEST_APPLESS_MAIN(ReviewTest)
#include "review_words.moc"
