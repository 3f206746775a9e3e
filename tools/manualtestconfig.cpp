#include "tools/manualconfig.h"

#include "tools/manualtexts.h"

namespace tools {

const ManualConfig& stv2Config() {
    static const ManualConfig c = [] {
        ManualConfig m;
        m.unit = TestedUnit::Main;
        m.className = "TManualForm2";
        m.caption = manualtexts::kCaptionStv2;
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
        m.pushButtonLabel = manualtexts::kButtonsStv2;
        m.pushButtonLabelOverFirstEight = false;
        m.sensorLabel = manualtexts::kSensorsStv2;
        m.detectorLabel = manualtexts::kDetectorsStv2;
        m.topButtonsOwnColours = true;
        return m;
    }();
    return c;
}

const ManualConfig& exp2Config() {
    static const ManualConfig c = [] {
        ManualConfig m;
        m.unit = TestedUnit::Expansion;
        m.className = "TManualFormEX2";
        m.caption = manualtexts::kCaptionExp2;
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
        m.pushButtonLabel = manualtexts::kButtonsExp2;
        m.pushButtonLabelOverFirstEight = true;
        m.sensorLabel = manualtexts::kSensorsExp2;
        m.detectorLabel = manualtexts::kDetectorsExp2;
        m.topButtonsOwnColours = false;
        return m;
    }();
    return c;
}

} // namespace tools
