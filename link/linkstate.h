#pragma once

// What the link's next tick does. The numbers are the documented ones: gaps (1..3, 19, 28, 29,
// 34, 39, 41, above 43) do nothing when ticked; 7, 13, 18 and 24 exist only inside a tick. 4
// and 25..27 are this program's own: the wait for a quiet line before "Test comm" asks again,
// and the probe that closes every block of a transfer.
enum class LinkState : int {
    Idle = 0,
    IdentifySettle = 4,
    IdentifyWait1 = 5,
    IdentifyWait2 = 6,
    IdentifyTimedOut = 7,
    IdentCapacityWait1 = 8,
    IdentCapacityWait2 = 9,
    CapacitySend = 10,
    CapacityWait1 = 11,
    CapacityWait2 = 12,
    CapacityFailed = 13,
    ReadSend = 14,
    ReadWait1 = 15,
    ReadWait2 = 16,
    ReadWait3 = 17,
    ReadTimedOut = 18,
    WriteSend = 20,
    WriteWait1 = 21,
    WriteWait2 = 22,
    WriteWait3 = 23,
    WriteTimedOut = 24,
    ProbeSend = 25,
    ProbeWait1 = 26,
    ProbeWait2 = 27,
    StatusSend = 30,
    StatusWait1 = 31,
    StatusWait2 = 32,
    StatusLook = 33,
    ExpStatusSend = 35,
    ExpStatusWait1 = 36,
    ExpStatusWait2 = 37,
    ExpStatusLook = 38,
    PreparedSend = 40,
    SimulationSend = 42,
    SimulationWait = 43,
};

// The documented number of a state.
constexpr int stateNumber(LinkState state) {
    return static_cast<int>(state);
}

// Between the two states, both included.
constexpr bool stateWithin(LinkState state, LinkState first, LinkState last) {
    return state >= first && state <= last;
}
