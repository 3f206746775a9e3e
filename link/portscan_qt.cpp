#include "link/portscan.h"

#include <QSerialPortInfo>

QList<PortEntry> systemSerialPorts() {
    QList<PortEntry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString device = info.systemLocation();
        ports.append({device, portLabel(device, info.description(), info.manufacturer())});
    }
    return ports;
}
