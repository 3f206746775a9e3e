#include "editors/ui/peripheraleditor.h"

#include "ui_peripheraleditor.h"

#include "data/headerlabels.h"
#include "widgets/builders.h"
#include "widgets/controls.h"
#include "widgets/numberbox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>

#include <tuple>

using namespace periph;

namespace {

// The texts the code shows; the rest stand in the form.
namespace text {
// Under the hint: which accessory number each route answers to, for the box's value.
const QString kDccAddressExplained =
    QStringLiteral("Modul ukládá zadanou adresu + 3 (svůj formát adres DCC), tj. %1.\n"
                   "Cesta č. n odpovídá na příslušenství DCC s číslem n + %1 "
                   "(cesta 1 = %2), jak ukazuje sloupec DCC v tabulce cest.");
// objectName prefixes of the four rows of condition boxes, whose captions are the labels'.
const std::array<QString, 4> kConditionNames = {QStringLiteral("CBsn"), QStringLiteral("CBdet"),
                                                QStringLiteral("CBsnR"), QStringLiteral("CBdetR")};
} // namespace text

// The number the spin box's text stands for right now, or 0 when it stands for none in range.
// value() is no help here: it keeps the last valid number while the user is still typing.
int typedNumber(const QSpinBox* box) {
    bool ok = false;
    const int v = box->locale().toInt(box->cleanText(), &ok);
    return ok && v >= box->minimum() && v <= box->maximum() ? v : 0;
}

// Moves the selection to what the box's text stands for; says whether it moved.
bool followTypedText(const QSpinBox* box, int& selected) {
    const int n = typedNumber(box);
    if (n == selected)
        return false;
    selected = n;
    return true;
}

// A relay 15/16 mode other than "part of the route" watches a signal; BG switching also a sensor.
void enableForMode(const RadioGroup* modes, QSpinBox* signal, QSpinBox* sensor) {
    const int mode = relayModeCode(modes->itemIndex());
    signal->setEnabled(mode != 0);
    sensor->setEnabled(mode == 2);
}

} // namespace

PeripheralEditor::PeripheralEditor(const ConfigStore& store, QWidget* parent)
    : QDialog(parent), m_store(store), m_ui(std::make_unique<Ui::PeripheralEditor>()) {
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    adoptFormControls();
    setRanges();
    addConditionBoxes();
    m_pairedMachineLabel->setMinimumWidth(
        m_pairedMachineLabel->fontMetrics().horizontalAdvance(QStringLiteral("+16")) + 4);
    // This dialog's groups keep the style's margins, not the shared group's tighter ones.
    for (RadioGroup* group : {m_machineTypeGroup, m_relay15ModeGroup, m_relay16ModeGroup})
        group->layout()->unsetContentsMargins();
    // The form's NumberBox; its arrows skip the delays the module cannot hold.
    m_ui->SEdelayVYH->setStepper(pointDelayStep);
    m_dccAddressHint = m_dccAddressBox->toolTip();

    m_machine = m_machineBox->value();
    m_relay = m_indicationRelayBox->value();
    connectHandlers();
}

PeripheralEditor::~PeripheralEditor() = default;

void PeripheralEditor::adoptFormControls() {
    Ui::PeripheralEditor& ui = *m_ui;
    m_tabs = ui.PCntr1;
    m_machineBox = ui.SEdit1;
    m_pairedMachineLabel = ui.LBvyh2;
    m_machineTypeGroup = ui.RGtyp1;
    m_pulseLengthBox = ui.SEpulsVar1;
    m_pointDelayBox = ui.SEdelayVYH;
    m_relayDelayBox = ui.SEdelay;
    m_collisionGuardCheck = ui.CBdccMode;
    m_relay15ModeGroup = ui.RGrele14;
    m_relay15SignalBox = ui.SEnavestR14;
    m_relay15SensorBox = ui.SEsenzorR14;
    m_relay16ModeGroup = ui.RGrele15;
    m_relay16SignalBox = ui.SEnavestR15;
    m_relay16SensorBox = ui.SEsenzorR15;
    m_invertDetectors1Check = ui.CBinverzeDET;
    m_sensorsForDetectors1Check = ui.CBdetekceSN;
    m_invertDetectors2Check = ui.CBinverzeDET2;
    m_sensorsForDetectors2Check = ui.CBdetekceSN2;
    m_indicatorChecks = {ui.CBrele9, ui.CBrele10, ui.CBrele11, ui.CBrele12};
    m_indicationRelayBox = ui.SEreleIND1;
    m_dccAcceptCheck = ui.CB_DCCenaGLOB;
    m_dccRouteResetCheck = ui.CB_DCCrstENA;
    m_dccAddressBox = ui.SE_DCCaddr;
    m_okButton = ui.BtOK1;
    m_cancelButton = ui.BtCancel1;
}

// Each box starts at its lowest value, but for the defaults of a fresh module.
void PeripheralEditor::setRanges() {
    const std::tuple<QSpinBox*, int, int, int> ranges[] = {
        {m_machineBox, kMachineMin, kMachineMax, kMachineMin},
        {m_pulseLengthBox, kPulseMin, kPulseMax, 7},
        {m_pointDelayBox, 0, kPointDelayMax, 2},
        {m_relayDelayBox, 0, kRelayDelayMax, 1},
        {m_relay15SignalBox, kSignalMin, kSignalMax, kSignalMin},
        {m_relay15SensorBox, kSensorMin, kSensorMax, kSensorMin},
        {m_relay16SignalBox, kSignalMin, kSignalMax, kSignalMin},
        {m_relay16SensorBox, kSensorMin, kSensorMax, kSensorMin},
        {m_indicationRelayBox, kRelayMin, kRelayMax, kRelayMin},
        {m_dccAddressBox, kDccAddressMin, kDccAddressMax, kDccAddressMin}};
    for (const auto& [box, min, max, start] : ranges) {
        box->setRange(min, max);
        box->setValue(start);
    }
}

// Rows of condition boxes: local sensors and detectors under one caption, remote ones under
// the other; Tab reaches them after the relay selector.
void PeripheralEditor::addConditionBoxes() {
    const int firstRow[4] = {3, 4, 6, 7};
    QWidget* previous = m_indicationRelayBox;
    for (std::size_t g = 0; g < m_conditionChecks.size(); ++g) {
        m_conditionChecks[g] = widgets::numberedCheckBoxes(text::kConditionNames[g],
                                                           headerlabels::kConditionCaptions[g], 1,
                                                           8, m_ui->indicationPage);
        for (std::size_t k = 0; k < m_conditionChecks[g].size(); ++k) {
            QCheckBox* box = m_conditionChecks[g][k];
            m_ui->indicationGrid->addWidget(box, firstRow[g], static_cast<int>(k) + 1);
            QWidget::setTabOrder(previous, box);
            previous = box;
        }
    }
}

void PeripheralEditor::connectHandlers() {
    connect(m_machineBox, &QSpinBox::valueChanged, this, [this](int n) {
        m_machine = n;
        showPointMachine();
    });
    // The other number boxes re-show the point machine too, as they always have; showing the
    // same machine again changes nothing once the dialog is loaded.
    for (QSpinBox* box : {m_pointDelayBox, m_relayDelayBox, m_relay15SignalBox, m_relay15SensorBox,
                          m_relay16SignalBox, m_relay16SensorBox, m_dccAddressBox})
        connect(box, &QSpinBox::valueChanged, this, &PeripheralEditor::showPointMachine);
    connect(m_machineTypeGroup, &RadioGroup::itemChosen, this,
            &PeripheralEditor::onMachineTypeChosen);
    connect(m_pulseLengthBox, &QSpinBox::valueChanged, this,
            &PeripheralEditor::onPulseLengthChanged);
    // The module holds only some delays: a typed one shows, once left, as what will be stored.
    connect(m_pointDelayBox, &QSpinBox::editingFinished, this,
            &PeripheralEditor::showPointDelayAsHeld);
    connect(m_dccAddressBox, &QSpinBox::valueChanged, this, &PeripheralEditor::explainDccAddress);
    connect(m_relay15ModeGroup, &RadioGroup::itemChosen, this,
            &PeripheralEditor::updateRelay15Boxes);
    connect(m_relay16ModeGroup, &RadioGroup::itemChosen, this,
            &PeripheralEditor::updateRelay16Boxes);
    connect(m_indicationRelayBox, &QSpinBox::valueChanged, this, [this](int r) {
        m_relay = r;
        showIndicationConditions();
    });
    for (const auto& row : m_conditionChecks)
        for (QCheckBox* box : row)
            connect(box, &QCheckBox::toggled, this, &PeripheralEditor::onConditionToggled);
    connect(m_okButton, &QPushButton::clicked, this, &PeripheralEditor::onOkClicked);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    // valueChanged misses text that is out of range, and a text put back without a change of
    // value when the box is left; the editor's own signal sees both.
    auto* machineEdit = m_machineBox->findChild<QLineEdit*>();
    auto* relayEdit = m_indicationRelayBox->findChild<QLineEdit*>();
    connect(machineEdit, &QLineEdit::textChanged, this, &PeripheralEditor::followPointMachineText);
    connect(m_machineBox, &QSpinBox::editingFinished, this,
            &PeripheralEditor::followPointMachineText);
    connect(relayEdit, &QLineEdit::textChanged, this, &PeripheralEditor::followRelayText);
    connect(m_indicationRelayBox, &QSpinBox::editingFinished, this,
            &PeripheralEditor::followRelayText);
}

void PeripheralEditor::showEvent(QShowEvent* event) {
    // A window system restoring the dialog is no new showing and must not drop the user's edits.
    if (!event->spontaneous())
        loadFromImage();
    QDialog::showEvent(event);
}

void PeripheralEditor::loadFromImage() {
    commitTypedText();
    const Image& img = m_store.image;
    loadPointMachines(m_work, img);
    showPointMachine();
    loadConditions(m_work, img);

    const HeaderSettings s = settingsFromHeader(img);
    m_pointDelayBox->setValue(s.pointDelay);
    m_relayDelayBox->setValue(s.relayDelay);
    m_collisionGuardCheck->setChecked(s.collisionGuard);
    m_relay15ModeGroup->setItemIndex(s.relay15Mode);
    updateRelay15Boxes();
    m_relay15SignalBox->setValue(s.relay15Signal);
    m_relay15SensorBox->setValue(s.relay15Sensor);
    m_relay16ModeGroup->setItemIndex(s.relay16Mode);
    updateRelay16Boxes();
    m_relay16SignalBox->setValue(s.relay16Signal);
    m_relay16SensorBox->setValue(s.relay16Sensor);
    m_invertDetectors1Check->setChecked(s.invertDetectors1);
    m_sensorsForDetectors1Check->setChecked(s.sensorsForDetectors1);
    m_invertDetectors2Check->setChecked(s.invertDetectors2);
    m_sensorsForDetectors2Check->setChecked(s.sensorsForDetectors2);
    for (std::size_t r = 0; r < m_indicatorChecks.size(); ++r)
        m_indicatorChecks[r]->setChecked(s.indicator[r]);
    showIndicationConditions();
    m_dccAddressBox->setValue(s.dccAddress);
    m_dccAcceptCheck->setChecked(s.dccAccept);
    m_dccRouteResetCheck->setChecked(s.dccRouteReset);
    explainDccAddress();
    m_loaded = readSettings();
}

void PeripheralEditor::showPointMachine() {
    m_machineTypeGroup->setEnabled(m_machine != 0);
    if (m_machine == 0) {
        m_machineTypeGroup->setItemIndex(-1);
        onMachineTypeChosen();
        m_pairedMachineLabel->clear();
        return;
    }
    const auto n = static_cast<std::size_t>(m_machine - 1);
    // Showing is no edit: a type code above 3 or a pulse length of 0 stays in the entry until
    // the user picks a type or a length.
    m_showingMachine = true;
    m_machineTypeGroup->setItemIndex(typeItem(m_work.pointMachines[n]));
    m_pulseLengthBox->setValue(shownPulseLength(m_work.pointMachines[n]));
    m_showingMachine = false;
    m_pairedMachineLabel->setText(QStringLiteral("+") + QString::number(m_machine + 8));
}

void PeripheralEditor::onMachineTypeChosen() {
    const int item = m_machineTypeGroup->itemIndex();
    if (item >= 0 && m_machine != 0 && !m_showingMachine) {
        int& entry = m_work.pointMachines[static_cast<std::size_t>(m_machine - 1)];
        entry = withType(entry, item);
        // The length box comes into use showing 1 for a stored 0: 1 is what is stored then.
        if (item == 1)
            entry = withPulseLength(entry, m_pulseLengthBox->value());
    }
    m_pulseLengthBox->setEnabled(item == 1);
}

void PeripheralEditor::onPulseLengthChanged() {
    if (m_machine == 0 || m_showingMachine)
        return;
    int& entry = m_work.pointMachines[static_cast<std::size_t>(m_machine - 1)];
    entry = withPulseLength(entry, m_pulseLengthBox->value());
}

void PeripheralEditor::updateRelay15Boxes() {
    enableForMode(m_relay15ModeGroup, m_relay15SignalBox, m_relay15SensorBox);
}

void PeripheralEditor::updateRelay16Boxes() {
    enableForMode(m_relay16ModeGroup, m_relay16SignalBox, m_relay16SensorBox);
}

void PeripheralEditor::showIndicationConditions() {
    // Setting the boxes raises their click handler; without the flag it would store the
    // half-loaded boxes over the relay's entries.
    m_loading = true;
    const std::array<int, 4> masks = relayConditions(m_work, m_relay);
    for (std::size_t g = 0; g < m_conditionChecks.size(); ++g) {
        widgets::setCheckedMask(m_conditionChecks[g], static_cast<std::uint32_t>(masks[g]));
        for (QCheckBox* box : m_conditionChecks[g])
            box->setEnabled(m_relay != 0);
    }
    m_loading = false;
}

void PeripheralEditor::onConditionToggled() {
    if (m_loading || m_relay == 0)
        return;
    std::array<int, 4> masks{};
    for (std::size_t g = 0; g < m_conditionChecks.size(); ++g)
        masks[g] = static_cast<int>(widgets::checkedMask(m_conditionChecks[g]));
    setRelayConditions(m_work, m_relay, masks);
}

void PeripheralEditor::onOkClicked() {
    commitTypedText();
    Image written = m_store.image;
    writeHeader(written, m_work, readSettings(), m_loaded);
    m_header = headerOf(written);
    accept();
}

std::optional<HeaderBytes> PeripheralEditor::edit() {
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return m_header;
}

void PeripheralEditor::followPointMachineText() {
    if (followTypedText(m_machineBox, m_machine))
        showPointMachine();
}

void PeripheralEditor::followRelayText() {
    if (followTypedText(m_indicationRelayBox, m_relay))
        showIndicationConditions();
}

// Pressing OK leaves the box being typed into: its text counts, clamped into the range, as it
// would when focus moves on.
void PeripheralEditor::commitTypedText() {
    for (QSpinBox* box : findChildren<QSpinBox*>())
        box->interpretText();
    followPointMachineText();
    followRelayText();
}

void PeripheralEditor::showPointDelayAsHeld() {
    m_pointDelayBox->setValue(pointDelayHeld(m_pointDelayBox->value()));
}

void PeripheralEditor::explainDccAddress() {
    const int stored = m_dccAddressBox->value() + 3;
    m_dccAddressBox->setToolTip(m_dccAddressHint + QLatin1Char('\n') +
                                text::kDccAddressExplained.arg(stored).arg(stored + 1));
}

HeaderSettings PeripheralEditor::readSettings() const {
    HeaderSettings s;
    s.pointDelay = m_pointDelayBox->value();
    s.relayDelay = m_relayDelayBox->value();
    s.collisionGuard = m_collisionGuardCheck->isChecked();
    s.relay15Mode = m_relay15ModeGroup->itemIndex();
    s.relay15Signal = m_relay15SignalBox->value();
    s.relay15Sensor = m_relay15SensorBox->value();
    s.relay16Mode = m_relay16ModeGroup->itemIndex();
    s.relay16Signal = m_relay16SignalBox->value();
    s.relay16Sensor = m_relay16SensorBox->value();
    s.invertDetectors1 = m_invertDetectors1Check->isChecked();
    s.sensorsForDetectors1 = m_sensorsForDetectors1Check->isChecked();
    s.invertDetectors2 = m_invertDetectors2Check->isChecked();
    s.sensorsForDetectors2 = m_sensorsForDetectors2Check->isChecked();
    for (std::size_t r = 0; r < m_indicatorChecks.size(); ++r)
        s.indicator[r] = m_indicatorChecks[r]->isChecked();
    s.dccAddress = m_dccAddressBox->value();
    s.dccAccept = m_dccAcceptCheck->isChecked();
    s.dccRouteReset = m_dccRouteResetCheck->isChecked();
    return s;
}
