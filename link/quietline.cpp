#include "link/quietline.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>

namespace {
// 9600 baud, 8N1: ten bit times a byte.
constexpr double kByteMs = 10.0 * 1000.0 / 9600.0;
// On top of the wire time: the module's turnaround, and USB serial adapters, which hold received
// bytes for up to their latency timer (16 ms by default) before the PC sees any.
constexpr double kMarginMs = 20.0;
// Reply windows a command waits for a quiet line before that attempt counts as gone wrong.
constexpr int kQuietLimitWindows = 10;
// How late an answer may come and still be caught, in reply windows. An answer that missed its
// window may come this late (modules and emulators have been seen to answer eight windows late,
// and out of order), so after such a wrong turn the line must stay quiet this long before the
// transfer goes on: the straggler lands in the wait and is thrown away.
constexpr int kStragglerWindows = 10;
// Counters stop here instead of overflowing on a line left busy for weeks.
constexpr int kCountLimit = 1 << 20;
// The clock counts whole milliseconds: a reply is early only by more than that.
constexpr double kClockMs = 1.0;
// A proven answer that took less than this share of its wire time did not cross a 9600-baud
// line (a UART's clock is off by a few per cent at most): the line delivers at once, and how
// long a reply takes there is the machine's scheduling, not the wire's, so it tells nothing.
constexpr double kWirePace = 0.9;
// A byte's last attempt goes out this long after its first at the documented clock: ten ticks.
constexpr double kLastAttemptMs = 200.0;
// A fast window lasts this much past the longest turnaround seen lately: a module's turnaround
// wanders by a few ms, and a USB adapter's latency timer is caught by the longest one seen.
constexpr double kTurnaroundSlackMs = 8.0;

double bareWireMs(int exchangeBytes) {
    return exchangeBytes * kByteMs;
}

double wireMs(int exchangeBytes) {
    return bareWireMs(exchangeBytes) + kMarginMs;
}
} // namespace

QuietLine::QuietLine() {
    m_now = [clock = std::make_shared<QElapsedTimer>()] {
        if (!clock->isValid())
            clock->start();
        return clock->elapsed();
    };
}

void QuietLine::setTickInterval(int ms) {
    m_tickMs = std::max(1, ms);
}

int QuietLine::lookTicks(int documentedTicks, int exchangeBytes) const {
    return std::max(documentedTicks, static_cast<int>(std::ceil(wireMs(exchangeBytes) / m_tickMs)));
}

void QuietLine::ticked(bool arrived) {
    if (arrived) {
        noteArrival();
        m_timed = false; // found by the tick: sometime since the last one
    }
    // Bytes taken between ticks break the quiet as those of the tick's own receive step.
    const bool any = arrived || m_arrivedSinceTick;
    m_arrivedSinceTick = false;
    m_quiet = any ? 0 : std::min(m_quiet + 1, kCountLimit);
    m_byteTicks = std::min(m_byteTicks + 1, kCountLimit);
}

void QuietLine::arrived() {
    noteArrival();
    m_timed = true;
    m_quiet = 0;
    m_arrivedSinceTick = true;
}

void QuietLine::noteArrival() {
    m_arrivedAt = m_now();
    m_heard = true;
    m_heardSinceRestart = true;
    // The answer that missed its window tells how slow the module is now.
    if (m_windowMissed) {
        m_windowMissed = false;
        learnTurnaround(static_cast<double>(m_arrivedAt - m_sentAt) - bareWireMs(m_waitBytes));
    }
}

void QuietLine::startWait() {
    m_waited = 0;
    m_heard = false;
    m_windowMissed = false;
    m_sentAt = m_now();
}

bool QuietLine::windowTick(int documentedTicks, int exchangeBytes, bool inTime) {
    ++m_waited;
    m_waitBytes = exchangeBytes;
    const bool over = inTime ? m_now() - m_sentAt >= fastWindowMs(exchangeBytes)
                             : m_waited >= lookTicks(documentedTicks, exchangeBytes);
    m_windowMissed = over && !m_heard;
    return over;
}

bool QuietLine::replyEarly(int exchangeBytes) {
    const double took = static_cast<double>(m_arrivedAt - m_sentAt);
    // A line that delivers at once (a virtual module) gives timing nothing to tell by.
    if (m_timed && m_linePace >= kWirePace &&
        took + kClockMs < m_linePace * bareWireMs(exchangeBytes))
        return true;
    learnTurnaround(took - bareWireMs(exchangeBytes));
    return false;
}

void QuietLine::provenReply(int exchangeBytes) {
    if (!m_timed)
        return;
    const double took = static_cast<double>(m_arrivedAt - m_sentAt) + kClockMs;
    m_linePace = std::min(m_linePace, took / bareWireMs(exchangeBytes));
}

void QuietLine::learnTurnaround(double extraMs) {
    m_turnaround[m_turnaroundNext] = std::max(0.0, extraMs);
    m_turnaroundNext = (m_turnaroundNext + 1) % kTurnarounds;
}

double QuietLine::fastWindowMs(int exchangeBytes) const {
    const double longest = *std::max_element(std::begin(m_turnaround), std::end(m_turnaround));
    return bareWireMs(exchangeBytes) + std::max(kMarginMs, longest + kTurnaroundSlackMs);
}

QuietLine::Readiness QuietLine::quietFor(int windowTicks) {
    if (m_quiet >= windowTicks)
        return Readiness::Ready;
    // A line that never falls quiet is as good as no reply.
    if (++m_quietWaited > kQuietLimitWindows * windowTicks)
        return Readiness::GaveUp;
    return Readiness::Waiting;
}

QuietLine::Readiness QuietLine::settleFor(int windowTicks) {
    const Readiness r = quietFor(std::max(windowTicks, m_settleTicks));
    if (r == Readiness::Ready) {
        m_unsettled = false;
        m_settleTicks = 0;
        m_quietWaited = 0;
    }
    return r;
}

void QuietLine::unsettle() {
    m_unsettled = true;
    m_quiet = 0;
}

void QuietLine::startTransfer() {
    unsettle();
    m_settleTicks = 0;
    m_quietWaited = 0;
    // Another module may answer at another pace.
    std::fill(std::begin(m_turnaround), std::end(m_turnaround), 0.0);
    m_linePace = 1.0;
}

void QuietLine::restartQuiet() {
    m_quiet = 0;
    m_quietWaited = 0;
    m_heardSinceRestart = false;
}

void QuietLine::awaitStragglers() {
    unsettle();
    m_settleTicks = stragglerTicks();
    m_quietWaited = 0;
    m_heardSinceRestart = false;
}

void QuietLine::holdLastAttempt() {
    m_settleTicks =
        std::max(0, static_cast<int>(std::ceil(kLastAttemptMs / m_tickMs)) - m_byteTicks);
}

void QuietLine::settleAfterByte() {
    m_settleTicks = std::max(m_byteTicks, stragglerTicks());
    restartQuiet();
}

int QuietLine::stragglerTicks() const {
    return kStragglerWindows * lookTicks(3, kByteExchange);
}
