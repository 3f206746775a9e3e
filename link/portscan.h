#pragma once

#include "link/portlist.h"

#include <QList>

// The serial devices the system reports, in its order, labelled by portLabel().
QList<PortEntry> systemSerialPorts();
