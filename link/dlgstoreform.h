#pragma once

#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QPushButton;
class QRadioButton;

// TDlgStore1: what "Uložit data do modulu" sends. Lives for the whole run, so the last choice
// stays selected. "Store" stays unavailable until an item is chosen: a store must never start
// with a list left over from an earlier one.
class TDlgStore1 : public QDialog {
    Q_OBJECT
public:
    explicit TDlgStore1(QWidget* parent = nullptr);

    // -1 until the user has chosen, else the index of the chosen item of RGtypcest1.
    int storeChoice() const { return m_storeChoice; }

    // Both buttons (and Esc) copy the radio group's index into the store choice first.
    void Button1Click();

    void reject() override;

private:
    int checkedIndex() const;

    int m_storeChoice = -1;
    QGroupBox* RGtypcest1 = nullptr;
    QButtonGroup* m_items = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
};
