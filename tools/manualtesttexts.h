#pragma once

#include <QString>
#include <QStringList>

// Texts of the two manual test windows exactly as the user sees them; the blanks inside the lamp
// captions and the signal-code items line them up with the lamps and the signal head pictures.
namespace manualtesttexts {
inline const QString kCaptionStv2 = QStringLiteral("Test a manuální řízení periferií");
inline const QString kCaptionExp2 = QStringLiteral("Test a manuální řízení periferií EXP jednotky");

inline const QString kPointHeading = QStringLiteral("přestavník č.");
inline const QString kPointHint = QStringLiteral("Vyberte číslo přestavníku");
inline const QString kPosition = QStringLiteral("poloha");
inline const QString kStraight = QStringLiteral("rovně");
inline const QString kDiverging = QStringLiteral("odbočka");
inline const QString kTestInc = QStringLiteral("test INC");
inline const QString kSet = QStringLiteral("Set");
inline const QString kRelayHeading = QStringLiteral("relé");
inline const QString kSwap = QStringLiteral("swap HI/LO");
inline const QString kSignalHeading = QStringLiteral("návěstidlo");
// The signal number box carries the point machine hint, as it always has.
inline const QString kSignalHint = QStringLiteral("Vyberte číslo přestavníku");
inline const QString kSignalCodePrompt = QStringLiteral("kód návěsti");
inline const QString kPollFirst = QStringLiteral("Čtení vstupu ZAP");
inline const QString kPollOn = QStringLiteral("Opak. čtení ZAP");
inline const QString kPollOff = QStringLiteral("Opak. čtení VYP");
inline const QString kClose = QStringLiteral("ZAVŘÍT");

inline const QString kSensorsStv2 = QStringLiteral("SN1      snímač      SN8");
inline const QString kDetectorsStv2 = QStringLiteral("DET1    obsazení    DET8");
inline const QString kButtonsStv2 =
    QStringLiteral("TL1      tlačítko       TL8                        TL14");
inline const QString kSensorsExp2 = QStringLiteral("SN9       snímač      SN16");
inline const QString kDetectorsExp2 = QStringLiteral("DET9    obsazení   DET16");
inline const QString kButtonsExp2 = QStringLiteral("TL15     tlačítko       TL22");

// The signal code sent is the item's position in this list.
inline const QStringList kSignalCodes = {
    QStringLiteral("0:  [--č--]  STOP    ( posuv zakázán )"),
    QStringLiteral("1:  [-z---]  VOLNO"),
    QStringLiteral("2:  [ž----]  výstraha (příští náv. STUJ)"),
    QStringLiteral("3:  [ž*----] volno (příští náv. 40kmh)"),
    QStringLiteral("4:  [-z--ž] 40kmh (příští náv. VOLNO)"),
    QStringLiteral("5:  [žzčbž] nedef. kod Scom- rezerva"),
    QStringLiteral("6:  [ž---ž] 40kmh (příští náv. STUJ)"),
    QStringLiteral("7:  [ž*---ž] 40kmh (příští náv. 40kmh)"),
    QStringLiteral("8:  [--čb*-] přivolávací návěst"),
    QStringLiteral("9:  [---b-]   zabezpečený posun"),
    QStringLiteral("10:[--čb-]  nezabezpečený posun"),
    QStringLiteral("11:[-z-b-]  opakovací navěst "),
    QStringLiteral("12:[ž--b-]  opakovací navěst "),
    QStringLiteral("13:[-----]  nic, zhasnuto "),
    QStringLiteral("14:[ž*--b-]  opakovací navěst "),
    QStringLiteral("15:[ž--bž]  opakovací navěst "),
};
} // namespace manualtesttexts
