#include "link/linkdriver.h"

#include "link/byteport.h"
#include "link/linkengine.h"

#include <QTimer>

LinkDriver::LinkDriver(LinkEngine& engine, BytePort& port, QObject* parent)
    : QObject(parent), m_engine(engine), m_port(port), m_timer(new QTimer(this)) {
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setTimerType(Qt::PreciseTimer); // one exchange per tick: a coarse timer loses ticks
    // A precise timer that fell behind on Windows delivers all the periods it missed at once;
    // ticks that close together would end a reply window before its reply could come.
    connect(m_timer, &QTimer::timeout, this, [this] {
        const qint64 halfPeriodNs = m_timer->interval() * 500'000LL;
        if (m_lastTimeout.isValid() && m_lastTimeout.nsecsElapsed() < halfPeriodNs)
            return;
        m_lastTimeout.start();
        tick();
    });
    setTickInterval(kDefaultTickMs);
    // Without fast link the engine ignores it and the ticks take the bytes.
    m_port.setArrivalHandler([this] { m_engine.dataArrived(); });
}

LinkDriver::~LinkDriver() {
    m_port.setArrivalHandler({});
}

void LinkDriver::setTickInterval(int ms) {
    m_timer->setInterval(ms);
    m_engine.setTickInterval(ms);
}

int LinkDriver::tickInterval() const {
    return m_timer->interval();
}

bool LinkDriver::running() const {
    return m_timer->isActive();
}

void LinkDriver::setFastLink(bool on) {
    m_engine.setFastLink(on);
}

bool LinkDriver::fastLink() const {
    return m_engine.fastLink();
}

void LinkDriver::start() {
    m_timer->start();
}

void LinkDriver::stop() {
    m_timer->stop();
}

void LinkDriver::tick() {
    emit aboutToTick();
    m_engine.tick();
    emit ticked();
}

void LinkDriver::run(const std::function<void()>& exchange, PortNeed need) {
    const bool open = m_port.reopenIfLost();
    if (!open)
        emit portOpenFailed();
    if (open || need == PortNeed::Optional)
        exchange();
}
