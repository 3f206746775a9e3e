#include "tools/simulationwindow.h"

#include "tools/simulationtexts.h"
#include "widgets/builders.h"
#include "widgets/controls.h"
#include "widgets/windowsize.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

using namespace tools;

namespace {
constexpr int kTickMs = 600;
} // namespace

SimulationWindow::SimulationWindow(LinkEngine& engine, const AppSettings& settings, QWidget* parent)
    : QDialog(parent), m_engine(engine), m_developer(settings.developer) {
    setObjectName(QStringLiteral("TSimulForm1"));
    setWindowTitle(simulationtexts::kCaption);
    buildControls();
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

void SimulationWindow::buildControls() {
    auto* body = new QVBoxLayout(this);
    body->setContentsMargins(10, 8, 10, 8);
    body->setSpacing(6);

    // The neighbour's signals, three columns of five.
    auto* aspects = new QGridLayout;
    aspects->setHorizontalSpacing(6);
    aspects->setVerticalSpacing(3);
    for (int n = 1; n <= kNeighbourSignals; ++n) {
        const int column = (n - 1) / 5;
        const int row = (n - 1) % 5;
        auto* label = new QLabel(simulationtexts::kSignalLabel.arg(n), this);
        QComboBox* box = widgets::editablePickList(QStringLiteral("CBoxNav%1").arg(n), QString(),
                                                   simulationtexts::kAspects, this);
        box->setToolTip(simulationtexts::kSignalHint);
        label->setBuddy(box);
        m_aspectBoxes[static_cast<std::size_t>(n - 1)] = box;
        aspects->addWidget(label, row, 2 * column);
        aspects->addWidget(box, row, 2 * column + 1);
    }
    aspects->setColumnStretch(1, 1);
    aspects->setColumnStretch(3, 1);
    aspects->setColumnStretch(5, 1);
    body->addLayout(aspects);
    body->addWidget(widgets::horizontalLine(this));

    // The module's questions, and the developer's own question.
    auto* asking = new QHBoxLayout;
    QLabel* askingLabel = widgets::label(QStringLiteral("Label22"), simulationtexts::kAsking, this);
    m_askedSignalA = widgets::label(QStringLiteral("LBreqNavA"), QStringLiteral("0"), this);
    widgets::makeBold(m_askedSignalA);
    QLabel* andLabel = widgets::label(QStringLiteral("Label23"), simulationtexts::kAnd, this);
    m_askedSignalB = widgets::label(QStringLiteral("LBreqNavB"), QStringLiteral("0"), this);
    widgets::makeBold(m_askedSignalB);
    m_requestLabel = widgets::label(QStringLiteral("LBreqA"), simulationtexts::kRequestA, this);
    m_requestSignal = widgets::numberBox(QStringLiteral("SEnavREQa"), 0, 21,
                                         simulationtexts::kRequestAHint, this);
    m_answerA = widgets::label(QStringLiteral("LBspeedA"), simulationtexts::kSpeedAStart, this);
    m_answerA->setMinimumWidth(m_answerA->fontMetrics().horizontalAdvance(QStringLiteral("A=00")));
    asking->addWidget(askingLabel);
    asking->addWidget(m_askedSignalA);
    asking->addSpacing(4);
    asking->addWidget(andLabel);
    asking->addSpacing(4);
    asking->addWidget(m_askedSignalB);
    asking->addStretch(1);
    asking->addWidget(m_requestLabel);
    asking->addWidget(m_requestSignal);
    asking->addWidget(m_answerA);
    body->addLayout(asking);

    // Simulated sensors and detectors, each in two rows of eight.
    auto* inputs = new QGridLayout;
    inputs->setHorizontalSpacing(4);
    inputs->setVerticalSpacing(2);
    inputs->addWidget(widgets::label(QStringLiteral("Label10"), simulationtexts::kSensors, this), 0,
                      0);
    inputs->addWidget(widgets::label(QStringLiteral("Label9"), simulationtexts::kDetectors, this),
                      2, 0);
    for (int k = 0; k < 16; ++k) {
        QCheckBox* sensor = widgets::checkBox(QStringLiteral("CBsen%1").arg(k + 1),
                                              QStringLiteral("S%1").arg(k + 1), this);
        m_sensorBoxes.push_back(sensor);
        inputs->addWidget(sensor, k / 8, 1 + k % 8);
        QCheckBox* detector = widgets::checkBox(QStringLiteral("CBdet%1").arg(k + 1),
                                                QStringLiteral("D%1").arg(k + 1), this);
        m_detectorBoxes.push_back(detector);
        inputs->addWidget(detector, 2 + k / 8, 1 + k % 8);
    }
    inputs->setColumnStretch(9, 1);
    body->addLayout(inputs);

    // Developer-only track data and entry directions.
    auto* track = new QHBoxLayout;
    m_trackLabel = widgets::label(QStringLiteral("LBkolej1"), simulationtexts::kTrack, this);
    m_trackNumber = widgets::numberBox(QStringLiteral("SEkolejA"), 0, 15,
                                       simulationtexts::kTrackNumberHint, this);
    m_trackOccupancy = widgets::numberBox(QStringLiteral("SEkolejB"), 0, 15,
                                          simulationtexts::kTrackOccupancyHint, this);
    m_entryDirection1 =
        widgets::checkBox(QStringLiteral("CBvjezd1"), simulationtexts::kEntry, this);
    m_entryDirection1->setToolTip(simulationtexts::kEntryHint);
    m_entryDirection2 =
        widgets::checkBox(QStringLiteral("CBvjezd2"), simulationtexts::kEntry, this);
    m_entryDirection2->setToolTip(simulationtexts::kEntryHint);
    track->addWidget(m_trackLabel);
    track->addWidget(m_trackNumber);
    track->addWidget(m_trackOccupancy);
    track->addSpacing(8);
    track->addWidget(m_entryDirection1);
    track->addWidget(m_entryDirection2);
    track->addStretch(1);
    body->addLayout(track);
    body->addWidget(widgets::horizontalLine(this));

    // Reply counter, the warning and the close button.
    auto* bottom = new QGridLayout;
    QLabel* repliesLabel =
        widgets::label(QStringLiteral("Label21"), simulationtexts::kReplies, this);
    m_replyCount = widgets::label(QStringLiteral("LBtikRX"), QStringLiteral("0"), this);
    auto* counter = new QHBoxLayout;
    counter->addWidget(repliesLabel);
    counter->addWidget(m_replyCount);
    counter->addStretch(1);
    QLabel* warningTitle =
        widgets::label(QStringLiteral("Label11"), simulationtexts::kWarningTitle, this);
    widgets::makeBold(warningTitle);
    auto* warning = new QVBoxLayout;
    warning->setSpacing(1);
    warning->addWidget(warningTitle);
    warning->addWidget(
        widgets::label(QStringLiteral("Label12"), simulationtexts::kWarningLine1, this));
    warning->addWidget(
        widgets::label(QStringLiteral("Label13"), simulationtexts::kWarningLine2, this));
    auto* closeButton = new QPushButton(simulationtexts::kClose, this);
    closeButton->setObjectName(QStringLiteral("Button1"));
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    bottom->addLayout(counter, 0, 0, Qt::AlignTop);
    bottom->addLayout(warning, 0, 1);
    bottom->addWidget(closeButton, 0, 2, Qt::AlignBottom);
    bottom->setColumnStretch(0, 1);
    body->addLayout(bottom);

    // Hidden developer controls keep their place, so the window looks the same in both modes.
    for (QWidget* w : developerControls()) {
        QSizePolicy p = w->sizePolicy();
        p.setRetainSizeWhenHidden(true);
        w->setSizePolicy(p);
    }
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
