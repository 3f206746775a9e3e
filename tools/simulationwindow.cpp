#include "tools/simulform.h"
#include "widgets/numberbox.h"

#include "widgets/controls.h"
#include "tools/simultexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
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

QLabel* namedLabel(const char* name, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

void makeBold(QWidget* w) {
    QFont f = w->font();
    f.setBold(true);
    w->setFont(f);
}

QSpinBox* namedSpin(const char* name, int max, const QString& hint, QWidget* parent) {
    auto* s = new NumberBox(parent);
    s->setObjectName(QLatin1String(name));
    // An emptied box reads as 0, not as the number it held before.
    s->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    s->setRange(0, max);
    s->setValue(0);
    s->setToolTip(hint);
    return s;
}

QFrame* horizontalLine(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

std::uint16_t boxWord(const std::array<QCheckBox*, 16>& boxes) {
    std::uint16_t word = 0;
    for (std::size_t k = 0; k < boxes.size(); ++k)
        if (boxes[k]->isChecked())
            word |= static_cast<std::uint16_t>(1U << k);
    return word;
}
} // namespace

TSimulForm1::TSimulForm1(LinkEngine& engine, const AppSettings& settings, QWidget* parent)
    : QDialog(parent), m_engine(engine), m_developer(settings.developer) {
    setObjectName(QStringLiteral("TSimulForm1"));
    setWindowTitle(simultexts::kCaption);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    buildControls();
    // Enter in a number box must not press ZAVŘÍT and end the simulation.
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(false);
    // Laid out with the developer controls shown, so switching them on never needs more room.
    setFixedSize(sizeHint());
    for (QWidget* w : developerControls())
        w->setVisible(m_developer);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTickMs);
    connect(Timer1, &QTimer::timeout, this, &TSimulForm1::Timer1Timer);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    FormCreate();
}

void TSimulForm1::buildControls() {
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
        auto* label = new QLabel(simultexts::kSignalLabel.arg(n), this);
        auto* box = new QComboBox(this);
        box->setObjectName(QStringLiteral("CBoxNav%1").arg(n));
        box->setEditable(true);
        // Typed text must never add an entry: the answer is the entry's position.
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setToolTip(simultexts::kSignalHint);
        box->addItems(simultexts::kAspects);
        label->setBuddy(box);
        CBoxNav[static_cast<std::size_t>(n - 1)] = box;
        aspects->addWidget(label, row, 2 * column);
        aspects->addWidget(box, row, 2 * column + 1);
    }
    aspects->setColumnStretch(1, 1);
    aspects->setColumnStretch(3, 1);
    aspects->setColumnStretch(5, 1);
    body->addLayout(aspects);
    body->addWidget(horizontalLine(this));

    // The module's questions, and the developer's own question.
    auto* asking = new QHBoxLayout;
    Label22 = namedLabel("Label22", simultexts::kAsking, this);
    LBreqNavA = namedLabel("LBreqNavA", QStringLiteral("0"), this);
    makeBold(LBreqNavA);
    Label23 = namedLabel("Label23", simultexts::kAnd, this);
    LBreqNavB = namedLabel("LBreqNavB", QStringLiteral("0"), this);
    makeBold(LBreqNavB);
    LBreqA = namedLabel("LBreqA", simultexts::kRequestA, this);
    SEnavREQa = namedSpin("SEnavREQa", 21, simultexts::kRequestAHint, this);
    LBspeedA = namedLabel("LBspeedA", simultexts::kSpeedAStart, this);
    LBspeedA->setMinimumWidth(LBspeedA->fontMetrics().horizontalAdvance(QStringLiteral("A=00")));
    asking->addWidget(Label22);
    asking->addWidget(LBreqNavA);
    asking->addSpacing(4);
    asking->addWidget(Label23);
    asking->addSpacing(4);
    asking->addWidget(LBreqNavB);
    asking->addStretch(1);
    asking->addWidget(LBreqA);
    asking->addWidget(SEnavREQa);
    asking->addWidget(LBspeedA);
    body->addLayout(asking);

    // Simulated sensors and detectors, each in two rows of eight.
    auto* inputs = new QGridLayout;
    inputs->setHorizontalSpacing(4);
    inputs->setVerticalSpacing(2);
    Label10 = namedLabel("Label10", simultexts::kSensors, this);
    Label9 = namedLabel("Label9", simultexts::kDetectors, this);
    inputs->addWidget(Label10, 0, 0);
    inputs->addWidget(Label9, 2, 0);
    for (int k = 0; k < 16; ++k) {
        auto* sensor = new QCheckBox(QStringLiteral("S%1").arg(k + 1), this);
        sensor->setObjectName(QStringLiteral("CBsen%1").arg(k + 1));
        CBsen[static_cast<std::size_t>(k)] = sensor;
        inputs->addWidget(sensor, k / 8, 1 + k % 8);
        auto* detector = new QCheckBox(QStringLiteral("D%1").arg(k + 1), this);
        detector->setObjectName(QStringLiteral("CBdet%1").arg(k + 1));
        CBdet[static_cast<std::size_t>(k)] = detector;
        inputs->addWidget(detector, 2 + k / 8, 1 + k % 8);
    }
    inputs->setColumnStretch(9, 1);
    body->addLayout(inputs);

    // Developer-only track data and entry directions.
    auto* track = new QHBoxLayout;
    LBkolej1 = namedLabel("LBkolej1", simultexts::kTrack, this);
    SEkolejA = namedSpin("SEkolejA", 15, simultexts::kTrackNumberHint, this);
    SEkolejB = namedSpin("SEkolejB", 15, simultexts::kTrackOccupancyHint, this);
    CBvjezd1 = new QCheckBox(simultexts::kEntry, this);
    CBvjezd1->setObjectName(QStringLiteral("CBvjezd1"));
    CBvjezd1->setToolTip(simultexts::kEntryHint);
    CBvjezd2 = new QCheckBox(simultexts::kEntry, this);
    CBvjezd2->setObjectName(QStringLiteral("CBvjezd2"));
    CBvjezd2->setToolTip(simultexts::kEntryHint);
    track->addWidget(LBkolej1);
    track->addWidget(SEkolejA);
    track->addWidget(SEkolejB);
    track->addSpacing(8);
    track->addWidget(CBvjezd1);
    track->addWidget(CBvjezd2);
    track->addStretch(1);
    body->addLayout(track);
    body->addWidget(horizontalLine(this));

    // Reply counter, the warning and the close button.
    auto* bottom = new QGridLayout;
    Label21 = namedLabel("Label21", simultexts::kReplies, this);
    LBtikRX = namedLabel("LBtikRX", QStringLiteral("0"), this);
    auto* counter = new QHBoxLayout;
    counter->addWidget(Label21);
    counter->addWidget(LBtikRX);
    counter->addStretch(1);
    Label11 = namedLabel("Label11", simultexts::kWarningTitle, this);
    makeBold(Label11);
    Label12 = namedLabel("Label12", simultexts::kWarningLine1, this);
    Label13 = namedLabel("Label13", simultexts::kWarningLine2, this);
    auto* warning = new QVBoxLayout;
    warning->setSpacing(1);
    warning->addWidget(Label11);
    warning->addWidget(Label12);
    warning->addWidget(Label13);
    Button1 = new QPushButton(simultexts::kClose, this);
    Button1->setObjectName(QStringLiteral("Button1"));
    bottom->addLayout(counter, 0, 0, Qt::AlignTop);
    bottom->addLayout(warning, 0, 1);
    bottom->addWidget(Button1, 0, 2, Qt::AlignBottom);
    bottom->setColumnStretch(0, 1);
    body->addLayout(bottom);

    // Hidden developer controls keep their place, so the window looks the same in both modes.
    for (QWidget* w : developerControls()) {
        QSizePolicy p = w->sizePolicy();
        p.setRetainSizeWhenHidden(true);
        w->setSizePolicy(p);
    }
}

std::array<QWidget*, 8> TSimulForm1::developerControls() const {
    return {SEkolejA, SEkolejB, LBkolej1, CBvjezd1, CBvjezd2, LBspeedA, SEnavREQa, LBreqA};
}

void TSimulForm1::FormCreate() {
    for (QComboBox* box : CBoxNav)
        box->setCurrentIndex(0);
    Timer1->stop();
}

void TSimulForm1::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TSimulForm1::FormShow() {
    Timer1->start();
    for (QWidget* w : developerControls())
        w->setVisible(m_developer);
}

SimulationControls TSimulForm1::controls() const {
    SimulationControls c;
    c.requestSignal = spinValue(SEnavREQa);
    for (std::size_t i = 0; i < CBoxNav.size(); ++i)
        c.aspects[i] = chosenIndex(CBoxNav[i]);
    c.sensors = boxWord(CBsen);
    c.detectors = boxWord(CBdet);
    c.trackNumber = spinValue(SEkolejA);
    c.trackOccupancy = spinValue(SEkolejB);
    c.developer = m_developer;
    return c;
}

void TSimulForm1::Timer1Timer() {
    // All eight bytes are in place before the frame is asked for; the engine reads them only
    // when it handles the request on one of its own later ticks.
    const LinkEngine::SimulationReply last = m_engine.simulationReply();
    m_engine.setSimulationData(simulationData(controls(), last));
    m_engine.requestSimulationFrame();
    const SimulationLabels labels = simulationLabels(last);
    LBtikRX->setText(labels.replies);
    LBreqNavA->setText(labels.signalA);
    LBreqNavB->setText(labels.signalB);
    LBspeedA->setText(labels.answerA);
}

void TSimulForm1::FormClose() {
    Timer1->stop();
    m_engine.endSimulation();
}

void TSimulForm1::done(int result) {
    FormClose();
    QDialog::done(result);
}
