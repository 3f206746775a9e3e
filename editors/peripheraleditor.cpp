#include "editors/peripheraleditor.h"

#include "widgets/numberbox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <tuple>

using namespace periph;

namespace {

// Every text this window shows.
namespace text {
const QString kCaption = QStringLiteral("Konfigurace přestavníků a funkce");
const QString kTabPoints = QStringLiteral("Přestavníky       ");
const QString kTabRelays = QStringLiteral(" Relé  1..14,17..32");
const QString kTabRelays1516 = QStringLiteral(" Relé 15,16 ");
const QString kTabDetectors = QStringLiteral("Snímače/det.");
const QString kTabIndication = QStringLiteral("Indikace obsaz.");
const QString kTabDcc = QStringLiteral("DCC");

const QString kMachine = QStringLiteral("přestavník");
const QString kMachineHint = QStringLiteral("Vyberte číslo přestavníku");
const QString kSecondMachine = QStringLiteral("+9");
const QString kType = QStringLiteral("Typ přestavníku");
const QString kTypeHint = QStringLiteral("Zvolte typ přestavníku");
const QStringList kTypes = {QStringLiteral("pulsní, 0.1sec"), QStringLiteral("pulsní, variab."),
                            QStringLiteral("motor (trvalý výst.)"),
                            QStringLiteral("pulsní, 0.3sec")};
const QString kPulse = QStringLiteral("Puls [x0.3s]");
const QString kPulseHint = QStringLiteral("Délka pulsu");
const QString kPointDelay = QStringLiteral("Prodleva mezi přestavníky [x 0.1 s]");
const QString kPointDelayHint = QStringLiteral("Délka prodlevy mezi stavěním");

const QString kRelayDelay = QStringLiteral("Zpoždění sepnutí relé [x 1 s]  (kromě R13,R14)");
const QString kRelayDelayHint = QStringLiteral("Prodleva sepnutí relé");
const QString kCollision = QStringLiteral("Ošetřit kolizi sepnutí relé při jízdě na stejnou kolej");

const QString kRelay15 = QStringLiteral("Relé 15");
const QString kRelay16 = QStringLiteral("Relé 16");
const QStringList kModes15 = {QStringLiteral("součástí definice cesty"),
                              QStringLiteral("zapnutí izol. úseku  (analog)"),
                              QStringLiteral("přepínání BG (DCC provoz)")};
const QStringList kModes16 = {QStringLiteral("součástí definice cesty"),
                              QStringLiteral("zapnutí izol. úseku "),
                              QStringLiteral("přepínání BG ")};
const QString kSignal = QStringLiteral("č. návěsti");
const QString kSignalHint = QStringLiteral("číslo návěsti pro detekci stavu VOLNO");
const QString kSensor = QStringLiteral("č. senzoru");
const QString kSensorHint = QStringLiteral("číslo senzorui pro detekci  vozidla");

const QString kInvert1 = QStringLiteral("Invertovat vstupy detektorů DET1..8 (L=volno)");
const QString kSensors1 = QStringLiteral("Místo detektorů DET1-8 kontrolovat  snímače SN1-8");
const QString kInvert2 = QStringLiteral("Invertovat vstupy detektorů DET9..16 (L=volno)");
const QString kSensors2 = QStringLiteral("Místo detektorů DET9-16 kontrolovat  snímače SN9-16");

const QString kIndicators = QStringLiteral("Aktivace INDIKATORU");
const QString kRelaySelector = QStringLiteral("č.relé");
const QString kRelaySelectorHint = QStringLiteral("Vyberte číslo relé");
const QString kLocalConditions = QStringLiteral("Indikace obsazení - lokální detektory/snímače");
const QString kRemoteConditions = QStringLiteral("Indikace obsazení - vzdálené detektory/snímače");
const QString kDefinition = QStringLiteral("Definice");
const QString kConditionsWord = QStringLiteral("podmínek");
// Caption prefixes (and objectName prefixes) of the four rows of condition boxes.
const std::array<QString, 4> kConditionCaptions = {QStringLiteral("S"), QStringLiteral("D"),
                                                   QStringLiteral("rS"), QStringLiteral("rD")};
const std::array<QString, 4> kConditionNames = {QStringLiteral("CBsn"), QStringLiteral("CBdet"),
                                                QStringLiteral("CBsnR"), QStringLiteral("CBdetR")};

const QString kDccAccept =
    QStringLiteral("Povolit příjem paketů DCC (pakety ovlád. příslušenství)");
const QString kDccReset = QStringLiteral("Povolit reset cesty přes DCC (povel   n+0)");
const QString kDccAddress = QStringLiteral("počáteční DCC adresa (formát LENZE,  max 1900)");
const QString kDccAddressHint = QStringLiteral("Nastavte bázovou adresu DCC");

const QString kOk = QStringLiteral("OK");
const QString kCancel = QStringLiteral("Cancel");
} // namespace text

QSpinBox* spinBox(QWidget* parent, const char* name, int min, int max, int value,
                  const QString& hint) {
    auto* box = new NumberBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(min, max);
    box->setValue(value);
    box->setToolTip(hint);
    // A typed number beyond the range becomes the nearest allowed one when the box is left.
    box->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    return box;
}

QCheckBox* checkBox(QWidget* parent, const QString& name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

// A titled group of radio buttons, filled column by column; the button ids are the item indices.
QGroupBox* radioGroup(QWidget* parent, const char* name, const QString& title,
                      const QStringList& items, int columns, QButtonGroup*& group) {
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(QLatin1String(name));
    group = new QButtonGroup(box);
    auto* grid = new QGridLayout(box);
    const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], box);
        button->setObjectName(QStringLiteral("%1Item%2").arg(QLatin1String(name)).arg(i));
        group->addButton(button, i);
        grid->addWidget(button, i % rows, i / rows);
    }
    return box;
}

void selectItem(QButtonGroup* group, int item) {
    if (QAbstractButton* button = group->button(item))
        button->setChecked(true);
}

void clearItems(QButtonGroup* group) {
    group->setExclusive(false);
    if (QAbstractButton* button = group->checkedButton())
        button->setChecked(false);
    group->setExclusive(true);
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
void enableForMode(const QButtonGroup* modes, QSpinBox* signal, QSpinBox* sensor) {
    const int mode = relayModeCode(modes->checkedId());
    signal->setEnabled(mode != 0);
    sensor->setEnabled(mode == 2);
}

QLabel* label(QWidget* parent, const QString& caption, QWidget* buddy = nullptr) {
    auto* l = new QLabel(caption, parent);
    if (buddy)
        l->setBuddy(buddy);
    return l;
}

} // namespace

PeripheralEditor::PeripheralEditor(ConfigStore& store, QWidget* parent)
    : QDialog(parent), m_store(store) {
    setObjectName(QStringLiteral("TFormKonfVYH2"));
    setWindowTitle(text::kCaption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    PCntr1 = new QTabWidget(this);
    PCntr1->setObjectName(QStringLiteral("PCntr1"));
    // All six captions stay in sight; the dialog grows to fit them instead of scrolling.
    PCntr1->setUsesScrollButtons(false);
    PCntr1->setElideMode(Qt::ElideNone);
    PCntr1->addTab(buildPointMachinePage(), text::kTabPoints);
    PCntr1->addTab(buildRelayDelayPage(), text::kTabRelays);
    PCntr1->addTab(buildRelay15And16Page(), text::kTabRelays1516);
    PCntr1->addTab(buildDetectorPage(), text::kTabDetectors);
    PCntr1->addTab(buildIndicationPage(), text::kTabIndication);
    PCntr1->addTab(buildDccPage(), text::kTabDcc);

    BtOK1 = new QPushButton(text::kOk, this);
    BtOK1->setObjectName(QStringLiteral("BtOK1"));
    BtCancel1 = new QPushButton(text::kCancel, this);
    BtCancel1->setObjectName(QStringLiteral("BtCancel1"));
    // Enter typed into a spin box must not press OK and rewrite the header behind the user.
    for (QPushButton* b : {BtOK1, BtCancel1}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtOK1);
    buttons->addWidget(BtCancel1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PCntr1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_machine = SEdit1->value();
    m_relay = SEreleIND1->value();
    connectHandlers();
}

QWidget* PeripheralEditor::buildPointMachinePage() {
    auto* page = new QWidget;
    SEdit1 = spinBox(page, "SEdit1", kMachineMin, kMachineMax, 1, text::kMachineHint);
    LBvyh2 = new QLabel(text::kSecondMachine, page);
    LBvyh2->setObjectName(QStringLiteral("LBvyh2"));
    LBvyh2->setMinimumWidth(LBvyh2->fontMetrics().horizontalAdvance(QStringLiteral("+16")) + 4);
    RGtyp1 = radioGroup(page, "RGtyp1", text::kType, text::kTypes, 2, m_typeItems);
    RGtyp1->setToolTip(text::kTypeHint);
    SEpulsVar1 = spinBox(page, "SEpulsVar1", kPulseMin, kPulseMax, 7, text::kPulseHint);
    SEdelayVYH = spinBox(page, "SEdelayVYH", 0, kPointDelayMax, 2, text::kPointDelayHint);

    auto* machine = new QHBoxLayout;
    machine->addWidget(label(page, text::kMachine, SEdit1));
    machine->addWidget(SEdit1);
    machine->addWidget(LBvyh2);
    machine->addStretch();

    auto* grid = new QGridLayout(page);
    grid->addLayout(machine, 0, 0, 1, 3);
    grid->addWidget(RGtyp1, 1, 0, 1, 3);
    grid->addWidget(label(page, text::kPulse, SEpulsVar1), 2, 0);
    grid->addWidget(SEpulsVar1, 2, 1);
    grid->addWidget(label(page, text::kPointDelay, SEdelayVYH), 3, 0);
    grid->addWidget(SEdelayVYH, 3, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(4, 1);
    return page;
}

QWidget* PeripheralEditor::buildRelayDelayPage() {
    auto* page = new QWidget;
    SEdelay = spinBox(page, "SEdelay", 0, kRelayDelayMax, 1, text::kRelayDelayHint);
    CBdccMode = checkBox(page, QStringLiteral("CBdccMode"), text::kCollision);

    auto* grid = new QGridLayout(page);
    grid->addWidget(label(page, text::kRelayDelay, SEdelay), 0, 0);
    grid->addWidget(SEdelay, 0, 1);
    grid->addWidget(CBdccMode, 1, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(2, 1);
    return page;
}

QWidget* PeripheralEditor::buildRelay15And16Page() {
    auto* page = new QWidget;
    RGrele14 = radioGroup(page, "RGrele14", text::kRelay15, text::kModes15, 1, m_relay15Items);
    SEnavestR14 = spinBox(page, "SEnavestR14", kSignalMin, kSignalMax, 1, text::kSignalHint);
    SEsenzorR14 = spinBox(page, "SEsenzorR14", kSensorMin, kSensorMax, 1, text::kSensorHint);
    RGrele15 = radioGroup(page, "RGrele15", text::kRelay16, text::kModes16, 1, m_relay16Items);
    SEnavestR15 = spinBox(page, "SEnavestR15", kSignalMin, kSignalMax, 1, text::kSignalHint);
    SEsenzorR15 = spinBox(page, "SEsenzorR15", kSensorMin, kSensorMax, 1, text::kSensorHint);

    auto* grid = new QGridLayout(page);
    int row = 0;
    for (auto [group, signal, sensor] : {std::tuple{RGrele14, SEnavestR14, SEsenzorR14},
                                         std::tuple{RGrele15, SEnavestR15, SEsenzorR15}}) {
        grid->addWidget(group, row, 0, 2, 1);
        grid->addWidget(label(page, text::kSignal, signal), row, 1);
        grid->addWidget(signal, row, 2);
        grid->addWidget(label(page, text::kSensor, sensor), row + 1, 1);
        grid->addWidget(sensor, row + 1, 2);
        row += 2;
    }
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(row, 1);
    return page;
}

QWidget* PeripheralEditor::buildDetectorPage() {
    auto* page = new QWidget;
    CBinverzeDET = checkBox(page, QStringLiteral("CBinverzeDET"), text::kInvert1);
    CBdetekceSN = checkBox(page, QStringLiteral("CBdetekceSN"), text::kSensors1);
    CBinverzeDET2 = checkBox(page, QStringLiteral("CBinverzeDET2"), text::kInvert2);
    CBdetekceSN2 = checkBox(page, QStringLiteral("CBdetekceSN2"), text::kSensors2);

    auto* column = new QVBoxLayout(page);
    for (QCheckBox* box : {CBinverzeDET, CBdetekceSN, CBinverzeDET2, CBdetekceSN2})
        column->addWidget(box);
    column->addStretch();
    return page;
}

QWidget* PeripheralEditor::buildIndicationPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);

    auto* indicators = new QHBoxLayout;
    indicators->addWidget(label(page, text::kIndicators));
    for (std::size_t r = 0; r < CBrele.size(); ++r) {
        const int relay = kRelayMin + static_cast<int>(r);
        CBrele[r] =
            checkBox(page, QStringLiteral("CBrele%1").arg(relay), QStringLiteral("R%1").arg(relay));
        QFont bold = CBrele[r]->font();
        bold.setBold(true);
        CBrele[r]->setFont(bold);
        indicators->addWidget(CBrele[r]);
    }
    indicators->addStretch();
    grid->addLayout(indicators, 0, 0, 1, 10);

    SEreleIND1 =
        spinBox(page, "SEreleIND1", kRelayMin, kRelayMax, kRelayMin, text::kRelaySelectorHint);
    auto* selector = new QHBoxLayout;
    selector->addWidget(label(page, text::kRelaySelector, SEreleIND1));
    selector->addWidget(SEreleIND1);
    selector->addStretch();
    grid->addLayout(selector, 1, 0, 1, 10);

    // Rows of condition boxes: local sensors and detectors under one caption, remote ones under
    // the other; "Definice podmínek" stands to their left.
    const int firstRow[4] = {3, 4, 6, 7};
    grid->addWidget(label(page, text::kLocalConditions), 2, 1, 1, 8);
    grid->addWidget(label(page, text::kRemoteConditions), 5, 1, 1, 8);
    for (std::size_t g = 0; g < m_conditions.size(); ++g)
        for (std::size_t k = 0; k < 8; ++k) {
            const int input = static_cast<int>(k) + 1;
            m_conditions[g][k] = checkBox(page, text::kConditionNames[g] + QString::number(input),
                                          text::kConditionCaptions[g] + QString::number(input));
            grid->addWidget(m_conditions[g][k], firstRow[g], input);
        }
    auto* words = new QVBoxLayout;
    words->addStretch();
    words->addWidget(label(page, text::kDefinition));
    words->addWidget(label(page, text::kConditionsWord));
    words->addStretch();
    grid->addLayout(words, 3, 0, 5, 1);
    grid->setColumnStretch(9, 1);
    grid->setRowStretch(8, 1);
    return page;
}

QWidget* PeripheralEditor::buildDccPage() {
    auto* page = new QWidget;
    CB_DCCenaGLOB = checkBox(page, QStringLiteral("CB_DCCenaGLOB"), text::kDccAccept);
    CB_DCCrstENA = checkBox(page, QStringLiteral("CB_DCCrstENA"), text::kDccReset);
    SE_DCCaddr =
        spinBox(page, "SE_DCCaddr", kDccAddressMin, kDccAddressMax, 1, text::kDccAddressHint);

    auto* grid = new QGridLayout(page);
    grid->addWidget(CB_DCCenaGLOB, 0, 0, 1, 3);
    grid->addWidget(CB_DCCrstENA, 1, 0, 1, 3);
    grid->addWidget(label(page, text::kDccAddress, SE_DCCaddr), 2, 0);
    grid->addWidget(SE_DCCaddr, 2, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);
    return page;
}

void PeripheralEditor::connectHandlers() {
    connect(SEdit1, &QSpinBox::valueChanged, this, [this](int n) {
        m_machine = n;
        SEdit1Change();
    });
    for (QSpinBox* box :
         {SEdelayVYH, SEdelay, SEnavestR14, SEsenzorR14, SEnavestR15, SEsenzorR15, SE_DCCaddr})
        connect(box, &QSpinBox::valueChanged, this, &PeripheralEditor::SEdit1Change);
    connect(m_typeItems, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            RGtyp1Click();
    });
    connect(SEpulsVar1, &QSpinBox::valueChanged, this, &PeripheralEditor::SEpulsVar1Change);
    connect(m_relay15Items, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            RGrele14Click();
    });
    connect(m_relay16Items, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            RGrele15Click();
    });
    connect(SEreleIND1, &QSpinBox::valueChanged, this, [this](int r) {
        m_relay = r;
        SEreleIND1Change();
    });
    for (const auto& row : m_conditions)
        for (QCheckBox* box : row)
            connect(box, &QCheckBox::toggled, this, &PeripheralEditor::CBsn1Click);
    connect(BtOK1, &QPushButton::clicked, this, &PeripheralEditor::BtOK1Click);
    connect(BtCancel1, &QPushButton::clicked, this, &QDialog::reject);

    // valueChanged misses text that is out of range, and a text put back without a change of
    // value when the box is left; the editor's own signal sees both.
    auto* machineEdit = SEdit1->findChild<QLineEdit*>();
    auto* relayEdit = SEreleIND1->findChild<QLineEdit*>();
    connect(machineEdit, &QLineEdit::textChanged, this, &PeripheralEditor::followPointMachineText);
    connect(SEdit1, &QSpinBox::editingFinished, this, &PeripheralEditor::followPointMachineText);
    connect(relayEdit, &QLineEdit::textChanged, this, &PeripheralEditor::followRelayText);
    connect(SEreleIND1, &QSpinBox::editingFinished, this, &PeripheralEditor::followRelayText);
}

void PeripheralEditor::showEvent(QShowEvent* event) {
    // A window system restoring the dialog is no new showing and must not drop the user's edits.
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void PeripheralEditor::FormShow() {
    commitTypedText();
    const Image& img = m_store.image;
    loadPointMachines(m_work, img);
    SEdit1Change();
    loadConditions(m_work, img);

    const HeaderSettings s = settingsFromHeader(img);
    SEdelayVYH->setValue(s.pointDelay);
    SEdelay->setValue(s.relayDelay);
    CBdccMode->setChecked(s.collisionGuard);
    selectItem(m_relay15Items, s.relay15Mode);
    RGrele14Click();
    SEnavestR14->setValue(s.relay15Signal);
    SEsenzorR14->setValue(s.relay15Sensor);
    selectItem(m_relay16Items, s.relay16Mode);
    RGrele15Click();
    SEnavestR15->setValue(s.relay16Signal);
    SEsenzorR15->setValue(s.relay16Sensor);
    CBinverzeDET->setChecked(s.invertDetectors1);
    CBdetekceSN->setChecked(s.sensorsForDetectors1);
    CBinverzeDET2->setChecked(s.invertDetectors2);
    CBdetekceSN2->setChecked(s.sensorsForDetectors2);
    for (std::size_t r = 0; r < CBrele.size(); ++r)
        CBrele[r]->setChecked(s.indicator[r]);
    SEreleIND1Change();
    SE_DCCaddr->setValue(s.dccAddress);
    CB_DCCenaGLOB->setChecked(s.dccAccept);
    CB_DCCrstENA->setChecked(s.dccRouteReset);
}

void PeripheralEditor::SEdit1Change() {
    RGtyp1->setEnabled(m_machine != 0);
    if (m_machine == 0) {
        clearItems(m_typeItems);
        RGtyp1Click();
        LBvyh2->clear();
        return;
    }
    const auto n = static_cast<std::size_t>(m_machine - 1);
    // Both settings raise their handlers, which write the entry back: a type code above 3
    // becomes 3 and a pulse length of 0 becomes 1, as the user sees them.
    selectItem(m_typeItems, typeItem(m_work.pointMachines[n]));
    SEpulsVar1->setValue(shownPulseLength(m_work.pointMachines[n]));
    LBvyh2->setText(QStringLiteral("+") + QString::number(m_machine + 8));
}

void PeripheralEditor::RGtyp1Click() {
    const int item = m_typeItems->checkedId();
    if (item >= 0 && m_machine != 0) {
        int& entry = m_work.pointMachines[static_cast<std::size_t>(m_machine - 1)];
        entry = withType(entry, item);
    }
    SEpulsVar1->setEnabled(item == 1);
}

void PeripheralEditor::SEpulsVar1Change() {
    if (m_machine == 0)
        return;
    int& entry = m_work.pointMachines[static_cast<std::size_t>(m_machine - 1)];
    entry = withPulseLength(entry, SEpulsVar1->value());
}

void PeripheralEditor::RGrele14Click() {
    enableForMode(m_relay15Items, SEnavestR14, SEsenzorR14);
}

void PeripheralEditor::RGrele15Click() {
    enableForMode(m_relay16Items, SEnavestR15, SEsenzorR15);
}

void PeripheralEditor::SEreleIND1Change() {
    // Setting the boxes raises their click handler; without the flag it would store the
    // half-loaded boxes over the relay's entries.
    m_loading = true;
    const std::array<int, 4> masks = relayConditions(m_work, m_relay);
    for (std::size_t g = 0; g < m_conditions.size(); ++g)
        for (std::size_t k = 0; k < 8; ++k) {
            m_conditions[g][k]->setChecked((masks[g] >> k) & 1);
            m_conditions[g][k]->setEnabled(m_relay != 0);
        }
    m_loading = false;
}

void PeripheralEditor::CBsn1Click() {
    if (m_loading || m_relay == 0)
        return;
    std::array<int, 4> masks{};
    for (std::size_t g = 0; g < m_conditions.size(); ++g)
        for (std::size_t k = 0; k < 8; ++k)
            if (m_conditions[g][k]->isChecked())
                masks[g] |= 1 << k;
    setRelayConditions(m_work, m_relay, masks);
}

void PeripheralEditor::BtOK1Click() {
    commitTypedText();
    writeHeader(m_store.image, m_work, readSettings());
    accept();
}

void PeripheralEditor::followPointMachineText() {
    if (followTypedText(SEdit1, m_machine))
        SEdit1Change();
}

void PeripheralEditor::followRelayText() {
    if (followTypedText(SEreleIND1, m_relay))
        SEreleIND1Change();
}

// Pressing OK leaves the box being typed into: its text counts, clamped into the range, as it
// would when focus moves on.
void PeripheralEditor::commitTypedText() {
    for (QSpinBox* box : findChildren<QSpinBox*>())
        box->interpretText();
    followPointMachineText();
    followRelayText();
}

HeaderSettings PeripheralEditor::readSettings() const {
    HeaderSettings s;
    s.pointDelay = SEdelayVYH->value();
    s.relayDelay = SEdelay->value();
    s.collisionGuard = CBdccMode->isChecked();
    s.relay15Mode = m_relay15Items->checkedId();
    s.relay15Signal = SEnavestR14->value();
    s.relay15Sensor = SEsenzorR14->value();
    s.relay16Mode = m_relay16Items->checkedId();
    s.relay16Signal = SEnavestR15->value();
    s.relay16Sensor = SEsenzorR15->value();
    s.invertDetectors1 = CBinverzeDET->isChecked();
    s.sensorsForDetectors1 = CBdetekceSN->isChecked();
    s.invertDetectors2 = CBinverzeDET2->isChecked();
    s.sensorsForDetectors2 = CBdetekceSN2->isChecked();
    for (std::size_t r = 0; r < CBrele.size(); ++r)
        s.indicator[r] = CBrele[r]->isChecked();
    s.dccAddress = SE_DCCaddr->value();
    s.dccAccept = CB_DCCenaGLOB->isChecked();
    s.dccRouteReset = CB_DCCrstENA->isChecked();
    return s;
}
