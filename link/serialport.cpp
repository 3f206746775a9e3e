#include "link/serialport.h"

#include "link/portlist.h"
#include "settings/appsettings.h"

QString SerialBytePort::deviceFor(int portNumber) const {
    return portDevice(portNumber, m_settingsPath);
}

bool SerialBytePort::open(int portNumber) {
    m_wantedNumber = portNumber;
    m_wantedDevice.clear();
    return openNow(deviceFor(portNumber));
}

bool SerialBytePort::openDevice(const QString& device) {
    m_wantedNumber = 0;
    m_wantedDevice = device;
    return openNow(device);
}

bool SerialBytePort::reopenIfLost() {
    if (isOpen())
        return true;
    // By number the mapping is read again: the user may have fixed it in the meantime.
    if (m_wantedNumber > 0)
        return openNow(deviceFor(m_wantedNumber));
    return !m_wantedDevice.isEmpty() && openNow(m_wantedDevice);
}

void SerialBytePort::close() {
    m_wantedNumber = 0;
    m_wantedDevice.clear();
    closeNow();
}

bool SerialBytePort::refuse(const QString& device, PortOpenError error, const QString& systemText) {
    const PortFailure failure{device, error, systemText, portFacts(device)};
    m_openError = portFailureText(failure, availablePortLabels(emulatorLinkPath(m_settingsPath)));
    return false;
}
