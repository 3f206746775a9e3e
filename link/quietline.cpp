#include "link/quietline.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
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

double wireMs(int exchangeBytes) {
    return exchangeBytes * kByteMs + kMarginMs;
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
    m_heard = m_heard || arrived;
    m_quiet = arrived ? 0 : std::min(m_quiet + 1, kCountLimit);
    m_byteTicks = std::min(m_byteTicks + 1, kCountLimit);
}

void QuietLine::arrived() {
    m_quiet = 0;
    m_heard = true;
}

void QuietLine::startWait() {
    m_waited = 0;
    m_heard = false;
    m_sentAt = m_now();
}

bool QuietLine::windowTick(int documentedTicks, int exchangeBytes, bool inTime) {
    ++m_waited;
    if (inTime)
        return m_now() - m_sentAt >= static_cast<qint64>(wireMs(exchangeBytes));
    return m_waited >= lookTicks(documentedTicks, exchangeBytes);
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
}

void QuietLine::restartQuiet() {
    m_quiet = 0;
    m_quietWaited = 0;
}

void QuietLine::awaitStragglers() {
    unsettle();
    m_settleTicks = stragglerTicks();
    m_quietWaited = 0;
}

void QuietLine::settleAfterByte() {
    m_settleTicks = std::max(m_byteTicks, stragglerTicks());
    restartQuiet();
}

int QuietLine::stragglerTicks() const {
    return kStragglerWindows * lookTicks(3, kByteExchange);
}
