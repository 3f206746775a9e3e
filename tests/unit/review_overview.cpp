#include "review/buttonmatrix.h"
#include "review/conflicts.h"

#include <QTest>

#include <functional>

namespace {
using Change = std::function<void(ConfigStore&, ElementNames&)>;
using elementnames::Kind;

RouteRecord route(int from, int to, std::initializer_list<std::pair<int, int>> points = {},
                  int detectors = 0, int remote = 0) {
    RouteRecord r;
    r.fromButton = from;
    r.toButton = to;
    r.followingSignal = following::kAlwaysStop;
    for (auto [point, position] : points)
        r.pointPositions[std::size_t(point - 1)] = position;
    r.localDetectors = detectors;
    r.remoteDetectors = remote;
    return r;
}

Change routes(std::vector<std::pair<int, RouteRecord>> list) {
    return [list](ConfigStore& c, ElementNames&) {
        for (const auto& [n, r] : list)
            c.route(n) = r;
    };
}
} // namespace
Q_DECLARE_METATYPE(Change)

class OverviewTest : public QObject {
    Q_OBJECT
private slots:
    void conflicts_data() {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("opposite points, listed once per pair in route order")
            << routes({{40, route(1, 2, {{5, 1}, {6, 2}})}, {7, route(3, 4, {{5, 2}, {6, 1}})}})
            << QStringList{"7\t40\tV5: ODBOČ × ROVNĚ", "7\t40\tV6: ROVNĚ × ODBOČ"};
        QTest::newRow("same position, or a point one route leaves alone")
            << routes({{1, route(1, 2, {{5, 1}, {6, 2}})}, {2, route(3, 4, {{5, 1}, {7, 1}})}})
            << QStringList{};
        QTest::newRow("position 3 is no position")
            << routes({{1, route(1, 2, {{5, 3}})}, {2, route(3, 4, {{5, 1}})}}) << QStringList{};
        QTest::newRow("shared local and remote detectors")
            << routes({{1, route(1, 2, {}, 0x8004, 0x0002)}, {2, route(3, 4, {}, 0x8001, 0x0003)}})
            << QStringList{"1\t2\tobě kontrolují D16: společný úsek",
                           "1\t2\tobě kontrolují rD2: společný úsek"};
        QTest::newRow("inactive routes take no part") << routes({{1, route(1, 2, {{5, 1}}, 1)},
                                                                 {2, route(0, 4, {{5, 2}}, 1)},
                                                                 {3, route(23, 4, {{5, 2}}, 1)},
                                                                 {4, route(5, 0, {{5, 2}}, 1)}})
                                                      << QStringList{};
        QTest::newRow("three routes, with names")
            << Change([](ConfigStore& c, ElementNames& names) {
                   c.route(1) = route(1, 2, {{5, 1}});
                   c.route(2) = route(3, 4, {{5, 2}}, 4);
                   c.route(3) = route(5, 6, {{5, 2}}, 4);
                   names.setName(Kind::Point, 5, QStringLiteral("u skladiště"));
                   names.setName(Kind::Detector, 3, QStringLiteral("kolej 1"));
               })
            << QStringList{"1\t2\tV5 (u skladiště): ROVNĚ × ODBOČ",
                           "1\t3\tV5 (u skladiště): ROVNĚ × ODBOČ",
                           "2\t3\tobě kontrolují D3 (kolej 1): společný úsek"};
    }
    void conflicts() {
        QFETCH(Change, change);
        QFETCH(QStringList, expected);
        ConfigStore config;
        ElementNames names;
        change(config, names);
        QStringList lines;
        for (const conflicts::Conflict& c : conflicts::find(config, names))
            lines << conflicts::tsvLine(c);
        QCOMPARE(lines, expected);
    }

    // Cells with two routes, pairs between used buttons with none, and where a new route goes.
    void buttonMatrix_data() {
        using Cells = QList<std::pair<int, int>>;
        QTest::addColumn<Change>("change");
        QTest::addColumn<Cells>("duplicates");
        QTest::addColumn<Cells>("gaps");
        QTest::addColumn<int>("firstFree");
        QTest::newRow("empty configuration") << routes({}) << Cells{} << Cells{} << 1;
        QTest::newRow("a duplicate and a missing pair")
            << routes({{1, route(3, 7)}, {2, route(3, 8)}, {3, route(5, 7)}, {5, route(3, 7)}})
            << Cells{{3, 7}} << Cells{{5, 8}} << 4;
        QTest::newRow("inactive routes count for nothing but are not free")
            << Change([](ConfigStore& c, ElementNames&) {
                   c.route(1) = route(0, 7);
                   c.route(2) = route(23, 7);
                   c.route(3) = route(3, 7);
                   c.route(4).description = QStringLiteral("rezerva");
                   c.route(5) = route(8, 3);
               })
            << Cells{} << Cells{{8, 7}} << 6;
    }
    void buttonMatrix() {
        using Cells = QList<std::pair<int, int>>;
        QFETCH(Change, change);
        QFETCH(Cells, duplicates);
        QFETCH(Cells, gaps);
        QFETCH(int, firstFree);
        ConfigStore config;
        ElementNames names;
        change(config, names);
        const buttonmatrix::Matrix m(config);
        QCOMPARE(m.duplicates(), duplicates);
        for (auto [from, to] : duplicates)
            QCOMPARE(m.state(from, to), buttonmatrix::State::Duplicate);
        QCOMPARE(m.gaps(), gaps);
        QCOMPARE(buttonmatrix::firstFreeRoute(config), firstFree);
    }
};

QTEST_APPLESS_MAIN(OverviewTest)
#include "review_overview.moc"
