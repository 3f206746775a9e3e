#pragma once

#include <QString>
#include <QStringList>

#include <array>

// Every text of the peripheral configuration window exactly as the user sees it; the
// differences and the printed sheet name the settings by the same labels.
namespace peripheraltexts {
inline const QString kCaption = QStringLiteral("Konfigurace přestavníků a funkce");
inline const QString kTabPoints = QStringLiteral("Přestavníky       ");
inline const QString kTabRelays = QStringLiteral(" Relé  1..14,17..32");
inline const QString kTabRelays1516 = QStringLiteral(" Relé 15,16 ");
inline const QString kTabDetectors = QStringLiteral("Snímače/det.");
inline const QString kTabIndication = QStringLiteral("Indikace obsaz.");
inline const QString kTabDcc = QStringLiteral("DCC");

inline const QString kMachine = QStringLiteral("přestavník");
inline const QString kMachineHint = QStringLiteral("Vyberte číslo přestavníku");
inline const QString kSecondMachine = QStringLiteral("+9");
inline const QString kType = QStringLiteral("Typ přestavníku");
inline const QString kTypeHint = QStringLiteral("Zvolte typ přestavníku");
inline const QStringList kTypes = {
    QStringLiteral("pulsní, 0.1sec"), QStringLiteral("pulsní, variab."),
    QStringLiteral("motor (trvalý výst.)"), QStringLiteral("pulsní, 0.3sec")};
inline const QString kPulse = QStringLiteral("Puls [x0.3s]");
inline const QString kPulseHint = QStringLiteral("Délka pulsu");
inline const QString kPointDelay = QStringLiteral("Prodleva mezi přestavníky [x 0.1 s]");
inline const QString kPointDelayHint = QStringLiteral("Délka prodlevy mezi stavěním");

inline const QString kRelayDelay = QStringLiteral("Zpoždění sepnutí relé [x 1 s]  (kromě R13,R14)");
inline const QString kRelayDelayHint = QStringLiteral("Prodleva sepnutí relé");
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
inline const QString kSignalHint = QStringLiteral("číslo návěsti pro detekci stavu VOLNO");
inline const QString kSensor = QStringLiteral("č. senzoru");
inline const QString kSensorHint = QStringLiteral("číslo senzorui pro detekci  vozidla");

inline const QString kInvert1 = QStringLiteral("Invertovat vstupy detektorů DET1..8 (L=volno)");
inline const QString kSensors1 =
    QStringLiteral("Místo detektorů DET1-8 kontrolovat  snímače SN1-8");
inline const QString kInvert2 = QStringLiteral("Invertovat vstupy detektorů DET9..16 (L=volno)");
inline const QString kSensors2 =
    QStringLiteral("Místo detektorů DET9-16 kontrolovat  snímače SN9-16");

inline const QString kIndicators = QStringLiteral("Aktivace INDIKATORU");
inline const QString kRelaySelector = QStringLiteral("č.relé");
inline const QString kRelaySelectorHint = QStringLiteral("Vyberte číslo relé");
inline const QString kLocalConditions =
    QStringLiteral("Indikace obsazení - lokální detektory/snímače");
inline const QString kRemoteConditions =
    QStringLiteral("Indikace obsazení - vzdálené detektory/snímače");
inline const QString kDefinition = QStringLiteral("Definice");
inline const QString kConditionsWord = QStringLiteral("podmínek");
// Caption prefixes (and objectName prefixes) of the four rows of condition boxes.
inline const std::array<QString, 4> kConditionCaptions = {
    QStringLiteral("S"), QStringLiteral("D"), QStringLiteral("rS"), QStringLiteral("rD")};
inline const std::array<QString, 4> kConditionNames = {
    QStringLiteral("CBsn"), QStringLiteral("CBdet"), QStringLiteral("CBsnR"),
    QStringLiteral("CBdetR")};

inline const QString kDccAccept =
    QStringLiteral("Povolit příjem paketů DCC (pakety ovlád. příslušenství)");
inline const QString kDccReset = QStringLiteral("Povolit reset cesty přes DCC (povel   n+0)");
inline const QString kDccAddress = QStringLiteral("počáteční DCC adresa (formát LENZE,  max 1900)");
inline const QString kDccAddressHint = QStringLiteral("Nastavte bázovou adresu DCC");
// Under the documented hint: which accessory number each route answers to, for the box's value.
inline const QString kDccAddressExplained =
    QStringLiteral("Modul ukládá zadanou adresu + 3 (svůj formát adres DCC), tj. %1.\n"
                   "Cesta č. n odpovídá na příslušenství DCC s číslem n + %1 "
                   "(cesta 1 = %2), jak ukazuje sloupec DCC v tabulce cest.");

inline const QString kOk = QStringLiteral("OK");
inline const QString kCancel = QStringLiteral("Cancel");
} // namespace peripheraltexts
