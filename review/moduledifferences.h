#pragma once

#include "data/configstore.h"
#include "data/elementnames.h"
#include "review/differences.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

// What a verify found, in words. The module's contents are the configuration on screen with
// the bytes it holds otherwise laid over it; the module keeps no descriptions, so those are the
// screen's. Compared in the words of the dialogs, as the differences window lists them.
namespace moduledifferences {

// A byte the module holds otherwise: its address and the module's value.
using ModuleByte = std::pair<int, std::uint8_t>;

// `names` words the elements; addresses outside the image are left out.
QList<differences::Difference> compare(const ConfigStore& screen,
                                       const std::vector<ModuleByte>& moduleBytes,
                                       const ElementNames& names = elementnames::noNames());

// The same, one difference a line ("cesta 3: Vyhybka 2: ROVNĚ → ODBOČ"), screen → module: the
// verify box's details.
QString text(const ConfigStore& screen, const std::vector<ModuleByte>& moduleBytes);

} // namespace moduledifferences
