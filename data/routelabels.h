#pragma once

#include <QString>

// The route editor's field labels exactly as its window shows them, by which the configuration
// in words names a route's fields; the editor takes the texts its code shows from here.
namespace routelabels {
// The point groups.
inline const QString kPoint = QStringLiteral("Vyhybka ");
inline const QString kPointNothing = QStringLiteral("NIC");
inline const QString kPointStraight = QStringLiteral("ROVNĚ");
inline const QString kPointDiverging = QStringLiteral("ODBOČ");

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
} // namespace routelabels
