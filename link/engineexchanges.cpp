// The link engine's short exchanges: "Test comm" and its capacity query, the status polls of
// the test windows, the prepared command and the simulation frames.
#include "link/linkengine.h"

using S = LinkState;

// ---- status polls, the prepared command, simulation

void LinkEngine::tickStatusSend() {
    m_rx.clear();
    send(protocol::statusCommand());
    startWait(S::StatusWait1);
}

void LinkEngine::tickExpStatusSend() {
    m_rx.clear();
    send(protocol::expansionStatusCommand());
    startWait(S::ExpStatusWait1);
}

void LinkEngine::tickStatusFirstWait() {
    m_line.countWait();
    advanceWait();
}

void LinkEngine::tickStatusLastWait() {
    // The reply is looked for once, in the last tick of the window.
    if (m_line.countWait() >= m_line.lookTicks(3, QuietLine::kStatusExchange) - 1)
        advanceWait();
}

void LinkEngine::tickStatusLook() {
    protocol::matchStatus(m_rx.bytes(), m_status);
    m_state = S::StatusSend;
}

void LinkEngine::tickExpStatusLook() {
    protocol::matchExpansionStatus(m_rx.bytes(), m_expStatus);
    m_state = S::ExpStatusSend;
}

void LinkEngine::tickPrepared() {
    // Unanswered: the receive buffer is left as it is.
    if (!m_prepared.isEmpty())
        send(m_prepared);
    m_state = S::Idle;
}

void LinkEngine::tickSimulationSend() {
    m_rx.clear();
    send(protocol::simulationFrame(m_simData));
    m_state = S::SimulationWait;
}

void LinkEngine::tickSimulationWait() {
    if (protocol::matchSimulation(m_rx.bytes(), m_simReply)) {
        ++m_simReply.replyCounter;
        m_rx.clear();
    }
}

// ---- identify

void LinkEngine::tickIdentify() {
    const bool last = waitTick(2, QuietLine::kIdentifyExchange);
    protocol::IdentifyReply reply;
    if (protocol::matchIdentify(m_rx.bytes(), reply)) {
        setIdentified(reply);
        if (reply.version >= 0x30) {
            sendIdentCapacityQuery();
            return;
        }
        // The capacity query waits until the warning is closed (messageClosed). The reply is
        // dropped so that its bytes cannot pass for a capacity reply meanwhile.
        m_rx.clear();
        startWait(S::IdentCapacityWait1);
        emit message(Message::VersionWarning);
        return;
    }
    if (!last)
        return;
    if (m_line.heard() && m_identifyTries < TransferProgress::kAttempts) {
        // Something else came first (answers still on their way from before): ask again on a
        // quiet line.
        ++m_identifyTries;
        m_line.restartQuiet();
        m_state = S::IdentifySettle;
        return;
    }
    m_identifyGarbled = m_line.heard();
    m_state = S::Idle;
    unsettle();
}

void LinkEngine::tickIdentifySettle() {
    switch (m_line.quietFor(m_line.lookTicks(2, QuietLine::kIdentifyExchange))) {
    case QuietLine::Readiness::Ready:
        m_rx.clear();
        send(protocol::identifyCommand());
        startWait(S::IdentifyWait1);
        return;
    case QuietLine::Readiness::GaveUp:
        m_identifyGarbled = true;
        m_state = S::Idle;
        unsettle();
        return;
    case QuietLine::Readiness::Waiting:
        return;
    }
}

void LinkEngine::tickIdentCapacity() {
    const bool last = waitTick(2, QuietLine::kByteExchange);
    std::uint8_t count = 0;
    if (protocol::matchCapacity(m_rx.bytes(), count)) {
        setCapacity(count);
        m_state = S::Idle;
        return;
    }
    if (last) {
        m_state = S::Idle;
        unsettle();
    }
}
