#include "link/linkrunner.h"

#include <QElapsedTimer>
#include <QEventLoop>

bool LinkRunner::run(const std::function<bool(LinkEngine&)>& start, int limitMs) {
    m_messages.clear();
    m_transferOk = false;
    m_ticks = 0;
    m_elapsedNs = 0;

    QList<LinkEngine::Message> fresh;
    const auto onMessage = QObject::connect(&m_engine, &LinkEngine::message,
                                            [&fresh](LinkEngine::Message m) { fresh.append(m); });
    const auto onFinished = QObject::connect(&m_engine, &LinkEngine::transferFinished,
                                             [this](TransferKind, bool ok) { m_transferOk = ok; });
    QElapsedTimer clock;
    clock.start();
    bool started = !m_cancelled && start(m_engine);
    bool done = !started || m_engine.isIdle();
    if (!done) {
        QEventLoop loop;
        const auto onTick = QObject::connect(&m_driver, &LinkDriver::ticked, [&] {
            ++m_ticks;
            // What a window does when the user presses OK, only without the wait.
            const QList<LinkEngine::Message> closing = std::exchange(fresh, {});
            for (LinkEngine::Message m : closing) {
                m_messages.append(m);
                m_engine.messageClosed(m);
            }
            if (m_hook)
                m_hook();
            if (m_engine.isIdle()) {
                done = true;
                loop.quit();
            } else if (limitMs >= 0 && clock.elapsed() > limitMs) {
                loop.quit();
            }
        });
        m_loop = &loop;
        m_driver.start();
        loop.exec();
        m_driver.stop();
        m_loop = nullptr;
        QObject::disconnect(onTick);
    }
    m_elapsedNs = clock.nsecsElapsed();
    QObject::disconnect(onMessage);
    QObject::disconnect(onFinished);
    return started && done;
}

void LinkRunner::cancel() {
    m_cancelled = true;
    m_engine.cancelTransfer();
    if (m_loop)
        m_loop->quit();
}
