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
// against the one before. An entry can become the configuration on screen, be compared with
// it or with another entry, and be saved as a data file. Not modal.
class HistoryWindow : public QDialog {
    Q_OBJECT
public:
    struct Parts {
        const ConfigStore& store;
        DifferencesWindow& differences;
        // Makes the entry's data file the configuration on screen, as every replacement does:
        // asking about unsaved changes first, with no file to save back to afterwards.
        std::function<void(const QString& dataPath)> open;
    };
    HistoryWindow(const Parts& parts, QString folder, QWidget* parent = nullptr);
    ~HistoryWindow() override;

    // Lists the folder again.
    void refresh();

private:
    // The `count` entries selected, newest first; none (and the user told) for another count.
    QList<const history::Entry*> selectedEntries(int count);
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
