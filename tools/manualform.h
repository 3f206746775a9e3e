#pragma once

#include "link/linkengine.h"
#include "settings/appsettings.h"
#include "tools/manualcommands.h"
#include "tools/manualconfig.h"

#include <QDialog>

#include <array>

class LampShape;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;
class RadioGroup;

// Drives one unit's outputs by hand and shows its inputs on 32 lamps. The window never touches
// the port: it prepares commands and starts or stops its unit's status poll in the link engine,
// and paints the status values the engine stored every 250 ms. TManualForm2 (main module) and
// TManualFormEX2 (expansion unit) are this window with different configurations.
class ManualForm : public QDialog {
    Q_OBJECT
public:
    ManualForm(const tools::ManualConfig& config, LinkEngine& engine, const AppSettings& settings,
               QWidget* parent = nullptr);

    const tools::ManualConfig& config() const { return m_config; }
    bool developerMode() const { return m_developer; }
    // This window's "swap HI/LO" alternation; survives closing and reopening.
    bool relaySwapToggle() const { return m_swap.toggle(); }

    // Handlers, named after the controls they serve.
    void FormShow();
    void Timer1Timer();
    void Button1Click();
    void Button2Click();
    void Button4Click();
    void Button5Click();
    void Button3Click();
    void BTtestINCClick();

protected:
    void showEvent(QShowEvent* event) override;
    // Every way of closing (ZAVŘÍT, the frame's close box, Escape) ends this window's poll, so
    // the main window's transfers are not refused by a poll nobody can see.
    void done(int result) override;

private:
    void buildControls();
    QWidget* buildLampPanel(const QString& caption, int count, int labelSpan, const char* prefix,
                            QList<LampShape*>& lamps);
    void setSetButtonsEnabled(bool enabled);
    void endPoll();

    const tools::ManualConfig& m_config;
    LinkEngine& m_engine;
    bool m_developer = false;
    tools::RelaySwapToggle m_swap;

    QLabel* LBbar1 = nullptr;
    QSpinBox* SEvyh = nullptr;   // SEvyh1a / SEvyh1
    RadioGroup* RGvyh = nullptr; // RGvyh1a / RGvyh1
    QPushButton* BTtestINC = nullptr;
    QPushButton* Button1 = nullptr;
    QLabel* Label5 = nullptr;
    std::array<QCheckBox*, 16> CBrele{};
    QCheckBox* CBswap = nullptr;
    QPushButton* Button2 = nullptr;
    QLabel* Label1 = nullptr;
    QSpinBox* SEnav1 = nullptr;
    QComboBox* CBox1navest = nullptr;
    QPushButton* Button4 = nullptr;
    QList<LampShape*> ShSN;
    QList<LampShape*> ShTL;
    QList<LampShape*> ShDET;
    QPushButton* Button5 = nullptr;
    QPushButton* Button3 = nullptr;
    QFrame* Shape1 = nullptr;
    QFrame* Shape2 = nullptr;
    QTimer* Timer1 = nullptr;
};

// "Test periferií/monitoring STV2": the main module.
class TManualForm2 : public ManualForm {
    Q_OBJECT
public:
    TManualForm2(LinkEngine& engine, const AppSettings& settings, QWidget* parent = nullptr);
};

// "Test periferií/monitoring EXP2": the expansion unit.
class TManualFormEX2 : public ManualForm {
    Q_OBJECT
public:
    TManualFormEX2(LinkEngine& engine, const AppSettings& settings, QWidget* parent = nullptr);
};
