#include "link/portscan.h"

#include <windows.h>

// Windows lists the serial ports it has under SERIALCOMM: the value's data is the port's name
// ("COM3"), its name the driver's device ("\Device\VCP0" for a USB adapter).
QList<PortEntry> systemSerialPorts() {
    QList<PortEntry> ports;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return ports;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameSize = 256;
        wchar_t data[64];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        const LONG r = RegEnumValueW(key, i, name, &nameSize, nullptr, &type,
                                     reinterpret_cast<BYTE*>(data), &dataSize);
        if (r == ERROR_NO_MORE_ITEMS)
            break;
        if (r != ERROR_SUCCESS || type != REG_SZ)
            continue;
        const QString device =
            QString::fromWCharArray(data, int(dataSize / sizeof(wchar_t))).section(QChar(0), 0, 0);
        const QString driver = QString::fromWCharArray(name, int(nameSize)).section('\\', -1);
        ports.append({device, portLabel(device, driver, {})});
    }
    RegCloseKey(key);
    return ports;
}
