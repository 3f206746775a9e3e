#pragma once

#include "link/linkengine.h"
#include "settings/appsettings.h"
#include "tools/simulation.h"

#include <QDialog>

#include <array>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
class QTimer;

namespace Ui {
class SimulationWindow;
}

// The PC as a second module on the line: every 600 ms while the window is open the link engine
// sends one simulation frame with the simulated neighbour's inputs and its answers, and the
// window shows what the module asked in its last reply.
class SimulationWindow : public QDialog {
    Q_OBJECT
public:
    SimulationWindow(LinkEngine& engine, const AppSettings& settings, QWidget* parent = nullptr);
    ~SimulationWindow() override;

    bool developerMode() const { return m_developer; }
    // What the controls say now, as the next frame would carry it.
    tools::SimulationControls controls() const;

    // Hands the engine the next frame's data and shows the last reply (Timer1Timer).
    void sendNextFrame();

protected:
    void showEvent(QShowEvent* event) override;
    // Closing in any way ends the simulation exchange, and only that: a transfer the main
    // window started is left running.
    void done(int result) override;

private:
    void addAspectLists();
    void addInputBoxes();
    void setTabOrder();
    std::array<QWidget*, 8> developerControls() const;
    void onCreated();
    void onShown();
    void onClosed();

    LinkEngine& m_engine;
    bool m_developer = false;
    std::unique_ptr<Ui::SimulationWindow> m_ui;

    std::array<QComboBox*, tools::kNeighbourSignals> m_aspectBoxes{};
    QLabel* m_askedSignalA = nullptr;
    QLabel* m_askedSignalB = nullptr;
    std::vector<QCheckBox*> m_sensorBoxes;   // S1..S16, bit k is box k
    std::vector<QCheckBox*> m_detectorBoxes; // D1..D16, bit k is box k
    QLabel* m_replyCount = nullptr;
    // The developer's own question about the neighbour's signal, and its answer.
    QLabel* m_requestLabel = nullptr;
    QSpinBox* m_requestSignal = nullptr;
    QLabel* m_answerA = nullptr;
    // Developer-only track data and entry directions.
    QLabel* m_trackLabel = nullptr;
    QSpinBox* m_trackNumber = nullptr;
    QSpinBox* m_trackOccupancy = nullptr;
    QCheckBox* m_entryDirection1 = nullptr;
    QCheckBox* m_entryDirection2 = nullptr;
    QTimer* m_frameTimer = nullptr;
};
