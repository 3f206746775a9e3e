#pragma once

#include <QSize>
#include <QString>

// What makes the expansion unit's test window differ from the main module's: the two windows
// share one implementation and are told apart only by one of these.
namespace tools {

enum class TestedUnit { Main, Expansion };

struct ManualTestConfig {
    TestedUnit unit = TestedUnit::Main;
    const char* windowName = ""; // objectName of the window
    QString caption;
    QSize size;            // client area in pixels
    bool tealBars = false; // Shape2 across the top edge, Shape1 across the bottom

    const char* pointSpinName = "";     // SEvyh1a / SEvyh1
    const char* positionGroupName = ""; // RGvyh1a / RGvyh1
    int pointMin = 1;
    int pointMax = 8;
    // The position code is (chosen item + 1) times this: 1/2 on the main module, 4/8 on EXP2.
    int positionCodeFactor = 1;

    int signalMin = 1;
    int signalMax = 15;

    int firstRelay = 1; // caption number of CBrele1; the unit picks the relay command letter

    QString pushButtonLabel;
    bool pushButtonLabelOverFirstEight = false; // else it spans all sixteen lamps
    QString sensorLabel;
    QString detectorLabel;
    // ShTL15/ShTL16 show aqua while their bit is clear, and ShTL16 red when set.
    bool topButtonsOwnColours = false;
};

const ManualTestConfig& moduleTestConfig();    // TManualForm2
const ManualTestConfig& expansionTestConfig(); // TManualFormEX2

} // namespace tools
