// Arbitrary serial input, tick by tick, to the link engine in every state it can be in.
// The input is a script: a start byte picks the exchange, then each step is one control byte
// and up to 15 bytes that arrive before the next tick. Checked after every tick: the link state
// is one the engine may rest in, no command names an address outside the image or the store's
// address list, and only a completed read changes the image.

#include "link/linkengine.h"
#include "support/fakemodule.h"
#include "support/linkstates.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdlib>

namespace {
void check(bool ok) {
    if (!ok)
        std::abort();
}

void start(LinkEngine& e, ConfigStore& store, std::uint8_t how) {
    switch (how % 9) {
    case 0:
        e.startIdentify();
        break;
    case 1:
        e.startRead();
        break;
    case 2:
        e.startVerify();
        break;
    case 3: {
        std::vector<std::uint32_t> list;
        const int first = 1 + (how * 37) % 2400;
        for (int a = first; a < std::min(first + 1 + how % 64, image::kSize); ++a)
            list.push_back(static_cast<std::uint32_t>(a));
        e.startStore(list);
        break;
    }
    case 4:
        e.startStatusPoll();
        break;
    case 5:
        e.startExpansionStatusPoll();
        break;
    case 6:
        e.prepareCommand(QByteArray(1 + how % 12, static_cast<char>(how)));
        break;
    case 7:
        e.setSimulationData({how, 1, 2, 3, 4, 5, 6, 7});
        e.requestSimulationFrame();
        break;
    case 8:
        store.routeCapacity = how; // an unchecked capacity from "Test comm"
        e.startCapacityQuery();
        break;
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_linkengine";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    if (size < 1)
        return 0;

    ConfigStore store;
    for (int a = 0; a < image::kSize; ++a)
        store.image[static_cast<std::size_t>(a)] = static_cast<std::uint8_t>(a * 31);
    const Image before = store.image;
    FakeModule port;
    port.open(1);
    port.setSilent(true); // every byte comes from the input
    LinkEngine engine(store, port);
    bool readDone = false;
    QObject::connect(&engine, &LinkEngine::transferFinished,
                     [&](TransferKind t, bool ok) { readDone |= ok && t == TransferKind::Read; });
    QList<LinkEngine::Message> boxes;
    QObject::connect(&engine, &LinkEngine::message,
                     [&](LinkEngine::Message m) { boxes.append(m); });

    start(engine, store, data[0]);
    std::size_t i = 1;
    while (i < size) {
        const std::uint8_t control = data[i++];
        const std::size_t n = std::min<std::size_t>(control & 0x0F, size - i);
        port.inject(QByteArray(reinterpret_cast<const char*>(data + i), static_cast<int>(n)));
        i += n;
        if (control & 0x10) // the user closes whatever box is open
            for (LinkEngine::Message m : std::exchange(boxes, {}))
                engine.messageClosed(m);
        if ((control & 0xE0) == 0xE0) // another exchange is started between ticks
            start(engine, store, control);
        if ((control & 0xE0) == 0xC0) { // a test window stops its poll or the simulation
            engine.stopExpansionStatusPoll();
            engine.endSimulation();
        }
        engine.tick();
        check(isRestingLinkState(engine.linkState()));
        check(engine.progress() >= 0 && engine.progress() <= 100);
        if (!readDone)
            check(store.image == before);
    }
    for (const QByteArray& c : port.sent()) {
        if (c.size() == 7 && (c.at(1) == 'R' || c.at(1) == 'W')) {
            const int a = FakeModule::addressOf(c);
            check(a >= 1 && a < image::kSize);
        }
    }
    return 0;
}
