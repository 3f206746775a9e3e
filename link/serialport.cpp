#include "link/serialport.h"

#include "link/porterror.h"
#include "link/portlist.h"
#include "settings/appsettings.h"

#include <QFileInfo>
#include <QSerialPort>

#ifdef Q_OS_UNIX
#include <sys/file.h>
#endif

SerialBytePort::SerialBytePort(QString settingsPath, QObject* parent)
    : QObject(parent), m_port(new QSerialPort(this)), m_settingsPath(std::move(settingsPath)) {
    // When the other end goes away QSerialPort keeps reporting read errors in a tight loop and
    // stays open; closing it turns the unplug into ordinary time-outs.
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (e == QSerialPort::ReadError || e == QSerialPort::ResourceError)
            closeNow(); // the port stays wanted: reopenIfLost() brings it back
    });
    connect(m_port, &QSerialPort::readyRead, this, [this] { notifyArrival(); });
}

SerialBytePort::~SerialBytePort() {
    close();
}

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
    if (m_port->isOpen())
        return true;
    // By number the mapping is read again: the user may have fixed it in the meantime.
    if (m_wantedNumber > 0)
        return openNow(deviceFor(m_wantedNumber));
    return !m_wantedDevice.isEmpty() && openNow(m_wantedDevice);
}

bool SerialBytePort::openNow(const QString& device) {
    closeNow();
#ifndef Q_OS_WIN
    // QSerialPort resolves a bare name under /dev; a symbolic link must be resolved by us.
    const QFileInfo info(device);
    m_port->setPortName(info.isSymLink() ? info.symLinkTarget() : device);
#else
    m_port->setPortName(device);
#endif
    if (!m_port->open(QIODevice::ReadWrite)) {
        const PortFailure failure{device, m_port->error(), m_port->errorString(),
                                  portFacts(device)};
        m_openError =
            portFailureText(failure, availablePortLabels(emulatorLinkPath(m_settingsPath)));
        return false;
    }
#ifdef Q_OS_UNIX
    // Exclusive mode does not hold for root, who would then share the line with the program
    // that has it: a lock on the device keeps two of ours (and any other program that locks)
    // off one line whoever runs them.
    if (::flock(static_cast<int>(m_port->handle()), LOCK_EX | LOCK_NB) != 0) {
        const PortFailure failure{device, QSerialPort::PermissionError,
                                  QStringLiteral("Device is locked by another program"),
                                  portFacts(device)};
        m_port->close();
        m_openError =
            portFailureText(failure, availablePortLabels(emulatorLinkPath(m_settingsPath)));
        return false;
    }
#endif
    m_openError.clear();
    m_port->setBaudRate(QSerialPort::Baud9600);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    // Pseudo-terminals refuse these ("Inappropriate ioctl"); harmless, the lines do not exist.
    m_port->setDataTerminalReady(false);
    m_port->setRequestToSend(false);
    m_port->clearError();
    return true;
}

void SerialBytePort::close() {
    m_wantedNumber = 0;
    m_wantedDevice.clear();
    closeNow();
}

void SerialBytePort::closeNow() {
    if (m_port->isOpen())
        m_port->close();
}

bool SerialBytePort::isOpen() const {
    return m_port->isOpen();
}

void SerialBytePort::send(const QByteArray& bytes) {
    if (!m_port->isOpen())
        return;
    m_port->write(bytes);
    m_port->flush();
}

qint64 SerialBytePort::bytesWaiting() {
    return m_port->isOpen() ? m_port->bytesAvailable() : 0;
}

void SerialBytePort::discardInput() {
    if (m_port->isOpen())
        m_port->clear(QSerialPort::Input);
}

QByteArray SerialBytePort::read(qint64 count) {
    return m_port->isOpen() ? m_port->read(count) : QByteArray();
}
