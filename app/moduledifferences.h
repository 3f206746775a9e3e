#pragma once

#include "data/configstore.h"
#include "link/linkengine.h"
#include "review/differences.h"

#include <QList>
#include <QString>

#include <vector>

// After a verify: the module's contents are the configuration on screen with the bytes the
// verify found different as the module holds them; the module keeps no descriptions, so those
// are the screen's. Compared in the words of the dialogs, as the differences window lists them.
// `names` words the elements.
QList<differences::Difference>
moduleDifferences(const ConfigStore& screen, const std::vector<LinkEngine::ByteDifference>& bytes,
                  const ElementNames& names = elementnames::noNames());

// The same, one difference a line ("cesta 3: Vyhybka 2: ROVNĚ → ODBOČ"), screen → module: the
// verify box's details.
QString moduleDifferencesText(const ConfigStore& screen,
                              const std::vector<LinkEngine::ByteDifference>& bytes);
