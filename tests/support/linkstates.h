#pragma once

#include "link/linkengine.h"
#include "support/fakemodule.h"

#include <set>

// The states an engine may rest in between ticks; the others are passed inside a tick, or never.
inline bool isRestingLinkState(int state) {
    static const std::set<int> resting{0,  4,  5,  6,  8,  9,  10, 11, 12, 14, 15,
                                       16, 17, 20, 21, 22, 23, 25, 26, 27, 30, 31,
                                       32, 33, 35, 36, 37, 38, 40, 42, 43};
    return resting.count(state) == 1;
}

// Brings an idle engine to `state` the way the program gets there: the starter of that exchange,
// then ticks, with the module silent; a transfer's capacity query and first probe are answered,
// its bytes are not. False for a state that no exchange rests in between ticks.
inline bool reachLinkState(LinkEngine& engine, FakeModule& module, int state) {
    using S = LinkState;
    const auto at = static_cast<LinkState>(state);
    const bool reading = stateWithin(at, S::ReadSend, S::ReadWait3);
    const bool writing = stateWithin(at, S::WriteSend, S::WriteWait3);
    module.setSilent(!reading && !writing);
    module.drop(FakeModule::Commands().after(reading ? 3 : 1)); // capacity twice, probe
    bool started = at == S::Idle;
    if (at == S::IdentifyWait1 || at == S::IdentifyWait2)
        started = engine.startIdentify();
    else if (at == S::IdentCapacityWait1 || at == S::IdentCapacityWait2)
        started = engine.startCapacityQuery();
    else if (stateWithin(at, S::CapacitySend, S::ReadWait3))
        started = engine.startRead();
    else if (writing || stateWithin(at, S::ProbeSend, S::ProbeWait2))
        started = engine.startStore({1});
    else if (stateWithin(at, S::StatusSend, S::StatusLook))
        started = engine.startStatusPoll();
    else if (stateWithin(at, S::ExpStatusSend, S::ExpStatusLook))
        started = engine.startExpansionStatusPoll();
    else if (at == S::PreparedSend)
        started = engine.prepareCommand({});
    else if (at == S::SimulationSend || at == S::SimulationWait)
        started = engine.requestSimulationFrame();
    for (int i = 0; started && i < 20 && engine.linkState() != state; ++i)
        engine.tick();
    return engine.linkState() == state;
}
