#pragma once

#include <QString>

// Texts of the shell exactly as the user sees them (note the deliberate double blanks and the
// trailing blanks of the menu captions).
namespace texts {
inline const QString kApplicationTitle = QStringLiteral("Stavnik CFG EXT 3.0");
inline const QString kMainCaption = QStringLiteral("Stavnik V2ext  CFG");
inline const QString kHint = QStringLiteral("Klikněte  na vybraný řádek pro zobrazení detailů");
inline const QString kPortOpenFailed = QStringLiteral("Chyba otevření  COM");
inline const QString kClearRouteQuestion = QStringLiteral("Opravdu nulovat definici cesty? ");
inline const QString kLoadDuringTransfer =
    QStringLiteral("Probíhá přenos dat s modulem. Soubor lze načíst až po jeho skončení.");
inline const QString kAboutText =
    QStringLiteral("Stavnik CFG EXT 3.0\n\nKonfigurace a servis modulu STV2 a rozšíření EXP2.");
} // namespace texts

inline QString portOpenFailedText(int portNumber) {
    return texts::kPortOpenFailed + QString::number(portNumber) + QStringLiteral("  ");
}
