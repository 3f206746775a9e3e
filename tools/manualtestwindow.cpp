#include "tools/manualform.h"
#include "widgets/numberbox.h"

#include "widgets/controls.h"
#include "tools/lampcolours.h"
#include "tools/manualpoll.h"
#include "tools/manualtexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

using namespace tools;

namespace {
constexpr int kLampRefreshMs = 250;
const QColor kTeal(0, 128, 128);

QFrame* horizontalLine(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QFrame* tealBar(const char* name, QWidget* parent) {
    auto* bar = new QFrame(parent);
    bar->setObjectName(QLatin1String(name));
    bar->setFixedHeight(6);
    bar->setAutoFillBackground(true);
    QPalette p = bar->palette();
    p.setColor(QPalette::Window, kTeal);
    bar->setPalette(p);
    return bar;
}

// A number box reads an emptied text as its minimum and a typed number outside its range as the
// nearest bound, rather than silently sending whatever number it held before.
QSpinBox* numberBox(const char* name, int min, int max, QWidget* parent) {
    auto* box = new NumberBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    box->setRange(min, max);
    box->setValue(min);
    return box;
}

QPushButton* setButton(const char* name, QWidget* parent) {
    auto* b = new QPushButton(manualtexts::kSet, parent);
    b->setObjectName(QLatin1String(name));
    b->setFixedWidth(48);
    return b;
}

// Centre of the first and of the last word of a lamp caption, in pixels from its left edge:
// the lamps are spread so that these words stand over the first and the last lamp they name.
std::pair<double, double> wordCentres(const QFontMetrics& fm, const QString& text) {
    const QString trimmed = text.trimmed();
    const QString first = trimmed.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    const QString last = trimmed.section(QLatin1Char(' '), -1, -1, QString::SectionSkipEmpty);
    const double left = fm.horizontalAdvance(first) / 2.0;
    const double right = fm.horizontalAdvance(trimmed) - fm.horizontalAdvance(last) / 2.0;
    return {left, right};
}
} // namespace

ManualForm::ManualForm(const ManualConfig& config, LinkEngine& engine, const AppSettings& settings,
                       QWidget* parent)
    : QDialog(parent), m_config(config), m_engine(engine), m_developer(settings.developer) {
    setObjectName(QLatin1String(config.className));
    setWindowTitle(config.caption);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    buildControls();
    // Enter in a number box must not press a button: a stray Set would move a point machine.
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(false);
    setFixedSize(config.size);

    BTtestINC->setVisible(m_developer);
    BTtestINC->setEnabled(m_developer);
    CBswap->setVisible(m_developer);
    CBswap->setEnabled(m_developer);

    connect(Button1, &QPushButton::clicked, this, &ManualForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &ManualForm::Button2Click);
    connect(Button4, &QPushButton::clicked, this, &ManualForm::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &ManualForm::Button5Click);
    connect(Button3, &QPushButton::clicked, this, &ManualForm::Button3Click);
    connect(BTtestINC, &QPushButton::clicked, this, &ManualForm::BTtestINCClick);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kLampRefreshMs);
    connect(Timer1, &QTimer::timeout, this, &ManualForm::Timer1Timer);
    Timer1->start();
    Timer1Timer();
}

void ManualForm::buildControls() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    if (m_config.tealBars) {
        Shape2 = tealBar("Shape2", this);
        outer->addWidget(Shape2);
    }
    auto* body = new QVBoxLayout;
    body->setContentsMargins(8, 6, 8, 6);
    body->setSpacing(4);
    outer->addLayout(body, 1);
    if (m_config.tealBars) {
        Shape1 = tealBar("Shape1", this);
        outer->addWidget(Shape1);
    }

    // Point machine row.
    auto* pointRow = new QHBoxLayout;
    LBbar1 = new QLabel(manualtexts::kPointHeading, this);
    LBbar1->setObjectName(QStringLiteral("LBbar1"));
    SEvyh = numberBox(m_config.pointSpinName, m_config.pointMin, m_config.pointMax, this);
    SEvyh->setToolTip(manualtexts::kPointHint);
    RGvyh = new RadioGroup(QLatin1String(m_config.positionGroupName), manualtexts::kPosition,
                           {manualtexts::kStraight, manualtexts::kDiverging}, 2, this);
    BTtestINC = new QPushButton(manualtexts::kTestInc, this);
    BTtestINC->setObjectName(QStringLiteral("BTtestINC"));
    Button1 = setButton("Button1", this);
    pointRow->addWidget(LBbar1);
    pointRow->addWidget(SEvyh);
    pointRow->addSpacing(8);
    pointRow->addWidget(RGvyh);
    pointRow->addStretch(1);
    pointRow->addWidget(BTtestINC);
    pointRow->addWidget(Button1);
    body->addLayout(pointRow);
    body->addWidget(horizontalLine(this));

    // Two relay rows.
    auto* relays = new QGridLayout;
    relays->setHorizontalSpacing(2);
    relays->setVerticalSpacing(2);
    Label5 = new QLabel(manualtexts::kRelayHeading, this);
    Label5->setObjectName(QStringLiteral("Label5"));
    relays->addWidget(Label5, 0, 0);
    for (int k = 0; k < 16; ++k) {
        auto* box = new QCheckBox(QStringLiteral("R%1").arg(m_config.firstRelay + k), this);
        box->setObjectName(QStringLiteral("CBrele%1").arg(k + 1));
        CBrele[static_cast<std::size_t>(k)] = box;
        relays->addWidget(box, k / 8, 1 + k % 8);
    }
    CBswap = new QCheckBox(manualtexts::kSwap, this);
    CBswap->setObjectName(QStringLiteral("CBswap"));
    relays->addWidget(CBswap, 2, 1, 1, 4);
    Button2 = setButton("Button2", this);
    relays->setColumnStretch(9, 1);
    relays->addWidget(Button2, 0, 10, 2, 1, Qt::AlignVCenter);
    body->addLayout(relays);
    body->addWidget(horizontalLine(this));

    // Signal row.
    auto* signalRow = new QHBoxLayout;
    Label1 = new QLabel(manualtexts::kSignalHeading, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    SEnav1 = numberBox("SEnav1", m_config.signalMin, m_config.signalMax, this);
    SEnav1->setToolTip(manualtexts::kSignalHint);
    CBox1navest = new QComboBox(this);
    CBox1navest->setObjectName(QStringLiteral("CBox1navest"));
    CBox1navest->setEditable(true);
    // Typed text must never become a new entry: the code sent is the entry's position.
    CBox1navest->setInsertPolicy(QComboBox::NoInsert);
    CBox1navest->setPlaceholderText(manualtexts::kSignalCodePrompt);
    CBox1navest->lineEdit()->setPlaceholderText(manualtexts::kSignalCodePrompt);
    CBox1navest->addItems(manualtexts::kSignalCodes);
    CBox1navest->setCurrentIndex(-1);
    CBox1navest->setMaxVisibleItems(16);
    Button4 = setButton("Button4", this);
    signalRow->addWidget(Label1);
    signalRow->addWidget(SEnav1);
    signalRow->addWidget(CBox1navest, 1);
    signalRow->addWidget(Button4);
    body->addLayout(signalRow);
    body->addWidget(horizontalLine(this));

    // Lamp panels: sensors over detectors on the left, push-buttons on the right.
    auto* lamps = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(buildLampPanel(m_config.sensorLabel, 8, 8, "ShSN", ShSN));
    left->addWidget(buildLampPanel(m_config.detectorLabel, 8, 8, "ShDET", ShDET));
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(buildLampPanel(m_config.pushButtonLabel, 16,
                                    m_config.pushButtonLabelOverFirstEight ? 8 : 14, "ShTL", ShTL));
    right->addStretch(1);
    auto* buttons = new QHBoxLayout;
    Button5 = new QPushButton(manualtexts::kPollFirst, this);
    Button5->setObjectName(QStringLiteral("Button5"));
    Button3 = new QPushButton(manualtexts::kClose, this);
    Button3->setObjectName(QStringLiteral("Button3"));
    QFont bold = Button3->font();
    bold.setBold(true);
    Button3->setFont(bold);
    buttons->addStretch(1);
    buttons->addWidget(Button5);
    buttons->addWidget(Button3);
    right->addLayout(buttons);
    lamps->addLayout(left);
    lamps->addStretch(1);
    lamps->addLayout(right);
    body->addLayout(lamps, 1);
}

QWidget* ManualForm::buildLampPanel(const QString& caption, int count, int labelSpan,
                                    const char* prefix, QList<LampShape*>& lamps) {
    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::Box);
    panel->setFrameShadow(QFrame::Sunken);
    auto* label = new QLabel(caption, panel);
    label->adjustSize();

    constexpr int margin = 6;
    const auto [firstCentre, lastCentre] = wordCentres(label->fontMetrics(), caption);
    const double pitch =
        std::clamp((lastCentre - firstCentre) / std::max(1, labelSpan - 1), 11.0, 24.0);
    // The first lamp stands under the first word; a first word narrower than a lamp would put
    // the lamp past the panel's edge, so the caption moves right instead.
    const double shift = std::max(0.0, LampShape::kWidth / 2.0 - firstCentre);
    label->move(margin + qRound(shift), margin - 2);
    const int lampTop = margin + label->height() + 2;
    int right = label->x() + label->width();
    for (int k = 0; k < count; ++k) {
        // ShTL8 and ShSN8 close the groups their caption names and get the wider outline.
        const bool wide =
            (k == 7 && (qstrcmp(prefix, "ShTL") == 0 || qstrcmp(prefix, "ShSN") == 0));
        auto* lamp = new LampShape(wide ? 2 : 1, panel);
        lamp->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(k + 1));
        const double centre = margin + shift + firstCentre + k * pitch;
        lamp->move(qRound(centre - LampShape::kWidth / 2.0), lampTop);
        right = std::max(right, lamp->x() + LampShape::kWidth);
        lamps << lamp;
    }
    panel->setFixedSize(right + margin, lampTop + LampShape::kHeight + margin);
    return panel;
}

void ManualForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void ManualForm::FormShow() {
    setSetButtonsEnabled(true);
    CBswap->setChecked(false);
    CBswap->setVisible(m_developer);
    CBswap->setEnabled(m_developer);
    BTtestINC->setVisible(m_developer);
    BTtestINC->setEnabled(m_developer);
}

void ManualForm::Timer1Timer() {
    const LampColours c = lampColours(m_config, shownStatus(m_config, m_engine));
    const auto paint = [](const QList<LampShape*>& lamps, const auto& colours) {
        const int count =
            std::min(static_cast<int>(lamps.size()), static_cast<int>(colours.size()));
        for (int k = 0; k < count; ++k)
            lamps[k]->setBrushColor(QColor::fromRgb(lampRgb(colours[static_cast<std::size_t>(k)])));
    };
    paint(ShTL, c.pushButtons);
    paint(ShSN, c.sensors);
    paint(ShDET, c.detectors);
}

void ManualForm::Button1Click() {
    m_engine.prepareCommand(pointCommand(m_config, spinValue(SEvyh), RGvyh->itemIndex()));
}

void ManualForm::Button2Click() {
    std::uint16_t word = 0;
    for (int k = 0; k < 16; ++k)
        if (CBrele[static_cast<std::size_t>(k)]->isChecked())
            word |= static_cast<std::uint16_t>(1U << k);
    const bool highFirst = m_swap.nextHighByteFirst(CBswap->isChecked());
    m_engine.prepareCommand(relayCommand(m_config, word, highFirst));
}

void ManualForm::Button4Click() {
    m_engine.prepareCommand(signalCommand(m_config, spinValue(SEnav1), chosenIndex(CBox1navest)));
}

void ManualForm::Button5Click() {
    switch (switchPoll(m_config, m_engine)) {
    case PollSwitch::Started:
        Button5->setText(manualtexts::kPollOn);
        setSetButtonsEnabled(false);
        break;
    case PollSwitch::Stopped:
        Button5->setText(manualtexts::kPollOff);
        setSetButtonsEnabled(true);
        break;
    case PollSwitch::Unchanged:
        break;
    }
}

void ManualForm::Button3Click() {
    endPoll();
    accept();
}

void ManualForm::BTtestINCClick() {
    Button1Click();
    const PointSelection next = testIncNext(m_config, {spinValue(SEvyh), RGvyh->itemIndex()});
    RGvyh->setItemIndex(next.positionIndex);
    SEvyh->setValue(next.machine);
}

void ManualForm::done(int result) {
    endPoll();
    QDialog::done(result);
}

void ManualForm::endPoll() {
    // The caption must not go on claiming a poll that closing has just ended.
    if (stopPoll(m_config, m_engine)) {
        Button5->setText(manualtexts::kPollOff);
        setSetButtonsEnabled(true);
    }
}

void ManualForm::setSetButtonsEnabled(bool enabled) {
    Button1->setEnabled(enabled);
    Button2->setEnabled(enabled);
    Button4->setEnabled(enabled);
}

TManualForm2::TManualForm2(LinkEngine& engine, const AppSettings& settings, QWidget* parent)
    : ManualForm(stv2Config(), engine, settings, parent) {}

TManualFormEX2::TManualFormEX2(LinkEngine& engine, const AppSettings& settings, QWidget* parent)
    : ManualForm(exp2Config(), engine, settings, parent) {}
