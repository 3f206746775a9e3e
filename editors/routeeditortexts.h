#pragma once

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

// The point groups.
inline const QString kPoint = QStringLiteral("Vyhybka ");
inline const QString kPointNothing = QStringLiteral("NIC");
inline const QString kPointStraight = QStringLiteral("ROVNĚ");
inline const QString kPointDiverging = QStringLiteral("ODBOČ");

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

// The editor's field labels (its form shows the same texts), by which the configuration in
// words names a route's fields.
inline const QString kAspectPlaceholder = QStringLiteral("kód návěsti");
inline const QString kAutoCancelRoute = QStringLiteral("AUT zrušit vlakovou cestu");
inline const QString kAutoCancelShunting = QStringLiteral("AUT zrušit i posun");
inline const QString kAutoCancelSignal = QStringLiteral("AUT zrušit návěsťní znak");
inline const QString kCancelButton1 = QStringLiteral("ZRUŠ1");
inline const QString kCancelButton2 = QStringLiteral("ZRUŠ2");
inline const QString kDcc = QStringLiteral("DCC řízení:");
inline const QString kDescription = QStringLiteral("Název cesty,  popis");
inline const QString kEntry = QStringLiteral("Vjezd");
inline const QString kFollowingLabel = QStringLiteral("Stavník č.2\nnebo jiná návěst");
inline const QString kFrom = QStringLiteral("ODKUD");
inline const QString kLocalDetectors =
    QStringLiteral("Kontrola obsazení - lokální detektory/snímače");
inline const QString kRelays = QStringLiteral("Sepnutí relé:");
inline const QString kRelaysExt = QStringLiteral("Sepnutí relé EXT:");
inline const QString kRemoteDetectors =
    QStringLiteral("Kontrola obsazení - vzdálené detektory/snímače");
inline const QString kRepeatFollowing = QStringLiteral("opak. znaku násl. návěsti");
inline const QString kRepeatN1 = QStringLiteral("opak. znaku N1");
inline const QString kRepeatN2 = QStringLiteral("opak. znaku N2");
inline const QString kSensorPlaceholder = QStringLiteral("snímač");
inline const QString kShunting = QStringLiteral("Posun");
inline const QString kSignal = QStringLiteral("Návěst ");
inline const QString kTestBlocked = QStringLiteral("Zkušebně zablokovat");
inline const QString kTo = QStringLiteral("KAM");
inline const QString kTrack = QStringLiteral("Č. koleje");
inline const QString kTrainRoute = QStringLiteral("Dopravní cesta");
inline const QString kUnsecuredShunting = QStringLiteral("Nezabezpečený posun");

} // namespace routeeditortexts
