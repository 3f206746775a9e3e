#include "data/codec.h"
#include "link/linkdriver.h"
#include "link/linkengine.h"
#include "link/linktexts.h"
#include "link/transfers.h"
#include "link/ui/linkpresenter.h"
#include "support/bytes.h"
#include "support/fakemodule.h"
#include "support/linkstates.h"

#include <QSignalSpy>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <numeric>
#include <random>

namespace {
using Msg = LinkEngine::Message;
using Commands = FakeModule::Commands;

Image randomImage(unsigned seed) {
    Image img{};
    std::mt19937 rng(seed);
    for (auto& b : img)
        b = static_cast<std::uint8_t>(rng());
    return img;
}

// A module's configuration of `routes` routes: no route beyond them.
Image configImage(unsigned seed, int routes) {
    Image img = randomImage(seed);
    std::fill(img.begin() + transfers::lastConfigAddress(routes) + 1, img.end(), 0);
    for (int n = routes + 1; n <= image::kRouteCount; ++n)
        img[image::indexPairAddress(n)] = img[image::indexPairAddress(n) + 1] = 0;
    return img;
}

ResponderOptions moduleWith(int capacity, int version = 0x30, char revision = 0,
                            int latencyMs = 0) {
    ResponderOptions o;
    o.capacity = capacity;
    o.version = static_cast<std::uint8_t>(version);
    o.revision = revision;
    o.latencyMs = latencyMs;
    return o;
}

// One engine on one fake module ticking at 20 ms, with every signal recorded.
struct Rig {
    ConfigStore store;
    FakeModule module;
    LinkEngine engine{store, module};
    LinkPresenter shown{engine}; // what the labels and the progress bar show
    QList<Msg> messages;
    QList<int> progress;
    QList<bool> finished;
    int decoded = 0;
    // Closes each box at once, as a caller without windows does.
    bool closeBoxes = true;
    bool timed = false; // arrivals reported to the ms, as a real port does; wire time kept
    int tickMs = 20;

    explicit Rig(const ResponderOptions& options = {}) : module(options) {
        module.open(1);
        QObject::connect(&engine, &LinkEngine::message, [this](Msg m) {
            messages.append(m);
            if (closeBoxes)
                engine.messageClosed(m);
        });
        QObject::connect(&engine, &LinkEngine::progressChanged,
                         [this](int p) { progress.append(p); });
        QObject::connect(&engine, &LinkEngine::imageRead, [this](const Image& read, int last) {
            store.takeModuleRead(read, last);
            ++decoded;
        });
        QObject::connect(&engine, &LinkEngine::transferFinished,
                         [this](TransferKind, bool ok) { finished.append(ok); });
    }

    // Ticks until the link is idle; returns the ticks used, -1 if it never got there.
    int runUntilIdle(int limit = 20000) {
        for (int t = 1; t <= limit; ++t) {
            if (timed)
                for (int ms = 0; ms < tickMs; ++ms) {
                    module.advance(1);
                    if (module.waiting() > 0)
                        engine.dataArrived();
                }
            engine.tick();
            if (engine.isIdle())
                return t;
        }
        return -1;
    }
    QList<int> statesOver(int ticks) {
        QList<int> s;
        for (int i = 0; i < ticks; ++i) {
            engine.tick();
            s.append(engine.linkState());
        }
        return s;
    }
    Image moduleImage() const { return module.responder().image(); }
    void setTimed(int ms) {
        timed = true;
        tickMs = ms;
        module.setTickMs(ms);
        module.setManualClock(true);
        module.setWireTime(true);
        engine.setTickInterval(ms);
        engine.setClock([this] { return module.nowMs(); });
    }
    void setFast(int ms = 20) {
        setTimed(ms);
        engine.setFastLink(true);
    }
};

int countReadsOf(const FakeModule& m, int address) {
    int n = 0;
    for (const QByteArray& c : m.sentWithLetter('R'))
        n += FakeModule::addressOf(c) == address;
    return n;
}

bool sameBytes(const Image& a, const Image& b, int first, int last) {
    return std::equal(a.begin() + first, a.begin() + last + 1, b.begin() + first);
}
} // namespace

class LinkEngineTest : public QObject {
    Q_OBJECT
private slots:
    // ---- identify

    void identify_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("letter");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QString>("versionText");
        QTest::addColumn<bool>("warning");
        QTest::newRow("current") << 0x30 << 0 << 90 << "V 3.0" << false;
        QTest::newRow("newer with letter") << 0x31 << int('c') << 100 << "V 3.1c" << false;
        QTest::newRow("old with letter") << 0x25 << int('b') << 90 << "V 2.5b" << true;
        QTest::newRow("old, capacity unchecked") << 0x20 << 0 << 255 << "V 2.0" << true;
        QTest::newRow("long form with a star letter") << 0x30 << int('*') << 7 << "V 3.0*" << false;
    }
    void identify() {
        QFETCH(int, version);
        QFETCH(int, letter);
        QFETCH(int, capacity);
        QFETCH(QString, versionText);
        QFETCH(bool, warning);
        Rig r(moduleWith(capacity, version, static_cast<char>(letter)));
        r.closeBoxes = false;
        QVERIFY(r.engine.startIdentify());
        QCOMPARE(r.shown.versionText(), QStringLiteral("??"));
        QCOMPARE(r.engine.linkState(), 5);
        r.engine.tick();
        QCOMPARE(r.shown.versionText(), versionText);
        QCOMPARE(r.engine.linkState(), 8);
        if (warning) {
            QCOMPARE(r.messages, QList<Msg>{Msg::VersionWarning});
            QCOMPARE(r.module.sentWithLetter('M').size(), 0);
            // The box is open: ticks go on, the unanswered wait ends silently.
            QCOMPARE(r.statesOver(3), (QList<int>{9, 0, 0}));
            QCOMPARE(r.shown.capacityText(), QStringLiteral("??"));
            r.engine.messageClosed(Msg::VersionWarning);
            QCOMPARE(r.engine.linkState(), 8);
        } else {
            QVERIFY(r.messages.isEmpty());
        }
        QCOMPARE(r.module.sentWithLetter('M').size(), 1);
        r.engine.tick();
        QCOMPARE(r.engine.linkState(), 0);
        QCOMPARE(r.shown.capacityText(), QStringLiteral("Max.cest:%1").arg(capacity));
        QCOMPARE(r.store.routeCapacity, capacity);
        QCOMPARE(r.messages.size(), warning ? 1 : 0);
    }

    // Silence, or other bytes before the answer: those from before the click are thrown away,
    // those still on their way make "Test comm" ask again on a quiet line.
    void identifySilence_data() {
        QTest::addColumn<int>("latency"); // ms
        QTest::addColumn<int>("noisyAnswers");
        QTest::addColumn<QString>("versionText");
        QTest::addColumn<QString>("capacityText");
        QTest::newRow("answered in the second tick") << 40 << 0 << "V 3.0"
                                                     << "Max.cest:90";
        QTest::newRow("too late") << 60 << 0 << "??"
                                  << "??";
        QTest::newRow("stray bytes before the answer") << 20 << 1 << "V 3.0"
                                                       << "Max.cest:90";
        QTest::newRow("stray bytes before every answer") << 20 << 3 << "??"
                                                         << "??";
    }
    void identifySilence() {
        QFETCH(int, latency);
        QFETCH(int, noisyAnswers);
        QFETCH(QString, versionText);
        QFETCH(QString, capacityText);
        Rig r(moduleWith(90, 0x30, 0, latency));
        r.module.inject("Y*"); // waiting from before
        r.module.noise(Commands('G').times(noisyAnswers), "Y*", 1);
        QVERIFY(r.engine.startIdentify());
        r.statesOver(40);
        QCOMPARE(r.engine.linkState(), 0);
        QCOMPARE(r.shown.versionText(), versionText);
        QCOMPARE(r.shown.capacityText(), capacityText);
        QCOMPARE(r.engine.identifyGarbled(), noisyAnswers >= 3);
        QCOMPARE(r.module.sentWithLetter('G').size(), std::max(1, std::min(noisyAnswers + 1, 3)));
        QVERIFY(r.messages.isEmpty());
    }

    void identifyStateSequence() {
        Rig r;
        r.module.setSilent(true);
        QVERIFY(r.engine.startIdentify());
        QCOMPARE(r.statesOver(3), (QList<int>{6, 0, 0}));
        QCOMPARE(r.module.sent(), QList<QByteArray>{QByteArray("@G0000* ")});
    }

    void identifyEmptiesStaleInput() {
        Rig r;
        r.module.setSilent(true);
        r.module.inject(bytes({'S', 0x30, '*'}));
        r.engine.tick(); // the stale reply lands in the buffer while idle
        QVERIFY(r.engine.startIdentify());
        r.statesOver(3);
        QCOMPARE(r.shown.versionText(), QStringLiteral("??"));
    }

    // ---- read and verify

    void fullRead() {
        Rig r;
        r.module.responder().setImage(randomImage(1));
        r.store.image[0] = 0xAB;
        r.store.image[2500] = 0xCD;
        QVERIFY(r.engine.startRead());
        QVERIFY(r.shown.progressVisible());
        const int ticks = r.runUntilIdle();
        // Three quiet ticks, the capacity twice, one tick per byte and per probe (one before the
        // first byte, one after every 128 and after the last), the first probe waiting its
        // whole window of three ticks.
        QCOMPARE(ticks, 3 + 2 + 2243 + 19 + 2);
        QCOMPARE(r.module.sentWithLetter('R').size(), 2243);
        QCOMPARE(r.module.sentWithLetter('M').size(), 2);
        QCOMPARE(r.module.sentWithLetter('G').size(), 19);
        QVERIFY(sameBytes(r.moduleImage(), r.store.image, 1, 2243));
        QCOMPARE(r.store.image[0], 0xAB); // address 0 is never read
        QCOMPARE(r.store.image[2500], 0xCD);
        QCOMPARE(countReadsOf(r.module, 0), 0);
        QCOMPARE(r.decoded, 1);
        RouteTable expected;
        decodeCurrent(r.store.image, expected);
        QVERIFY(expected == r.store.routes);
        QVERIFY(r.messages.isEmpty());
        QCOMPARE(r.finished, QList<bool>{true});
        QVERIFY(!r.shown.progressVisible());
        QCOMPARE(r.progress.last(), 100);
        // Every percentage from 1 to 100 appears once, in order.
        QCOMPARE(r.progress.size(), 100);
    }

    void readCapacity_data() {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("lastAddress");
        QTest::newRow("19 refused") << 19 << false << 0;
        QTest::newRow("20 accepted") << 20 << true << 703;
        QTest::newRow("90") << 90 << true << 2243;
        QTest::newRow("100 accepted") << 100 << true << 2463;
        QTest::newRow("101 refused") << 101 << false << 0;
        QTest::newRow("0 refused") << 0 << false << 0;
        QTest::newRow("42 is a star") << 42 << true << 1187;
    }
    void readCapacity() {
        QFETCH(int, capacity);
        QFETCH(bool, ok);
        QFETCH(int, lastAddress);
        Rig r(moduleWith(capacity));
        r.module.responder().setImage(randomImage(2));
        const Image before = r.store.image;
        QVERIFY(r.engine.startRead());
        QVERIFY(r.runUntilIdle() > 0);
        QCOMPARE(r.store.routeCapacity, capacity);
        QCOMPARE(r.shown.capacityText(), QStringLiteral("Max.cest:%1").arg(capacity));
        const auto reads = r.module.sentWithLetter('R');
        if (!ok) {
            QCOMPARE(r.messages, QList<Msg>{Msg::ReadError});
            QCOMPARE(reads.size(), 0);
            QVERIFY(r.store.image == before);
            QCOMPARE(r.decoded, 0);
            return;
        }
        QVERIFY(r.messages.isEmpty());
        QCOMPARE(reads.size(), lastAddress);
        QCOMPARE(FakeModule::addressOf(reads.last()), lastAddress);
        QCOMPARE(r.store.image[lastAddress], r.moduleImage()[lastAddress]);
        QCOMPARE(r.store.image[lastAddress + 1], 0); // nothing beyond the reported routes
        QCOMPARE(r.decoded, 1);
    }

    void readWithoutCapacityReply() {
        Rig r;
        r.module.setSilent(true);
        r.closeBoxes = false;
        QVERIFY(r.engine.startRead());
        // A quiet start, then four attempts, each after the line has been quiet for the three
        // ticks of a byte's window, and waiting as long.
        QCOMPARE(r.statesOver(25), (QList<int>{10, 10, 11, 12, 12, 10, 10, 10, 11, 12, 12, 10, 10,
                                               10, 11, 12, 12, 10, 10, 10, 11, 12, 12, 0,  0}));
        QCOMPARE(r.messages, QList<Msg>{Msg::ReadError});
        QCOMPARE(r.module.sent(), QList<QByteArray>(4, QByteArray("@M0000*")));
        QCOMPARE(linktexts::failureText(r.engine.transfer().failure()),
                 QStringLiteral("Dotaz na počet cest zůstal bez platné odpovědi. Pokusů: 4."));
        // The bar stays until the box is closed.
        QVERIFY(r.shown.progressVisible());
        r.engine.messageClosed(Msg::ReadError);
        QVERIFY(!r.shown.progressVisible());
    }

    void readFailureLeavesImage() {
        Rig r;
        r.module.responder().setImage(randomImage(3));
        r.store.image = randomImage(4);
        r.store.route(1).description = QStringLiteral("keep me");
        const Image before = r.store.image;
        const RouteTable routesBefore = r.store.routes;
        r.module.drop(Commands('R').from(1500));
        QVERIFY(r.engine.startRead());
        QVERIFY(r.runUntilIdle() > 0);
        QCOMPARE(r.messages, QList<Msg>{Msg::ReadError});
        QCOMPARE(r.finished, QList<bool>{false});
        QCOMPARE(countReadsOf(r.module, 1500), 3);
        QCOMPARE(countReadsOf(r.module, 1501), 0);
        QVERIFY(r.store.image == before);
        QVERIFY(r.store.routes == routesBefore);
        QCOMPARE(r.decoded, 0);
    }

    void retryTiming() {
        // Attempt: send, three waiting ticks, three quiet ticks; the byte fails after the third.
        Rig r;
        r.closeBoxes = false;
        r.module.drop('R');
        QVERIFY(r.engine.startRead());
        r.statesOver(8); // quiet, capacity twice, the first probe's window
        QCOMPARE(r.engine.linkState(), 15);
        QCOMPARE(r.statesOver(2), (QList<int>{16, 17}));
        QCOMPARE(r.statesOver(16),
                 (QList<int>{14, 14, 14, 15, 16, 17, 14, 14, 14, 15, 16, 17, 0, 0, 0, 0}));
        QCOMPARE(r.engine.transfer().retries(), 3);
        QCOMPARE(countReadsOf(r.module, 1), 3);
        QCOMPARE(r.messages, QList<Msg>{Msg::ReadError});
    }

    void retries_data() {
        QTest::addColumn<int>("dropsFirst");
        QTest::addColumn<int>("dropsSecond");
        QTest::addColumn<bool>("ok");
        QTest::newRow("answered at once") << 0 << 0 << true;
        QTest::newRow("second attempt") << 1 << 0 << true;
        QTest::newRow("third attempt, then fresh count") << 2 << 2 << true;
        QTest::newRow("three silent attempts") << 3 << 0 << false;
        QTest::newRow("next byte fails on its own") << 2 << 3 << false;
    }
    void retries() {
        QFETCH(int, dropsFirst);
        QFETCH(int, dropsSecond);
        QFETCH(bool, ok);
        for (bool store : {false, true}) {
            Rig r;
            r.module.responder().setImage(randomImage(5));
            r.store.image = randomImage(6);
            const char letter = store ? 'W' : 'R';
            r.module.drop(Commands(letter).at(100).times(dropsFirst));
            r.module.drop(Commands(letter).at(101).times(dropsSecond));
            std::vector<std::uint32_t> list;
            for (std::uint32_t a = 95; a <= 110; ++a)
                list.push_back(a);
            QVERIFY(store ? r.engine.startStore(list) : r.engine.startRead());
            QVERIFY(r.runUntilIdle() > 0);
            QCOMPARE(r.finished, QList<bool>{ok});
            if (ok) {
                QVERIFY(r.messages.isEmpty());
            } else {
                QCOMPARE(r.messages, QList<Msg>{store ? Msg::WriteError : Msg::ReadError});
            }
            if (store && ok)
                QVERIFY(sameBytes(r.moduleImage(), r.store.image, 95, 110));
        }
    }

    // Fast link: replies are taken as they arrive, between ticks; retries on three bytes in a
    // row send the rest at the normal pace. Bytes from 100 on lose their first reply.
    void fastLink_data() {
        QTest::addColumn<int>("droppedBytes");
        QTest::addColumn<int>("latency"); // ms
        QTest::newRow("clean line") << 0 << 0;
        QTest::newRow("two bytes in a row") << 2 << 0;
        QTest::newRow("three bytes in a row") << 3 << 0;
        // Slower than the first fast windows: they follow it, and the capacity is taken.
        QTest::newRow("module answering in 45 ms") << 0 << 45;
    }
    void fastLink() {
        QFETCH(int, droppedBytes);
        QFETCH(int, latency);
        for (bool store : {false, true}) {
            Rig r(moduleWith(20, 0x30, 0, latency));
            r.setFast();
            r.store.image = configImage(6, 20);
            for (int i = 0; i < droppedBytes; ++i)
                r.module.drop(Commands(store ? 'W' : 'R').at(100 + i).times(1));
            QVERIFY(store ? r.engine.startStore(transfers::allAddresses(20))
                          : r.engine.startRead());
            const int ticks = r.runUntilIdle();
            QCOMPARE(r.finished, QList<bool>{true});
            QVERIFY(sameBytes(r.moduleImage(), r.store.image, 1, 703));
            const bool fellBack = droppedBytes >= 3;
            QCOMPARE(r.engine.transfer().fastFellBack(), fellBack);
            // Most replies taken on arrival; a store reads every byte back.
            QVERIFY(ticks < (store ? 2 : 1) * 703 || fellBack || latency > 0);
        }
    }

    // A module answering at once whose identify answers come late on a busy machine, as late as
    // the wire would take (11 ms) or less: its replies pass once an answer shows it quicker than
    // the wire. Shown never, it is the wire, and instant replies there are stray.
    void lineQuickerThanTheWire_data() {
        QTest::addColumn<int>("lateAnswers"); // from the first; -1: all
        QTest::addColumn<int>("lateMs");
        QTest::addColumn<bool>("ok");
        QTest::newRow("first three as late as the wire") << 3 << 11 << true;
        QTest::newRow("all late, sooner than the wire") << -1 << 8 << true;
        QTest::newRow("all as late as the wire") << -1 << 11 << false;
    }
    void lineQuickerThanTheWire() {
        QFETCH(int, lateAnswers);
        QFETCH(int, lateMs);
        QFETCH(bool, ok);
        Rig r(moduleWith(20));
        r.setTimed(5);
        r.module.setWireTime(false);
        r.module.late(Commands('G').times(lateAnswers), lateMs);
        r.module.responder().setImage(configImage(7, 20));
        QVERIFY(r.engine.startRead() && r.runUntilIdle() > 0);
        QCOMPARE(r.finished, QList<bool>{ok});
        QCOMPARE(sameBytes(r.store.image, r.moduleImage(), 1, 703), ok);
    }

    // A busy machine holds a byte's three commands in its serial driver for 170 ms: at a short
    // clock the last attempt waits for the held answers as long as at the documented one.
    void heldLine() {
        Rig r(moduleWith(20));
        r.setTimed(5);
        for (int i = 0; i < 3; ++i)
            r.module.late(Commands('R').at(100).after(i).times(1), 170 - 60 * i);
        r.module.responder().setImage(configImage(7, 20));
        QVERIFY(r.engine.startRead() && r.runUntilIdle() > 0);
        QCOMPARE(r.finished, QList<bool>{true});
        QVERIFY(sameBytes(r.store.image, r.moduleImage(), 1, 703));
    }

    void stragglers_data() {
        QTest::addColumn<bool>("store");
        QTest::addColumn<int>("value101");
        QTest::addColumn<int>("requestsOf101");
        // The straggler lands in the quiet spell before the next attempt and is thrown away.
        QTest::newRow("read: a different value next") << false << 0x11 << 1;
        QTest::newRow("read: the same value next") << false << 0x10 << 1;
        QTest::newRow("store") << true << 0x11 << 1;
    }
    void stragglers() {
        // The first answer for address 100 comes three ticks after its attempt gave up.
        QFETCH(bool, store);
        QFETCH(int, value101);
        QFETCH(int, requestsOf101);
        Rig r;
        r.module.responder().setImage(randomImage(11));
        r.module.responder().setMemoryAt(100, 0x10);
        r.module.responder().setMemoryAt(101, static_cast<std::uint8_t>(value101));
        r.module.late(Commands(store ? 'W' : 'R').at(100).times(1), 120);
        r.store.image = randomImage(12);
        QVERIFY(store ? r.engine.startStore({99, 100, 101, 102}) : r.engine.startRead());
        QVERIFY(r.runUntilIdle() > 0);
        QCOMPARE(r.finished, QList<bool>{true});
        int requests = 0;
        for (const QByteArray& c : r.module.sentWithLetter(store ? 'W' : 'R'))
            requests += FakeModule::addressOf(c) == 101;
        QCOMPARE(requests, requestsOf101);
        if (store) {
            QVERIFY(sameBytes(r.moduleImage(), r.store.image, 99, 102));
        } else {
            QCOMPARE(int(r.store.image[101]), value101);
            QVERIFY(sameBytes(r.moduleImage(), r.store.image, 1, 2243));
        }
    }

    // Whatever a reply suffers, at a short and at the default clock, a read, verify or store
    // ends exact or with its error box, never with a wrong byte in the image or the module.
    // Faults hit the replies to `times` commands from address `from` on (0: the capacity
    // query, -1: the line at the start); `late` is in ms past the reply window at 20 ms, scaled
    // to the 5 ms window; "lost" commands never reach the module; "then" adds a second fault
    // after the first. Stray replies (straggler, sent twice, noise, bytes from before) come from
    // a module that answers a tick late, so that a stray one lands alone in a window; for them
    // `late` is the commands a straggler waits, or the ms after its command. Pairs: a stray
    // shifts the bytes after it, a loss five bytes on lines them up again before the probe.
    void faultyLine_data() {
        QTest::addColumn<char>("op");
        QTest::addColumn<int>("tickMs");
        QTest::addColumn<char>("fault");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("times");
        QTest::addColumn<int>("late");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("fast");
        struct Case {
            const char* name;
            char fault;
            int from, times, late;
            bool ok;
        };
        const Case cases[] = {
            {"late by half a window", 'L', 100, 1, 30, true},
            {"late by five windows", 'L', 100, 1, 300, true},
            {"two attempts late by two windows", 'L', 100, 2, 120, true},
            {"run of four late", 'L', 100, 4, 80, true},
            {"run of five late by half a window", 'L', 100, 5, 30, true},
            {"late, then lost", 'Z', 100, 1, 60, true},
            {"late, then the third late by half as much", 'W', 100, 1, 240, true},
            {"two late, then two late by half as much", 'W', 100, 2, 80, true},
            {"dropped twice", 'D', 100, 2, 0, true},
            {"dropped three times", 'D', 100, 3, 0, false},
            {"lost once", 'X', 100, 1, 0, true},
            {"split past the window", 'S', 100, 1, 60, true},
            {"a stray star more", 'C', 100, 2, 0, true},
            {"star damaged", 'B', 100, 1, 0, true},
            {"capacity late by a window", 'L', 0, 1, 60, true},
            {"capacity dropped twice", 'D', 0, 2, 0, true},
            {"capacity dropped four times", 'D', 0, 4, 0, false},
            {"capacity star damaged", 'B', 0, 1, 0, true},
            {"straggler after the next command", 'G', 100, 1, 1, true},
            {"straggler eight commands later", 'G', 100, 1, 8, true},
            {"two stragglers", 'G', 100, 2, 8, true},
            {"reply sent twice", 'U', 100, 1, 12, true},
            {"reply sent twice a window later", 'U', 100, 1, 40, true},
            {"three replies in a row sent twice", 'U', 100, 3, 12, true},
            {"every reply sent twice", 'U', 100, -1, 12, false},
            {"noise ending in a star", 'N', 100, 1, 1, true},
            {"noise in every window", 'N', 1, -1, 1, false},
            {"bytes waiting at the start", 'O', -1, 1, 0, true},
            {"capacity count with a bit flipped", 'F', 0, 1, 0, true},
            {"reply sent twice and the next command lost", 'A', 100, 1, 12, true},
            {"straggler, then a command lost", 'P', 100, 1, 1, true},
            {"straggler, then a reply late", 'Q', 100, 1, 1, true},
            {"reply sent twice a window later, then a command lost", 'E', 100, 1, 40, true},
            {"capacity 24 damaged to 20, twice alike", 'T', 0, 2, 0, false},
            {"first identify answer with a bit flipped", 'I', 0, 1, 0, true},
            {"another module answering from the third probe on", 'I', 2, -1, 0, false},
            {"a byte the module does not keep", 'K', 100, -1, 0, false},
        };
        // Fast link at the short clock only: its windows are milliseconds whatever the clock.
        for (char op : {'R', 'V', 'W'})
            for (int tick : {5, 20, -5})
                for (const Case& c : cases)
                    // Store only: a read cannot tell a lost command's answer taken by a stray
                    // one, nor a byte kept wrong.
                    // A read of fewer routes keeps the others as they were.
                    if ((c.fault != 'A' && c.fault != 'K' && c.fault != 'T') || op == 'W' ||
                        (c.fault == 'T' && op == 'V'))
                        QTest::newRow(qPrintable(QStringLiteral("%1 %2 ms%3 %4")
                                                     .arg(op)
                                                     .arg(std::abs(tick))
                                                     .arg(tick < 0 ? " fast" : "")
                                                     .arg(c.name)))
                            << op << std::abs(tick) << c.fault << c.from << c.times << c.late
                            << c.ok << (tick < 0);
    }
    void faultyLine() {
        QFETCH(char, op);
        QFETCH(int, tickMs);
        QFETCH(char, fault);
        QFETCH(int, from);
        QFETCH(int, times);
        QFETCH(int, late);
        QFETCH(bool, ok);
        QFETCH(bool, fast);
        const bool stray = QByteArray("GUNOFAPQE").contains(fault);
        const int routes = fault == 'T' ? 24 : 20;
        Rig r(moduleWith(routes, 0x30, 0, stray ? tickMs + 1 : 0));
        r.setTimed(tickMs);
        r.engine.setFastLink(fast);
        r.module.responder().setImage(configImage(13, routes));
        r.module.responder().setMemoryAt(image::indexPairAddress(routes), 1); // TL1 -> TL2
        r.module.responder().setMemoryAt(image::indexPairAddress(routes) + 1, 2);
        r.store.image = r.moduleImage();
        if (op != 'V') // every byte differs: a skipped or shifted one shows
            for (auto& b : r.store.image)
                b ^= 0x5A;
        const Image before = r.store.image;
        const char letter = from == 0 ? 'M' : op == 'W' ? 'W' : 'R';
        const Commands which =
            (from == 0 ? Commands('M') : Commands(letter).from(from)).times(times);
        const int windowMs = tickMs == 5 ? 30 : 60; // a 9-byte exchange plus margin, in ticks
        const int lateMs = windowMs + late * windowMs / 60;
        if (fault == 'W')
            r.module.late(Commands(letter).from(from).after(times + 1).times(times), lateMs / 2);
        if (fault == 'Z')
            r.module.lose(Commands(letter).at(from + 1).times(1));
        if (fault == 'L' || fault == 'W' || fault == 'Z')
            r.module.late(which, lateMs);
        if (fault == 'D' || fault == 'X')
            fault == 'D' ? r.module.drop(which) : r.module.lose(which);
        if (fault == 'S')
            r.module.split(which, 1, lateMs);
        if (fault == 'C' || fault == 'B' || fault == 'F' || fault == 'T') // a star more, damaged,
            r.module.corrupt(which, [fault](const QByteArray& b) {        // a bit or two flipped
                return fault == 'C'   ? b + "*"
                       : fault == 'B' ? b.left(1) + "x"
                                      : char(b.at(0) ^ (fault == 'T' ? 0x0C : 0x08)) + b.mid(1);
            });
        if (fault == 'I') // probes: `from` pass, then `times` answers carry another version
            r.module.corrupt(Commands('G').after(from).times(times), [](const QByteArray& b) {
                return b.left(1) + char(b.at(1) ^ 0x01) + b.mid(2);
            });
        if (fault == 'G' || fault == 'P' || fault == 'Q')
            r.module.straggle(which, late);
        if (fault == 'U' || fault == 'A' || fault == 'E')
            r.module.duplicate(which, tickMs + late);
        if (fault == 'A')
            r.module.lose(Commands(letter).at(from + 1).times(1));
        if (fault == 'P' || fault == 'E')
            r.module.lose(Commands(letter).at(from + 5).times(1));
        if (fault == 'Q')
            r.module.late(Commands(letter).at(from + 5).times(1), lateMs);
        if (fault == 'N')
            r.module.noise(which, "Y*", late);
        if (fault == 'K') // reads back what it holds: every write at `from` lands wrong
            r.module.corrupt(Commands('R').at(from), [](const QByteArray& b) {
                return QByteArray(1, char(b.at(0) ^ 0x01)) + b.mid(1);
            });
        if (fault == 'O') { // what a stopped transfer left: waiting, and still on its way
            r.module.inject("Z*Y*");
            r.module.arriveLater("Y*", 3);
        }
        std::vector<std::uint32_t> list(16);
        std::iota(list.begin(), list.end(), 95u);
        if (fault == 'G' || fault == 'U' || fault == 'N' || fault == 'O')
            list = transfers::allAddresses(20); // the strays land in later blocks too
        if (fault == 'T' && op == 'W') { // the whole store asks first, then stores what it heard
            QVERIFY(r.engine.startStoreCapacityQuery());
            QVERIFY(r.runUntilIdle() > 0);
            list = transfers::allAddresses(r.store.routeCapacity);
            r.finished.clear();
        }
        QVERIFY(op == 'R'   ? r.engine.startRead()
                : op == 'V' ? r.engine.startVerify()
                : from == 0 && !QByteArray("TI").contains(fault)
                    ? r.engine.startStoreCapacityQuery()
                    : r.engine.startStore(list));
        QVERIFY(r.runUntilIdle(100000) > 0);
        QCOMPARE(r.finished, QList<bool>{ok});
        if (!ok) {
            QCOMPARE(r.messages, QList<Msg>{op == 'W' ? Msg::WriteError : Msg::ReadError});
            QVERIFY(op == 'W' || r.store.image == before);
            QVERIFY(!linktexts::failureText(r.engine.transfer().failure()).isEmpty());
            if (fault == 'K') // named, with what it holds
                QCOMPARE(r.engine.transfer().failure().moduleValue, r.moduleImage()[from] ^ 1);
            using Where = TransferFailure::Where; // the routes left out; another module
            QVERIFY(fault != 'T' || r.engine.transfer().failure().routes.front() > 20);
            QVERIFY(fault != 'I' || r.engine.transfer().failure().where == Where::ModuleChanged);
            return;
        }
        QCOMPARE(r.messages, op == 'V' ? QList<Msg>{Msg::VerifyEqual} : QList<Msg>{});
        if (op == 'W' && from == 0 && fault != 'I') { // the capacity a whole store asks first
            QCOMPARE(r.store.routeCapacity, 20);
            return;
        }
        for (std::uint32_t a : op == 'W' ? list : transfers::allAddresses(20))
            QCOMPARE(r.moduleImage()[a], r.store.image[a]);
    }

    void lateReplyIsTakenInTheThirdTick_data() {
        QTest::addColumn<int>("latency"); // ms
        QTest::addColumn<bool>("ok");
        QTest::newRow("third tick") << 60 << true;
        QTest::newRow("fourth tick is too late") << 80 << false;
    }
    void lateReplyIsTakenInTheThirdTick() {
        QFETCH(int, latency);
        QFETCH(bool, ok);
        Rig r(moduleWith(90, 0x30, 0, latency));
        std::vector<std::uint32_t> list{7};
        QVERIFY(r.engine.startStore(list));
        QVERIFY(r.runUntilIdle() > 0);
        QCOMPARE(r.finished, QList<bool>{ok});
        // Too slow a module fails at the probe that opens the store, before any write.
        QCOMPARE(r.module.sentWithLetter('W').size(), ok ? 1 : 0);
    }

    void verify_data() {
        QTest::addColumn<QList<int>>("changed");
        QTest::newRow("equal") << QList<int>{};
        QTest::newRow("first byte") << QList<int>{1};
        QTest::newRow("last byte and a header byte") << QList<int>{2243, 30};
    }
    void verify() {
        QFETCH(QList<int>, changed);
        Rig r;
        r.module.responder().setImage(randomImage(7));
        r.store.image = r.moduleImage();
        r.store.image[0] = 0x55;     // never compared
        r.store.image[2244] ^= 0xFF; // beyond the reported routes
        for (int a : changed)
            r.store.image[a] ^= 0x0F;
        const Image before = r.store.image;
        const RouteTable routesBefore = r.store.routes;
        QVERIFY(r.engine.startVerify());
        QVERIFY(r.runUntilIdle() > 0);
        QCOMPARE(r.module.sentWithLetter('R').size(), 2243);
        QVERIFY(r.store.image == before);
        QVERIFY(r.store.routes == routesBefore);
        QCOMPARE(r.decoded, 0);
        QCOMPARE(r.messages,
                 QList<Msg>{changed.isEmpty() ? Msg::VerifyEqual : Msg::VerifyDifferent});
        QCOMPARE(r.engine.transfer().differences().empty(), changed.isEmpty());
        std::sort(changed.begin(), changed.end());
        QCOMPARE(int(r.engine.transfer().differences().size()), changed.size());
        for (int i = 0; i < changed.size(); ++i) {
            const auto& d = r.engine.transfer().differences()[static_cast<std::size_t>(i)];
            QCOMPARE(d.address, changed[i]);
            QCOMPARE(d.imageValue, r.store.image[changed[i]]);
            QCOMPARE(d.moduleValue, r.moduleImage()[changed[i]]);
        }
    }

    void verifyStartsWithFreshMatchFlag() {
        Rig r;
        r.store.image[5] = 1;
        QVERIFY(r.engine.startVerify());
        r.runUntilIdle();
        QCOMPARE(r.messages.last(), Msg::VerifyDifferent);
        r.store.image[5] = 0;
        QVERIFY(r.engine.startVerify());
        r.runUntilIdle();
        QCOMPARE(r.messages.last(), Msg::VerifyEqual);
        QVERIFY(r.engine.transfer().differences().empty());
    }

    // ---- store

    void store_data() {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::newRow("header") << 1 << 62;
        QTest::newRow("everything") << 1 << 2243;
        QTest::newRow("single byte") << 2463 << 2463;
    }
    void store() {
        QFETCH(int, first);
        QFETCH(int, last);
        Rig r;
        r.store.image = randomImage(8);
        std::vector<std::uint32_t> list;
        for (int a = first; a <= last; ++a)
            list.push_back(static_cast<std::uint32_t>(a));
        QVERIFY(r.engine.startStore(list));
        QCOMPARE(r.engine.linkState(), stateNumber(LinkState::ProbeSend));
        const int ticks = r.runUntilIdle();
        // Quiet start and the first probe's window, then one tick per exchange: every byte
        // written and read back, a probe after every 128 and after each pass.
        const int n = last - first + 1;
        const int probes = (n + 127) / 128;
        QCOMPARE(ticks, 3 + 3 + 2 * (n + probes));
        const auto writes = r.module.sentWithLetter('W');
        const auto reads = r.module.sentWithLetter('R');
        QCOMPARE(writes.size(), n);
        QCOMPARE(reads.size(), n);
        for (int i = 0; i < writes.size(); ++i) {
            QCOMPARE(FakeModule::addressOf(writes[i]), first + i);
            QCOMPARE(FakeModule::addressOf(reads[i]), first + i);
        }
        QVERIFY(r.engine.transfer().storeProven());
        const Image written = r.moduleImage();
        for (int a = 0; a < 3004; ++a)
            QCOMPARE(written[a], (a >= first && a <= last) ? r.store.image[a] : 0);
        QCOMPARE(r.finished, QList<bool>{true});
        QVERIFY(r.messages.isEmpty());
        QCOMPARE(r.engine.progress(), 100);
        QVERIFY(!r.shown.progressVisible());
    }

    // A stop tells whether every write went out: then only their proof by reading back is missing.
    void stopDuringStore_data() {
        QTest::addColumn<char>("letter"); // stop once this many commands with it went out
        QTest::addColumn<int>("sent");
        QTest::addColumn<bool>("rewrite"); // address 100 reads back wrong once
        QTest::addColumn<bool>("complete");
        QTest::newRow("writing") << 'W' << 50 << false << false;
        QTest::newRow("reading back") << 'R' << 20 << false << true;
        QTest::newRow("writing again") << 'W' << 201 << true << true;
    }
    void stopDuringStore() {
        QFETCH(char, letter);
        QFETCH(int, sent);
        QFETCH(bool, rewrite);
        QFETCH(bool, complete);
        Rig r;
        r.store.image = randomImage(5);
        if (rewrite)
            r.module.corrupt(Commands('R').at(100).times(1), [](const QByteArray& b) {
                return QByteArray(1, char(b.at(0) ^ 0x01)) + b.mid(1);
            });
        std::vector<std::uint32_t> list(200);
        std::iota(list.begin(), list.end(), 1u);
        QVERIFY(r.engine.startStore(list));
        for (int t = 0; t < 5000 && r.module.sentWithLetter(letter).size() < sent; ++t)
            r.engine.tick();
        QCOMPARE(r.module.sentWithLetter(letter).size(), sent);
        QVERIFY(r.engine.cancelTransfer());
        QCOMPARE(r.engine.transfer().writesComplete(), complete);
        if (complete)
            QCOMPARE(r.engine.transfer().writesDone(), 200);
        else // the write in flight may or may not have landed
            QVERIFY(r.engine.transfer().writesDone() == sent - 1 &&
                    r.engine.transfer().writeInFlight());
    }

    void storeSendsTheImageAsItWasAtItsStart() {
        Rig r;
        r.store.image[2] = 0x11;
        QVERIFY(r.engine.startStore({1, 2}));
        r.statesOver(6); // address 1 sent
        r.store.image[2] = 0x22;
        r.runUntilIdle();
        QCOMPARE(r.finished, QList<bool>{true});
        QCOMPARE(r.module.responder().memoryAt(2), 0x11);
        QCOMPARE(int(r.engine.transfer().sentImage()[2]), 0x11);
    }

    void storeRejectsWrongAck_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("wrong first byte") << QByteArray("N*");
        QTest::newRow("no star") << QByteArray("YY");
        QTest::newRow("one byte") << QByteArray("Y");
    }
    void storeRejectsWrongAck() {
        QFETCH(QByteArray, reply);
        Rig r;
        r.module.replyWith(Commands('W').times(1), reply);
        QVERIFY(r.engine.startStore({9}));
        r.runUntilIdle();
        QCOMPARE(r.module.sentWithLetter('W').size(), 2);
        QCOMPARE(r.finished, QList<bool>{true});
    }

    void storeRefusesBadLists_data() {
        QTest::addColumn<std::vector<std::uint32_t>>("list");
        QTest::newRow("empty") << std::vector<std::uint32_t>{};
        QTest::newRow("past the image") << std::vector<std::uint32_t>{1, 3004};
        QTest::newRow("far past") << std::vector<std::uint32_t>{0xFFFFFFFFu};
    }
    void storeRefusesBadLists() {
        QFETCH(std::vector<std::uint32_t>, list);
        Rig r;
        QVERIFY(!r.engine.startStore(list));
        QCOMPARE(r.engine.linkState(), 0);
        QVERIFY(!r.shown.progressVisible());
    }

    // ---- status, prepared command, simulation

    void statusPolls_data() {
        QTest::addColumn<bool>("expansion");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<int>("pushButtons");
        QTest::newRow("main: low byte first") << false << QByteArray("@S0000*") << 0x0302;
        QTest::newRow("expansion: high byte first") << true << QByteArray("@U0000*") << 0x0203;
    }
    void statusPolls() {
        QFETCH(bool, expansion);
        QFETCH(QByteArray, command);
        QFETCH(int, pushButtons);
        Rig r;
        r.module.replyWith(Commands(), bytes({1, 2, 3, 4, '*'}));
        QVERIFY(expansion ? r.engine.startExpansionStatusPoll() : r.engine.startStatusPoll());
        const int base = expansion ? 35 : 30;
        QCOMPARE(r.statesOver(8), (QList<int>{base + 1, base + 2, base + 3, base, base + 1,
                                              base + 2, base + 3, base}));
        QCOMPARE(r.module.sent(), (QList<QByteArray>{command, command}));
        const auto s = expansion ? r.engine.expansionStatus() : r.engine.status();
        QCOMPARE(int(s.sensors), 1);
        QCOMPARE(int(s.pushButtons), pushButtons);
        QCOMPARE(int(s.detectors), 4);
        QVERIFY(expansion ? r.engine.stopExpansionStatusPoll() : r.engine.stopStatusPoll());
        QCOMPARE(r.engine.linkState(), 0);
    }

    void statusReplyMustBeCompleteInTheThirdTick_data() {
        QTest::addColumn<int>("latency"); // ms
        QTest::addColumn<bool>("taken");
        QTest::newRow("first tick") << 20 << true;
        QTest::newRow("third tick") << 60 << true;
        QTest::newRow("fourth tick") << 80 << false;
    }
    void statusReplyMustBeCompleteInTheThirdTick() {
        QFETCH(int, latency);
        QFETCH(bool, taken);
        Rig r(moduleWith(90, 0x30, 0, latency));
        r.module.responder().setInputs(Unit::Main, {9, 0x0708, 6});
        r.module.drop(Commands().after(1));
        QVERIFY(r.engine.startStatusPoll());
        r.statesOver(12);
        QCOMPARE(int(r.engine.status().sensors), taken ? 9 : 0);
    }

    void statusSplitReply() {
        // Two bytes in the first tick after sending, the rest in the second.
        Rig r;
        r.module.responder().setInputs(Unit::Main, {0x11, 0x3322, 0x44});
        r.module.split('S', 2, 30);
        QVERIFY(r.engine.startStatusPoll());
        r.statesOver(4); // the third tick after sending looks
        QCOMPARE(int(r.engine.status().sensors), 0x11);
        QCOMPARE(int(r.engine.status().pushButtons), 0x3322);
        QCOMPARE(int(r.engine.status().detectors), 0x44);
    }

    void pollStops_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("mainStops");
        QTest::addColumn<bool>("expansionStops");
        QTest::newRow("30") << 30 << true << true;
        QTest::newRow("33") << 33 << true << true;
        QTest::newRow("35") << 35 << false << true;
        QTest::newRow("38") << 38 << false << true;
        QTest::newRow("40") << 40 << false << false;
        QTest::newRow("14") << 14 << false << false;
        QTest::newRow("23") << 23 << false << false;
    }
    void pollStops() {
        QFETCH(int, state);
        QFETCH(bool, mainStops);
        QFETCH(bool, expansionStops);
        for (bool expansion : {false, true}) {
            Rig r;
            QVERIFY(reachLinkState(r.engine, r.module, state));
            const bool stops = expansion ? expansionStops : mainStops;
            QCOMPARE(expansion ? r.engine.stopExpansionStatusPoll() : r.engine.stopStatusPoll(),
                     stops);
            QCOMPARE(r.engine.linkState(), stops ? 0 : state);
        }
    }

    void preparedCommand() {
        Rig r;
        const QByteArray cmd = bytes({'@', 'E', 0x12, 0x34, 1, 1, '*'});
        QVERIFY(r.engine.prepareCommand(cmd));
        QCOMPARE(r.engine.linkState(), 40);
        r.engine.tick();
        QCOMPARE(r.engine.linkState(), 0);
        QCOMPARE(r.module.sent(), QList<QByteArray>{cmd});
        r.engine.tick();
        QCOMPARE(r.module.sent().size(), 1); // once only

        // Busy: never sent; a later press replaces it.
        QVERIFY(r.engine.startStatusPoll());
        QVERIFY(!r.engine.prepareCommand("@N\x01\x02\x01\x01*"));
        QCOMPARE(r.engine.linkState(), 30);
        r.statesOver(4);
        QVERIFY(r.engine.stopStatusPoll());
        QVERIFY(r.engine.prepareCommand(cmd));
        r.statesOver(2);
        QCOMPARE(r.module.sentWithLetter('N').size(), 0);
        QCOMPARE(r.module.sentWithLetter('E').size(), 2);
    }

    void simulation() {
        Rig r;
        r.module.replyWith(Commands(), bytes({0, 0x63, 0x05, 0, 0, 0, 0, 0, 0, '*'}));
        r.engine.setSimulationData({0x60, 0x20, 0, 0x01, 0x02, 0x03, 0x04, 0});
        QVERIFY(r.engine.requestSimulationFrame());
        r.engine.tick();
        QCOMPARE(r.engine.linkState(), 43);
        QCOMPARE(r.module.sent().last(), bytes({'@', 0x60, 0x20, 0, 1, 2, 3, 4, 0, '*'}));
        r.engine.tick();
        QCOMPARE(r.engine.linkState(), 43);
        auto s = r.engine.simulationReply();
        QCOMPARE(int(s.requestedSignalA), 3);
        QCOMPARE(int(s.answerA), 3);
        QCOMPARE(int(s.requestedSignalB), 5);
        QCOMPARE(int(s.answerB), 0);
        QCOMPARE(s.replyCounter, 1);
        r.statesOver(3); // the reply was taken off the buffer: counted once
        QCOMPARE(r.engine.simulationReply().replyCounter, 1);

        // An eleven-byte reply is not a simulation reply.
        r.module.replyWith(Commands(), bytes({0, 0x41, 0x42, 0, 0, 0, 0, 0, 0, '*', 'x'}));
        QVERIFY(r.engine.requestSimulationFrame());
        r.statesOver(3);
        QCOMPARE(r.engine.simulationReply().replyCounter, 1);
        QCOMPARE(int(r.engine.simulationReply().requestedSignalA), 3);
        QVERIFY(r.engine.endSimulation());
        QCOMPARE(r.engine.linkState(), 0);
    }

    void simulationDoesNotCutTransfers() {
        Rig r;
        QVERIFY(r.engine.startRead());
        QVERIFY(!r.engine.requestSimulationFrame());
        QVERIFY(!r.engine.endSimulation());
        QCOMPARE(r.engine.linkState(), 10);
    }

    // ---- starters and display

    // What the labels and the bar are told, step by step ("|" after each step): a label changes
    // only when its text does, and a failure keeps the bar until its box is closed.
    void shownAlongTheLink_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("shown");
        QTest::newRow("identify twice")
            << QStringList{"identify", "identify"}
            << "version V 3.0, capacity Max.cest:90 | version ??, version V 3.0 |";
        QTest::newRow("read") << QStringList{"read"} << "bar 1, capacity Max.cest:90, bar 0 |";
        QTest::newRow("failed read, then its box")
            << QStringList{"silent", "read", "close"} << "| bar 1 | bar 0 |";
        QTest::newRow("cancelled read") << QStringList{"cancel", "identify"}
                                        << "bar 1, capacity Max.cest:90, bar 0 | version V 3.0 |";
    }
    void shownAlongTheLink() {
        QFETCH(QStringList, steps);
        QFETCH(QString, shown);
        Rig r;
        r.closeBoxes = false;
        QStringList seen;
        QObject::connect(&r.shown, &LinkPresenter::versionTextChanged,
                         [&](const QString& t) { seen << "version " + t; });
        QObject::connect(&r.shown, &LinkPresenter::capacityTextChanged,
                         [&](const QString& t) { seen << "capacity " + t; });
        QObject::connect(&r.shown, &LinkPresenter::progressVisibleChanged,
                         [&](bool v) { seen << QStringLiteral("bar %1").arg(int(v)); });
        QStringList all;
        for (const QString& step : steps) {
            if (step == "silent")
                r.module.setSilent(true);
            else if (step == "close")
                r.engine.messageClosed(r.messages.last());
            else if (step == "identify" ? r.engine.startIdentify() : r.engine.startRead())
                r.runUntilIdle(step == "cancel" ? 40 : 20000);
            if (step == "cancel")
                r.engine.cancelTransfer();
            all << (seen.isEmpty() ? "|" : seen.join(", ") + " |");
            seen.clear();
        }
        QCOMPARE(all.join(QLatin1Char(' ')), shown);
    }

    void startersRefuseWhenBusy_data() {
        QTest::addColumn<int>("state");
        for (int s : {5, 6, 8, 9, 10, 12, 14, 15, 20, 23, 30, 33, 35, 38, 40, 42, 43})
            QTest::newRow(qPrintable(QString::number(s))) << s;
    }
    void startersRefuseWhenBusy() {
        QFETCH(int, state);
        Rig r;
        QVERIFY(reachLinkState(r.engine, r.module, state));
        r.module.clearSent();
        const bool barShown = r.shown.progressVisible();
        QVERIFY(!r.engine.startIdentify());
        QVERIFY(!r.engine.startRead());
        QVERIFY(!r.engine.startVerify());
        QVERIFY(!r.engine.startStore({1}));
        QVERIFY(!r.engine.startStatusPoll());
        QVERIFY(!r.engine.startExpansionStatusPoll());
        QVERIFY(!r.engine.prepareCommand({}));
        QCOMPARE(r.engine.linkState(), state);
        QVERIFY(r.module.sent().isEmpty());
        QCOMPARE(r.shown.progressVisible(), barShown);
    }

    // Every exchange, answered or not, rests only in named states between ticks.
    void onlyNamedStatesBetweenTicks() {
        for (bool silent : {false, true}) {
            for (int start = 0; start < 8; ++start) {
                Rig r(moduleWith(20));
                r.module.setSilent(silent);
                r.module.drop(Commands().after(3).times(2));
                const bool started = start == 0   ? r.engine.startIdentify()
                                     : start == 1 ? r.engine.startRead()
                                     : start == 2 ? r.engine.startVerify()
                                     : start == 3 ? r.engine.startStore({1, 2, 3, 4, 5})
                                     : start == 4 ? r.engine.startStatusPoll()
                                     : start == 5 ? r.engine.startExpansionStatusPoll()
                                     : start == 6 ? r.engine.prepareCommand("@E\0\0\1\1*")
                                                  : r.engine.requestSimulationFrame();
                QVERIFY(started);
                for (int state : r.statesOver(800))
                    QVERIFY2(isRestingLinkState(state), qPrintable(QString::number(state)));
            }
        }
    }

    void messageTexts() {
        // One row per message the user can get, with the wording and box kind they must see.
        const QList<std::tuple<Msg, QString, bool>> expected{
            {Msg::VersionWarning,
             QStringLiteral(
                 "Tento SW nelze použít pro konfiguraci, aktualizujte funkci Stavníka na V3.0!"),
             true},
            {Msg::ReadError, QStringLiteral("Chyba čtení dat !"), true},
            {Msg::WriteError, QStringLiteral("Chyba zapisu dat !"), true},
            {Msg::VerifyEqual, QStringLiteral("Data v modulu jsou shodná"), false},
            {Msg::VerifyDifferent, QStringLiteral("Data v modulu jsou rozdílná !"), false}};
        for (const auto& [m, text, warning] : expected) {
            QCOMPARE(linktexts::messageText(m), text);
            QCOMPARE(linktexts::isWarning(m), warning);
        }
        using Where = TransferFailure::Where;
        const auto byteFailure = [](int address, int attempts) {
            TransferFailure f;
            f.where = Where::Byte;
            f.address = address;
            f.attempts = attempts;
            return f;
        };
        QCOMPARE(linktexts::failureText(byteFailure(1234, 3)),
                 QStringLiteral("Adresa 1234 (04D2): cesta 45, bajt 2 bloku cesty. Pokusů: 3."));
        QCOMPARE(linktexts::failureText(byteFailure(243, 2)),
                 QStringLiteral("Adresa 243 (00F3): cesta 90, bajt 1 dvojice indexů. Pokusů: 2."));
    }

    void transferNotes_data() {
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("expected");
        const QString s = QStringLiteral("12,3");
        QTest::newRow("verify, equal")
            << linktexts::verifiedText(2243, 0, s) << "Ověřeno s modulem: 2243 bajtů, 12,3 s";
        QTest::newRow("verify, 1 byte differs")
            << linktexts::verifiedText(2243, 1, s)
            << "Data v modulu jsou rozdílná: liší se 1 bajt (ověřeno 2243 bajtů), 12,3 s";
        QTest::newRow("verify, 3 bytes differ")
            << linktexts::verifiedText(463, 3, s)
            << "Data v modulu jsou rozdílná: liší se 3 bajty (ověřeno 463 bajtů), 12,3 s";
        QTest::newRow("backup, fast link") << linktexts::backupNoteText(true)
                                           << "Obsah modulu se uloží do historie modulu (menu "
                                              "Přenos), odkud jej lze kdykoli obnovit. S rychlou "
                                              "linkou to trvá asi o 21 s déle.";
        QTest::newRow("backup, normal pace") << linktexts::backupNoteText(false)
                                             << "Obsah modulu se uloží do historie modulu (menu "
                                                "Přenos), odkud jej lze kdykoli obnovit. Bez "
                                                "rychlé linky to trvá asi o 45 s déle.";
    }
    void transferNotes() {
        QFETCH(QString, note);
        QFETCH(QString, expected);
        QCOMPARE(note, expected);
    }

    void floodIsDropped() {
        Rig r;
        r.module.setSilent(true);
        QVERIFY(r.engine.startIdentify());
        const int discards = r.module.discards();
        r.module.inject(QByteArray(101, 'S'));
        r.engine.tick();
        QCOMPARE(r.module.discards(), discards + 1);
        // Nothing of the flood is left to spoil the answer that follows.
        r.module.inject("S0*");
        r.engine.tick();
        QCOMPARE(r.shown.versionText(), QStringLiteral("V 3.0"));
    }

    // A timer that fell behind delivers its missed periods at once (Windows): one tick of them.
    void lateTimerPeriodsAreOneTick() {
        Rig r;
        LinkDriver driver(r.engine, r.module);
        QSignalSpy ticks(&driver, &LinkDriver::ticked);
        auto* timer = driver.findChild<QTimer*>(QStringLiteral("Timer1"));
        const auto period = [timer] {
            QTimerEvent e(timer->timerId());
            QCoreApplication::sendEvent(timer, &e);
        };
        driver.setTickInterval(4);
        driver.start();
        period();
        period();
        period();
        QCOMPARE(ticks.count(), 1);
        QThread::msleep(3);
        period();
        QCOMPARE(ticks.count(), 2);
    }
};

QTEST_GUILESS_MAIN(LinkEngineTest)
#include "link_engine.moc"
