#pragma once

#include "data/configstore.h"
#include "editors/routevalues.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

// RouteEditor: edits one route in three tabs. It works on the store's edit copy only: showing
// loads the edit copy into the controls, and an accepted OK writes the controls back into it
// and closes with Accepted. Any other way out closes with Rejected and leaves the edit copy
// as it was. Created once and reused, so it reopens on the tab that was last in front.
class RouteEditor : public QDialog {
    Q_OBJECT
public:
    explicit RouteEditor(ConfigStore& store, QWidget* parent = nullptr);

    // Loads every control from the edit copy; runs on each showing.
    void FormShow();
    // Checks the route; on a refusal shows why and stays open, otherwise writes back and
    // closes with Accepted.
    void BtOK1Click();

    // Keep dependent controls usable only where they mean something; each runs whenever its
    // control's state really changes, whether by the user or by loading.
    void CheBsnNVenaClick();
    void CBsenzCESChange();
    void SEnav1Change();
    void SEnav2Change();
    void SEnav3Change();
    void SEkolejChange();
    void CBopakNav1Click();

    // What the controls hold right now.
    RouteEditValues values() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildButtonsTab();
    QWidget* buildPointsTab();
    QWidget* buildSignalsTab();
    void connectHandlers();
    void signalChanged(int k);
    void descriptionEdited(const QString& text);
    void commitTypedValues();

    ConfigStore& m_store;
    QString m_descriptionBefore; // what TXTnazev1 held before the user's latest edit

    // Controls; each carries its name as objectName.
    QTabWidget* PageC1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QPushButton* BtOK1 = nullptr;
    QPushButton* Button1 = nullptr;

    QSpinBox* SEtlac1 = nullptr;
    QSpinBox* SEtlac2 = nullptr;
    QCheckBox* ChBcestaENA = nullptr;
    QCheckBox* ChBposunENA = nullptr;
    QCheckBox* CBzabPosun = nullptr;
    QSpinBox* SEkolej = nullptr;
    QCheckBox* CBvjezd = nullptr;
    QCheckBox* Cb_DCCena = nullptr;
    QCheckBox* ChBzakazENA = nullptr;
    QCheckBox* CBtlRST1 = nullptr;
    QCheckBox* CBtlRST2 = nullptr;
    QLineEdit* TXTnazev1 = nullptr;
    std::array<QCheckBox*, 16> CBdet{};  // CBdet1..CBdet16
    std::array<QCheckBox*, 16> CBdetR{}; // CBdetR1..CBdetR16

    std::array<QGroupBox*, 16> RGvyh{};       // RGvyh1..RGvyh16
    std::array<QButtonGroup*, 16> m_points{}; // the entries of each RGvyh, ids 0..2
    std::array<QCheckBox*, 32> CBrele{};      // CBrele1..CBrele32

    QSpinBox* SEnav1 = nullptr;
    QSpinBox* SEnav2 = nullptr;
    QSpinBox* SEnav3 = nullptr;
    QComboBox* CBox1navest = nullptr;
    QComboBox* CBox2navest = nullptr;
    QComboBox* CBox3navest = nullptr;
    QCheckBox* CBopakNav1 = nullptr;
    QCheckBox* CBopakNav2 = nullptr;
    QCheckBox* CBopakNav3 = nullptr;
    QComboBox* CBox1navestREM = nullptr;
    QCheckBox* CheBsnNVena = nullptr;
    QComboBox* CBsenzNV = nullptr;
    QCheckBox* CheBsnCESena = nullptr;
    QComboBox* CBsenzCES = nullptr;
    QCheckBox* CBsnPOSUNena = nullptr;
};

// The grid's edit command without the grid: route n (1..90) goes into the edit copy, the
// editor is shown modally with the caption naming the route, and on OK the edit copy is copied
// back into route n and the route table packed into the image. Returns true only then; the
// caller refills the grid. Any other close, or a number outside the table, changes nothing.
bool editRoute(RouteEditor& form, ConfigStore& store, int n);
