#include "link/linkdialogs.h"

#include "data/hex.h"
#include "data/routegrid.h"
#include "link/storechoicedialog.h"
#include "link/transfers.h"
#include "widgets/messageboxes.h"

#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>

LinkDialogs::LinkDialogs(LinkEngine& engine, ConfigStore& store, const Widgets& widgets,
                         StoreChoiceDialog* storeChoice, QWidget* window)
    : QObject(window), m_engine(engine), m_store(store), m_w(widgets), m_storeChoice(storeChoice),
      m_window(window) {
    m_w.progressBar->setValue(m_engine.progress());
    m_w.progressBar->setVisible(m_engine.progressVisible());
    m_w.progressLabel->setVisible(m_engine.progressVisible());
    m_w.versionLabel->setText(m_engine.versionText());
    m_w.capacityLabel->setText(m_engine.capacityText());

    connect(&m_engine, &LinkEngine::progressChanged, m_w.progressBar, &QProgressBar::setValue);
    connect(&m_engine, &LinkEngine::progressVisibleChanged, m_w.progressBar, &QWidget::setVisible);
    connect(&m_engine, &LinkEngine::versionTextChanged, m_w.versionLabel, &QLabel::setText);
    connect(&m_engine, &LinkEngine::capacityTextChanged, m_w.capacityLabel, &QLabel::setText);
    connect(&m_engine, &LinkEngine::decoded, this, [this] { m_w.grid->fill(m_store); });
    connect(&m_engine, &LinkEngine::message, this, &LinkDialogs::queueMessage);
}

void LinkDialogs::tick() {
    // LBbar1 follows PBar1 at the next tick, not at once.
    m_w.progressLabel->setVisible(m_engine.progressVisible());
    m_engine.tick();
}

void LinkDialogs::testComm() {
    m_engine.startIdentify();
}

void LinkDialogs::readFromModule() {
    m_engine.startRead();
}

void LinkDialogs::verifyWithModule() {
    m_engine.startVerify();
}

void LinkDialogs::storeToModule() {
    const int route = m_w.grid->selectedRoute();
    if (m_storeChoice->exec() != QDialog::Accepted || !m_engine.isIdle())
        return;
    const auto addresses =
        transfers::storeAddresses(m_storeChoice->choice(), route, m_store.routeCapacity);
    if (!addresses) {
        // A capacity outside what a whole store may use: nothing is sent.
        warningBox(m_window, LinkEngine::messageText(LinkEngine::Message::WriteError));
        return;
    }
    m_engine.startStore(*addresses);
}

void LinkDialogs::queueMessage(LinkEngine::Message message) {
    if (m_pending.contains(message))
        return;
    m_pending.append(message);
    if (m_showQueued)
        return;
    m_showQueued = true;
    QMetaObject::invokeMethod(this, &LinkDialogs::showPending, Qt::QueuedConnection);
}

void LinkDialogs::showPending() {
    m_showQueued = false;
    // Boxes queued while one of these is open get their own queued call.
    const QList<LinkEngine::Message> batch = std::exchange(m_pending, {});
    for (LinkEngine::Message message : batch) {
        showBox(message);
        m_engine.messageClosed(message);
    }
}

void LinkDialogs::showBox(LinkEngine::Message message) {
    const QString text = LinkEngine::messageText(message);
    if (LinkEngine::isWarning(message)) {
        // A failed transfer says where, behind "Show Details...".
        const bool where =
            message == LinkEngine::Message::ReadError || message == LinkEngine::Message::WriteError;
        warningBox(m_window, text, QMessageBox::Ok,
                   where ? LinkEngine::failureText(m_engine.lastFailure()) : QString());
        return;
    }
    const bool listDifferences = message == LinkEngine::Message::VerifyDifferent;
    informationBox(m_window, text, QMessageBox::Ok,
                   listDifferences ? differencesText(m_engine.differences()) : QString());
}

QString LinkDialogs::differencesText(const std::vector<LinkEngine::ByteDifference>& differences) {
    QStringList lines;
    lines.reserve(static_cast<int>(differences.size()));
    for (const auto& d : differences)
        lines.append(QStringLiteral("%1  %2: data %3, modul %4")
                         .arg(toHex(static_cast<std::uint32_t>(d.address), 4),
                              transfers::describeAddress(d.address), toHex(d.imageValue, 2),
                              toHex(d.moduleValue, 2)));
    return lines.join(QLatin1Char('\n'));
}
