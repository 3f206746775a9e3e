#include "data/codepage1250.h"
#include "editors/routeeditortexts.h"
#include "editors/routevalidation.h"
#include "editors/routevalues.h"
#include "editors/textlimit.h"

#include <QtTest>

#include <functional>
#include <random>

using Refusal = std::optional<RouteRefusal>;
Q_DECLARE_METATYPE(Refusal)
Q_DECLARE_METATYPE(RouteRecord)
Q_DECLARE_METATYPE(RouteEditValues)

namespace {
// A route every rule accepts: buttons 1 -> 2, a train route, no signals.
RouteEditValues valid() {
    RouteEditValues v;
    v.fromButton = 1;
    v.toButton = 2;
    v.trainRoute = true;
    return v;
}

RouteEditValues with(std::initializer_list<std::function<void(RouteEditValues&)>> changes) {
    RouteEditValues v = valid();
    for (const auto& change : changes)
        change(v);
    return v;
}

auto buttons(int from, int to) {
    return [=](RouteEditValues& v) {
        v.fromButton = from;
        v.toButton = to;
    };
}
auto signalsN(int n1, int n2, int n3) {
    return [=](RouteEditValues& v) { v.signal = {n1, n2, n3}; };
}
auto followingIs(int index) {
    return [=](RouteEditValues& v) { v.following = index; };
}
auto routeType(bool train, bool shunting) {
    return [=](RouteEditValues& v) {
        v.trainRoute = train;
        v.shuntingRoute = shunting;
    };
}
auto blocked() {
    return [](RouteEditValues& v) { v.testBlocked = true; };
}

Refusal refused(const QString& text, RouteRefusal::Buttons b,
                RouteRefusal::Tab tab = RouteRefusal::Tab::Unchanged) {
    return RouteRefusal{text, b, tab};
}

constexpr auto OkCancel = RouteRefusal::Buttons::OkCancel;
constexpr auto CancelOnly = RouteRefusal::Buttons::Cancel;
constexpr int kRem4 = 3;   // "Rem:N4"
constexpr int kOwn4 = 25;  // "N4"
constexpr int kOwn22 = 43; // "N22"

// A route decoded from some image whose every value the editor can show as it is.
RouteRecord showableRoute(std::mt19937& rng) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    RouteRecord r;
    r.fromButton = pick(0, 22);
    r.toButton = pick(0, 22);
    r.localDetectors = pick(0, 0xFFFF);
    r.remoteDetectors = pick(0, 0xFFFF);
    r.relays = pick(0, 0xFFFF);
    r.extRelays = pick(0, 0xFFFF);
    r.trackNumber = pick(0, 15);
    for (auto& p : r.pointPositions)
        p = pick(0, 2);
    r.signal1 = pick(0, 22);
    r.signal2 = pick(0, 22);
    r.signal3 = pick(0, 22);
    r.followingSignal = pick(-1, 46);
    r.aspect1 = r.signal1 ? pick(0, 3) : 0;
    r.aspect2 = r.signal2 ? pick(0, 3) : 0;
    r.aspect3 = r.signal3 ? pick(0, 3) : 0;
    r.shuntingRoute = pick(0, 1);
    r.trainRoute = pick(0, 1);
    r.autoCancelSignal = pick(0, 1);
    r.autoCancelRoute = pick(0, 1);
    r.autoCancelShunting = pick(0, 1);
    r.entry = r.trackNumber ? pick(0, 1) : 0;
    r.dccEnabled = pick(0, 1);
    r.repeatN2 = pick(0, 1);
    r.repeatN1 = pick(0, 1);
    r.repeatFollowing =
        r.signal1 && r.followingSignal >= 0 && r.followingSignal < 44 ? pick(0, 1) : 0;
    r.cancelButton1 = pick(0, 1);
    r.cancelButton2 = pick(0, 1);
    r.unsecuredShunting = pick(0, 1);
    r.testBlocked = pick(0, 1);
    r.signalCancelSensor = pick(-1, 63);
    r.routeCancelSensor = pick(-1, 63);
    r.description = QStringLiteral("cesta %1").arg(pick(0, 999));
    return r;
}
} // namespace

class RouteValidationTest : public QObject {
    Q_OBJECT
private slots:
    void rules_data();
    void rules();
    void load_data();
    void load();
    void writeBack_data();
    void writeBack();
    void everyShowableRouteComesBackUnchanged();
    void typingLimit_data();
    void typingLimit();
    void unstorableCharacters_data();
    void unstorableCharacters();
    void everyFileCharacterIsStorable();
};

void RouteValidationTest::rules_data() {
    namespace t = routeeditortexts;
    QTest::addColumn<RouteEditValues>("values");
    QTest::addColumn<Refusal>("expected");
    using T = RouteRefusal::Tab;

    QTest::newRow("valid train route") << valid() << Refusal{};
    QTest::newRow("valid shunting route") << with({routeType(false, true)}) << Refusal{};
    QTest::newRow("N1 N2 N3 distinct") << with({signalsN(1, 2, 3)}) << Refusal{};
    QTest::newRow("N1 equals N3 is allowed") << with({signalsN(5, 6, 5)}) << Refusal{};
    QTest::newRow("remote following of N1's number")
        << with({signalsN(4, 0, 0), followingIs(kRem4)}) << Refusal{};
    QTest::newRow("own following of another number")
        << with({signalsN(4, 0, 0), followingIs(kOwn4 + 1)}) << Refusal{};
    QTest::newRow("own following without N1")
        << with({signalsN(0, 0, 0), followingIs(kOwn4)}) << Refusal{};
    QTest::newRow("always entries never clash")
        << with({signalsN(22, 0, 0), followingIs(46)}) << Refusal{};

    QTest::newRow("blocked skips every rule")
        << with({blocked(), buttons(0, 0), routeType(false, false), signalsN(0, 3, 3)})
        << Refusal{};

    QTest::newRow("from 0") << with({buttons(0, 5)}) << refused(t::kNotActive, OkCancel);
    QTest::newRow("to 0") << with({buttons(5, 0)}) << refused(t::kNotActive, OkCancel);
    QTest::newRow("both 0, same is not reported")
        << with({buttons(0, 0)}) << refused(t::kNotActive, OkCancel);
    QTest::newRow("3 and 3") << with({buttons(3, 3)}) << refused(t::kSameButtons, OkCancel);
    QTest::newRow("same buttons before signals")
        << with({buttons(3, 3), signalsN(0, 2, 2)}) << refused(t::kSameButtons, OkCancel);

    QTest::newRow("N2 = N3") << with({signalsN(1, 7, 7)}) << refused(t::kDuplicateN2N3, CancelOnly);
    QTest::newRow("N2 = N3 before N1 = N2")
        << with({signalsN(7, 7, 7)}) << refused(t::kDuplicateN2N3, CancelOnly);
    QTest::newRow("N2 = N3 = 0 passes rule 4 and 5") << with({signalsN(0, 0, 0)}) << Refusal{};
    QTest::newRow("N1 = N2 = 5") << with({signalsN(5, 5, 0)})
                                 << refused(t::kDuplicateN1N2, CancelOnly);
    QTest::newRow("N1 = N2 before following clash")
        << with({signalsN(4, 4, 0), followingIs(kOwn4)}) << refused(t::kDuplicateN1N2, CancelOnly);
    QTest::newRow("N1 4 with own N4") << with({signalsN(4, 0, 0), followingIs(kOwn4)})
                                      << refused(t::kDuplicateN1Following, CancelOnly);
    QTest::newRow("N1 22 with own N22") << with({signalsN(22, 1, 0), followingIs(kOwn22)})
                                        << refused(t::kDuplicateN1Following, CancelOnly);
    QTest::newRow("following clash before route type")
        << with({signalsN(4, 0, 0), followingIs(kOwn4), routeType(false, false)})
        << refused(t::kDuplicateN1Following, CancelOnly);

    QTest::newRow("no route type")
        << with({routeType(false, false)}) << refused(t::kNoRouteType, CancelOnly, T::TabSheet1);
    QTest::newRow("no route type before N2 without N1")
        << with({routeType(false, false), signalsN(0, 3, 0)})
        << refused(t::kNoRouteType, CancelOnly, T::TabSheet1);
    QTest::newRow("N2 without N1")
        << with({signalsN(0, 3, 0)}) << refused(t::kN2WithoutN1, CancelOnly, T::TabSheet3);
    QTest::newRow("N1 5 N3 5 without N2")
        << with({signalsN(5, 0, 5)}) << refused(t::kN3WithoutN2, CancelOnly, T::TabSheet3);
    QTest::newRow("N3 without N1 and N2")
        << with({signalsN(0, 0, 9)}) << refused(t::kN3WithoutN2, CancelOnly, T::TabSheet3);
}

void RouteValidationTest::rules() {
    QFETCH(RouteEditValues, values);
    QFETCH(Refusal, expected);
    const Refusal got = validateRoute(values);
    QCOMPARE(got.has_value(), expected.has_value());
    if (expected) {
        QCOMPARE(got->message, expected->message);
        QCOMPARE(got->buttons, expected->buttons);
        QCOMPARE(got->tab, expected->tab);
    }
}

void RouteValidationTest::load_data() {
    QTest::addColumn<RouteRecord>("route");
    QTest::addColumn<int>("relayModes");
    QTest::addColumn<RouteEditValues>("expected");

    // The expectation starts as what a default record loads as; each row adds its changes.
    RouteRecord r;
    RouteEditValues v;
    auto reset = [&] {
        r = RouteRecord{};
        v = RouteEditValues{};
        v.following = 0;
        v.signalCancelInput = 0;
        v.routeCancelInput = 0;
    };
    auto row = [&](const char* name, int modes = 0) {
        QTest::newRow(name) << r << modes << v;
        reset();
    };
    reset();

    r.followingSignal = 44;
    v.following = 44;
    row("empty route");

    r.fromButton = 25;
    r.toButton = 31;
    r.followingSignal = -1;
    v.following = -1;
    v.fromButton = 22;
    v.toButton = 22;
    row("buttons from an image clamp to 22");

    r.signal1 = 23;
    r.signal2 = 31;
    r.signal3 = -4;
    r.aspect1 = 3;
    r.aspect2 = 1;
    r.aspect3 = 2;
    v.signal = {22, 22, 0};
    v.aspectIndex = {2, 0, -1};
    row("signals clamp; aspect only for a signal");

    r.signal1 = 5;
    r.aspect1 = 0;
    v.signal = {5, 0, 0};
    v.aspectIndex = {-1, -1, -1};
    row("aspect code 0 shows nothing chosen");

    r.pointPositions = {0, 1, 2, 3, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3};
    v.points = {0, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2};
    row("point position 3 shows as ODBOČ");

    r.followingSignal = 47;
    r.signalCancelSensor = 63;
    r.routeCancelSensor = 64;
    v.following = -1;
    v.signalCancelInput = 63;
    v.routeCancelInput = -1;
    row("indices outside a list show nothing chosen");

    r.followingSignal = -1;
    r.signalCancelSensor = -1;
    r.routeCancelSensor = 0;
    v.following = -1;
    v.signalCancelInput = -1;
    v.routeCancelInput = 0;
    row("nothing chosen stays nothing chosen");

    r.trackNumber = 0;
    r.entry = 1;
    v.entry = false;
    row("track 0 opens with Vjezd unticked");

    r.trackNumber = 0x13;
    r.entry = 1;
    v.track = 3;
    v.entry = true;
    row("track keeps its low four bits");

    r.relays = 0xFFFF;
    v.relays = 0xFFFF;
    row("R15 and R16 belong to routes", 0x0F);

    r.relays = 0xFFFF;
    v.relays = 0xBFFF;
    row("R15 isolated section", 0x10);

    r.relays = 0xFFFF;
    v.relays = 0xBFFF;
    row("R15 BG", 0x20);

    r.relays = 0xFFFF;
    v.relays = 0x7FFF;
    row("R16 isolated section", 0x40);

    r.relays = 0xFFFF;
    v.relays = 0x3FFF;
    row("R15 and R16 both busy", 0xF0);

    r.relays = 0x7FFF0000 | 0x1234;
    r.localDetectors = 0x10000 | 0x8001;
    r.remoteDetectors = -1;
    r.extRelays = 0x1FFFE;
    v.relays = 0x1234;
    v.localDetectors = 0x8001;
    v.remoteDetectors = 0xFFFF;
    v.extRelays = 0xFFFE;
    row("masks keep 16 bits");

    r.signal1 = 3;
    r.followingSignal = 4; // "Rem:N5"
    r.repeatFollowing = 1;
    v.signal = {3, 0, 0};
    v.following = 4;
    v.repeat = {true, false, false};
    row("N1 repeats a remote signal");

    r.signal1 = 3;
    r.followingSignal = 30; // "N9"
    r.repeatFollowing = 1;
    v.signal = {3, 0, 0};
    v.following = 30;
    v.repeat = {true, false, false};
    row("N1 repeats an own signal");

    r.signal1 = 0;
    r.followingSignal = 30;
    r.repeatFollowing = 1;
    v.following = 30;
    row("repeat without N1 opens unticked");

    r.signal1 = 3;
    r.followingSignal = -1;
    r.repeatFollowing = 1;
    v.signal = {3, 0, 0};
    v.following = -1;
    row("repeat of nothing opens unticked");

    for (int always : {44, 45, 46}) {
        r.signal1 = 3;
        r.followingSignal = always;
        r.repeatFollowing = 1;
        v.signal = {3, 0, 0};
        v.following = always;
        row(qPrintable(QStringLiteral("repeat of always entry %1 opens unticked").arg(always)));
    }

    r.repeatN1 = 1;
    r.repeatN2 = 1;
    r.followingSignal = -1;
    v.following = -1;
    v.repeat = {false, true, true};
    row("N2 and N3 repeat boxes load as stored, even without signals");

    r.followingSignal = -1;
    v.following = -1;
    r.testBlocked = 2;
    r.dccEnabled = 1;
    r.cancelButton1 = 1;
    r.cancelButton2 = 1;
    r.unsecuredShunting = 1;
    r.trainRoute = 1;
    r.shuntingRoute = 1;
    r.autoCancelSignal = 1;
    r.autoCancelRoute = 1;
    r.autoCancelShunting = 1;
    r.description = QString(60, QLatin1Char('x'));
    v.testBlocked = v.dccEnabled = v.cancelButton1 = v.cancelButton2 = true;
    v.unsecuredShunting = v.trainRoute = v.shuntingRoute = true;
    v.autoCancelSignal = v.autoCancelRoute = v.autoCancelShunting = true;
    v.description = QString(60, QLatin1Char('x'));
    row("flags and a long description");
}

void RouteValidationTest::load() {
    QFETCH(RouteRecord, route);
    QFETCH(int, relayModes);
    QFETCH(RouteEditValues, expected);
    const RouteEditValues got = routeedit::fromRoute(route, static_cast<std::uint8_t>(relayModes));
    QCOMPARE(got.fromButton, expected.fromButton);
    QCOMPARE(got.toButton, expected.toButton);
    QCOMPARE(got.track, expected.track);
    QCOMPARE(got.entry, expected.entry);
    QCOMPARE(got.points, expected.points);
    QCOMPARE(got.relays, expected.relays);
    QCOMPARE(got.extRelays, expected.extRelays);
    QCOMPARE(got.localDetectors, expected.localDetectors);
    QCOMPARE(got.remoteDetectors, expected.remoteDetectors);
    QCOMPARE(got.signal, expected.signal);
    QCOMPARE(got.aspectIndex, expected.aspectIndex);
    QCOMPARE(got.repeat, expected.repeat);
    QCOMPARE(got.following, expected.following);
    QCOMPARE(got.signalCancelInput, expected.signalCancelInput);
    QCOMPARE(got.routeCancelInput, expected.routeCancelInput);
    QCOMPARE(got.description, expected.description);
    QVERIFY(got == expected); // the remaining flags
}

void RouteValidationTest::writeBack_data() {
    QTest::addColumn<RouteEditValues>("values");
    QTest::addColumn<RouteRecord>("expected");

    RouteEditValues v;
    RouteRecord r;
    auto row = [&](const char* name) {
        QTest::newRow(name) << v << r;
        v = RouteEditValues{};
        r = RouteRecord{};
        r.followingSignal = -1;
        r.signalCancelSensor = -1;
        r.routeCancelSensor = -1;
    };
    r.followingSignal = -1;
    r.signalCancelSensor = -1;
    r.routeCancelSensor = -1;
    row("nothing chosen anywhere writes -1 and aspect 0");

    v.track = 0;
    v.entry = true;
    row("Vjezd left ticked on track 0 stores no entry");

    v.track = 1;
    v.entry = true;
    r.trackNumber = 1;
    r.entry = 1;
    row("entry on track 1");

    v.aspectIndex = {0, 1, 2};
    v.signal = {1, 2, 3};
    r.aspect1 = 1;
    r.aspect2 = 2;
    r.aspect3 = 3;
    r.signal1 = 1;
    r.signal2 = 2;
    r.signal3 = 3;
    row("aspect codes are the entry index plus one");

    v.aspectIndex = {1, -1, -1};
    r.aspect1 = 2;
    row("an aspect chosen for signal 0 is still written");

    v.repeat = {true, false, true};
    r.repeatFollowing = 1;
    r.repeatN2 = 1;
    row("CBopakNav1 and CBopakNav3 map to repeatFollowing and repeatN2");

    v.repeat = {false, true, false};
    r.repeatN1 = 1;
    row("CBopakNav2 maps to repeatN1");

    v.points = {2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2};
    r.pointPositions = v.points;
    row("point positions as chosen");

    v.localDetectors = 0x0102;
    v.remoteDetectors = 0x8000;
    v.relays = 0x4001;
    v.extRelays = 0x0300;
    r.localDetectors = 0x0102;
    r.remoteDetectors = 0x8000;
    r.relays = 0x4001;
    r.extRelays = 0x0300;
    row("masks go to their own fields");

    v.following = 46;
    v.signalCancelInput = 63;
    v.routeCancelInput = 37;
    r.followingSignal = 46;
    r.signalCancelSensor = 63;
    r.routeCancelSensor = 37;
    row("list indices as chosen");

    // Each check box on its own, so that two boxes written into each other's field show.
    const std::pair<bool RouteEditValues::*, Flag RouteRecord::*> boxes[] = {
        {&RouteEditValues::autoCancelSignal, &RouteRecord::autoCancelSignal},
        {&RouteEditValues::autoCancelRoute, &RouteRecord::autoCancelRoute},
        {&RouteEditValues::autoCancelShunting, &RouteRecord::autoCancelShunting},
        {&RouteEditValues::trainRoute, &RouteRecord::trainRoute},
        {&RouteEditValues::shuntingRoute, &RouteRecord::shuntingRoute},
        {&RouteEditValues::unsecuredShunting, &RouteRecord::unsecuredShunting},
        {&RouteEditValues::cancelButton1, &RouteRecord::cancelButton1},
        {&RouteEditValues::cancelButton2, &RouteRecord::cancelButton2},
        {&RouteEditValues::dccEnabled, &RouteRecord::dccEnabled},
        {&RouteEditValues::testBlocked, &RouteRecord::testBlocked}};
    int k = 0;
    for (const auto& [box, field] : boxes) {
        v.*box = true;
        r.*field = 1;
        row(qPrintable(QStringLiteral("check box %1 alone").arg(++k)));
    }

    v.fromButton = 7;
    v.toButton = 21;
    v.description = QStringLiteral("Vjezd na kolej 3 – přes výhybku č. 5");
    r.fromButton = 7;
    r.toButton = 21;
    r.description = v.description;
    row("buttons and description");
}

void RouteValidationTest::writeBack() {
    QFETCH(RouteEditValues, values);
    QFETCH(RouteRecord, expected);
    // Start from a record full of other values: every field must be overwritten.
    RouteRecord r;
    r.fromButton = r.toButton = 30;
    r.localDetectors = r.remoteDetectors = r.relays = r.extRelays = 0x7FFFFFFF;
    r.trackNumber = 9;
    r.pointPositions.fill(3);
    r.signal1 = r.signal2 = r.signal3 = 11;
    r.followingSignal = 20;
    r.aspect1 = r.aspect2 = r.aspect3 = 3;
    r.shuntingRoute = r.trainRoute = r.autoCancelSignal = r.autoCancelRoute = 1;
    r.autoCancelShunting = r.entry = r.dccEnabled = r.repeatN2 = r.repeatN1 = 1;
    r.repeatFollowing = r.cancelButton1 = r.cancelButton2 = r.unsecuredShunting = 1;
    r.testBlocked = 1;
    r.signalCancelSensor = r.routeCancelSensor = 12;
    r.description = QStringLiteral("stará");

    routeedit::toRoute(values, r);
    QCOMPARE(r.fromButton, expected.fromButton);
    QCOMPARE(r.entry, expected.entry);
    QCOMPARE(r.pointPositions, expected.pointPositions);
    QCOMPARE(r.relays, expected.relays);
    QCOMPARE(r.aspect1, expected.aspect1);
    QCOMPARE(r.aspect2, expected.aspect2);
    QCOMPARE(r.aspect3, expected.aspect3);
    QCOMPARE(r.followingSignal, expected.followingSignal);
    QCOMPARE(r.description, expected.description);
    QVERIFY(r == expected);
}

void RouteValidationTest::everyShowableRouteComesBackUnchanged() {
    std::mt19937 rng(20240611);
    for (int i = 0; i < 2000; ++i) {
        const RouteRecord original = showableRoute(rng);
        RouteRecord copy = original;
        routeedit::toRoute(routeedit::fromRoute(original, 0), copy);
        if (copy != original)
            QFAIL(qPrintable(
                QStringLiteral("route %1 changed on its way through the editor").arg(i)));
    }
}

void RouteValidationTest::typingLimit_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<int>("keptCursor");

    const QString s44(44, QLatin1Char('a'));
    const QString s45(45, QLatin1Char('a'));
    const QString s50(50, QLatin1Char('b'));
    QTest::newRow("typing within the limit") << QString() << "x" << 1 << "x" << 1;
    QTest::newRow("45th character") << s44 << s44 + "x" << 45 << s44 + "x" << 45;
    QTest::newRow("46th character refused") << s45 << s45 + "x" << 46 << s45 << 45;
    QTest::newRow("46th in the middle refused")
        << s45 << QString(s45).insert(10, 'x') << 11 << s45 << 10;
    QTest::newRow("paste cut to what fits") << s44 << s44 + "xyz" << 47 << s44 + "x" << 45;
    QTest::newRow("paste in the middle cut")
        << QString("ab") + QString(40, 'c') << QString("a123456789b") + QString(40, 'c') << 10
        << QString("a123b") + QString(40, 'c') << 4;
    QTest::newRow("long loaded text may shrink") << s50 << s50.left(49) << 49 << s50.left(49) << 49;
    QTest::newRow("long loaded text may be retyped at its length")
        << s50 << s50.left(49) + "x" << 50 << s50.left(49) + "x" << 50;
    QTest::newRow("long loaded text may not grow") << s50 << s50 + "x" << 51 << s50 << 50;
    QTest::newRow("no half surrogate pair left behind")
        << s44 << s44 + "x" + QString::fromUtf8("\xF0\x9F\x9A\x82") << 47 << s44 + "x" << 45;
    QTest::newRow("surrogate pair that would straddle the limit")
        << s44 << s44 + QString::fromUtf8("\xF0\x9F\x9A\x82") << 46 << s44 << 44;
}

void RouteValidationTest::typingLimit() {
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(int, cursor);
    QFETCH(QString, kept);
    QFETCH(int, keptCursor);
    const LimitedText got = limitTypedText(before, after, cursor, 45);
    QCOMPARE(got.text, kept);
    QCOMPARE(got.cursor, keptCursor);
}

void RouteValidationTest::unstorableCharacters_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<int>("keptCursor");
    QTest::addColumn<QString>("refused");
    const QString czech = QStringLiteral("Žďár – příjezd „€“ §°");
    QTest::newRow("Czech and Windows-1250 signs") << czech << 3 << czech << 3 << QString();
    QTest::newRow("arrow") << QStringLiteral("a→b") << 2 << "ab" << 1 << QStringLiteral("→");
    QTest::newRow("each refused once, Cyrillic after the cursor")
        << QStringLiteral("→a→bЖ") << 4 << "ab" << 2 << QStringLiteral("→Ж");
    QTest::newRow("surrogate pair whole")
        << QString::fromUtf8("a\xF0\x9F\x9A\x82"
                             "b")
        << 3 << "ab" << 1 << QString::fromUtf8("\xF0\x9F\x9A\x82");
}

void RouteValidationTest::unstorableCharacters() {
    QFETCH(QString, typed);
    QFETCH(int, cursor);
    QFETCH(QString, kept);
    QFETCH(int, keptCursor);
    QFETCH(QString, refused);
    const StorableText got = dropUnstorable(typed, cursor);
    QCOMPARE(got.text, kept);
    QCOMPARE(got.cursor, keptCursor);
    QCOMPARE(got.refused, refused);
}

// A description loaded from a file never loses a character to the typing rule.
void RouteValidationTest::everyFileCharacterIsStorable() {
    QByteArray all;
    for (int b = 0x20; b < 0x100; ++b)
        all.append(char(b));
    QCOMPARE(dropUnstorable(codepage1250::decode(all), 0).refused, QString());
}

QTEST_GUILESS_MAIN(RouteValidationTest)
#include "editors_routevalidation.moc"
