#pragma once

#include "link/linkengine.h"
#include "settings/appsettings.h"
#include "tools/simulation.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;

// The PC as a second module on the line: every 600 ms while the window is open the link engine
// sends one simulation frame with the simulated neighbour's inputs and its answers, and the
// window shows what the module asked in its last reply.
class TSimulForm1 : public QDialog {
    Q_OBJECT
public:
    TSimulForm1(LinkEngine& engine, const AppSettings& settings, QWidget* parent = nullptr);

    bool developerMode() const { return m_developer; }
    // What the controls say now, as the next frame would carry it.
    tools::SimulationControls controls() const;

    // Handlers.
    void FormCreate();
    void FormShow();
    void Timer1Timer();
    void FormClose();

protected:
    void showEvent(QShowEvent* event) override;
    // Closing in any way ends the simulation exchange, and only that: a transfer the main
    // window started is left running.
    void done(int result) override;

private:
    void buildControls();
    std::array<QWidget*, 8> developerControls() const;

    LinkEngine& m_engine;
    bool m_developer = false;

    std::array<QComboBox*, tools::kNeighbourSignals> CBoxNav{};
    QLabel* Label22 = nullptr;
    QLabel* LBreqNavA = nullptr;
    QLabel* Label23 = nullptr;
    QLabel* LBreqNavB = nullptr;
    QLabel* Label10 = nullptr;
    std::array<QCheckBox*, 16> CBsen{};
    QLabel* Label9 = nullptr;
    std::array<QCheckBox*, 16> CBdet{};
    QLabel* Label21 = nullptr;
    QLabel* LBtikRX = nullptr;
    QLabel* LBreqA = nullptr;
    QSpinBox* SEnavREQa = nullptr;
    QLabel* LBspeedA = nullptr;
    QLabel* LBkolej1 = nullptr;
    QSpinBox* SEkolejA = nullptr;
    QSpinBox* SEkolejB = nullptr;
    QCheckBox* CBvjezd1 = nullptr;
    QCheckBox* CBvjezd2 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label13 = nullptr;
    QPushButton* Button1 = nullptr;
    QTimer* Timer1 = nullptr;
};
