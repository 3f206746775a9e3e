#include "tools/manualtestconfig.h"

#include "tools/manualtesttexts.h"

namespace tools {

const ManualTestConfig& moduleTestConfig() {
    static const ManualTestConfig c = [] {
        ManualTestConfig m;
        m.unit = TestedUnit::Main;
        m.windowName = "TManualForm2";
        m.caption = manualtesttexts::kCaptionStv2;
        m.size = QSize(456, 383);
        m.tealBars = false;
        m.pointSpinName = "SEvyh1a";
        m.positionGroupName = "RGvyh1a";
        m.pointMin = 1;
        m.pointMax = 8;
        m.positionCodeFactor = 1;
        m.signalMin = 1;
        m.signalMax = 15;
        m.firstRelay = 1;
        m.pushButtonLabel = manualtesttexts::kButtonsStv2;
        m.pushButtonLabelOverFirstEight = false;
        m.sensorLabel = manualtesttexts::kSensorsStv2;
        m.detectorLabel = manualtesttexts::kDetectorsStv2;
        m.topButtonsOwnColours = true;
        return m;
    }();
    return c;
}

const ManualTestConfig& expansionTestConfig() {
    static const ManualTestConfig c = [] {
        ManualTestConfig m;
        m.unit = TestedUnit::Expansion;
        m.windowName = "TManualFormEX2";
        m.caption = manualtesttexts::kCaptionExp2;
        m.size = QSize(465, 387);
        m.tealBars = true;
        m.pointSpinName = "SEvyh1";
        m.positionGroupName = "RGvyh1";
        m.pointMin = 9;
        m.pointMax = 16;
        m.positionCodeFactor = 4;
        m.signalMin = 17;
        m.signalMax = 23;
        m.firstRelay = 17;
        m.pushButtonLabel = manualtesttexts::kButtonsExp2;
        m.pushButtonLabelOverFirstEight = true;
        m.sensorLabel = manualtesttexts::kSensorsExp2;
        m.detectorLabel = manualtesttexts::kDetectorsExp2;
        m.topButtonsOwnColours = false;
        return m;
    }();
    return c;
}

} // namespace tools
