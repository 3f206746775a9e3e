#pragma once

#include "data/configstore.h"
#include "editors/headerconversion.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QWidget;

// PeripheralEditor: the module-wide settings of the image header (point machines, relays,
// detectors, occupancy indication, DCC). Created once and shown modally; every showing reloads
// from the image, and only OK writes back, and then only the header bytes it owns.
class PeripheralEditor : public QDialog {
    Q_OBJECT
public:
    explicit PeripheralEditor(ConfigStore& store, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildPointMachinePage();
    QWidget* buildRelayDelayPage();
    QWidget* buildRelay15And16Page();
    QWidget* buildDetectorPage();
    QWidget* buildIndicationPage();
    QWidget* buildDccPage();
    void connectHandlers();

    void FormShow();
    void SEdit1Change();
    void RGtyp1Click();
    void SEpulsVar1Change();
    void RGrele14Click();
    void RGrele15Click();
    void SEreleIND1Change();
    void CBsn1Click();
    void BtOK1Click();

    // The selectors follow their typed text, not only their value: a half-typed number outside
    // the range selects nothing, so no click can land in the wrong entry.
    void followPointMachineText();
    void followRelayText();
    void commitTypedText();
    periph::HeaderSettings readSettings() const;

    ConfigStore& m_store;
    periph::WorkingCopy m_work;
    int m_machine = 0; // point machine 1..8 being shown, 0 while SEdit1 stands for none
    int m_relay = 0;   // relay 9..12 being shown, 0 while SEreleIND1 stands for none
    bool m_loading = false;

    QTabWidget* PCntr1 = nullptr;
    QSpinBox* SEdit1 = nullptr;
    QLabel* LBvyh2 = nullptr;
    QGroupBox* RGtyp1 = nullptr;
    QButtonGroup* m_typeItems = nullptr;
    QSpinBox* SEpulsVar1 = nullptr;
    QSpinBox* SEdelayVYH = nullptr;
    QSpinBox* SEdelay = nullptr;
    QCheckBox* CBdccMode = nullptr;
    QGroupBox* RGrele14 = nullptr;
    QButtonGroup* m_relay15Items = nullptr;
    QSpinBox* SEnavestR14 = nullptr;
    QSpinBox* SEsenzorR14 = nullptr;
    QGroupBox* RGrele15 = nullptr;
    QButtonGroup* m_relay16Items = nullptr;
    QSpinBox* SEnavestR15 = nullptr;
    QSpinBox* SEsenzorR15 = nullptr;
    QCheckBox* CBinverzeDET = nullptr;
    QCheckBox* CBdetekceSN = nullptr;
    QCheckBox* CBinverzeDET2 = nullptr;
    QCheckBox* CBdetekceSN2 = nullptr;
    std::array<QCheckBox*, 4> CBrele{}; // CBrele9..CBrele12
    QSpinBox* SEreleIND1 = nullptr;
    std::array<std::array<QCheckBox*, 8>, 4> m_conditions{}; // CBsn, CBdet, CBsnR, CBdetR
    QCheckBox* CB_DCCenaGLOB = nullptr;
    QCheckBox* CB_DCCrstENA = nullptr;
    QSpinBox* SE_DCCaddr = nullptr;
    QPushButton* BtOK1 = nullptr;
    QPushButton* BtCancel1 = nullptr;
};
