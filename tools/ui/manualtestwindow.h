#pragma once

#include "link/linkengine.h"
#include "settings/appsettings.h"
#include "tools/manualtestcommands.h"
#include "tools/manualtestconfig.h"

#include <QDialog>

#include <memory>
#include <vector>

class LampShape;
class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;
class QTimer;
class RadioGroup;

namespace Ui {
class ManualTestWindow;
}

// Drives one unit's outputs by hand and shows its inputs on 32 lamps. The window never touches
// the port: it prepares commands and starts or stops its unit's status poll in the link engine,
// and paints the status values the engine stored every 250 ms. ModuleTestWindow and
// ExpansionTestWindow are this window with different configurations.
class ManualTestWindow : public QDialog {
    Q_OBJECT
public:
    ManualTestWindow(const tools::ManualTestConfig& config, LinkEngine& engine,
                     const AppSettings& settings, QWidget* parent = nullptr);
    ~ManualTestWindow() override;

    const tools::ManualTestConfig& config() const { return m_config; }
    bool developerMode() const { return m_developer; }
    // This window's "swap HI/LO" alternation; survives closing and reopening.
    bool relaySwapToggle() const { return m_swap.toggle(); }

    // Paints the lamps from the status values the engine holds now (Timer1Timer).
    void refreshLamps();

protected:
    void showEvent(QShowEvent* event) override;
    // Every way of closing (ZAVŘÍT, the frame's close box, Escape) ends this window's poll, so
    // the main window's transfers are not refused by a poll nobody can see.
    void done(int result) override;

private:
    void adaptToUnit();
    void addRelayBoxes();
    void addLampPanels();
    QWidget* buildLampPanel(const QString& caption, int count, int labelSpan, const char* prefix,
                            std::vector<LampShape*>& lamps);
    void setTabOrder();
    void onShown();
    void onSetPointClicked();
    void onSetRelaysClicked();
    void onSetSignalClicked();
    void onPollClicked();
    void onCloseClicked();
    void onTestIncClicked();
    void setSetButtonsEnabled(bool enabled);
    void endPoll();

    const tools::ManualTestConfig& m_config;
    LinkEngine& m_engine;
    bool m_developer = false;
    tools::RelaySwapToggle m_swap;
    std::unique_ptr<Ui::ManualTestWindow> m_ui;

    QSpinBox* m_pointNumber = nullptr;
    RadioGroup* m_pointPosition = nullptr;
    QPushButton* m_testIncButton = nullptr;
    QPushButton* m_setPointButton = nullptr;
    std::vector<QCheckBox*> m_relayBoxes; // R1..R16 or R17..R32, bit k is box k
    QCheckBox* m_swapBox = nullptr;
    QPushButton* m_setRelaysButton = nullptr;
    QSpinBox* m_signalNumber = nullptr;
    QComboBox* m_signalCode = nullptr;
    QPushButton* m_setSignalButton = nullptr;
    std::vector<LampShape*> m_sensorLamps;
    std::vector<LampShape*> m_pushButtonLamps;
    std::vector<LampShape*> m_detectorLamps;
    QPushButton* m_pollButton = nullptr;
    QTimer* m_lampTimer = nullptr;
};

// "Test periferií/monitoring STV2": the main module.
class ModuleTestWindow : public ManualTestWindow {
    Q_OBJECT
public:
    ModuleTestWindow(LinkEngine& engine, const AppSettings& settings, QWidget* parent = nullptr);
};

// "Test periferií/monitoring EXP2": the expansion unit.
class ExpansionTestWindow : public ManualTestWindow {
    Q_OBJECT
public:
    ExpansionTestWindow(LinkEngine& engine, const AppSettings& settings, QWidget* parent = nullptr);
};
