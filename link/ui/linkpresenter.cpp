#include "link/ui/linkpresenter.h"

#include "link/linktexts.h"

LinkPresenter::LinkPresenter(LinkEngine& engine, QObject* parent)
    : QObject(parent), m_engine(engine),
      m_versionText(linktexts::versionText(engine.identifyReply())),
      m_capacityText(linktexts::capacityText(engine.reportedCapacity())),
      m_progressVisible(engine.transferRunning()) {
    connect(&engine, &LinkEngine::identifyReplyChanged, this,
            [this] { setVersionText(linktexts::versionText(m_engine.identifyReply())); });
    connect(&engine, &LinkEngine::capacityLearned, this,
            [this](int count) { setCapacityText(linktexts::capacityText(count)); });
    connect(&engine, &LinkEngine::transferStarted, this, [this] { setProgressVisible(true); });
    // A failure keeps the bar beside its box.
    connect(&engine, &LinkEngine::transferFinished, this, [this](TransferKind, bool ok) {
        if (ok)
            setProgressVisible(false);
    });
    connect(&engine, &LinkEngine::transferCancelled, this, [this] { setProgressVisible(false); });
    connect(&engine, &LinkEngine::messageDone, this, [this](LinkEngine::Message message) {
        const bool failed =
            message == LinkEngine::Message::ReadError || message == LinkEngine::Message::WriteError;
        if (failed && !m_engine.transferRunning())
            setProgressVisible(false);
    });
}

void LinkPresenter::setVersionText(const QString& text) {
    if (text == m_versionText)
        return;
    m_versionText = text;
    emit versionTextChanged(text);
}

void LinkPresenter::setCapacityText(const QString& text) {
    if (text == m_capacityText)
        return;
    m_capacityText = text;
    emit capacityTextChanged(text);
}

void LinkPresenter::setProgressVisible(bool visible) {
    if (visible == m_progressVisible)
        return;
    m_progressVisible = visible;
    emit progressVisibleChanged(visible);
}
