#pragma once

#include <QtGlobal>

#include <functional>

// Why a transfer never takes a stray reply for a fresh one.
//
// Read, write and capacity replies carry no address: a late answer, a reply the module sent
// twice or two bytes of line noise ending in "*" look exactly like the answer to whatever was
// sent next, and taken for it they shift every later byte by one address. So:
// - Every transfer starts on a quiet line: what waits is discarded, and the first command goes
//   out only after a reply window without a byte.
// - A window is taken only when it holds exactly one whole reply. One that stays silent is tried
//   again (three attempts a byte) once the line has been quiet for a reply window. The answer
//   that missed its window may still come, even after later answers: once the byte is taken,
//   the line must stay quiet for ten reply windows before the probe closes the block, so that
//   such a straggler lands in the wait and is thrown away instead of being taken for a byte.
// - The bytes go in blocks, each closed by a probe: the identify command, whose answer is the
//   same every time and cannot pass for a byte's reply. A shifted reply pushes a byte's answer
//   into the probe's window, so a probe answered by anything else than the module's identify
//   answer means the block is not trusted: after a quiet line it is done again. So is a block
//   in which a window held more or other bytes than one reply (a stray reply may have shifted
//   the bytes before it). A block that keeps going wrong ends in the error box.
// - The capacity is asked until two answers agree; a store reads back what it wrote.
// - No reply can come sooner than its command and its own bytes take on the wire. Each arrival is
//   timed, so a reply that comes sooner is stray, and the block is done again. A stray reply taken
//   for a byte shifts every later one, and in a shifted stream every reply comes early: the shift
//   is caught wherever it starts, even when a lost reply further on would line it up again
//   before the probe.
//   A line that delivers quicker than the wire (a virtual module) has shown it with a proven answer
//   that came too soon to have crossed it; there timing judges nothing. So a block redone for an
//   early reply opens with a probe that times the line afresh.
// - Bytes thrown away while the line is waited quiet inside a block (a late answer, a stray)
//   may have lined up such a shift again: the block is done again, as after a wrong probe.
// What no rule can see is a value byte damaged with its "*" intact: the protocol has no check
// sum. A store's read-back catches it in what it wrote.
//
// This class keeps the clock of those rules: the reply window of the exchange in flight, how long
// the line has been quiet, and the quiet owed after a wrong turn before the next command may go.
// No port, no states: the link engine tells it what happened and asks what may be done.
class QuietLine {
public:
    // Bytes on the wire of one exchange, command and reply.
    static constexpr int kByteExchange = 9; // read, write, capacity: 7-byte command, 2-byte reply
    static constexpr int kIdentifyExchange = 12; // 8-byte command, reply of up to 4
    static constexpr int kStatusExchange = 12;   // 7-byte command, 5-byte reply

    QuietLine();

    // The interval of the owner's ticks. Waits are counted in ticks, but a reply window is never
    // shorter than its exchange takes on the wire plus a margin, so at a short clock a wait lasts
    // more ticks. 20 ms until set.
    void setTickInterval(int ms);
    // Milliseconds of a monotonic clock for windows measured in time (fast link).
    void setClock(std::function<qint64()> nowMs) { m_now = std::move(nowMs); }

    // Ticks a reply window lasts: the documented count, or more at a short clock.
    int lookTicks(int documentedTicks, int exchangeBytes) const;

    // A tick began; `arrived` when bytes came in its receive step.
    void ticked(bool arrived);
    // Bytes came between ticks.
    void arrived();
    // The awaited command went out: its window starts.
    void startWait();
    // One tick of the window; true when the window is over: after its ticks, or with `inTime`
    // after the time the module has been seen to take, plus a margin.
    bool windowTick(int documentedTicks, int exchangeBytes, bool inTime);
    // The reply just taken came sooner than its exchange takes on the wire: it is not the answer
    // to the command in flight. Otherwise its time is learned as the module's turnaround. Only
    // arrivals the port reported are timed; those a tick found may have come any time since
    // the last tick.
    bool replyEarly(int exchangeBytes);
    // A proven answer (the identify answer, which no other reply can pass for) came: a line
    // quicker than 9600 baud (a virtual module delivering at once) shows in how long it took, and
    // no reply is then held early: one slow answer on a busy machine does not make it the wire.
    void provenReply(int exchangeBytes);
    // Milliseconds a fast reply window lasts for this exchange: the wire time plus the longest
    // turnaround seen lately, and a margin.
    double fastWindowMs(int exchangeBytes) const;
    // Bytes came since the last attempt went wrong or the last byte was taken: when the line is
    // then waited quiet, they are thrown away.
    bool heardSinceRestart() const { return m_heardSinceRestart; }
    // Ticks since the awaited command went out, counting this one.
    int countWait() { return ++m_waited; }
    // A byte came since the awaited command went out.
    bool heard() const { return m_heard; }

    // The first command for a byte goes out: how long the byte takes is counted from here.
    void startByte() { m_byteTicks = 0; }

    // Whether a command may go out after the line has been quiet long enough.
    enum class Readiness { Ready, Waiting, GaveUp };
    // Quiet for `windowTicks`: Ready; Waiting; or GaveUp when it stayed busy for ten windows.
    Readiness quietFor(int windowTicks);
    // The same for a transfer's next command, with the quiet owed after a wrong turn; once
    // Ready the line is settled.
    Readiness settleFor(int windowTicks);
    // No wrong turn is being waited out.
    bool settled() const { return !m_unsettled && m_settleTicks == 0; }

    // An exchange ended without its reply taken: its answer may still come.
    void unsettle();
    // A transfer begins: on a quiet line, whatever came before.
    void startTransfer();
    // An attempt went wrong: the quiet is counted afresh.
    void restartQuiet();
    // A block went wrong: the line must stay quiet for as long as a straggler may come.
    void awaitStragglers();
    // Before a byte's last attempt: the line stays quiet until the byte has taken as long as at
    // the documented 20 ms clock, however short the clock. A busy machine has been seen to hold
    // the line's bytes in its serial driver for 150 ms, longer than two attempts take at a short
    // clock: the held answers then land in the wait and cost a redone block, not the transfer.
    void holdLastAttempt();
    // A byte that needed more than one attempt was taken: quiet for as long as a straggler may
    // come, or as this byte took when that was longer.
    void settleAfterByte();

private:
    int stragglerTicks() const;
    void noteArrival();
    void learnTurnaround(double extraMs);

    int m_tickMs = 20;
    std::function<qint64()> m_now;
    qint64 m_sentAt = 0;             // when the awaited command went out (windows in time)
    qint64 m_arrivedAt = 0;          // when the last byte came
    bool m_heard = false;            // a byte came since the awaited command went out
    bool m_arrivedSinceTick = false; // bytes came between ticks
    bool m_timed = false; // m_arrivedAt is when the port said they came, not a tick's time
    bool m_heardSinceRestart = false; // see heardSinceRestart()
    bool m_windowMissed = false;      // a window ended silent: its answer's time is still of use
    int m_waitBytes = 0;              // bytes on the wire of the exchange in flight
    // Turnaround beyond the wire time of the last replies, in ms: the fast windows follow it.
    static constexpr int kTurnarounds = 16;
    double m_turnaround[kTurnarounds] = {};
    int m_turnaroundNext = 0;
    double m_linePace = 1.0; // the quickest proven reply's time over its wire time, at most 1
    int m_waited = 0;        // ticks since the awaited command went out
    int m_quiet = 0;         // ticks without a byte arriving (or since an attempt went wrong)
    int m_quietWaited = 0;   // ticks a pending command has waited for the line to fall quiet
    int m_byteTicks = 0;     // ticks since the current byte's first command
    int m_settleTicks = 0;   // quiet ticks owed after a byte that needed several attempts
    // An exchange ended without its reply taken (time-out, stopped poll, failed transfer): its
    // answer may still come, so the next transfer starts on a quiet line.
    bool m_unsettled = false;
};
