#pragma once

#include "data/configstore.h"
#include "data/history.h"

#include <QDialog>

#include <functional>
#include <memory>

class DifferencesWindow;
class QFileDialog;
class RouteGrid;
namespace Ui {
class HistoryWindow;
}

// "Historie modulu": the entries of the module history, newest first, each with what changed
// against the one before. An entry can become the configuration on screen, be stored into the
// module again, be compared with it or with another entry, and be saved as a data file. Not
// modal.
class HistoryWindow : public QDialog {
    Q_OBJECT
public:
    struct Parts {
        ConfigStore& store;
        RouteGrid& grid;
        QFileDialog& saveDialog; // for the unsaved-changes question
        DifferencesWindow& differences;
        // Whether the configuration may be replaced now (no transfer runs); says why not itself.
        std::function<bool()> mayReplace;
        // "Uložit data do modulu" with its usual store choice, for the configuration on screen.
        std::function<void()> storeToModule;
    };
    HistoryWindow(const Parts& parts, QString folder, QWidget* parent = nullptr);
    ~HistoryWindow() override;

    // Lists the folder again.
    void refresh();

private:
    // The `count` entries selected, newest first, with their bytes; none (and the user told)
    // for another count or an entry whose data file cannot be read.
    QList<const history::Entry*> selectedEntries(int count);
    // Puts the chosen entry on screen; false when it was not.
    bool placeEntry();
    void storeEntry();
    // `entry` against `base` in the differences window; only what the entry knows counts.
    void showComparison(const ConfigStore& base, const history::Entry& entry,
                        const QString& baseName, const QString& entryName);
    void openEntry();
    void compareWithScreen();
    void compareEntries();
    void saveEntryAs();

    std::unique_ptr<Ui::HistoryWindow> m_ui;
    Parts m_parts;
    QString m_folder;
    history::Listing m_listing;
};
