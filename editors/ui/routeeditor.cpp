#include "editors/ui/routeeditor.h"

#include "data/routecommands.h"
#include "data/valuelists.h"
#include "editors/routeeditortexts.h"
#include "editors/routevalidation.h"
#include "editors/textlimit.h"
#include "ui_routeeditor.h"
#include "widgets/builders.h"
#include "widgets/controls.h"
#include "widgets/messageboxes.h"
#include "widgets/windowsize.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QToolTip>

#include <limits>

namespace t = routeeditortexts;

namespace {
// Eight check boxes in row 1 of a row of the form, appended to `boxes`: bits first - 1 ..
// first + 6 of one mask.
void addCheckRow(QWidget* row, const QString& name, const QString& prefix, int first,
                 std::vector<QCheckBox*>& boxes) {
    auto* grid = static_cast<QGridLayout*>(row->layout());
    const std::vector<QCheckBox*> created =
        widgets::numberedCheckBoxes(name, prefix, first, 8, row);
    for (int k = 0; k < 8; ++k)
        grid->addWidget(created[static_cast<std::size_t>(k)], 1, k);
    boxes.insert(boxes.end(), created.begin(), created.end());
}

// Tab goes from `after` through `widgets` in turn; a group that takes no focus itself stands for
// its buttons.
void followInTabOrder(QWidget* after, const std::vector<QWidget*>& widgets) {
    for (QWidget* w : widgets) {
        const QList<QWidget*> parts =
            w->focusPolicy() == Qt::NoFocus ? w->findChildren<QWidget*>() : QList<QWidget*>{w};
        for (QWidget* part : parts) {
            if (!(part->focusPolicy() & Qt::TabFocus))
                continue;
            QWidget::setTabOrder(after, part);
            after = part;
        }
    }
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

RouteEditor::RouteEditor(const ConfigStore& store, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_store(store), m_ui(std::make_unique<Ui::RouteEditor>()) {
    m_ui->setupUi(this);
    adoptFormControls();
    addDetectorBoxes();
    addPointControls();
    fillSignalControls();
    // Row by row, as they stand.
    std::vector<QWidget*> generated;
    for (const int first : {0, 8}) {
        generated.insert(generated.end(), m_localDetectorChecks.begin() + first,
                         m_localDetectorChecks.begin() + first + 8);
        generated.insert(generated.end(), m_remoteDetectorChecks.begin() + first,
                         m_remoteDetectorChecks.begin() + first + 8);
    }
    // Module half first (points 1..8, R1..R16), then the expansion unit's.
    generated.insert(generated.end(), m_pointGroups.begin(), m_pointGroups.begin() + 8);
    generated.insert(generated.end(), m_relayChecks.begin(), m_relayChecks.end());
    generated.insert(generated.end(), m_pointGroups.begin() + 8, m_pointGroups.end());
    generated.insert(generated.end(), m_extRelayChecks.begin(), m_extRelayChecks.end());
    followInTabOrder(m_descriptionEdit, generated);
    fitToContents(this, {660, 613});

    connect(m_okButton, &QPushButton::clicked, this, &RouteEditor::onOkClicked);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connectHandlers();
}

RouteEditor::~RouteEditor() = default;

void RouteEditor::adoptFormControls() {
    Ui::RouteEditor& ui = *m_ui;
    m_tabs = ui.PageC1;
    m_okButton = ui.BtOK1;
    m_cancelButton = ui.Button1;
    m_fromButtonBox = ui.SEtlac1;
    m_toButtonBox = ui.SEtlac2;
    m_trainRouteCheck = ui.ChBcestaENA;
    m_shuntingCheck = ui.ChBposunENA;
    m_unsecuredShuntingCheck = ui.CBzabPosun;
    m_trackBox = ui.SEkolej;
    m_entryCheck = ui.CBvjezd;
    m_dccCheck = ui.Cb_DCCena;
    m_blockedCheck = ui.ChBzakazENA;
    m_cancelButton1Check = ui.CBtlRST1;
    m_cancelButton2Check = ui.CBtlRST2;
    m_descriptionEdit = ui.TXTnazev1;
    m_signalBoxes = {ui.SEnav1, ui.SEnav2, ui.SEnav3};
    m_aspectLists = {ui.CBox1navest, ui.CBox2navest, ui.CBox3navest};
    m_repeatChecks = {ui.CBopakNav1, ui.CBopakNav2, ui.CBopakNav3};
    m_followingList = ui.CBox1navestREM;
    m_autoCancelSignalCheck = ui.CheBsnNVena;
    m_signalCancelList = ui.CBsenzNV;
    m_autoCancelRouteCheck = ui.CheBsnCESena;
    m_routeCancelList = ui.CBsenzCES;
    m_autoCancelShuntingCheck = ui.CBsnPOSUNena;

    m_fromButtonBox->setMaximum(routeedit::kMaxButton);
    m_toButtonBox->setMaximum(routeedit::kMaxButton);
    m_trackBox->setMaximum(routeedit::kMaxTrack);
    for (QSpinBox* box : m_signalBoxes)
        box->setMaximum(routeedit::kMaxSignal);
    // The typing limit is enforced on edits only: a longer description loaded from a file must
    // reach the record unchanged, and QLineEdit's own limit would cut it on loading.
    m_descriptionEdit->setMaxLength(std::numeric_limits<int>::max());
}

void RouteEditor::addDetectorBoxes() {
    const QString local = QStringLiteral("CBdet");
    const QString remote = QStringLiteral("CBdetR");
    addCheckRow(m_ui->localDetectors, local, QStringLiteral("D"), 1, m_localDetectorChecks);
    addCheckRow(m_ui->remoteDetectors, remote, QStringLiteral("rD"), 1, m_remoteDetectorChecks);
    addCheckRow(m_ui->localDetectorsExt, local, QStringLiteral("D"), 9, m_localDetectorChecks);
    addCheckRow(m_ui->remoteDetectorsExt, remote, QStringLiteral("rD"), 9, m_remoteDetectorChecks);
    widgets::makeTeal(m_ui->detectorsBar);
}

void RouteEditor::addPointControls() {
    QWidget* tab = m_ui->TabSheet2;
    // One half for the module (points 1..8, R1..R16), one for the expansion unit.
    auto addHalf = [&](QGridLayout* points, QGridLayout* relays, int firstPoint, int firstRelay,
                       std::vector<QCheckBox*>& relayChecks) {
        const QStringList positions{t::kPointNothing, t::kPointStraight, t::kPointDiverging};
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
    };
    addHalf(m_ui->points, m_ui->relays, 1, 1, m_relayChecks);
    addHalf(m_ui->pointsExt, m_ui->relaysExt, 9, 17, m_extRelayChecks);
    widgets::makeTeal(m_ui->pointsBar);
}

void RouteEditor::fillSignalControls() {
    const auto fill = [](QComboBox* list, const QStringList& items) {
        list->addItems(items);
        list->setCurrentIndex(-1);
    };
    for (QComboBox* list : m_aspectLists)
        fill(list, valuelists::aspects());
    fill(m_followingList, valuelists::followingSignals());
    fill(m_signalCancelList, valuelists::signalCancelInputs());
    fill(m_routeCancelList, valuelists::routeCancelInputs());
    m_ui->signalRow->addWidget(new SignalSketch(m_ui->TabSheet3), 2, 0, 1, 3);
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
    const std::uint8_t relayModes = routeedit::relayModes(m_store.image);
    const RouteEditValues v = routeedit::fromRoute(m_route, relayModes);

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
    m_relayChecks[14]->setEnabled(routeedit::relay15InRoutes(relayModes));
    m_relayChecks[15]->setEnabled(routeedit::relay16InRoutes(relayModes));

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
    routeedit::toRoute(v, m_route);
    accept();
}

std::optional<RouteRecord> RouteEditor::edit(const RouteRecord& route, int n) {
    m_route = route;
    setWindowTitle(routeeditortexts::kEditCaption + QString::number(n));
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return m_route;
}

bool editRoute(RouteEditor& editor, ConfigStore& store, int n) {
    if (n < 1 || n > image::kRouteCount)
        return false;
    const std::optional<RouteRecord> edited = editor.edit(store.route(n), n);
    return edited && applyRoute(store, n, *edited);
}

void RouteEditor::setNames(const ElementNames& names) {
    m_names = names;
    if (!m_nameLabelsAdded) {
        m_nameLabelsAdded = true;
        addNameLabel(m_fromButtonBox, elementnames::Kind::Button);
        addNameLabel(m_toButtonBox, elementnames::Kind::Button);
        for (QSpinBox* box : m_signalBoxes)
            addNameLabel(box, elementnames::Kind::Signal);
    }
    emit namesChanged();
    showPointNames();
}

void RouteEditor::addNameLabel(QSpinBox* box, elementnames::Kind kind) {
    QWidget* parent = box->parentWidget();
    auto* holder = new QWidget(parent);
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(0, 0, 0, 0);
    delete parent->layout()->replaceWidget(box, holder, Qt::FindChildrenRecursively);
    row->addWidget(box);
    auto* label = new QLabel(holder);
    label->setObjectName(box->objectName() + QStringLiteral("_name"));
    row->addWidget(label, 1);
    const auto show = [this, box, label, kind] {
        const QString name = m_names.name(kind, box->value());
        label->setText(name);
        label->setToolTip(name);
    };
    connect(box, &QSpinBox::valueChanged, label, show);
    connect(this, &RouteEditor::namesChanged, label, show);
    show();
}

void RouteEditor::showPointNames() {
    for (int n = 1; n <= 16; ++n) {
        RadioGroup* group = m_pointGroups[static_cast<std::size_t>(n - 1)];
        const QString name = m_names.name(elementnames::Kind::Point, n);
        // Three groups stand side by side: a long name is shortened here, whole in the tooltip.
        const QString shown = name.size() > 18 ? name.left(17) + QStringLiteral("…") : name;
        group->setTitle(t::kPoint + QString::number(n) +
                        (name.isEmpty() ? QString() : QStringLiteral(" – ") + shown));
        group->setToolTip(name);
    }
}
