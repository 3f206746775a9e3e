#include "editors/peripheraleditor.h"

#include "editors/peripheraleditortexts.h"

#include "widgets/builders.h"
#include "widgets/controls.h"
#include "widgets/numberbox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <tuple>

using namespace periph;
using widgets::checkBox;
using widgets::numberBox;

namespace {

namespace text = peripheraltexts;

// A caption that hands the focus to the control it names when its mnemonic is used.
QLabel* buddyLabel(const QString& caption, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}

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

PeripheralEditor::PeripheralEditor(ConfigStore& store, QWidget* parent)
    : QDialog(parent), m_store(store) {
    setObjectName(QStringLiteral("TFormKonfVYH2"));
    setWindowTitle(text::kCaption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("PCntr1"));
    // All six captions stay in sight; the dialog grows to fit them instead of scrolling.
    m_tabs->setUsesScrollButtons(false);
    m_tabs->setElideMode(Qt::ElideNone);
    m_tabs->addTab(buildPointMachinePage(), text::kTabPoints);
    m_tabs->addTab(buildRelayDelayPage(), text::kTabRelays);
    m_tabs->addTab(buildRelay15And16Page(), text::kTabRelays1516);
    m_tabs->addTab(buildDetectorPage(), text::kTabDetectors);
    m_tabs->addTab(buildIndicationPage(), text::kTabIndication);
    m_tabs->addTab(buildDccPage(), text::kTabDcc);

    m_okButton = new QPushButton(text::kOk, this);
    m_okButton->setObjectName(QStringLiteral("BtOK1"));
    m_cancelButton = new QPushButton(text::kCancel, this);
    m_cancelButton->setObjectName(QStringLiteral("BtCancel1"));
    // Enter typed into a spin box must not press OK and rewrite the header behind the user.
    for (QPushButton* b : {m_okButton, m_cancelButton}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_machine = m_machineBox->value();
    m_relay = m_indicationRelayBox->value();
    connectHandlers();
}

QWidget* PeripheralEditor::buildPointMachinePage() {
    auto* page = new QWidget;
    m_machineBox =
        numberBox(QStringLiteral("SEdit1"), kMachineMin, kMachineMax, text::kMachineHint, page);
    m_pairedMachineLabel = widgets::label(QStringLiteral("LBvyh2"), text::kSecondMachine, page);
    m_pairedMachineLabel->setMinimumWidth(
        m_pairedMachineLabel->fontMetrics().horizontalAdvance(QStringLiteral("+16")) + 4);
    m_machineTypeGroup = new RadioGroup(QStringLiteral("RGtyp1"), text::kType, text::kTypes, 2,
                                        page, QStringLiteral("Item"));
    // This dialog's groups keep the style's margins, not the shared group's tighter ones.
    m_machineTypeGroup->layout()->unsetContentsMargins();
    m_machineTypeGroup->setToolTip(text::kTypeHint);
    m_pulseLengthBox =
        numberBox(QStringLiteral("SEpulsVar1"), kPulseMin, kPulseMax, text::kPulseHint, page);
    m_pulseLengthBox->setValue(7);
    m_pointDelayBox =
        numberBox(QStringLiteral("SEdelayVYH"), 0, kPointDelayMax, text::kPointDelayHint, page);
    m_pointDelayBox->setValue(2);
    // numberBox makes a NumberBox; its arrows skip the delays the module cannot hold.
    static_cast<NumberBox*>(m_pointDelayBox)->setStepper(pointDelayStep);

    auto* machine = new QHBoxLayout;
    machine->addWidget(buddyLabel(text::kMachine, m_machineBox, page));
    machine->addWidget(m_machineBox);
    machine->addWidget(m_pairedMachineLabel);
    machine->addStretch();

    auto* grid = new QGridLayout(page);
    grid->addLayout(machine, 0, 0, 1, 3);
    grid->addWidget(m_machineTypeGroup, 1, 0, 1, 3);
    grid->addWidget(buddyLabel(text::kPulse, m_pulseLengthBox, page), 2, 0);
    grid->addWidget(m_pulseLengthBox, 2, 1);
    grid->addWidget(buddyLabel(text::kPointDelay, m_pointDelayBox, page), 3, 0);
    grid->addWidget(m_pointDelayBox, 3, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(4, 1);
    return page;
}

QWidget* PeripheralEditor::buildRelayDelayPage() {
    auto* page = new QWidget;
    m_relayDelayBox =
        numberBox(QStringLiteral("SEdelay"), 0, kRelayDelayMax, text::kRelayDelayHint, page);
    m_relayDelayBox->setValue(1);
    m_collisionGuardCheck = checkBox(QStringLiteral("CBdccMode"), text::kCollision, page);

    auto* grid = new QGridLayout(page);
    grid->addWidget(buddyLabel(text::kRelayDelay, m_relayDelayBox, page), 0, 0);
    grid->addWidget(m_relayDelayBox, 0, 1);
    grid->addWidget(m_collisionGuardCheck, 1, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(2, 1);
    return page;
}

QWidget* PeripheralEditor::buildRelay15And16Page() {
    auto* page = new QWidget;
    auto modeGroup = [page](const QString& name, const QString& caption, const QStringList& modes) {
        auto* group = new RadioGroup(name, caption, modes, 1, page, QStringLiteral("Item"));
        group->layout()->unsetContentsMargins();
        return group;
    };
    m_relay15ModeGroup = modeGroup(QStringLiteral("RGrele14"), text::kRelay15, text::kModes15);
    m_relay15SignalBox =
        numberBox(QStringLiteral("SEnavestR14"), kSignalMin, kSignalMax, text::kSignalHint, page);
    m_relay15SensorBox =
        numberBox(QStringLiteral("SEsenzorR14"), kSensorMin, kSensorMax, text::kSensorHint, page);
    m_relay16ModeGroup = modeGroup(QStringLiteral("RGrele15"), text::kRelay16, text::kModes16);
    m_relay16SignalBox =
        numberBox(QStringLiteral("SEnavestR15"), kSignalMin, kSignalMax, text::kSignalHint, page);
    m_relay16SensorBox =
        numberBox(QStringLiteral("SEsenzorR15"), kSensorMin, kSensorMax, text::kSensorHint, page);

    auto* grid = new QGridLayout(page);
    int row = 0;
    for (auto [group, signal, sensor] :
         {std::tuple{m_relay15ModeGroup, m_relay15SignalBox, m_relay15SensorBox},
          std::tuple{m_relay16ModeGroup, m_relay16SignalBox, m_relay16SensorBox}}) {
        grid->addWidget(group, row, 0, 2, 1);
        grid->addWidget(buddyLabel(text::kSignal, signal, page), row, 1);
        grid->addWidget(signal, row, 2);
        grid->addWidget(buddyLabel(text::kSensor, sensor, page), row + 1, 1);
        grid->addWidget(sensor, row + 1, 2);
        row += 2;
    }
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(row, 1);
    return page;
}

QWidget* PeripheralEditor::buildDetectorPage() {
    auto* page = new QWidget;
    m_invertDetectors1Check = checkBox(QStringLiteral("CBinverzeDET"), text::kInvert1, page);
    m_sensorsForDetectors1Check = checkBox(QStringLiteral("CBdetekceSN"), text::kSensors1, page);
    m_invertDetectors2Check = checkBox(QStringLiteral("CBinverzeDET2"), text::kInvert2, page);
    m_sensorsForDetectors2Check = checkBox(QStringLiteral("CBdetekceSN2"), text::kSensors2, page);

    auto* column = new QVBoxLayout(page);
    for (QCheckBox* box : {m_invertDetectors1Check, m_sensorsForDetectors1Check,
                           m_invertDetectors2Check, m_sensorsForDetectors2Check})
        column->addWidget(box);
    column->addStretch();
    return page;
}

QWidget* PeripheralEditor::buildIndicationPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);

    auto* indicators = new QHBoxLayout;
    indicators->addWidget(new QLabel(text::kIndicators, page));
    m_indicatorChecks = widgets::numberedCheckBoxes(QStringLiteral("CBrele"), QStringLiteral("R"),
                                                    kRelayMin, kRelayMax - kRelayMin + 1, page);
    for (QCheckBox* box : m_indicatorChecks) {
        widgets::makeBold(box);
        indicators->addWidget(box);
    }
    indicators->addStretch();
    grid->addLayout(indicators, 0, 0, 1, 10);

    m_indicationRelayBox = numberBox(QStringLiteral("SEreleIND1"), kRelayMin, kRelayMax,
                                     text::kRelaySelectorHint, page);
    auto* selector = new QHBoxLayout;
    selector->addWidget(buddyLabel(text::kRelaySelector, m_indicationRelayBox, page));
    selector->addWidget(m_indicationRelayBox);
    selector->addStretch();
    grid->addLayout(selector, 1, 0, 1, 10);

    // Rows of condition boxes: local sensors and detectors under one caption, remote ones under
    // the other; "Definice podmínek" stands to their left.
    const int firstRow[4] = {3, 4, 6, 7};
    grid->addWidget(new QLabel(text::kLocalConditions, page), 2, 1, 1, 8);
    grid->addWidget(new QLabel(text::kRemoteConditions, page), 5, 1, 1, 8);
    for (std::size_t g = 0; g < m_conditionChecks.size(); ++g) {
        m_conditionChecks[g] = widgets::numberedCheckBoxes(text::kConditionNames[g],
                                                           text::kConditionCaptions[g], 1, 8, page);
        for (std::size_t k = 0; k < m_conditionChecks[g].size(); ++k)
            grid->addWidget(m_conditionChecks[g][k], firstRow[g], static_cast<int>(k) + 1);
    }
    auto* words = new QVBoxLayout;
    words->addStretch();
    words->addWidget(new QLabel(text::kDefinition, page));
    words->addWidget(new QLabel(text::kConditionsWord, page));
    words->addStretch();
    grid->addLayout(words, 3, 0, 5, 1);
    grid->setColumnStretch(9, 1);
    grid->setRowStretch(8, 1);
    return page;
}

QWidget* PeripheralEditor::buildDccPage() {
    auto* page = new QWidget;
    m_dccAcceptCheck = checkBox(QStringLiteral("CB_DCCenaGLOB"), text::kDccAccept, page);
    m_dccRouteResetCheck = checkBox(QStringLiteral("CB_DCCrstENA"), text::kDccReset, page);
    m_dccAddressBox = numberBox(QStringLiteral("SE_DCCaddr"), kDccAddressMin, kDccAddressMax,
                                text::kDccAddressHint, page);

    auto* grid = new QGridLayout(page);
    grid->addWidget(m_dccAcceptCheck, 0, 0, 1, 3);
    grid->addWidget(m_dccRouteResetCheck, 1, 0, 1, 3);
    grid->addWidget(buddyLabel(text::kDccAddress, m_dccAddressBox, page), 2, 0);
    grid->addWidget(m_dccAddressBox, 2, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);
    return page;
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
    writeHeader(m_store.image, m_work, readSettings(), m_loaded);
    accept();
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
    m_dccAddressBox->setToolTip(text::kDccAddressHint + QLatin1Char('\n') +
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
