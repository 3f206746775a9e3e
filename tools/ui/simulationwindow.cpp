#include "tools/ui/simulationwindow.h"

#include "tools/ui/simulationtexts.h"
#include "ui_simulationwindow.h"
#include "widgets/builders.h"
#include "widgets/controls.h"
#include "widgets/windowsize.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTimer>

using namespace tools;

namespace {
constexpr int kTickMs = 600;
} // namespace

SimulationWindow::SimulationWindow(LinkEngine& engine, const AppSettings& settings, QWidget* parent)
    : QDialog(parent), m_engine(engine), m_developer(settings.developer),
      m_ui(std::make_unique<Ui::SimulationWindow>()) {
    m_ui->setupUi(this);
    m_askedSignalA = m_ui->LBreqNavA;
    m_askedSignalB = m_ui->LBreqNavB;
    m_replyCount = m_ui->LBtikRX;
    m_requestLabel = m_ui->LBreqA;
    m_requestSignal = m_ui->SEnavREQa;
    m_answerA = m_ui->LBspeedA;
    m_trackLabel = m_ui->LBkolej1;
    m_trackNumber = m_ui->SEkolejA;
    m_trackOccupancy = m_ui->SEkolejB;
    m_entryDirection1 = m_ui->CBvjezd1;
    m_entryDirection2 = m_ui->CBvjezd2;
    addAspectLists();
    addInputBoxes();
    setTabOrder();
    m_answerA->setMinimumWidth(m_answerA->fontMetrics().horizontalAdvance(QStringLiteral("A=00")));
    // Hidden developer controls keep their place, so the window looks the same in both modes.
    for (QWidget* w : developerControls()) {
        QSizePolicy p = w->sizePolicy();
        p.setRetainSizeWhenHidden(true);
        w->setSizePolicy(p);
    }
    connect(m_ui->Button1, &QPushButton::clicked, this, &QDialog::accept);
    // Enter in a number box must not press ZAVŘÍT and end the simulation.
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(false);
    // Laid out with the developer controls shown, so switching them on never needs more room.
    fitToContents(this, sizeHint());
    for (QWidget* w : developerControls())
        w->setVisible(m_developer);

    m_frameTimer = new QTimer(this);
    m_frameTimer->setObjectName(QStringLiteral("Timer1"));
    m_frameTimer->setInterval(kTickMs);
    connect(m_frameTimer, &QTimer::timeout, this, &SimulationWindow::sendNextFrame);
    onCreated();
}

SimulationWindow::~SimulationWindow() = default;

// Three columns of five.
void SimulationWindow::addAspectLists() {
    for (int n = 1; n <= kNeighbourSignals; ++n) {
        const int column = (n - 1) / 5;
        const int row = (n - 1) % 5;
        auto* label = new QLabel(simulationtexts::kSignalLabel.arg(n), this);
        QComboBox* box = widgets::editablePickList(QStringLiteral("CBoxNav%1").arg(n), QString(),
                                                   simulationtexts::kAspects, this);
        box->setToolTip(simulationtexts::kSignalHint);
        label->setBuddy(box);
        m_aspectBoxes[static_cast<std::size_t>(n - 1)] = box;
        m_ui->aspects->addWidget(label, row, 2 * column);
        m_ui->aspects->addWidget(box, row, 2 * column + 1);
    }
}

// Simulated sensors and detectors, each in two rows of eight.
void SimulationWindow::addInputBoxes() {
    for (int k = 0; k < 16; ++k) {
        QCheckBox* sensor = widgets::checkBox(QStringLiteral("CBsen%1").arg(k + 1),
                                              QStringLiteral("S%1").arg(k + 1), this);
        m_sensorBoxes.push_back(sensor);
        m_ui->inputs->addWidget(sensor, k / 8, 1 + k % 8);
        QCheckBox* detector = widgets::checkBox(QStringLiteral("CBdet%1").arg(k + 1),
                                                QStringLiteral("D%1").arg(k + 1), this);
        m_detectorBoxes.push_back(detector);
        m_ui->inputs->addWidget(detector, 2 + k / 8, 1 + k % 8);
    }
}

// Tab goes through the signals, the developer's question, then each sensor with its detector.
void SimulationWindow::setTabOrder() {
    std::vector<QWidget*> order(m_aspectBoxes.begin(), m_aspectBoxes.end());
    order.push_back(m_requestSignal);
    for (std::size_t k = 0; k < m_sensorBoxes.size(); ++k)
        order.insert(order.end(), {m_sensorBoxes[k], m_detectorBoxes[k]});
    order.insert(order.end(), {m_trackNumber, m_trackOccupancy, m_entryDirection1,
                               m_entryDirection2, m_ui->Button1});
    widgets::chainTabOrder(order);
}

std::array<QWidget*, 8> SimulationWindow::developerControls() const {
    return {m_trackNumber,     m_trackOccupancy, m_trackLabel,    m_entryDirection1,
            m_entryDirection2, m_answerA,        m_requestSignal, m_requestLabel};
}

// FormCreate
void SimulationWindow::onCreated() {
    for (QComboBox* box : m_aspectBoxes)
        box->setCurrentIndex(0);
    m_frameTimer->stop();
}

void SimulationWindow::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        onShown();
    QDialog::showEvent(event);
}

// FormShow
void SimulationWindow::onShown() {
    m_frameTimer->start();
    for (QWidget* w : developerControls())
        w->setVisible(m_developer);
}

SimulationControls SimulationWindow::controls() const {
    SimulationControls c;
    c.requestSignal = spinValue(m_requestSignal);
    for (std::size_t i = 0; i < m_aspectBoxes.size(); ++i)
        c.aspects[i] = chosenIndex(m_aspectBoxes[i]);
    c.sensors = static_cast<std::uint16_t>(widgets::checkedMask(m_sensorBoxes));
    c.detectors = static_cast<std::uint16_t>(widgets::checkedMask(m_detectorBoxes));
    c.trackNumber = spinValue(m_trackNumber);
    c.trackOccupancy = spinValue(m_trackOccupancy);
    c.developer = m_developer;
    return c;
}

void SimulationWindow::sendNextFrame() {
    // All eight bytes are in place before the frame is asked for; the engine reads them only
    // when it handles the request on one of its own later ticks.
    const LinkEngine::SimulationReply last = m_engine.simulationReply();
    m_engine.setSimulationData(simulationData(controls(), last));
    m_engine.requestSimulationFrame();
    const SimulationLabels labels = simulationLabels(last);
    m_replyCount->setText(labels.replies);
    m_askedSignalA->setText(labels.signalA);
    m_askedSignalB->setText(labels.signalB);
    m_answerA->setText(labels.answerA);
}

// FormClose
void SimulationWindow::onClosed() {
    m_frameTimer->stop();
    m_engine.endSimulation();
}

void SimulationWindow::done(int result) {
    onClosed();
    QDialog::done(result);
}
