#include "link/ui/linkdialogs.h"

#include "data/hex.h"
#include "data/ui/routegrid.h"
#include "link/historyrecorder.h"
#include "link/linktexts.h"
#include "link/transfers.h"
#include "link/ui/storechoicedialog.h"
#include "widgets/messageboxes.h"

#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>

namespace {
const QString kStoreCancelled =
    QStringLiteral("Ukládání přerušeno. Do modulu se zapsalo %1 z %2 bajtů, data v modulu jsou "
                   "nyní zapsána jen zčásti. Uložte data do modulu znovu.");
const QString kStoreProofCancelled =
    QStringLiteral("Ukládání přerušeno při ověřování zpětným čtením. Do modulu se zapsalo všech "
                   "%1 bajtů, chybí jen jejich ověření. Ověřte data s modulem.");
const QString kReadCancelled = QStringLiteral("Čtení přerušeno, data se nezměnila.");
const QString kVerifyCancelled = QStringLiteral("Ověřování přerušeno.");
const QString kReadDone = QStringLiteral("Načteno z modulu: %1, %2 s");
constexpr int kNoteMs = 8000;

// "zbývá 42 s", "zbývá 1:05": the rest at the pace so far; nothing before the first byte.
QString timeLeftText(int done, int total, qint64 elapsedMs) {
    if (done < 1 || total <= done)
        return QString();
    const qint64 seconds = (elapsedMs * (total - done) / done + 999) / 1000;
    if (seconds < 60)
        return QStringLiteral("zbývá %1 s").arg(seconds);
    return QStringLiteral("zbývá %1:%2")
        .arg(seconds / 60)
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
} // namespace

LinkDialogs::LinkDialogs(LinkDriver& driver, ConfigStore& store, const Widgets& widgets,
                         StoreChoiceDialog* storeChoice, QWidget* window)
    : QObject(window), m_engine(driver.engine()), m_shown(m_engine), m_store(store), m_w(widgets),
      m_storeChoice(storeChoice), m_window(window) {
    m_w.progressBar->setValue(m_engine.progress());
    m_w.progressBar->setVisible(m_shown.progressVisible());
    m_w.progressLabel->setVisible(m_shown.progressVisible());
    m_w.versionLabel->setText(m_shown.versionText());
    m_w.capacityLabel->setText(m_shown.capacityText());

    // LBbar1 follows PBar1 at the next tick, not at once.
    connect(&driver, &LinkDriver::aboutToTick, this,
            [this] { m_w.progressLabel->setVisible(m_shown.progressVisible()); });
    connect(&driver, &LinkDriver::ticked, this, &LinkDialogs::showTransferControls);
    connect(&m_engine, &LinkEngine::progressChanged, m_w.progressBar, &QProgressBar::setValue);
    connect(&m_shown, &LinkPresenter::progressVisibleChanged, m_w.progressBar,
            &QWidget::setVisible);
    connect(&m_shown, &LinkPresenter::versionTextChanged, m_w.versionLabel, &QLabel::setText);
    connect(&m_shown, &LinkPresenter::capacityTextChanged, m_w.capacityLabel, &QLabel::setText);
    connect(&m_engine, &LinkEngine::message, this, &LinkDialogs::queueMessage);
    connect(&m_engine, &LinkEngine::transferStarted, this, &LinkDialogs::onTransferStarted);
    connect(&m_engine, &LinkEngine::transferFinished, this, &LinkDialogs::onTransferFinished);
    connect(&m_engine, &LinkEngine::transferCancelled, this, &LinkDialogs::onTransferCancelled);
    if (m_w.cancelButton) {
        connect(m_w.cancelButton, &QPushButton::clicked, this, &LinkDialogs::cancelRunning);
        // Esc as well, live only while the button is shown. Not the button's own shortcut:
        // that animates a click and cancels 100 ms later, bytes after the user asked to stop.
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), m_w.cancelButton);
        connect(escape, &QShortcut::activated, this, &LinkDialogs::cancelRunning);
    }
    m_contents.follow(m_engine, m_store);
    showTransferControls();
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
    const auto everything =
        transfers::storeAddresses(transfers::Everything, route, m_store.routeCapacity);
    const bool known = everything && m_contents.knows(*everything);
    m_storeChoice->setChangedOnlyAvailable(known);
    m_storeChoice->setSelectedRoute(route);
    m_storeChoice->setFastLink(m_engine.fastLink());
    m_storeChoice->setBackupFirst(!known);
    if (m_storeChoice->exec() != QDialog::Accepted || !m_engine.isIdle())
        return;
    if (m_storeChoice->backupFirst() && m_history &&
        !backupCanBeKept(history::probe(m_history->folder())))
        return;
    // The read keeps the module's contents in the history only: the screen stays as it is.
    if (m_storeChoice->backupFirst() && m_engine.startRead(false)) {
        m_storeAfterRead = route;
        return;
    }
    storeChosen(route);
}

bool LinkDialogs::backupCanBeKept(const history::WriteResult& result) {
    if (result.written())
        return true;
    warningBox(m_window, backupFailedText(result), QMessageBox::Ok, result.details);
    return false;
}

void LinkDialogs::storeChosen(int route) {
    const auto everything =
        transfers::storeAddresses(transfers::Everything, route, m_store.routeCapacity);
    auto addresses =
        transfers::storeAddresses(m_storeChoice->choice(), route, m_store.routeCapacity);
    if (m_storeChoice->choice() == transfers::ChangedOnly && everything)
        addresses = m_contents.changedAddresses(m_store.image, *everything);
    if (!addresses) {
        // A capacity outside what a whole store may use: nothing is sent.
        warningBox(m_window, linktexts::messageText(LinkEngine::Message::WriteError));
        return;
    }
    if (addresses->empty()) {
        informationBox(m_window, linktexts::kNothingToStoreText);
        return;
    }
    m_storeSize = static_cast<int>(addresses->size());
    m_engine.startStore(*addresses, m_storeChoice->verifyAfterStore());
}

void LinkDialogs::cancelRunning() {
    m_engine.cancelTransfer();
}

void LinkDialogs::portChanged() {
    m_contents.forget();
}

void LinkDialogs::onTransferStarted() {
    m_clock.start();
    if (m_w.timeLeftLabel)
        m_w.timeLeftLabel->clear();
    showTransferControls();
}

void LinkDialogs::showTransferControls() {
    const bool running = m_engine.transferRunning();
    if (m_w.cancelButton)
        m_w.cancelButton->setVisible(running);
    if (!m_w.timeLeftLabel)
        return;
    m_w.timeLeftLabel->setVisible(running);
    if (!running)
        return;
    // By the progress bar: a store's read-back is part of the way.
    m_w.timeLeftLabel->setText(timeLeftText(m_engine.progress(), 100, m_clock.elapsed()));
}

void LinkDialogs::onTransferFinished(TransferKind transfer, bool ok) {
    showTransferControls();
    if (m_storeAfterRead && transfer == TransferKind::Read) {
        const int route = *std::exchange(m_storeAfterRead, std::nullopt);
        // After the handlers of this read, so that the store is told apart from it.
        // By then the history has written the read's entry, or said why it could not.
        if (ok)
            QMetaObject::invokeMethod(
                this,
                [this, route] {
                    if (!m_history || backupCanBeKept(m_history->lastWrite()))
                        storeChosen(route);
                },
                Qt::QueuedConnection);
    }
    if (!ok)
        return;
    const QString seconds = QLocale(QLocale::Czech).toString(m_clock.elapsed() / 1000.0, 'f', 1);
    QString done;
    if (transfer == TransferKind::Store) {
        done = linktexts::storedText(m_engine.transfer().bytesDone(),
                                     m_engine.transfer().storeProven()) +
               QStringLiteral(", %1 s").arg(seconds);
        // The store sent the image as it was at its start; an edit made meanwhile is on screen
        // only.
        if (m_engine.transfer().sentImage() != m_store.image)
            done += QStringLiteral(". ") + linktexts::kChangedDuringStoreText;
    } else if (transfer == TransferKind::Verify) {
        done = linktexts::verifiedText(m_engine.transfer().bytesDone(),
                                       static_cast<int>(m_engine.transfer().differences().size()),
                                       seconds);
    } else {
        done = kReadDone.arg(linktexts::bytesText(m_engine.transfer().bytesDone()), seconds);
    }
    if (const QString fell = linktexts::fastFellBackNote(m_engine); !fell.isEmpty())
        done += QLatin1Char(' ') + fell;
    note(done);
}

void LinkDialogs::onTransferCancelled(TransferKind transfer, int bytesDone) {
    if (transfer == TransferKind::Read) {
        note(kReadCancelled);
        return;
    }
    if (transfer == TransferKind::Verify) {
        note(kVerifyCancelled);
        return;
    }
    // The write in flight may have been carried out: "N nebo N + 1".
    QString written = QString::number(bytesDone);
    if (m_engine.transfer().writeInFlight())
        written += QStringLiteral(" nebo %1").arg(bytesDone + 1);
    // The box comes after the handler that cancelled has returned, like every other box.
    const QString text = m_engine.transfer().writesComplete()
                             ? kStoreProofCancelled.arg(m_storeSize)
                             : kStoreCancelled.arg(written).arg(m_storeSize);
    QMetaObject::invokeMethod(
        this, [this, text] { informationBox(m_window, text); }, Qt::QueuedConnection);
}

void LinkDialogs::note(const QString& text) {
    if (m_w.statusBar)
        m_w.statusBar->showMessage(text, kNoteMs);
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
        if (message == LinkEngine::Message::VerifyDifferent)
            emit verifyDifferencesShown();
        m_engine.messageClosed(message);
    }
}

void LinkDialogs::showBox(LinkEngine::Message message) {
    const QString text = linktexts::messageText(message);
    if (linktexts::isWarning(message)) {
        // A failed transfer says where, behind "Show Details...".
        const bool where =
            message == LinkEngine::Message::ReadError || message == LinkEngine::Message::WriteError;
        warningBox(m_window, text, QMessageBox::Ok,
                   where ? linktexts::failureText(m_engine.transfer().failure()) : QString());
        return;
    }
    const bool listDifferences = message == LinkEngine::Message::VerifyDifferent;
    informationBox(m_window, text, QMessageBox::Ok,
                   listDifferences ? m_differencesWriter(m_engine.transfer().differences())
                                   : QString());
}

QString LinkDialogs::differencesText(const std::vector<LinkEngine::ByteDifference>& differences) {
    QStringList lines;
    lines.reserve(static_cast<int>(differences.size()));
    for (const auto& d : differences)
        lines.append(QStringLiteral("%1  %2: data %3, modul %4")
                         .arg(toHex(static_cast<std::uint32_t>(d.address), 4),
                              linktexts::describeAddress(d.address), toHex(d.imageValue, 2),
                              toHex(d.moduleValue, 2)));
    return lines.join(QLatin1Char('\n'));
}
