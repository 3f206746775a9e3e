#pragma once

#include <QString>
#include <QStringList>

#include <array>

// The peripheral editor's labels of the module-wide settings, exactly as its window shows them:
// the configuration in words, the differences, the check across routes and the printed sheet
// name each setting by the same text, and the editor takes the texts its code shows from here.
namespace headerlabels {
inline const QString kMachine = QStringLiteral("přestavník");
inline const QString kType = QStringLiteral("Typ přestavníku");
inline const QStringList kTypes = {
    QStringLiteral("pulsní, 0.1sec"), QStringLiteral("pulsní, variab."),
    QStringLiteral("motor (trvalý výst.)"), QStringLiteral("pulsní, 0.3sec")};
inline const QString kPulse = QStringLiteral("Puls [x0.3s]");
inline const QString kPointDelay = QStringLiteral("Prodleva mezi přestavníky [x 0.1 s]");

inline const QString kRelayDelay = QStringLiteral("Zpoždění sepnutí relé [x 1 s]  (kromě R13,R14)");
inline const QString kCollision =
    QStringLiteral("Ošetřit kolizi sepnutí relé při jízdě na stejnou kolej");

inline const QString kRelay15 = QStringLiteral("Relé 15");
inline const QString kRelay16 = QStringLiteral("Relé 16");
inline const QStringList kModes15 = {QStringLiteral("součástí definice cesty"),
                                     QStringLiteral("zapnutí izol. úseku  (analog)"),
                                     QStringLiteral("přepínání BG (DCC provoz)")};
inline const QStringList kModes16 = {QStringLiteral("součástí definice cesty"),
                                     QStringLiteral("zapnutí izol. úseku "),
                                     QStringLiteral("přepínání BG ")};
inline const QString kSignal = QStringLiteral("č. návěsti");
inline const QString kSensor = QStringLiteral("č. senzoru");

inline const QString kInvert1 = QStringLiteral("Invertovat vstupy detektorů DET1..8 (L=volno)");
inline const QString kSensors1 =
    QStringLiteral("Místo detektorů DET1-8 kontrolovat  snímače SN1-8");
inline const QString kInvert2 = QStringLiteral("Invertovat vstupy detektorů DET9..16 (L=volno)");
inline const QString kSensors2 =
    QStringLiteral("Místo detektorů DET9-16 kontrolovat  snímače SN9-16");

inline const QString kIndicators = QStringLiteral("Aktivace INDIKATORU");
inline const QString kDefinition = QStringLiteral("Definice");
inline const QString kConditionsWord = QStringLiteral("podmínek");
// Captions of the four rows of condition boxes: local sensors, local detectors, remote sensors,
// remote detectors; box k of a row reads caption + k.
inline const std::array<QString, 4> kConditionCaptions = {
    QStringLiteral("S"), QStringLiteral("D"), QStringLiteral("rS"), QStringLiteral("rD")};

inline const QString kDccAccept =
    QStringLiteral("Povolit příjem paketů DCC (pakety ovlád. příslušenství)");
inline const QString kDccReset = QStringLiteral("Povolit reset cesty přes DCC (povel   n+0)");
inline const QString kDccAddress = QStringLiteral("počáteční DCC adresa (formát LENZE,  max 1900)");
} // namespace headerlabels
