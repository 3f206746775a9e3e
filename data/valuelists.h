#pragma once

#include <QStringList>

// The pick lists a route is defined with; a record stores the index into these lists.
namespace valuelists {
// Aspect code 1..3 ("40km/h", "přivolávací n.", "VOLNO"); code 0 means none chosen and has no
// entry, so entry i of this list is code i + 1.
const QStringList& aspects();
// 47 entries: "Rem:N1".."Rem:N22", "N1".."N22", "vždy STŮJ", "vždy 40km", "vždy VOLNO".
const QStringList& followingSignals();
// 64 entries each; bit 4 of the index marks the remote module, bit 5 a detector / falling edge.
const QStringList& signalCancelInputs();
const QStringList& routeCancelInputs();
} // namespace valuelists
