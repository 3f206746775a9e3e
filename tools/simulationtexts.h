#pragma once

#include <QString>
#include <QStringList>

// Texts of the simulation window exactly as the user sees them.
namespace simulationtexts {
inline const QString kCaption = QStringLiteral("Simulace STAVNIK č.2");
// Aspect codes of the neighbour's signals: the code is the item's position.
inline const QStringList kAspects = {
    QStringLiteral("STUJ"),
    QStringLiteral("40km/h"),
    QStringLiteral("přivolávací n."),
    QStringLiteral("VOLNO"),
};
inline const QString kSignalLabel = QStringLiteral("Návěst %1");
inline const QString kSignalHint = QStringLiteral("Vyberte signální kód");
inline const QString kAsking = QStringLiteral("Stavník se dotazuje na návěsti č. ");
inline const QString kAnd = QStringLiteral("a");
inline const QString kSensors = QStringLiteral("Simul senzoru");
inline const QString kDetectors = QStringLiteral("Simul obsazeni");
inline const QString kReplies = QStringLiteral("Příjato zpráv:");
inline const QString kRequestA = QStringLiteral("Req NavA");
inline const QString kRequestAHint = QStringLiteral("zadost o rychlost navesti");
inline const QString kSpeedAStart = QStringLiteral("A=");
inline const QString kTrack = QStringLiteral("Kolej A/B");
inline const QString kTrackNumberHint = QStringLiteral("Simulace cisla koleje");
inline const QString kTrackOccupancyHint = QStringLiteral("Simulace obsaz. koleje");
inline const QString kEntry = QStringLiteral("S1");
inline const QString kEntryHint = QStringLiteral("Směr vjezdu");
inline const QString kWarningTitle = QStringLiteral("Upozornění:");
inline const QString kWarningLine1 = QStringLiteral("Pro simulaci komunikace STVNIK <-> STVNIK");
inline const QString kWarningLine2 = QStringLiteral("nutno odpojit konfig. propojku na DPS");
inline const QString kClose = QStringLiteral("ZAVŘÍT");
} // namespace simulationtexts
