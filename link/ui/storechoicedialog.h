#pragma once

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

// TDlgStore1: what "Uložit data do modulu" sends. Lives for the whole run, so the last choice
// stays selected. "Store" stays unavailable until an item is chosen: a store must never start
// with a list left over from an earlier one. After the three classic items comes a fourth, for
// storing only what changed.
class StoreChoiceDialog : public QDialog {
    Q_OBJECT
public:
    explicit StoreChoiceDialog(QWidget* parent = nullptr);

    // -1 until the user has chosen, else the index of the chosen item (transfers::StoreChoice).
    // Both buttons (and Esc) record it, so Cancel keeps it too.
    int choice() const { return m_choice; }

    // The last item, "pouze změněná data", can be chosen only while the module's contents are
    // known; when they are not, a previous choice of it is cleared.
    void setChangedOnlyAvailable(bool available);

    // "Ověřit zpětným čtením": the store reads back what it wrote. The user's change of it is
    // reported, so that it can be kept for the next run.
    bool verifyAfterStore() const;
    void setVerifyAfterStore(bool on);

    // "Nejdříve přečíst a uschovat obsah modulu": the store first reads the module into the
    // history, so that what it overwrites is never lost.
    bool backupFirst() const;
    void setBackupFirst(bool on);

    // The route "pouze vybranou cestu" would store, named in its item: "pouze vybranou cestu (7)".
    void setSelectedRoute(int route);
    // The backup's note tells how much longer it takes at the pace the link runs.
    void setFastLink(bool on);

    void reject() override;

signals:
    void verifyAfterStoreChanged(bool on);

private:
    // Button1Click: the radio group's index becomes the choice before the dialog closes.
    void recordChoice();

    int m_choice = -1;
    QGroupBox* m_group = nullptr;
    QButtonGroup* m_items = nullptr;
    QPushButton* m_storeButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QCheckBox* m_verifyBox = nullptr;
    QCheckBox* m_backupBox = nullptr;
    QLabel* m_backupNote = nullptr;
};
