#include "link_emu.h"

#include "data/codec.h"
#include "link/linkengine.h"
#include "link/linkrunner.h"
#include "link/linktexts.h"
#include "link/serialport.h"
#include "link/transfers.h"
#include "link/ui/linkpresenter.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace linke2e;
using Msg = LinkEngine::Message;

namespace {
constexpr int kTick = 5;
constexpr int kLimitMs = 60000;

// The real serial port, counting the attempts the engine makes again.
struct CountingPort : SerialBytePort {
    using SerialBytePort::SerialBytePort;
    int again = 0;
    void note(LinkNote what, int) override {
        again += what == LinkNote::Retry || what == LinkNote::BlockRedone;
    }
};

// The tool's side: store, real serial port, engine and the tick.
struct Tool {
    ConfigStore store;
    CountingPort port;
    LinkEngine engine{store, port};
    LinkDriver driver{engine, port};
    LinkRunner runner{driver};
    LinkPresenter shown{engine};

    explicit Tool(const QString& ini, bool fast = false) : port(ini) {
        QObject::connect(&engine, &LinkEngine::imageRead,
                         [this](const Image& read, int last) { store.takeModuleRead(read, last); });
        driver.setTickInterval(kTick);
        driver.setFastLink(fast);
    }
    bool open(const QString& device) { return port.openDevice(device); }
    bool run(const std::function<bool(LinkEngine&)>& start) { return runner.run(start, kLimitMs); }
    // A pseudo-terminal on a machine short of CPU has been seen to hold the commands for 150 ms,
    // longer than a byte's three attempts take at this clock: the exchange then fails as it must
    // (that byte, or silence), and a test of the end result runs it again while `lost` says so,
    // twice at most.
    bool runAgainIf(const std::function<bool(LinkEngine&)>& start,
                    const std::function<bool()>& lost) {
        bool started = run(start);
        for (int i = 0; i < 2 && started && lost(); ++i)
            started = run(start);
        return started;
    }
    bool runToTheEnd(const std::function<bool(LinkEngine&)>& start) {
        return runAgainIf(start, [this] {
            return !runner.transferOk() &&
                   engine.transfer().failure().where == TransferFailure::Where::Byte;
        });
    }
    bool unanswered(const QString& text) const { return text == QLatin1String("??"); }
};

bool sameBytes(const Image& a, const Image& b, int first, int last) {
    return std::equal(a.begin() + first, a.begin() + last + 1, b.begin() + first);
}
} // namespace

class LinkTransfersTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    int fileNo = 0;
    QString file(const char* stem) {
        return dir.filePath(QStringLiteral("%1-%2.txt").arg(QLatin1String(stem)).arg(++fileNo));
    }
    QString ini() { return dir.filePath(QStringLiteral("stavnikCFG.ini")); }

private slots:
    void identify_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("capacity");
        QTest::addColumn<bool>("warning");
        QTest::newRow("current firmware") << QStringList{} << "V 3.0"
                                          << "Max.cest:90" << false;
        QTest::newRow("revision letter")
            << QStringList{"--firmware", "3.0b", "--capacity", "100"} << "V 3.0b"
            << "Max.cest:100" << false;
        QTest::newRow("old firmware still gets asked its capacity")
            << QStringList{"--firmware", "2.5b", "--capacity", "64"} << "V 2.5b"
            << "Max.cest:64" << true;
    }
    void identify() {
        QFETCH(QStringList, args);
        QFETCH(QString, version);
        QFETCH(QString, capacity);
        QFETCH(bool, warning);
        EmulatorProcess emu;
        QVERIFY(emu.startFast(args));
        emu.holdOpen();
        Tool tool(ini());
        QVERIFY(tool.open(emu.device));
        QVERIFY(tool.runAgainIf([](LinkEngine& e) { return e.startIdentify(); },
                                [&] { return tool.unanswered(tool.shown.capacityText()); }));
        QCOMPARE(tool.shown.versionText(), version);
        QCOMPARE(tool.shown.capacityText(), capacity);
        QCOMPARE(tool.runner.messages(), warning ? QList<Msg>{Msg::VersionWarning} : QList<Msg>{});
    }

    void readThenVerify() {
        const ConfigStore module = randomConfig(21);
        const QString loaded = file("module");
        QVERIFY(writeConfig(loaded, module));
        EmulatorProcess emu;
        QVERIFY(emu.startFast({"--capacity", "20", "--load", loaded}));
        emu.holdOpen();
        Tool tool(ini());
        QVERIFY(tool.open(emu.device));

        QVERIFY(tool.runToTheEnd([](LinkEngine& e) { return e.startRead(); }));
        QVERIFY2(tool.runner.transferOk(),
                 qPrintable(linktexts::failureText(tool.engine.transfer().failure())));
        QVERIFY(tool.runner.messages().isEmpty());
        QCOMPARE(tool.store.routeCapacity, 20);
        QVERIFY(sameBytes(tool.store.image, module.image, 1, 703));
        QCOMPARE(tool.store.image[704], 0); // beyond the reported routes nothing is read
        RouteTable decoded;
        decodeCurrent(tool.store.image, decoded);
        QVERIFY(decoded == tool.store.routes);

        QVERIFY(tool.runToTheEnd([](LinkEngine& e) { return e.startVerify(); }));
        QCOMPARE(tool.runner.messages(), QList<Msg>{Msg::VerifyEqual});

        tool.store.image[0x123] ^= 0x5A;
        QVERIFY(tool.runToTheEnd([](LinkEngine& e) { return e.startVerify(); }));
        QCOMPARE(tool.runner.messages(), QList<Msg>{Msg::VerifyDifferent});
        QCOMPARE(int(tool.engine.transfer().differences().size()), 1);
        QCOMPARE(tool.engine.transfer().differences().front().address, 0x123);
        QCOMPARE(tool.engine.transfer().differences().front().moduleValue, module.image[0x123]);
    }

    void store_data() {
        QTest::addColumn<int>("choice");
        QTest::addColumn<int>("route");
        QTest::newRow("header") << int(transfers::HeaderOnly) << 1;
        QTest::newRow("all of 20 routes") << int(transfers::Everything) << 1;
        QTest::newRow("route 17") << int(transfers::SelectedRoute) << 17;
    }
    void store() {
        QFETCH(int, choice);
        QFETCH(int, route);
        const QString saved = file("saved");
        EmulatorProcess emu;
        QVERIFY(emu.startFast({"--capacity", "20", "--save", saved}));
        emu.holdOpen();
        Tool tool(ini());
        tool.store = randomConfig(22);
        QVERIFY(tool.open(emu.device));
        QVERIFY(tool.runAgainIf([](LinkEngine& e) { return e.startCapacityQuery(); },
                                [&] { return tool.unanswered(tool.shown.capacityText()); }));
        QCOMPARE(tool.store.routeCapacity, 20);
        const auto list =
            transfers::storeAddresses(choice, route, tool.store.routeCapacity).value();
        QVERIFY(tool.runToTheEnd([&list](LinkEngine& e) { return e.startStore(list); }));
        QVERIFY(tool.runner.transferOk());
        QVERIFY(emu.stop());

        ConfigStore module;
        QVERIFY(readConfig(saved, module));
        Image expected{};
        for (std::uint32_t a : list)
            expected[a] = tool.store.image[a];
        for (int a = 0; a < image::kConfigSize; ++a)
            QCOMPARE(module.image[a], expected[a]);
    }

    // Fault times in ticks: a byte's reply window lasts six at this clock. `retried`: the faults
    // leave the engine no way but to ask again.
    void faultsAreRetried_data() {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<bool>("fast");
        QTest::addColumn<bool>("retried");
        const auto ticks = [](int n) { return QString::number(n * kTick); };
        QTest::newRow("dropped replies")
            << QStringList{"--drop", "2%", "--seed", "3"} << false << true;
        QTest::newRow("late within the window")
            << QStringList{"--late", "5%", "--late-ms", ticks(2), "--seed", "4"} << false << false;
        QTest::newRow("late beyond the window")
            << QStringList{"--late", "2%", "--late-ms", ticks(8), "--seed", "5"} << false << true;
        QTest::newRow("split replies")
            << QStringList{"--split", "10%", "--split-ms", ticks(1), "--seed", "6"} << false
            << false;
        // Fast link on a clean line: replies taken on arrival, byte for byte.
        QTest::newRow("fast link") << QStringList{} << true << false;
    }
    void faultsAreRetried() {
        QFETCH(QStringList, faults);
        QFETCH(bool, fast);
        QFETCH(bool, retried);
        const ConfigStore module = randomConfig(23);
        const QString loaded = file("module");
        const QString saved = file("saved");
        QVERIFY(writeConfig(loaded, module));
        EmulatorProcess emu;
        QVERIFY(emu.startFast(QStringList{"--capacity", "20", "--load", loaded, "--save", saved} +
                              faults));
        emu.holdOpen();
        Tool tool(ini(), fast);
        QVERIFY(tool.open(emu.device));
        QVERIFY(tool.runToTheEnd([](LinkEngine& e) { return e.startRead(); }));
        QVERIFY2(tool.runner.messages().isEmpty(),
                 qPrintable(linktexts::failureText(tool.engine.transfer().failure())));
        QVERIFY(sameBytes(tool.store.image, module.image, 1, 703));
        QVERIFY(!retried || tool.port.again > 0);

        // Write a different configuration back through the same faults.
        ConfigStore other = randomConfig(24);
        tool.store.image = other.image;
        const auto list = transfers::allAddresses(20);
        tool.port.again = 0;
        QVERIFY(tool.runToTheEnd([&list](LinkEngine& e) { return e.startStore(list); }));
        QVERIFY2(tool.runner.messages().isEmpty(),
                 qPrintable(linktexts::failureText(tool.engine.transfer().failure())));
        QVERIFY(!retried || tool.port.again > 0);
        QVERIFY(emu.stop());
        ConfigStore after;
        QVERIFY(readConfig(saved, after));
        QVERIFY(sameBytes(after.image, other.image, 1, 703));
        QVERIFY(sameBytes(after.image, module.image, 704, image::kConfigSize - 1));
    }

    void moduleFallsSilent_data() {
        QTest::addColumn<bool>("store");
        QTest::addColumn<int>("message");
        QTest::newRow("read") << false << int(Msg::ReadError);
        QTest::newRow("store") << true << int(Msg::WriteError);
    }
    void moduleFallsSilent() {
        QFETCH(bool, store);
        QFETCH(int, message);
        EmulatorProcess emu;
        QVERIFY(emu.startFast({"--silent-after", "150"}));
        emu.holdOpen();
        Tool tool(ini());
        tool.store = randomConfig(25);
        const Image before = tool.store.image;
        QVERIFY(tool.open(emu.device));
        const auto list = transfers::allAddresses(90);
        QVERIFY(
            tool.run([&](LinkEngine& e) { return store ? e.startStore(list) : e.startRead(); }));
        QCOMPARE(tool.runner.messages(), QList<Msg>{Msg(message)});
        QVERIFY(!tool.runner.transferOk());
        QVERIFY(tool.store.image == before);
        QVERIFY(!tool.shown.progressVisible());
        QCOMPARE(tool.engine.linkState(), 0);
    }

    void emulatorKilledMidTransfer() {
        const QString link = dir.filePath(QStringLiteral("ttySTV2"));
        auto emu = std::make_unique<EmulatorProcess>();
        QVERIFY(emu->startFast({"--link", link}));
        Tool tool(ini());
        tool.store = randomConfig(26);
        const Image before = tool.store.image;
        QVERIFY(tool.open(link));
        QTest::qWait(60);
        tool.runner.setTickHook([&] {
            if (tool.engine.progress() >= 13 && emu) // about byte 300
                emu.reset();                         // kills it
        });
        QVERIFY(tool.run([](LinkEngine& e) { return e.startRead(); }));
        tool.runner.setTickHook({});
        QCOMPARE(tool.runner.messages(), QList<Msg>{Msg::ReadError});
        QVERIFY(tool.store.image == before);

        // A new module on the same line; the port dialog's OK reopens it.
        EmulatorProcess again;
        QVERIFY(again.startFast({"--link", link, "--firmware", "3.1"}));
        QVERIFY(tool.open(link));
        QTest::qWait(60);
        QVERIFY(tool.runAgainIf([](LinkEngine& e) { return e.startIdentify(); },
                                [&] { return tool.unanswered(tool.shown.versionText()); }));
        QCOMPARE(tool.shown.versionText(), QStringLiteral("V 3.1"));
        QCOMPARE(tool.shown.capacityText(), QStringLiteral("Max.cest:90"));
    }
};

QTEST_MAIN(LinkTransfersTest)
#include "link_transfers.moc"
