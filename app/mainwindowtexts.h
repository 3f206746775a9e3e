#pragma once

#include <QString>

// Texts of the main window and its boxes exactly as the user sees them (note the deliberate
// double blanks and the trailing blanks of the menu captions).
namespace mainwindowtexts {
inline const QString kApplicationTitle = QStringLiteral("Stavnik CFG EXT 3.0");
inline const QString kMainCaption = QStringLiteral("Stavnik V2ext  CFG");
inline const QString kHint = QStringLiteral("Klikněte  na vybraný řádek pro zobrazení detailů");
inline const QString kUnknown = QStringLiteral("??");
inline const QString kTestComm = QStringLiteral("Test comm");
inline const QString kTransferring = QStringLiteral("přenos dat");
inline const QString kCancelTransfer = QStringLiteral("Přerušit");
inline const QString kCancelTransferTip = QStringLiteral("Přerušit přenos dat (Esc)");

inline const QString kFileMenu = QStringLiteral("Soubor       ");
inline const QString kLoadFile = QStringLiteral("Načíst data");
inline const QString kSaveFile = QStringLiteral("Uložit data");
inline const QString kExit = QStringLiteral("Exit");
inline const QString kCompareFile = QStringLiteral("Porovnat se souborem…");
inline const QString kCompareTitle = QStringLiteral("Porovnání se souborem");
inline const QString kOnScreen = QStringLiteral("Na obrazovce");
inline const QString kInFile = QStringLiteral("V souboru");
inline const QString kVerifyTitle = QStringLiteral("Rozdíly proti modulu");
inline const QString kInModule = QStringLiteral("V modulu");
inline const QString kDiffersFromModule = QStringLiteral("Cesta se liší od modulu");
inline const QString kPrintSheet = QStringLiteral("Tisk…");
inline const QString kExportSheet = QStringLiteral("Exportovat…");
inline const QString kSameAsFile = QStringLiteral("Konfigurace je shodná se souborem.");
inline const QString kSetupMenu = QStringLiteral("Konfigurace        ");
inline const QString kPeripherals = QStringLiteral("Konfigurace periferií ");
inline const QString kEditRoute = QStringLiteral("Definice vlakové cesty");
inline const QString kCopyRoute = QStringLiteral("Kopie vlakové cesty");
inline const QString kClearRoute = QStringLiteral("Zrušení nadef. cesty");
inline const QString kModuleTest = QStringLiteral("Test periferií/monitoring STV2");
inline const QString kExpansionTest = QStringLiteral("Test periferií/monitoring EXP2");
inline const QString kSimulation = QStringLiteral("Simulace STAVNIK č.2");
inline const QString kCheckConfig = QStringLiteral("Kontrola konfigurace");
inline const QString kTransferMenu = QStringLiteral("Přenos       ");
inline const QString kPortSettings = QStringLiteral("Nastavení RS232");
inline const QString kReadModule = QStringLiteral("Načíst data z modulu");
inline const QString kVerifyModule = QStringLiteral("Verifikovat data s modulem");
inline const QString kStoreModule = QStringLiteral("Uložit data do modulu");
inline const QString kInfoMenu = QStringLiteral("Info    ");
inline const QString kAbout = QStringLiteral("O programu");

inline const QString kOpenFilter = QStringLiteral("Text files (*.txt)");
inline const QString kSaveFilter = QStringLiteral("Text file (*.txt)");
inline const QString kFileSuffix = QStringLiteral("txt");

inline const QString kPortOpenFailed = QStringLiteral("Chyba otevření  COM");
inline const QString kSettingsNotWritten = QStringLiteral(
    "Soubor nastavení není obyčejný soubor; nastavení se z něj čte, ale neukládá se do něj: ");
inline const QString kClearRouteQuestion = QStringLiteral("Opravdu nulovat definici cesty? ");
inline const QString kClearWholeRoute =
    QStringLiteral("Vymazat celou definici cesty včetně popisu");
inline const QString kLoadDuringTransfer =
    QStringLiteral("Probíhá přenos dat s modulem. Soubor lze načíst až po jeho skončení.");
inline const QString kAboutText =
    QStringLiteral("Stavnik CFG EXT 3.0\n\nKonfigurace a servis modulu STV2 a rozšíření EXP2.");
} // namespace mainwindowtexts

inline QString portOpenFailedText(int portNumber) {
    return mainwindowtexts::kPortOpenFailed + QString::number(portNumber) + QStringLiteral("  ");
}
