#include "editors/routeeditor.h"

#include "data/routecommands.h"
#include "data/valuelists.h"
#include "editors/routeeditortexts.h"
#include "editors/routevalidation.h"
#include "editors/textlimit.h"
#include "widgets/builders.h"
#include "widgets/controls.h"
#include "widgets/messageboxes.h"
#include "widgets/windowsize.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolTip>
#include <QVBoxLayout>

#include <limits>

namespace t = routeeditortexts;
using widgets::boldLabel;
using widgets::checkBox;

namespace {
// The number boxes keep one narrow width, whatever their range.
constexpr int kNumberBoxWidth = 56;
// Long lists (47 following signals, 64 inputs) show this many entries before they scroll.
constexpr int kVisibleListEntries = 16;

QSpinBox* numberBox(const QString& name, int maximum, const QString& hint, QWidget* parent) {
    QSpinBox* box = widgets::numberBox(name, 0, maximum, hint, parent);
    box->setFixedWidth(kNumberBoxWidth);
    return box;
}

QComboBox* pickList(const QString& name, const QString& placeholder, const QStringList& items,
                    QWidget* parent) {
    QComboBox* list = widgets::pickList(name, placeholder, items, parent);
    list->setMaxVisibleItems(kVisibleListEntries);
    return list;
}

// Eight check boxes under a heading, appended to `boxes`: bits first - 1 .. first + 6 of one mask.
QWidget* checkRow(const QString& heading, const QString& name, const QString& prefix, int first,
                  std::vector<QCheckBox*>& boxes, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QGridLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setVerticalSpacing(2);
    layout->addWidget(new QLabel(heading, row), 0, 0, 1, 8);
    const std::vector<QCheckBox*> created =
        widgets::numberedCheckBoxes(name, prefix, first, 8, row);
    for (int k = 0; k < 8; ++k)
        layout->addWidget(created[static_cast<std::size_t>(k)], 1, k);
    boxes.insert(boxes.end(), created.begin(), created.end());
    return row;
}

// The decoration under the signal row: a track running left to right past the masts of N2, N1
// and the following signal, in the columns where their controls stand.
class SignalSketch : public QWidget {
public:
    explicit SignalSketch(QWidget* parent) : QWidget(parent) { setFixedHeight(72); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const int w = width();
        const int rail = height() - 8;
        p.setPen(QPen(QColor(0x40, 0x40, 0x40), 3));
        p.drawLine(4, rail, w - 4, rail);
        p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
        for (int x = 8; x < w - 4; x += 12)
            p.drawLine(x, rail - 4, x, rail + 4);
        // Direction of travel.
        p.setBrush(QColor(0x00, 0x80, 0x80));
        p.setPen(Qt::NoPen);
        const QPointF arrow[] = {
            {w - 4.0, rail - 14.0}, {w - 16.0, rail - 20.0}, {w - 16.0, rail - 8.0}};
        p.drawPolygon(arrow, 3);
        for (int column = 0; column < 3; ++column) {
            const int x = w * (2 * column + 1) / 6 + 24;
            p.setPen(QPen(Qt::black, 2));
            p.drawLine(x, rail - 6, x, rail - 30);
            p.setPen(QPen(Qt::black, 1));
            p.setBrush(QColor(0x30, 0x30, 0x30));
            p.drawRoundedRect(QRectF(x - 7, rail - 58, 14, 30), 6, 6);
            p.setBrush(column == 2 ? QColor(Qt::red) : QColor(0x20, 0xC0, 0x20));
            p.drawEllipse(QPointF(x, rail - 51), 4, 4);
            p.setBrush(column == 1 ? QColor(0xF0, 0xC0, 0x20) : QColor(0x60, 0x60, 0x60));
            p.drawEllipse(QPointF(x, rail - 38), 4, 4);
        }
    }
};
} // namespace

RouteEditor::RouteEditor(ConfigStore& store, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_store(store) {
    setObjectName(QStringLiteral("TCestaForm1"));
    setWindowTitle(t::kCaption);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("PageC1"));
    QWidget* buttonsTab = buildButtonsTab();
    QWidget* pointsTab = buildPointsTab();
    QWidget* signalsTab = buildSignalsTab();
    buttonsTab->setObjectName(QStringLiteral("TabSheet1"));
    pointsTab->setObjectName(QStringLiteral("TabSheet2"));
    signalsTab->setObjectName(QStringLiteral("TabSheet3"));
    m_tabs->addTab(buttonsTab, t::kTab1);
    m_tabs->addTab(pointsTab, t::kTab2);
    m_tabs->addTab(signalsTab, t::kTab3);

    m_okButton = new QPushButton(t::kOk, this);
    m_okButton->setObjectName(QStringLiteral("BtOK1"));
    widgets::makeBold(m_okButton);
    m_okButton->setDefault(true);
    m_cancelButton = new QPushButton(t::kCancel, this);
    m_cancelButton->setObjectName(QStringLiteral("Button1"));
    m_cancelButton->setAutoDefault(false);
    connect(m_okButton, &QPushButton::clicked, this, &RouteEditor::onOkClicked);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_okButton);
    buttons->addSpacing(24);
    buttons->addWidget(m_cancelButton);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);
    fitToContents(this, {660, 613});

    connectHandlers();
}

QWidget* RouteEditor::buildButtonsTab() {
    auto* tab = new QWidget;

    m_fromButtonBox =
        numberBox(QStringLiteral("SEtlac1"), routeedit::kMaxButton, t::kButton1Hint, tab);
    m_toButtonBox =
        numberBox(QStringLiteral("SEtlac2"), routeedit::kMaxButton, t::kButton2Hint, tab);
    m_trainRouteCheck = checkBox(QStringLiteral("ChBcestaENA"), t::kTrainRoute, tab);
    m_shuntingCheck = checkBox(QStringLiteral("ChBposunENA"), t::kShunting, tab);
    m_unsecuredShuntingCheck = checkBox(QStringLiteral("CBzabPosun"), t::kUnsecuredShunting, tab);
    m_trackBox = numberBox(QStringLiteral("SEkolej"), routeedit::kMaxTrack, t::kTrackHint, tab);
    m_entryCheck = checkBox(QStringLiteral("CBvjezd"), t::kEntry, tab);
    m_dccCheck = checkBox(QStringLiteral("Cb_DCCena"), t::kDccEnabled, tab);
    m_blockedCheck = checkBox(QStringLiteral("ChBzakazENA"), t::kTestBlocked, tab);
    widgets::makeBold(m_blockedCheck);
    m_cancelButton1Check = checkBox(QStringLiteral("CBtlRST1"), t::kCancelButton1, tab);
    m_cancelButton2Check = checkBox(QStringLiteral("CBtlRST2"), t::kCancelButton2, tab);
    m_descriptionEdit = new QLineEdit(t::kDescriptionDesigned, tab);
    m_descriptionEdit->setObjectName(QStringLiteral("TXTnazev1"));
    // The typing limit is enforced on edits only: a longer description loaded from a file must
    // reach the record unchanged, and QLineEdit's own limit would cut it on loading.
    m_descriptionEdit->setMaxLength(std::numeric_limits<int>::max());

    // Push-buttons that request the route.
    auto* sequence = new QGridLayout;
    sequence->setHorizontalSpacing(8);
    sequence->addWidget(boldLabel(t::kFrom, tab), 0, 0, 1, 2);
    sequence->addWidget(boldLabel(t::kTo, tab), 0, 3, 1, 2);
    sequence->addWidget(new QLabel(t::kButton1, tab), 1, 0);
    sequence->addWidget(m_fromButtonBox, 1, 1);
    sequence->setColumnMinimumWidth(2, 24);
    sequence->addWidget(new QLabel(t::kButton2, tab), 1, 3);
    sequence->addWidget(m_toButtonBox, 1, 4);
    sequence->setColumnStretch(5, 1);
    sequence->setRowStretch(2, 1);

    auto* type = new QGridLayout;
    type->addWidget(boldLabel(t::kRouteType, tab), 0, 0);
    type->addWidget(m_trainRouteCheck, 0, 1);
    type->addWidget(m_shuntingCheck, 1, 1);
    type->addWidget(m_unsecuredShuntingCheck, 2, 1);

    auto* top = new QHBoxLayout;
    top->addLayout(sequence, 1);
    top->addSpacing(16);
    top->addLayout(type);
    top->addStretch(1);

    auto* track = new QHBoxLayout;
    track->addWidget(new QLabel(t::kTrack, tab));
    track->addWidget(m_trackBox);
    track->addSpacing(8);
    track->addWidget(m_entryCheck);
    track->addSpacing(32);
    track->addWidget(boldLabel(t::kDcc, tab));
    track->addWidget(m_dccCheck);
    track->addStretch(1);
    track->addWidget(m_blockedCheck);

    auto* cancel = new QHBoxLayout;
    cancel->addWidget(boldLabel(t::kCancelButtons, tab));
    cancel->addWidget(m_cancelButton1Check);
    cancel->addSpacing(8);
    cancel->addWidget(m_cancelButton2Check);
    cancel->addStretch(1);

    auto* description = new QVBoxLayout;
    description->setSpacing(2);
    description->addWidget(new QLabel(t::kDescription, tab));
    description->addWidget(m_descriptionEdit);

    const QString local = QStringLiteral("CBdet");
    const QString remote = QStringLiteral("CBdetR");
    const QString localCaption = QStringLiteral("D");
    const QString remoteCaption = QStringLiteral("rD");
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->addLayout(top);
    layout->addLayout(track);
    layout->addLayout(cancel);
    layout->addLayout(description);
    layout->addSpacing(6);
    layout->addWidget(
        checkRow(t::kLocalDetectors, local, localCaption, 1, m_localDetectorChecks, tab));
    layout->addWidget(
        checkRow(t::kRemoteDetectors, remote, remoteCaption, 1, m_remoteDetectorChecks, tab));
    layout->addWidget(widgets::tealBar(tab));
    layout->addWidget(
        checkRow(t::kLocalDetectorsExt, local, localCaption, 9, m_localDetectorChecks, tab));
    layout->addWidget(
        checkRow(t::kRemoteDetectorsExt, remote, remoteCaption, 9, m_remoteDetectorChecks, tab));
    layout->addStretch(1);
    return tab;
}

QWidget* RouteEditor::buildPointsTab() {
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(6);

    // One half for the module (points 1..8, R1..R16), one for the expansion unit.
    auto addHalf = [&](int firstPoint, int firstRelay, const QString& relayCaption,
                       std::vector<QCheckBox*>& relayChecks) {
        const QStringList positions{t::kPointNothing, t::kPointStraight, t::kPointDiverging};
        auto* points = new QGridLayout;
        points->setHorizontalSpacing(6);
        points->setVerticalSpacing(4);
        for (int k = 0; k < 8; ++k) {
            const int n = firstPoint + k;
            auto* group =
                new RadioGroup(QStringLiteral("RGvyh%1").arg(n), t::kPoint + QString::number(n),
                               positions, 3, tab, QStringLiteral("_"));
            // The three entries sit tight in one row, or three groups would not fit across.
            group->layout()->setContentsMargins(4, 0, 2, 0);
            group->layout()->setSpacing(2);
            m_pointGroups[static_cast<std::size_t>(n - 1)] = group;
            points->addWidget(group, k / 3, k % 3);
        }
        layout->addLayout(points);

        auto* relays = new QGridLayout;
        relays->setVerticalSpacing(2);
        relays->addWidget(new QLabel(relayCaption, tab), 0, 0, 1, 8);
        relayChecks = widgets::numberedCheckBoxes(QStringLiteral("CBrele"), QStringLiteral("R"),
                                                  firstRelay, 16, tab);
        for (int k = 0; k < 16; ++k) {
            QCheckBox* box = relayChecks[static_cast<std::size_t>(k)];
            // R13 and R14 are the relays users most often mistake for ordinary ones.
            const int n = firstRelay + k;
            if (n == 13 || n == 14)
                widgets::makeBold(box);
            relays->addWidget(box, 1 + k / 8, k % 8);
        }
        layout->addLayout(relays);
    };

    addHalf(1, 1, t::kRelays, m_relayChecks);
    layout->addSpacing(4);
    layout->addWidget(widgets::tealBar(tab));
    layout->addSpacing(4);
    addHalf(9, 17, t::kRelaysExt, m_extRelayChecks);
    layout->addStretch(1);
    return tab;
}

QWidget* RouteEditor::buildSignalsTab() {
    auto* tab = new QWidget;

    for (std::size_t k = 0; k < m_signalBoxes.size(); ++k)
        m_signalBoxes[k] = numberBox(QStringLiteral("SEnav%1").arg(k + 1), routeedit::kMaxSignal,
                                     t::kSignalHint, tab);
    for (std::size_t k = 0; k < m_aspectLists.size(); ++k)
        m_aspectLists[k] = pickList(QStringLiteral("CBox%1navest").arg(k + 1),
                                    t::kAspectPlaceholder, valuelists::aspects(), tab);
    m_repeatChecks = {checkBox(QStringLiteral("CBopakNav1"), t::kRepeatFollowing, tab),
                      checkBox(QStringLiteral("CBopakNav2"), t::kRepeatN1, tab),
                      checkBox(QStringLiteral("CBopakNav3"), t::kRepeatN2, tab)};
    m_followingList = pickList(QStringLiteral("CBox1navestREM"), t::kFollowingPlaceholder,
                               valuelists::followingSignals(), tab);
    m_autoCancelSignalCheck = checkBox(QStringLiteral("CheBsnNVena"), t::kAutoCancelSignal, tab);
    m_signalCancelList = pickList(QStringLiteral("CBsenzNV"), t::kSensorPlaceholder,
                                  valuelists::signalCancelInputs(), tab);
    m_autoCancelRouteCheck = checkBox(QStringLiteral("CheBsnCESena"), t::kAutoCancelRoute, tab);
    m_routeCancelList = pickList(QStringLiteral("CBsenzCES"), t::kSensorPlaceholder,
                                 valuelists::routeCancelInputs(), tab);
    m_autoCancelShuntingCheck =
        checkBox(QStringLiteral("CBsnPOSUNena"), t::kAutoCancelShunting, tab);

    // One framed panel per signal: repeat box on top, caption, number with aspect beside it.
    auto signalPanel = [this, tab](std::size_t k) {
        auto* panel = new QFrame(tab);
        panel->setFrameShape(QFrame::StyledPanel);
        auto* grid = new QGridLayout(panel);
        grid->setVerticalSpacing(4);
        grid->addWidget(m_repeatChecks[k], 0, 0, 1, 2);
        grid->addWidget(boldLabel(t::kSignal + QString::number(k + 1), panel), 1, 0, 1, 2);
        grid->addWidget(m_signalBoxes[k], 2, 0);
        grid->addWidget(m_aspectLists[k], 2, 1);
        grid->setColumnStretch(1, 1);
        return panel;
    };

    auto* followingPanel = new QFrame(tab);
    followingPanel->setFrameShape(QFrame::StyledPanel);
    auto* following = new QVBoxLayout(followingPanel);
    following->setSpacing(4);
    following->addWidget(new QLabel(t::kFollowingLabel, followingPanel));
    following->addWidget(m_followingList);
    following->addStretch(1);

    auto* row = new QGridLayout;
    row->setHorizontalSpacing(10);
    row->setVerticalSpacing(10);
    row->addWidget(signalPanel(2), 0, 0);
    row->addWidget(signalPanel(1), 1, 0);
    row->addWidget(signalPanel(0), 1, 1);
    row->addWidget(followingPanel, 1, 2);
    row->addWidget(new SignalSketch(tab), 2, 0, 1, 3);
    for (int c = 0; c < 3; ++c)
        row->setColumnStretch(c, 1);

    auto* note = new QLabel(t::kSignalNote, tab);
    note->setWordWrap(true);

    auto* cancelPanel = new QFrame(tab);
    cancelPanel->setFrameShape(QFrame::StyledPanel);
    auto* cancel = new QGridLayout(cancelPanel);
    cancel->setVerticalSpacing(4);
    cancel->addWidget(m_autoCancelSignalCheck, 0, 0);
    cancel->addWidget(m_signalCancelList, 1, 0);
    cancel->addWidget(m_autoCancelRouteCheck, 0, 1);
    cancel->addWidget(m_routeCancelList, 1, 1);
    cancel->addWidget(m_autoCancelShuntingCheck, 2, 1);
    cancel->setColumnStretch(0, 1);
    cancel->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->addLayout(row);
    layout->addWidget(note);
    layout->addSpacing(10);
    layout->addWidget(cancelPanel);
    layout->addStretch(1);
    return tab;
}

void RouteEditor::connectHandlers() {
    // Qt reports a state change through toggled/valueChanged/currentIndexChanged, and only when
    // the state really changes, which is exactly when these handlers must run.
    for (QCheckBox* box :
         {m_autoCancelSignalCheck, m_trainRouteCheck, m_shuntingCheck, m_entryCheck})
        connect(box, &QCheckBox::toggled, this, &RouteEditor::updateSignalCancelList);
    connect(m_autoCancelRouteCheck, &QCheckBox::toggled, this,
            &RouteEditor::updateRouteCancelControls);
    connect(m_autoCancelShuntingCheck, &QCheckBox::toggled, this,
            &RouteEditor::updateRouteCancelControls);
    connect(m_routeCancelList, &QComboBox::currentIndexChanged, this,
            &RouteEditor::updateRouteCancelControls);
    for (std::size_t k = 0; k < m_signalBoxes.size(); ++k)
        connect(m_signalBoxes[k], &QSpinBox::valueChanged, this,
                [this, k] { updateSignalControls(static_cast<int>(k)); });
    connect(m_trackBox, &QSpinBox::valueChanged, this, &RouteEditor::updateEntryCheck);
    connect(m_repeatChecks[0], &QCheckBox::toggled, this, &RouteEditor::onRepeatFollowingToggled);
    connect(m_descriptionEdit, &QLineEdit::textEdited, this, &RouteEditor::onDescriptionEdited);
}

void RouteEditor::showEvent(QShowEvent* event) {
    // Restoring a minimised window is no new showing and must not reload the route.
    if (!event->spontaneous())
        loadFromRoute();
    QDialog::showEvent(event);
}

void RouteEditor::loadFromRoute() {
    const RouteEditValues v = routeedit::fromRoute(m_store.editCopy, m_store.image[3]);

    m_fromButtonBox->setValue(v.fromButton);
    m_toButtonBox->setValue(v.toButton);
    m_trackBox->setValue(v.track);

    m_blockedCheck->setChecked(v.testBlocked);
    m_dccCheck->setChecked(v.dccEnabled);
    m_cancelButton1Check->setChecked(v.cancelButton1);
    m_cancelButton2Check->setChecked(v.cancelButton2);
    m_unsecuredShuntingCheck->setChecked(v.unsecuredShunting);
    m_descriptionEdit->setText(v.description);
    m_descriptionEdit->setCursorPosition(0);
    m_descriptionBefore = v.description;

    m_entryCheck->setEnabled(v.track != 0);
    m_entryCheck->setChecked(v.entry);

    for (std::size_t k = 0; k < m_pointGroups.size(); ++k)
        m_pointGroups[k]->setItemIndex(v.points[k]);

    widgets::setCheckedMask(m_localDetectorChecks, v.localDetectors);
    widgets::setCheckedMask(m_remoteDetectorChecks, v.remoteDetectors);
    widgets::setCheckedMask(m_relayChecks, v.relays);
    widgets::setCheckedMask(m_extRelayChecks, v.extRelays);
    // R15 and R16 with a task of their own in the module are not the routes' to switch.
    m_relayChecks[14]->setEnabled(routeedit::relay15InRoutes(m_store.image[3]));
    m_relayChecks[15]->setEnabled(routeedit::relay16InRoutes(m_store.image[3]));

    m_trainRouteCheck->setChecked(v.trainRoute);
    m_shuntingCheck->setChecked(v.shuntingRoute);

    m_followingList->setCurrentIndex(v.following);

    for (std::size_t k = 0; k < m_signalBoxes.size(); ++k)
        m_signalBoxes[k]->setValue(v.signal[k]);
    for (std::size_t k = 0; k < m_aspectLists.size(); ++k)
        m_aspectLists[k]->setCurrentIndex(v.aspectIndex[k]);
    for (std::size_t k = 0; k < m_repeatChecks.size(); ++k)
        m_repeatChecks[k]->setChecked(v.repeat[k]);

    m_autoCancelSignalCheck->setChecked(v.autoCancelSignal);
    m_autoCancelRouteCheck->setChecked(v.autoCancelRoute);
    m_autoCancelShuntingCheck->setEnabled(v.autoCancelRoute);
    m_autoCancelShuntingCheck->setChecked(v.autoCancelShunting);
    m_signalCancelList->setEnabled(v.autoCancelSignal);
    m_routeCancelList->setEnabled(v.autoCancelRoute);

    m_signalCancelList->setCurrentIndex(v.signalCancelInput);
    m_routeCancelList->setCurrentIndex(v.routeCancelInput);

    for (int k = 0; k < 3; ++k)
        updateSignalControls(k);
}

void RouteEditor::updateSignalCancelList() {
    m_signalCancelList->setEnabled(m_autoCancelSignalCheck->isChecked());
}

void RouteEditor::updateRouteCancelControls() {
    const bool on = m_autoCancelRouteCheck->isChecked();
    m_routeCancelList->setEnabled(on);
    m_autoCancelShuntingCheck->setEnabled(on);
}

void RouteEditor::updateSignalControls(int signal) {
    const auto k = static_cast<std::size_t>(signal);
    const bool on = m_signalBoxes[k]->value() != 0;
    m_aspectLists[k]->setEnabled(on);
    m_repeatChecks[k]->setEnabled(on);
}

void RouteEditor::updateEntryCheck() {
    m_entryCheck->setEnabled(m_trackBox->value() != 0);
}

void RouteEditor::onRepeatFollowingToggled() {
    if (!routeedit::canRepeatFollowing(m_signalBoxes[0]->value(), m_followingList->currentIndex()))
        m_repeatChecks[0]->setChecked(false);
}

void RouteEditor::onDescriptionEdited(const QString& text) {
    // What the data file cannot hold would come back as "?" after a save: it never gets in.
    const StorableText storable = dropUnstorable(text, m_descriptionEdit->cursorPosition());
    const LimitedText kept = limitTypedText(m_descriptionBefore, storable.text, storable.cursor,
                                            routeedit::kDescriptionLimit);
    m_descriptionBefore = kept.text;
    if (kept.text != text) {
        m_descriptionEdit->setText(kept.text);
        m_descriptionEdit->setCursorPosition(kept.cursor);
    }
    if (!storable.refused.isEmpty())
        QToolTip::showText(m_descriptionEdit->mapToGlobal(QPoint(0, m_descriptionEdit->height())),
                           t::kUnstorableCharacters.arg(storable.refused), m_descriptionEdit);
}

void RouteEditor::commitTypedValues() {
    // A number still being typed counts as what the box will hold when it loses focus.
    for (QSpinBox* box : {m_fromButtonBox, m_toButtonBox, m_trackBox, m_signalBoxes[0],
                          m_signalBoxes[1], m_signalBoxes[2]})
        box->interpretText();
}

RouteEditValues RouteEditor::values() const {
    const auto mask16 = [](const std::vector<QCheckBox*>& boxes) {
        return static_cast<std::uint16_t>(widgets::checkedMask(boxes));
    };
    RouteEditValues v;
    v.fromButton = m_fromButtonBox->value();
    v.toButton = m_toButtonBox->value();
    v.track = m_trackBox->value();
    v.trainRoute = m_trainRouteCheck->isChecked();
    v.shuntingRoute = m_shuntingCheck->isChecked();
    v.unsecuredShunting = m_unsecuredShuntingCheck->isChecked();
    v.entry = m_entryCheck->isChecked();
    v.dccEnabled = m_dccCheck->isChecked();
    v.testBlocked = m_blockedCheck->isChecked();
    v.cancelButton1 = m_cancelButton1Check->isChecked();
    v.cancelButton2 = m_cancelButton2Check->isChecked();
    v.description = m_descriptionEdit->text();
    v.localDetectors = mask16(m_localDetectorChecks);
    v.remoteDetectors = mask16(m_remoteDetectorChecks);

    for (std::size_t k = 0; k < m_pointGroups.size(); ++k)
        v.points[k] = m_pointGroups[k]->itemIndex();
    v.relays = mask16(m_relayChecks);
    v.extRelays = mask16(m_extRelayChecks);

    for (std::size_t k = 0; k < 3; ++k) {
        v.signal[k] = m_signalBoxes[k]->value();
        v.aspectIndex[k] = m_aspectLists[k]->currentIndex();
        v.repeat[k] = m_repeatChecks[k]->isChecked();
    }
    v.following = m_followingList->currentIndex();
    v.autoCancelSignal = m_autoCancelSignalCheck->isChecked();
    v.autoCancelRoute = m_autoCancelRouteCheck->isChecked();
    v.autoCancelShunting = m_autoCancelShuntingCheck->isChecked();
    v.signalCancelInput = m_signalCancelList->currentIndex();
    v.routeCancelInput = m_routeCancelList->currentIndex();
    return v;
}

void RouteEditor::onOkClicked() {
    commitTypedValues();
    const RouteEditValues v = values();
    if (const auto refusal = validateRoute(v)) {
        if (refusal->tab != RouteRefusal::Tab::Unchanged)
            m_tabs->setCurrentIndex(static_cast<int>(refusal->tab));
        warningBox(this, refusal->message,
                   refusal->buttons == RouteRefusal::Buttons::OkCancel
                       ? QMessageBox::Ok | QMessageBox::Cancel
                       : QMessageBox::StandardButtons(QMessageBox::Cancel));
        return;
    }
    routeedit::toRoute(v, m_store.editCopy);
    accept();
}

bool editRoute(RouteEditor& editor, ConfigStore& store, int n) {
    if (n < 1 || n > image::kRouteCount)
        return false;
    store.editCopy = store.route(n);
    editor.setWindowTitle(routeeditortexts::kEditCaption + QString::number(n));
    if (editor.exec() != QDialog::Accepted)
        return false;
    return storeEditCopy(store, n);
}
