#pragma once

#include "data/configstore.h"
#include "editors/headerconversion.h"

#include <QDialog>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QWidget;
class RadioGroup;
namespace Ui {
class PeripheralEditor;
}

// The module-wide settings of the image header (point machines, relays, detectors, occupancy
// indication, DCC); objectName TFormKonfVYH2, laid out in peripheraleditor.ui. Created once and
// shown modally; every showing reloads from the image. OK hands back the new header, which
// differs from the image's only in the bytes the dialog owns; the caller commits it.
class PeripheralEditor : public QDialog {
    Q_OBJECT
public:
    explicit PeripheralEditor(const ConfigStore& store, QWidget* parent = nullptr);
    ~PeripheralEditor() override;

    // Shows the dialog modally: the new header on OK, nothing otherwise.
    std::optional<HeaderBytes> edit();
    // The header the last OK gave.
    const HeaderBytes& header() const { return m_header; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void adoptFormControls();
    void setRanges();
    void addConditionBoxes();
    void connectHandlers();

    void loadFromImage();            // FormShow
    void showPointMachine();         // SEdit1Change
    void onMachineTypeChosen();      // RGtyp1Click
    void onPulseLengthChanged();     // SEpulsVar1Change
    void updateRelay15Boxes();       // RGrele14Click
    void updateRelay16Boxes();       // RGrele15Click
    void showIndicationConditions(); // SEreleIND1Change
    void onConditionToggled();       // CBsn1Click
    void onOkClicked();              // BtOK1Click

    // The selectors follow their typed text, not only their value: a half-typed number outside
    // the range selects nothing, so no click can land in the wrong entry.
    void followPointMachineText();
    void followRelayText();
    void commitTypedText();
    void showPointDelayAsHeld();
    void explainDccAddress();
    periph::HeaderSettings readSettings() const;

    const ConfigStore& m_store;
    std::unique_ptr<Ui::PeripheralEditor> m_ui;
    HeaderBytes m_header{};
    QString m_dccAddressHint; // the address box's own hint, before the explanation
    periph::WorkingCopy m_work;
    periph::HeaderSettings m_loaded; // as shown when the dialog was opened
    int m_machine = 0; // point machine 1..8 being shown, 0 while its selector stands for none
    int m_relay = 0;   // relay 9..12 being shown, 0 while its selector stands for none
    bool m_loading = false;
    bool m_showingMachine = false; // the machine's controls follow its entry, not the reverse

    // Each control carries its documented name as objectName.
    QTabWidget* m_tabs = nullptr;

    // Point machines.
    QSpinBox* m_machineBox = nullptr;
    QLabel* m_pairedMachineLabel = nullptr; // the machine n + 8 that shares the settings
    RadioGroup* m_machineTypeGroup = nullptr;
    QSpinBox* m_pulseLengthBox = nullptr;
    QSpinBox* m_pointDelayBox = nullptr;

    // Relays.
    QSpinBox* m_relayDelayBox = nullptr;
    QCheckBox* m_collisionGuardCheck = nullptr;
    RadioGroup* m_relay15ModeGroup = nullptr;
    QSpinBox* m_relay15SignalBox = nullptr;
    QSpinBox* m_relay15SensorBox = nullptr;
    RadioGroup* m_relay16ModeGroup = nullptr;
    QSpinBox* m_relay16SignalBox = nullptr;
    QSpinBox* m_relay16SensorBox = nullptr;

    // Detectors.
    QCheckBox* m_invertDetectors1Check = nullptr;
    QCheckBox* m_sensorsForDetectors1Check = nullptr;
    QCheckBox* m_invertDetectors2Check = nullptr;
    QCheckBox* m_sensorsForDetectors2Check = nullptr;

    // Occupancy indication of relays R9..R12.
    std::vector<QCheckBox*> m_indicatorChecks; // R9..R12
    QSpinBox* m_indicationRelayBox = nullptr;
    // Rows of the shown relay's conditions: local sensors, local detectors, remote sensors,
    // remote detectors; box k of a row is input k + 1.
    std::array<std::vector<QCheckBox*>, 4> m_conditionChecks;

    // DCC.
    QCheckBox* m_dccAcceptCheck = nullptr;
    QCheckBox* m_dccRouteResetCheck = nullptr;
    QSpinBox* m_dccAddressBox = nullptr;

    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
