#pragma once

#include <QString>

// Texts of the two manual test windows exactly as the user sees them that differ between the
// units or change while the window is open; the blanks inside the lamp captions line them up
// with the lamps.
namespace manualtesttexts {
inline const QString kCaptionStv2 = QStringLiteral("Test a manuální řízení periferií");
inline const QString kCaptionExp2 = QStringLiteral("Test a manuální řízení periferií EXP jednotky");

// The poll button's captions after the first press; the controls' own texts are in the form.
inline const QString kPollOn = QStringLiteral("Opak. čtení ZAP");
inline const QString kPollOff = QStringLiteral("Opak. čtení VYP");

inline const QString kSensorsStv2 = QStringLiteral("SN1      snímač      SN8");
inline const QString kDetectorsStv2 = QStringLiteral("DET1    obsazení    DET8");
inline const QString kButtonsStv2 =
    QStringLiteral("TL1      tlačítko       TL8                        TL14");
inline const QString kSensorsExp2 = QStringLiteral("SN9       snímač      SN16");
inline const QString kDetectorsExp2 = QStringLiteral("DET9    obsazení   DET16");
inline const QString kButtonsExp2 = QStringLiteral("TL15     tlačítko       TL22");

} // namespace manualtesttexts
