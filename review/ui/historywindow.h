#pragma once

#include "data/configstore.h"
#include "data/history.h"

#include <QDialog>

#include <functional>
#include <memory>

class DifferencesWindow;
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
        const ConfigStore& store;
        DifferencesWindow& differences;
        // Makes the entry's data file the configuration on screen, as every replacement does:
        // asking about unsaved changes first, with no file to save back to afterwards. False
        // when the configuration stayed as it was.
        std::function<bool(const QString& dataPath)> open;
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
