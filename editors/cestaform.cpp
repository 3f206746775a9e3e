#include "editors/cestaform.h"

#include "data/routecommands.h"
#include "widgets/numberbox.h"
#include "widgets/messageboxes.h"
#include "data/valuelists.h"
#include "editors/cestatexts.h"
#include "editors/routevalidation.h"
#include "editors/textlimit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <limits>

namespace t = cestatexts;

namespace {
QString number(const char* prefix, int k) {
    return QString::fromLatin1(prefix) + QString::number(k);
}

QLabel* boldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

void makeBold(QWidget* w) {
    QFont font = w->font();
    font.setBold(true);
    w->setFont(font);
}

QCheckBox* checkBox(const QString& name, const QString& text, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    return box;
}

QSpinBox* spinBox(const QString& name, int maximum, const QString& hint, QWidget* parent) {
    auto* box = new NumberBox(parent);
    box->setObjectName(name);
    box->setRange(0, maximum);
    box->setToolTip(hint);
    // Text that is no number falls back to the lower bound instead of the previous value.
    box->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    box->setFixedWidth(56);
    return box;
}

QComboBox* pickList(const QString& name, const QString& placeholder, const QStringList& items,
                    QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    // The placeholder must be in place before the items, or "nothing chosen" shows blank.
    box->setPlaceholderText(placeholder);
    box->addItems(items);
    box->setCurrentIndex(-1);
    box->setMaxVisibleItems(16);
    return box;
}

// The teal bar that sets the expansion unit's controls apart from the module's own.
QFrame* tealBar(QWidget* parent) {
    auto* bar = new QFrame(parent);
    bar->setFixedHeight(6);
    bar->setAutoFillBackground(true);
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Window, QColor(0x00, 0x80, 0x80));
    bar->setPalette(palette);
    return bar;
}

// A row of eight check boxes under a heading, for bits first..first+7 of one mask.
QWidget* checkRow(const QString& heading, const char* name, const char* prefix, int first,
                  QCheckBox** boxes, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QGridLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setVerticalSpacing(2);
    layout->addWidget(new QLabel(heading, row), 0, 0, 1, 8);
    for (int k = 0; k < 8; ++k) {
        const int n = first + k;
        boxes[k] = checkBox(number(name, n), number(prefix, n), row);
        layout->addWidget(boxes[k], 1, k);
    }
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

void setMaskBoxes(QCheckBox* const* boxes, int count, std::uint32_t mask) {
    for (int k = 0; k < count; ++k)
        boxes[k]->setChecked((mask >> k) & 1U);
}

std::uint16_t maskOf(QCheckBox* const* boxes) {
    std::uint16_t mask = 0;
    for (int k = 0; k < 16; ++k)
        if (boxes[k]->isChecked())
            mask = static_cast<std::uint16_t>(mask | (1U << k));
    return mask;
}
} // namespace

TCestaForm1::TCestaForm1(ConfigStore& store, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_store(store) {
    setObjectName(QStringLiteral("TCestaForm1"));
    setWindowTitle(t::kCaption);
    setFixedSize(660, 613);

    PageC1 = new QTabWidget(this);
    PageC1->setObjectName(QStringLiteral("PageC1"));
    TabSheet1 = buildButtonsTab();
    TabSheet2 = buildPointsTab();
    TabSheet3 = buildSignalsTab();
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    PageC1->addTab(TabSheet1, t::kTab1);
    PageC1->addTab(TabSheet2, t::kTab2);
    PageC1->addTab(TabSheet3, t::kTab3);

    BtOK1 = new QPushButton(t::kOk, this);
    BtOK1->setObjectName(QStringLiteral("BtOK1"));
    makeBold(BtOK1);
    BtOK1->setDefault(true);
    Button1 = new QPushButton(t::kCancel, this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    connect(BtOK1, &QPushButton::clicked, this, &TCestaForm1::BtOK1Click);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BtOK1);
    buttons->addSpacing(24);
    buttons->addWidget(Button1);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(PageC1, 1);
    layout->addLayout(buttons);

    connectHandlers();
}

QWidget* TCestaForm1::buildButtonsTab() {
    auto* tab = new QWidget;

    SEtlac1 = spinBox(QStringLiteral("SEtlac1"), routeedit::kMaxButton, t::kButton1Hint, tab);
    SEtlac2 = spinBox(QStringLiteral("SEtlac2"), routeedit::kMaxButton, t::kButton2Hint, tab);
    ChBcestaENA = checkBox(QStringLiteral("ChBcestaENA"), t::kTrainRoute, tab);
    ChBposunENA = checkBox(QStringLiteral("ChBposunENA"), t::kShunting, tab);
    CBzabPosun = checkBox(QStringLiteral("CBzabPosun"), t::kUnsecuredShunting, tab);
    SEkolej = spinBox(QStringLiteral("SEkolej"), routeedit::kMaxTrack, t::kTrackHint, tab);
    CBvjezd = checkBox(QStringLiteral("CBvjezd"), t::kEntry, tab);
    Cb_DCCena = checkBox(QStringLiteral("Cb_DCCena"), t::kDccEnabled, tab);
    ChBzakazENA = checkBox(QStringLiteral("ChBzakazENA"), t::kTestBlocked, tab);
    makeBold(ChBzakazENA);
    CBtlRST1 = checkBox(QStringLiteral("CBtlRST1"), t::kCancelButton1, tab);
    CBtlRST2 = checkBox(QStringLiteral("CBtlRST2"), t::kCancelButton2, tab);
    TXTnazev1 = new QLineEdit(t::kDescriptionDesigned, tab);
    TXTnazev1->setObjectName(QStringLiteral("TXTnazev1"));
    // The typing limit is enforced on edits only: a longer description loaded from a file must
    // reach the record unchanged, and QLineEdit's own limit would cut it on loading.
    TXTnazev1->setMaxLength(std::numeric_limits<int>::max());

    // Push-buttons that request the route.
    auto* sequence = new QGridLayout;
    sequence->setHorizontalSpacing(8);
    sequence->addWidget(boldLabel(t::kFrom, tab), 0, 0, 1, 2);
    sequence->addWidget(boldLabel(t::kTo, tab), 0, 3, 1, 2);
    sequence->addWidget(new QLabel(t::kButton1, tab), 1, 0);
    sequence->addWidget(SEtlac1, 1, 1);
    sequence->setColumnMinimumWidth(2, 24);
    sequence->addWidget(new QLabel(t::kButton2, tab), 1, 3);
    sequence->addWidget(SEtlac2, 1, 4);
    sequence->setColumnStretch(5, 1);
    sequence->setRowStretch(2, 1);

    auto* type = new QGridLayout;
    type->addWidget(boldLabel(t::kRouteType, tab), 0, 0);
    type->addWidget(ChBcestaENA, 0, 1);
    type->addWidget(ChBposunENA, 1, 1);
    type->addWidget(CBzabPosun, 2, 1);

    auto* top = new QHBoxLayout;
    top->addLayout(sequence, 1);
    top->addSpacing(16);
    top->addLayout(type);
    top->addStretch(1);

    auto* track = new QHBoxLayout;
    track->addWidget(new QLabel(t::kTrack, tab));
    track->addWidget(SEkolej);
    track->addSpacing(8);
    track->addWidget(CBvjezd);
    track->addSpacing(32);
    track->addWidget(boldLabel(t::kDcc, tab));
    track->addWidget(Cb_DCCena);
    track->addStretch(1);
    track->addWidget(ChBzakazENA);

    auto* cancel = new QHBoxLayout;
    cancel->addWidget(boldLabel(t::kCancelButtons, tab));
    cancel->addWidget(CBtlRST1);
    cancel->addSpacing(8);
    cancel->addWidget(CBtlRST2);
    cancel->addStretch(1);

    auto* description = new QVBoxLayout;
    description->setSpacing(2);
    description->addWidget(new QLabel(t::kDescription, tab));
    description->addWidget(TXTnazev1);

    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->addLayout(top);
    layout->addLayout(track);
    layout->addLayout(cancel);
    layout->addLayout(description);
    layout->addSpacing(6);
    layout->addWidget(checkRow(t::kLocalDetectors, "CBdet", "D", 1, CBdet.data(), tab));
    layout->addWidget(checkRow(t::kRemoteDetectors, "CBdetR", "rD", 1, CBdetR.data(), tab));
    layout->addWidget(tealBar(tab));
    layout->addWidget(checkRow(t::kLocalDetectorsExt, "CBdet", "D", 9, CBdet.data() + 8, tab));
    layout->addWidget(checkRow(t::kRemoteDetectorsExt, "CBdetR", "rD", 9, CBdetR.data() + 8, tab));
    layout->addStretch(1);
    return tab;
}

QWidget* TCestaForm1::buildPointsTab() {
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(6);

    // One half for the module (points 1..8, R1..R16), one for the expansion unit.
    auto addHalf = [&](int firstPoint, int firstRelay, const QString& relayCaption) {
        auto* points = new QGridLayout;
        points->setHorizontalSpacing(6);
        points->setVerticalSpacing(4);
        for (int k = 0; k < 8; ++k) {
            const int n = firstPoint + k;
            const std::size_t i = static_cast<std::size_t>(n - 1);
            auto* group = new QGroupBox(t::kPoint + QString::number(n), tab);
            group->setObjectName(number("RGvyh", n));
            auto* entries = new QButtonGroup(group);
            auto* row = new QHBoxLayout(group);
            row->setContentsMargins(4, 0, 2, 0);
            row->setSpacing(2);
            const QString texts[] = {t::kPointNothing, t::kPointStraight, t::kPointDiverging};
            for (int e = 0; e < 3; ++e) {
                auto* radio = new QRadioButton(texts[e], group);
                radio->setObjectName(number("RGvyh", n) + QLatin1Char('_') + QString::number(e));
                entries->addButton(radio, e);
                row->addWidget(radio);
            }
            RGvyh[i] = group;
            m_points[i] = entries;
            points->addWidget(group, k / 3, k % 3);
        }
        layout->addLayout(points);

        auto* relays = new QGridLayout;
        relays->setVerticalSpacing(2);
        relays->addWidget(new QLabel(relayCaption, tab), 0, 0, 1, 8);
        for (int k = 0; k < 16; ++k) {
            const int n = firstRelay + k;
            auto*& box = CBrele[static_cast<std::size_t>(n - 1)];
            box = checkBox(number("CBrele", n), number("R", n), tab);
            // R13 and R14 are the relays users most often mistake for ordinary ones.
            if (n == 13 || n == 14)
                makeBold(box);
            relays->addWidget(box, 1 + k / 8, k % 8);
        }
        layout->addLayout(relays);
    };

    addHalf(1, 1, t::kRelays);
    layout->addSpacing(4);
    layout->addWidget(tealBar(tab));
    layout->addSpacing(4);
    addHalf(9, 17, t::kRelaysExt);
    layout->addStretch(1);
    return tab;
}

QWidget* TCestaForm1::buildSignalsTab() {
    auto* tab = new QWidget;

    SEnav1 = spinBox(QStringLiteral("SEnav1"), routeedit::kMaxSignal, t::kSignalHint, tab);
    SEnav2 = spinBox(QStringLiteral("SEnav2"), routeedit::kMaxSignal, t::kSignalHint, tab);
    SEnav3 = spinBox(QStringLiteral("SEnav3"), routeedit::kMaxSignal, t::kSignalHint, tab);
    const QStringList& aspects = valuelists::aspects();
    CBox1navest = pickList(QStringLiteral("CBox1navest"), t::kAspectPlaceholder, aspects, tab);
    CBox2navest = pickList(QStringLiteral("CBox2navest"), t::kAspectPlaceholder, aspects, tab);
    CBox3navest = pickList(QStringLiteral("CBox3navest"), t::kAspectPlaceholder, aspects, tab);
    CBopakNav1 = checkBox(QStringLiteral("CBopakNav1"), t::kRepeatFollowing, tab);
    CBopakNav2 = checkBox(QStringLiteral("CBopakNav2"), t::kRepeatN1, tab);
    CBopakNav3 = checkBox(QStringLiteral("CBopakNav3"), t::kRepeatN2, tab);
    CBox1navestREM = pickList(QStringLiteral("CBox1navestREM"), t::kFollowingPlaceholder,
                              valuelists::followingSignals(), tab);
    CheBsnNVena = checkBox(QStringLiteral("CheBsnNVena"), t::kAutoCancelSignal, tab);
    CBsenzNV = pickList(QStringLiteral("CBsenzNV"), t::kSensorPlaceholder,
                        valuelists::signalCancelInputs(), tab);
    CheBsnCESena = checkBox(QStringLiteral("CheBsnCESena"), t::kAutoCancelRoute, tab);
    CBsenzCES = pickList(QStringLiteral("CBsenzCES"), t::kSensorPlaceholder,
                         valuelists::routeCancelInputs(), tab);
    CBsnPOSUNena = checkBox(QStringLiteral("CBsnPOSUNena"), t::kAutoCancelShunting, tab);

    // One framed panel per signal: repeat box on top, caption, number with aspect beside it.
    auto signalPanel = [tab](int n, QCheckBox* repeat, QSpinBox* spin, QComboBox* aspect) {
        auto* panel = new QFrame(tab);
        panel->setFrameShape(QFrame::StyledPanel);
        auto* grid = new QGridLayout(panel);
        grid->setVerticalSpacing(4);
        grid->addWidget(repeat, 0, 0, 1, 2);
        grid->addWidget(boldLabel(t::kSignal + QString::number(n), panel), 1, 0, 1, 2);
        grid->addWidget(spin, 2, 0);
        grid->addWidget(aspect, 2, 1);
        grid->setColumnStretch(1, 1);
        return panel;
    };

    auto* followingPanel = new QFrame(tab);
    followingPanel->setFrameShape(QFrame::StyledPanel);
    auto* following = new QVBoxLayout(followingPanel);
    following->setSpacing(4);
    following->addWidget(new QLabel(t::kFollowingLabel, followingPanel));
    following->addWidget(CBox1navestREM);
    following->addStretch(1);

    auto* row = new QGridLayout;
    row->setHorizontalSpacing(10);
    row->setVerticalSpacing(10);
    row->addWidget(signalPanel(3, CBopakNav3, SEnav3, CBox3navest), 0, 0);
    row->addWidget(signalPanel(2, CBopakNav2, SEnav2, CBox2navest), 1, 0);
    row->addWidget(signalPanel(1, CBopakNav1, SEnav1, CBox1navest), 1, 1);
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
    cancel->addWidget(CheBsnNVena, 0, 0);
    cancel->addWidget(CBsenzNV, 1, 0);
    cancel->addWidget(CheBsnCESena, 0, 1);
    cancel->addWidget(CBsenzCES, 1, 1);
    cancel->addWidget(CBsnPOSUNena, 2, 1);
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

void TCestaForm1::connectHandlers() {
    // Qt reports a state change through toggled/valueChanged/currentIndexChanged, and only when
    // the state really changes, which is exactly when these handlers must run.
    for (QCheckBox* box : {CheBsnNVena, ChBcestaENA, ChBposunENA, CBvjezd})
        connect(box, &QCheckBox::toggled, this, &TCestaForm1::CheBsnNVenaClick);
    connect(CheBsnCESena, &QCheckBox::toggled, this, &TCestaForm1::CBsenzCESChange);
    connect(CBsnPOSUNena, &QCheckBox::toggled, this, &TCestaForm1::CBsenzCESChange);
    connect(CBsenzCES, &QComboBox::currentIndexChanged, this, &TCestaForm1::CBsenzCESChange);
    connect(SEnav1, &QSpinBox::valueChanged, this, &TCestaForm1::SEnav1Change);
    connect(SEnav2, &QSpinBox::valueChanged, this, &TCestaForm1::SEnav2Change);
    connect(SEnav3, &QSpinBox::valueChanged, this, &TCestaForm1::SEnav3Change);
    connect(SEkolej, &QSpinBox::valueChanged, this, &TCestaForm1::SEkolejChange);
    connect(CBopakNav1, &QCheckBox::toggled, this, &TCestaForm1::CBopakNav1Click);
    connect(TXTnazev1, &QLineEdit::textEdited, this, &TCestaForm1::descriptionEdited);
}

void TCestaForm1::showEvent(QShowEvent* event) {
    // Restoring a minimised window is no new showing and must not reload the route.
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TCestaForm1::FormShow() {
    const Tcesta_REC& r = m_store.editCopy;
    const RouteEditValues v = routeedit::fromRoute(r, m_store.image[3]);

    SEtlac1->setValue(v.fromButton);
    SEtlac2->setValue(v.toButton);
    SEkolej->setValue(v.track);

    ChBzakazENA->setChecked(v.testBlocked);
    Cb_DCCena->setChecked(v.dccEnabled);
    CBtlRST1->setChecked(v.cancelButton1);
    CBtlRST2->setChecked(v.cancelButton2);
    CBzabPosun->setChecked(v.unsecuredShunting);
    TXTnazev1->setText(v.description);
    TXTnazev1->setCursorPosition(0);
    m_descriptionBefore = v.description;

    CBvjezd->setEnabled(v.track != 0);
    CBvjezd->setChecked(v.entry);

    for (std::size_t k = 0; k < m_points.size(); ++k)
        m_points[k]->button(v.points[k])->setChecked(true);

    setMaskBoxes(CBdet.data(), 16, v.localDetectors);
    setMaskBoxes(CBdetR.data(), 16, v.remoteDetectors);
    setMaskBoxes(CBrele.data(), 16, v.relays);
    setMaskBoxes(CBrele.data() + 16, 16, v.extRelays);
    // R15 and R16 with a task of their own in the module are not the routes' to switch.
    CBrele[14]->setEnabled(routeedit::relay15InRoutes(m_store.image[3]));
    CBrele[15]->setEnabled(routeedit::relay16InRoutes(m_store.image[3]));

    ChBcestaENA->setChecked(v.trainRoute);
    ChBposunENA->setChecked(v.shuntingRoute);

    CBox1navestREM->setCurrentIndex(v.following);

    SEnav1->setValue(v.signal[0]);
    SEnav2->setValue(v.signal[1]);
    SEnav3->setValue(v.signal[2]);

    CBox1navest->setCurrentIndex(v.aspectIndex[0]);
    CBox2navest->setCurrentIndex(v.aspectIndex[1]);
    CBox3navest->setCurrentIndex(v.aspectIndex[2]);

    CBopakNav1->setChecked(v.repeat[0]);
    CBopakNav2->setChecked(v.repeat[1]);
    CBopakNav3->setChecked(v.repeat[2]);

    CheBsnNVena->setChecked(v.autoCancelSignal);
    CheBsnCESena->setChecked(v.autoCancelRoute);
    CBsnPOSUNena->setEnabled(v.autoCancelRoute);
    CBsnPOSUNena->setChecked(v.autoCancelShunting);
    CBsenzNV->setEnabled(v.autoCancelSignal);
    CBsenzCES->setEnabled(v.autoCancelRoute);

    CBsenzNV->setCurrentIndex(v.signalCancelInput);
    CBsenzCES->setCurrentIndex(v.routeCancelInput);

    SEnav1Change();
    SEnav2Change();
    SEnav3Change();
}

void TCestaForm1::CheBsnNVenaClick() {
    CBsenzNV->setEnabled(CheBsnNVena->isChecked());
}

void TCestaForm1::CBsenzCESChange() {
    const bool on = CheBsnCESena->isChecked();
    CBsenzCES->setEnabled(on);
    CBsnPOSUNena->setEnabled(on);
}

void TCestaForm1::signalChanged(int k) {
    const std::array<QSpinBox*, 3> spins{SEnav1, SEnav2, SEnav3};
    const std::array<QComboBox*, 3> aspects{CBox1navest, CBox2navest, CBox3navest};
    const std::array<QCheckBox*, 3> repeats{CBopakNav1, CBopakNav2, CBopakNav3};
    const auto i = static_cast<std::size_t>(k);
    const bool on = spins[i]->value() != 0;
    aspects[i]->setEnabled(on);
    repeats[i]->setEnabled(on);
}

void TCestaForm1::SEnav1Change() {
    signalChanged(0);
}

void TCestaForm1::SEnav2Change() {
    signalChanged(1);
}

void TCestaForm1::SEnav3Change() {
    signalChanged(2);
}

void TCestaForm1::SEkolejChange() {
    CBvjezd->setEnabled(SEkolej->value() != 0);
}

void TCestaForm1::CBopakNav1Click() {
    if (!routeedit::canRepeatFollowing(SEnav1->value(), CBox1navestREM->currentIndex()))
        CBopakNav1->setChecked(false);
}

void TCestaForm1::descriptionEdited(const QString& text) {
    const LimitedText kept = limitTypedText(m_descriptionBefore, text, TXTnazev1->cursorPosition(),
                                            routeedit::kDescriptionLimit);
    m_descriptionBefore = kept.text;
    if (kept.text != text) {
        TXTnazev1->setText(kept.text);
        TXTnazev1->setCursorPosition(kept.cursor);
    }
}

void TCestaForm1::commitTypedValues() {
    // A number still being typed counts as what the box will hold when it loses focus.
    for (QSpinBox* spin : {SEtlac1, SEtlac2, SEkolej, SEnav1, SEnav2, SEnav3})
        spin->interpretText();
}

RouteEditValues TCestaForm1::values() const {
    RouteEditValues v;
    v.fromButton = SEtlac1->value();
    v.toButton = SEtlac2->value();
    v.track = SEkolej->value();
    v.trainRoute = ChBcestaENA->isChecked();
    v.shuntingRoute = ChBposunENA->isChecked();
    v.unsecuredShunting = CBzabPosun->isChecked();
    v.entry = CBvjezd->isChecked();
    v.dccEnabled = Cb_DCCena->isChecked();
    v.testBlocked = ChBzakazENA->isChecked();
    v.cancelButton1 = CBtlRST1->isChecked();
    v.cancelButton2 = CBtlRST2->isChecked();
    v.description = TXTnazev1->text();
    v.localDetectors = maskOf(CBdet.data());
    v.remoteDetectors = maskOf(CBdetR.data());

    for (std::size_t k = 0; k < m_points.size(); ++k)
        v.points[k] = m_points[k]->checkedId();
    v.relays = maskOf(CBrele.data());
    v.extRelays = maskOf(CBrele.data() + 16);

    v.signal = {SEnav1->value(), SEnav2->value(), SEnav3->value()};
    v.aspectIndex = {CBox1navest->currentIndex(), CBox2navest->currentIndex(),
                     CBox3navest->currentIndex()};
    v.repeat = {CBopakNav1->isChecked(), CBopakNav2->isChecked(), CBopakNav3->isChecked()};
    v.following = CBox1navestREM->currentIndex();
    v.autoCancelSignal = CheBsnNVena->isChecked();
    v.autoCancelRoute = CheBsnCESena->isChecked();
    v.autoCancelShunting = CBsnPOSUNena->isChecked();
    v.signalCancelInput = CBsenzNV->currentIndex();
    v.routeCancelInput = CBsenzCES->currentIndex();
    return v;
}

void TCestaForm1::BtOK1Click() {
    commitTypedValues();
    const RouteEditValues v = values();
    if (const auto refusal = validateRoute(v)) {
        if (refusal->tab != RouteRefusal::Tab::Unchanged)
            PageC1->setCurrentIndex(static_cast<int>(refusal->tab));
        warningBox(this, refusal->message,
                   refusal->buttons == RouteRefusal::Buttons::OkCancel
                       ? QMessageBox::Ok | QMessageBox::Cancel
                       : QMessageBox::StandardButtons(QMessageBox::Cancel));
        return;
    }
    routeedit::toRoute(v, m_store.editCopy);
    accept();
}

bool editRoute(TCestaForm1& form, ConfigStore& store, int n) {
    if (n < 1 || n > image::kRouteCount)
        return false;
    store.editCopy = store.route(n);
    form.setWindowTitle(cestatexts::kEditCaption + QString::number(n));
    if (form.exec() != QDialog::Accepted)
        return false;
    return storeEditCopy(store, n);
}
