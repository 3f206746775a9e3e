#include "tools/ui/manualtestwindow.h"

#include "tools/lampcolours.h"
#include "tools/manualtestpoll.h"
#include "tools/manualtesttexts.h"
#include "ui_manualtestwindow.h"
#include "widgets/builders.h"
#include "widgets/controls.h"
#include "widgets/windowsize.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

#include <algorithm>

using namespace tools;

namespace {
constexpr int kLampRefreshMs = 250;

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

ManualTestWindow::ManualTestWindow(const ManualTestConfig& config, LinkEngine& engine,
                                   const AppSettings& settings, QWidget* parent)
    : QDialog(parent), m_config(config), m_engine(engine), m_developer(settings.developer),
      m_ui(std::make_unique<Ui::ManualTestWindow>()) {
    setObjectName(QLatin1String(config.windowName));
    m_ui->setupUi(this);
    setWindowTitle(config.caption);
    m_pointNumber = m_ui->SEvyh1a;
    m_pointPosition = m_ui->RGvyh1a;
    m_testIncButton = m_ui->BTtestINC;
    m_setPointButton = m_ui->Button1;
    m_swapBox = m_ui->CBswap;
    m_setRelaysButton = m_ui->Button2;
    m_signalNumber = m_ui->SEnav1;
    m_signalCode = m_ui->CBox1navest;
    m_setSignalButton = m_ui->Button4;
    m_pollButton = m_ui->Button5;
    adaptToUnit();
    addRelayBoxes();
    addLampPanels();
    setTabOrder();
    // Enter in a number box must not press a button: a stray Set would move a point machine.
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(false);
    fitToContents(this, config.size);

    m_testIncButton->setVisible(m_developer);
    m_testIncButton->setEnabled(m_developer);
    m_swapBox->setVisible(m_developer);
    m_swapBox->setEnabled(m_developer);

    connect(m_setPointButton, &QPushButton::clicked, this, &ManualTestWindow::onSetPointClicked);
    connect(m_setRelaysButton, &QPushButton::clicked, this, &ManualTestWindow::onSetRelaysClicked);
    connect(m_setSignalButton, &QPushButton::clicked, this, &ManualTestWindow::onSetSignalClicked);
    connect(m_pollButton, &QPushButton::clicked, this, &ManualTestWindow::onPollClicked);
    connect(m_testIncButton, &QPushButton::clicked, this, &ManualTestWindow::onTestIncClicked);
    connect(m_ui->Button3, &QPushButton::clicked, this, &ManualTestWindow::onCloseClicked);

    m_lampTimer = new QTimer(this);
    m_lampTimer->setObjectName(QStringLiteral("Timer1"));
    m_lampTimer->setInterval(kLampRefreshMs);
    connect(m_lampTimer, &QTimer::timeout, this, &ManualTestWindow::refreshLamps);
    m_lampTimer->start();
    refreshLamps();
}

ManualTestWindow::~ManualTestWindow() = default;

// The form is drawn for the main module; the expansion unit's controls have names and ranges
// of their own and sit between two teal bars.
void ManualTestWindow::adaptToUnit() {
    m_pointNumber->setObjectName(QLatin1String(m_config.pointSpinName));
    m_pointNumber->setRange(m_config.pointMin, m_config.pointMax);
    m_pointNumber->setValue(m_config.pointMin);
    m_pointPosition->setObjectName(QLatin1String(m_config.positionGroupName));
    m_signalNumber->setRange(m_config.signalMin, m_config.signalMax);
    m_signalNumber->setValue(m_config.signalMin);
    widgets::startUnchosen(m_signalCode);
    if (m_config.tealBars) {
        m_ui->outer->insertWidget(0, widgets::tealBar(this, QStringLiteral("Shape2")));
        m_ui->outer->addWidget(widgets::tealBar(this, QStringLiteral("Shape1")));
    }
}

// Two rows of eight, captioned with the unit's relay numbers.
void ManualTestWindow::addRelayBoxes() {
    for (int k = 0; k < 16; ++k) {
        QCheckBox* box =
            widgets::checkBox(QStringLiteral("CBrele%1").arg(k + 1),
                              QStringLiteral("R%1").arg(m_config.firstRelay + k), this);
        m_relayBoxes.push_back(box);
        m_ui->relays->addWidget(box, k / 8, 1 + k % 8);
    }
}

void ManualTestWindow::addLampPanels() {
    m_ui->leftLamps->insertWidget(
        0, buildLampPanel(m_config.sensorLabel, 8, 8, "ShSN", m_sensorLamps));
    m_ui->leftLamps->insertWidget(
        1, buildLampPanel(m_config.detectorLabel, 8, 8, "ShDET", m_detectorLamps));
    m_ui->rightLamps->insertWidget(0,
                                   buildLampPanel(m_config.pushButtonLabel, 16,
                                                  m_config.pushButtonLabelOverFirstEight ? 8 : 14,
                                                  "ShTL", m_pushButtonLamps));
}

// Tab goes through the rows from top to bottom, as the window reads.
void ManualTestWindow::setTabOrder() {
    std::vector<QWidget*> order = {m_pointNumber, m_pointPosition, m_testIncButton,
                                   m_setPointButton};
    order.insert(order.end(), m_relayBoxes.begin(), m_relayBoxes.end());
    order.insert(order.end(), {m_swapBox, m_setRelaysButton, m_signalNumber, m_signalCode,
                               m_setSignalButton, m_pollButton, m_ui->Button3});
    widgets::chainTabOrder(order);
}

QWidget* ManualTestWindow::buildLampPanel(const QString& caption, int count, int labelSpan,
                                          const char* prefix, std::vector<LampShape*>& lamps) {
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
        lamps.push_back(lamp);
    }
    panel->setFixedSize(right + margin, lampTop + LampShape::kHeight + margin);
    return panel;
}

void ManualTestWindow::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        onShown();
    QDialog::showEvent(event);
}

// FormShow
void ManualTestWindow::onShown() {
    setSetButtonsEnabled(true);
    m_swapBox->setChecked(false);
    m_swapBox->setVisible(m_developer);
    m_swapBox->setEnabled(m_developer);
    m_testIncButton->setVisible(m_developer);
    m_testIncButton->setEnabled(m_developer);
}

void ManualTestWindow::refreshLamps() {
    const LampColours c = lampColours(m_config, shownStatus(m_config, m_engine));
    const auto paint = [](const std::vector<LampShape*>& lamps, const auto& colours) {
        const std::size_t count = std::min(lamps.size(), colours.size());
        for (std::size_t k = 0; k < count; ++k)
            lamps[k]->setBrushColor(QColor::fromRgb(lampRgb(colours[k])));
    };
    paint(m_pushButtonLamps, c.pushButtons);
    paint(m_sensorLamps, c.sensors);
    paint(m_detectorLamps, c.detectors);
}

// Button1Click
void ManualTestWindow::onSetPointClicked() {
    m_engine.prepareCommand(
        pointCommand(m_config, spinValue(m_pointNumber), m_pointPosition->itemIndex()));
}

// Button2Click
void ManualTestWindow::onSetRelaysClicked() {
    const auto word = static_cast<std::uint16_t>(widgets::checkedMask(m_relayBoxes));
    const bool highFirst = m_swap.nextHighByteFirst(m_swapBox->isChecked());
    m_engine.prepareCommand(relayCommand(m_config, word, highFirst));
}

// Button4Click
void ManualTestWindow::onSetSignalClicked() {
    m_engine.prepareCommand(
        signalCommand(m_config, spinValue(m_signalNumber), chosenIndex(m_signalCode)));
}

// Button5Click
void ManualTestWindow::onPollClicked() {
    switch (switchPoll(m_config, m_engine)) {
    case PollSwitch::Started:
        m_pollButton->setText(manualtesttexts::kPollOn);
        setSetButtonsEnabled(false);
        break;
    case PollSwitch::Stopped:
        m_pollButton->setText(manualtesttexts::kPollOff);
        setSetButtonsEnabled(true);
        break;
    case PollSwitch::Unchanged:
        break;
    }
}

// Button3Click
void ManualTestWindow::onCloseClicked() {
    endPoll();
    accept();
}

// BTtestINCClick
void ManualTestWindow::onTestIncClicked() {
    onSetPointClicked();
    const PointSelection next =
        testIncNext(m_config, {spinValue(m_pointNumber), m_pointPosition->itemIndex()});
    m_pointPosition->setItemIndex(next.positionIndex);
    m_pointNumber->setValue(next.machine);
}

void ManualTestWindow::done(int result) {
    endPoll();
    QDialog::done(result);
}

void ManualTestWindow::endPoll() {
    // The caption must not go on claiming a poll that closing has just ended.
    if (stopPoll(m_config, m_engine)) {
        m_pollButton->setText(manualtesttexts::kPollOff);
        setSetButtonsEnabled(true);
    }
}

void ManualTestWindow::setSetButtonsEnabled(bool enabled) {
    m_setPointButton->setEnabled(enabled);
    m_setRelaysButton->setEnabled(enabled);
    m_setSignalButton->setEnabled(enabled);
}

ModuleTestWindow::ModuleTestWindow(LinkEngine& engine, const AppSettings& settings, QWidget* parent)
    : ManualTestWindow(moduleTestConfig(), engine, settings, parent) {}

ExpansionTestWindow::ExpansionTestWindow(LinkEngine& engine, const AppSettings& settings,
                                         QWidget* parent)
    : ManualTestWindow(expansionTestConfig(), engine, settings, parent) {}
