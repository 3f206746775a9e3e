#pragma once

#include <QString>

// The device COM n opens: on Windows the port COMn itself, whatever a mapping says; elsewhere
// `mapped`, the device the settings file or the default names.
inline QString deviceOfCom([[maybe_unused]] int n, [[maybe_unused]] const QString& mapped) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(n);
#else
    return mapped;
#endif
}
