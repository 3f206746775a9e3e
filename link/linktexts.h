#pragma once

#include "link/linkengine.h"

#include <QString>

#include <optional>

// Every text the link shows the user, in the user's language: the boxes, where a transfer
// failed, the notes after a transfer, and where an address lies in the configuration.
namespace linktexts {

QString messageText(LinkEngine::Message message);
bool isWarning(LinkEngine::Message message);

// "Adresa 1234 (04D2): cesta 45, bajt 8 bloku cesty. Pokusů: 3." and the like; empty when
// nothing failed.
QString failureText(const TransferFailure& failure);

// Where an address lies, for the list of bytes a verify found different: "hlavička, bajt 14",
// "cesta 3, index 1", "cesta 3, bajt 21".
QString describeAddress(int address);

// The module's version as "Test comm" learned it ("V 3.0b"), and the route capacity it last
// reported ("Max.cest:90"); "??" while not known.
QString versionText(const std::optional<protocol::IdentifyReply>& reply);
QString capacityText(std::optional<int> count);

// "1 bajt", "3 bajty", "2243 bajtů".
QString bytesText(int n);
// The note after a store: "Do modulu: 24 bajtů uloženo a ověřeno" when its read-back proved
// every byte, else that it was stored without that proof.
QString storedText(int bytes, bool verified);
// The note after a verify of `bytes` bytes, `differing` of which the module holds otherwise:
// "Ověřeno s modulem: 2243 bajtů, 12,3 s", or when it differs "Data v modulu jsou rozdílná:
// liší se 2 bajty (ověřeno 2243 bajtů), 12,3 s".
QString verifiedText(int bytes, int differing, const QString& seconds);
// What reading the module into the history before a store adds to its time: a read of the
// whole configuration at the pace the link runs.
QString backupNoteText(bool fastLink);
// Added to that note when the configuration was edited while the store ran.
inline const QString kChangedDuringStoreText =
    QStringLiteral("Během ukládání se konfigurace změnila; tato změna v modulu není.");
// A store of only the changed bytes found none: nothing is sent.
inline const QString kNothingToStoreText =
    QStringLiteral("Data v modulu se neliší, není co ukládat.");

// "Chyba otevření  COM3  ": the port (COMn or a device) could not be opened; the two blanks
// either side are the window's own.
inline QString portOpenFailedText(const QString& port) {
    return QStringLiteral("Chyba otevření  ") + port + QStringLiteral("  ");
}

// The note that a fast transfer went back to the normal pace after retries; empty when it did
// not.
QString fastFellBackNote(const LinkEngine& engine);

} // namespace linktexts
