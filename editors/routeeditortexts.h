#pragma once

#include "data/routelabels.h"

#include <QString>

// The route editor's texts that its code shows (the rest stand in its form) exactly as the user
// sees them. The double blanks and trailing blanks are deliberate: users recognise the messages
// by them.
namespace routeeditortexts {
inline const QString kEditCaption = QStringLiteral("Konfigurace traťové cesty č."); // + route
// Shown at the description field when typed or pasted characters are left out.
inline const QString kUnstorableCharacters =
    QStringLiteral("Znaky „%1“ nelze uložit do souboru dat (kódování Windows-1250), "
                   "proto nebyly vloženy.");

// The point groups' texts are the route labels' (the words name the positions the same way).
using routelabels::kPoint;
using routelabels::kPointDiverging;
using routelabels::kPointNothing;
using routelabels::kPointStraight;

// Refusals of the OK button, in the order they are checked.
inline const QString kNotActive =
    QStringLiteral("Cesta  není aktivní, neplatný kód tlačítka ODKUD, KAM !!");
inline const QString kSameButtons = QStringLiteral("Chybná kombinace tlačítek ODKUD-KAM !!");
inline const QString kDuplicateN2N3 = QStringLiteral("Duplexní volba  navěstidel N2, N3  !!");
inline const QString kDuplicateN1N2 = QStringLiteral("Duplexní volba  navěstidel N1, N2  !!");
inline const QString kDuplicateN1Following =
    QStringLiteral("Duplexní volba navěstidel N1 + nasledné !!");
inline const QString kNoRouteType =
    QStringLiteral("Není nastaven typ cesty POSUN ani DOPRAVNÍ, definice neplatná  !!");
inline const QString kN2WithoutN1 =
    QStringLiteral("Navěst N1 neni definována, nelze definovat pouze N2 !!");
inline const QString kN3WithoutN2 =
    QStringLiteral("Navěst N2 neni definována, nelze definovat pouze N3 !!");

} // namespace routeeditortexts
