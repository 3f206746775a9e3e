#pragma once

#include "data/configstore.h"
#include "data/history.h"
#include "link/linkdriver.h"
#include "link/linkengine.h"
#include "link/modulecontents.h"
#include "link/ui/linkpresenter.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>

#include <functional>

#include <optional>
#include <utility>
#include <vector>

class HistoryRecorder;
class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QWidget;
class RouteGrid;
class StoreChoiceDialog;

// The main window's side of the module link: the handlers of "Test comm" and the three transfer
// commands, and the engine's display at every tick (labels, progress bar, grid refill, boxes).
//
// A box opened inside the timer's slot would stop that timer until the box closes (Qt does not
// re-enter a blocked timer slot), and the module exchange must go on while a box is open. So the
// engine's messages are collected during the tick and shown from a queued call after it returns;
// what must follow a box (the capacity query after the version warning, hiding the progress bar
// after an error) runs when the box is closed.
class LinkDialogs : public QObject {
    Q_OBJECT
public:
    struct Widgets {
        QProgressBar* progressBar = nullptr;
        QLabel* progressLabel = nullptr;
        QLabel* versionLabel = nullptr;
        QLabel* capacityLabel = nullptr;
        RouteGrid* grid = nullptr;
        // Optional: shown only while a transfer runs (the time left, "Přerušit", which Esc
        // presses too).
        QLabel* timeLeftLabel = nullptr;
        QPushButton* cancelButton = nullptr;
        // Optional: where a finished transfer leaves its short note.
        QStatusBar* statusBar = nullptr;
    };

    // `window` parents the message boxes; the driver's engine is the one shown. All pointers
    // must outlive this object.
    LinkDialogs(LinkDriver& driver, ConfigStore& store, const Widgets& widgets,
                StoreChoiceDialog* storeChoice, QWidget* window);

    void testComm();
    void readFromModule();
    void verifyWithModule();
    void storeToModule();
    // "Přerušit" or Esc while a read, verify or store runs.
    void cancelRunning();
    // The serial port was changed: another module may be on the line now.
    void portChanged();

    // What this run knows the module holds.
    const ModuleContents& contents() const { return m_contents; }
    // The history that keeps the module's contents before a store that asks for it; without
    // one the backup read is not checked.
    void setHistory(const HistoryRecorder* history) { m_history = history; }

    // One line per differing byte, for the verify box's detailed text.
    static QString differencesText(const std::vector<LinkEngine::ByteDifference>& differences);
    // What the verify box's details say of the differing bytes; by default the bytes above.
    // The window that can say it in the words of the dialogs hands its own writer in.
    using DifferencesWriter =
        std::function<QString(const std::vector<LinkEngine::ByteDifference>&)>;
    void setDifferencesWriter(DifferencesWriter writer) { m_differencesWriter = std::move(writer); }

signals:
    // The box of a verify that found differences was closed; the engine still lists them.
    void verifyDifferencesShown();

private:
    void storeChosen(int route);
    // Says why the module's contents could not be kept, when they could not.
    bool backupCanBeKept(const history::WriteResult& result);
    void onTransferStarted();
    void onTransferFinished(TransferKind transfer, bool ok);
    void onTransferCancelled(TransferKind transfer, int bytesDone);
    void showTransferControls();
    void note(const QString& text);
    void queueMessage(LinkEngine::Message message);
    void showPending();
    void showBox(LinkEngine::Message message);

    LinkEngine& m_engine;
    LinkPresenter m_shown; // the labels' texts, the progress bar's visibility
    ConfigStore& m_store;
    Widgets m_w;
    StoreChoiceDialog* m_storeChoice;
    DifferencesWriter m_differencesWriter = &LinkDialogs::differencesText;
    QWidget* m_window;
    QList<LinkEngine::Message> m_pending;
    bool m_showQueued = false;
    ModuleContents m_contents;
    QElapsedTimer m_clock; // of the running transfer
    int m_storeSize = 0;   // entries of the store's address list
    // The route of a store that waits for the read that keeps the module's contents first.
    std::optional<int> m_storeAfterRead;
    const HistoryRecorder* m_history = nullptr;
};
