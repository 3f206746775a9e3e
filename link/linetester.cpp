#include "link/linetester.h"

#include "link/protocol.h"
#include "link/quietline.h"
#include "link/transfers.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

using linediag::Exchange;
using linediag::Outcome;

LineTester::LineTester(BytePort& port, std::function<double()> nowMs, int tickMs)
    : m_port(port), m_now(std::move(nowMs)), m_tickMs(std::max(1, tickMs)) {}

void LineTester::start() {
    m_done.clear();
    m_reply.clear();
    m_capacity = 90;
    if (m_port.isOpen())
        m_port.discardInput();
    m_phase = Phase::Pause;
    m_until = m_now() + kWatchMs;
}

// Identify first (a module that never answers it ends the series early), then the capacity,
// then reads spread over the configuration it reports.
QByteArray LineTester::commandOf(int index) const {
    if (index < kIdentifies)
        return protocol::identifyCommand();
    if (index < kIdentifies + kCapacities)
        return protocol::capacityCommand();
    const int k = index - kIdentifies - kCapacities;
    const int last = transfers::lastConfigAddress(m_capacity);
    return protocol::readByteCommand(1 + static_cast<int>(qint64(last - 1) * k / (kReads - 1)));
}

// 0..23 ms more between exchanges, from a fixed sequence: a beat found in the arrivals is then
// the line's, not the pace of these commands.
double LineTester::pauseMs() {
    m_random ^= m_random << 13;
    m_random ^= m_random >> 17;
    m_random ^= m_random << 5;
    return m_random % 24;
}

void LineTester::send() {
    const QByteArray command = commandOf(exchangesDone());
    m_current = Exchange();
    m_current.commandBytes = static_cast<int>(command.size());
    m_kind = command.at(1);
    m_current.replyBytes = m_kind == 'G' ? 3 : 2;
    m_reply.clear();
    m_port.send(command);
    m_current.sentAtMs = m_now();
    m_phase = Phase::Wait;
    m_until = m_current.sentAtMs + kLostMs;
}

namespace {
// The length of the reply at the front of `b`: 0 while it may still be coming, -1 when its first
// byte cannot begin one.
int replyLength(const QByteArray& b, bool identify) {
    if (!identify)
        return b.size() < 2 ? 0 : b.at(1) == '*' ? 2 : -1;
    if (b.isEmpty())
        return 0;
    if (b.at(0) != 'S')
        return -1;
    if (b.size() >= 3 && b.at(2) == '*')
        return 3;
    if (b.size() < 4)
        return 0;
    return b.at(3) == '*' ? 4 : -1;
}
} // namespace

// Takes a reply of the awaited form from the front of the window; bytes before it that cannot
// begin one answered nothing.
void LineTester::waitForReply(const QByteArray& bytes, double now) {
    m_reply += bytes;
    int length = 0;
    while ((length = replyLength(m_reply, m_kind == 'G')) < 0) {
        m_reply.remove(0, 1);
        ++m_current.strayBytes;
    }
    if (length == 0)
        return;
    std::uint8_t count = 0;
    if (m_kind == 'M' && protocol::matchCapacity(m_reply, count) &&
        transfers::capacityAccepted(count))
        m_capacity = count;
    m_current.replyBytes = length;
    m_current.replyAtMs = now;
    m_current.strayBytes += static_cast<int>(m_reply.size()) - length;
    m_reply.clear();
    // The engine's reply windows: two ticks for identify and capacity, three for a byte.
    QuietLine line;
    line.setTickInterval(m_tickMs);
    const int window = m_kind == 'R' ? line.lookTicks(3, QuietLine::kByteExchange)
                                     : line.lookTicks(2, QuietLine::kIdentifyExchange);
    m_current.outcome =
        m_current.replyMs() <= window * m_tickMs ? Outcome::Answered : Outcome::Late;
    m_phase = Phase::Watch;
    m_until = now + kWatchMs;
}

void LineTester::finishExchange(double now) {
    if (m_phase == Phase::Wait) {
        m_current.outcome =
            m_reply.isEmpty() && m_current.strayBytes == 0 ? Outcome::Lost : Outcome::Wrong;
        m_current.strayBytes += static_cast<int>(m_reply.size());
    }
    m_done.push_back(m_current);
    m_phase = exchangesDone() >= exchangesPlanned() || moduleSilent() ? Phase::Done : Phase::Pause;
    m_until = now + pauseMs();
}

// Every identify went unanswered: there is no module to measure.
bool LineTester::moduleSilent() const {
    if (exchangesDone() != kIdentifies)
        return false;
    return std::none_of(m_done.begin(), m_done.end(),
                        [](const Exchange& e) { return e.replied(); });
}

bool LineTester::poll() {
    if (m_phase == Phase::Done)
        return false;
    const qint64 waiting = m_port.isOpen() ? m_port.bytesWaiting() : 0;
    const QByteArray bytes = waiting > 0 ? m_port.read(waiting) : QByteArray();
    const double now = m_now();
    switch (m_phase) {
    case Phase::Pause:
        // Between exchanges nothing should come: it belongs to the exchange before.
        if (!bytes.isEmpty() && !m_done.empty())
            m_done.back().strayBytes += static_cast<int>(bytes.size());
        if (now >= m_until)
            send();
        break;
    case Phase::Wait:
        waitForReply(bytes, now);
        if (m_phase == Phase::Wait && now >= m_until)
            finishExchange(now);
        break;
    case Phase::Watch:
        m_current.strayBytes += static_cast<int>(bytes.size());
        if (now >= m_until)
            finishExchange(now);
        break;
    case Phase::Done:
        break;
    }
    return m_phase != Phase::Done;
}

// ---- LineTestRun

LineTestRun::LineTestRun(BytePort& port, int tickMs, QObject* parent)
    : QObject(parent), m_timer(new QTimer(this)) {
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    m_tester = std::make_unique<LineTester>(
        port, [clock] { return clock->nsecsElapsed() / 1e6; }, tickMs);
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(1);
    connect(m_timer, &QTimer::timeout, this, [this] {
        const bool more = m_tester->poll();
        if (m_tester->exchangesDone() != m_reported) {
            m_reported = m_tester->exchangesDone();
            emit progress(m_reported, LineTester::exchangesPlanned());
        }
        if (!more) {
            m_timer->stop();
            emit finished();
        }
    });
}

LineTestRun::~LineTestRun() = default;

void LineTestRun::start() {
    m_reported = -1;
    m_tester->start();
    m_timer->start();
}

void LineTestRun::cancel() {
    if (!m_timer->isActive())
        return;
    m_timer->stop();
    emit finished();
}

std::vector<linediag::Exchange> LineTestRun::runToEnd() {
    QEventLoop loop;
    const auto done = connect(this, &LineTestRun::finished, &loop, &QEventLoop::quit);
    start();
    if (m_tester->running())
        loop.exec();
    disconnect(done);
    return m_tester->exchanges();
}
