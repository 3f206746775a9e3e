#pragma once

#include <QString>

// Texts the main window's code shows (captions, boxes, file filters) exactly as the user sees them;
// the controls' and menus' own texts are in mainwindow.ui.
namespace mainwindowtexts {
inline const QString kApplicationTitle = QStringLiteral("Stavnik CFG EXT 3.0");
inline const QString kMainCaption = QStringLiteral("Stavnik V2ext  CFG");
inline const QString kTitleSeparator = QStringLiteral(" – ");
inline const QString kFromModule = QStringLiteral("z modulu");
inline const QString kFromHistory = QStringLiteral("ze záznamu historie");
// After a read's own note.
inline const QString kDescriptionsKept =
    QStringLiteral("Popisy cest zůstaly z obrazovky, modul je neuchovává.");
inline const QString kDescriptionsForeign =
    QStringLiteral(" U %1 je cesta v modulu jiná, popis je označen.");
inline const QString kUndo = QStringLiteral("Zpět");
inline const QString kRedo = QStringLiteral("Znovu");
inline const QString kEditStep = QStringLiteral("úprava cesty %1");
inline const QString kCopyStep = QStringLiteral("kopie cesty %1 do cesty %2");
inline const QString kClearStep = QStringLiteral("zrušení cesty %1");
inline const QString kPeripheralStep = QStringLiteral("konfigurace periferií");
inline const QString kHelpTitle = QStringLiteral("Nápověda");
inline const QString kRecentFileGone =
    QStringLiteral("Soubor už neexistuje a ze seznamu posledních souborů se vynechá:\n");

inline const QString kCompareTitle = QStringLiteral("Porovnání se souborem");
inline const QString kOnScreen = QStringLiteral("Na obrazovce");
inline const QString kInFile = QStringLiteral("V souboru");
inline const QString kVerifyTitle = QStringLiteral("Rozdíly proti modulu");
inline const QString kInModule = QStringLiteral("V modulu");
inline const QString kSameAsFile = QStringLiteral("Konfigurace je shodná se souborem.");

inline const QString kOpenFilter = QStringLiteral("Text files (*.txt)");
inline const QString kSaveFilter = QStringLiteral("Text file (*.txt)");
inline const QString kFileSuffix = QStringLiteral("txt");

inline const QString kSettingsNotWritten = QStringLiteral(
    "Soubor nastavení není obyčejný soubor; nastavení se z něj čte, ale neukládá se do něj: ");
inline const QString kSettingsIgnored = QStringLiteral(
    "Soubor nastavení je větší než 1 MB, proto se z něj nic nečte; platí výchozí nastavení, "
    "i pro porty: ");
inline const QString kClearRouteQuestion = QStringLiteral("Opravdu nulovat definici cesty? ");
inline const QString kClearWholeRoute =
    QStringLiteral("Vymazat celou definici cesty včetně popisu");
inline const QString kLoadDuringTransfer =
    QStringLiteral("Probíhá přenos dat s modulem. Soubor lze načíst až po jeho skončení.");
inline const QString kAboutText =
    QStringLiteral("Stavnik CFG EXT 3.0\n\nKonfigurace a servis modulu STV2 a rozšíření EXP2.");
inline const QString kHideUnused = QStringLiteral("Skrýt nepoužité cesty");
inline const QString kNoFreeRoute = QStringLiteral(
    "Žádná cesta není volná. Uvolněte některou cestu (Zrušení nadef. cesty) a zkuste to znovu.");
} // namespace mainwindowtexts
