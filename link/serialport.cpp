#include "link/serialport.h"

#include "settings/appsettings.h"

#include <QFileInfo>
#include <QSerialPort>

SerialBytePort::SerialBytePort(QString settingsPath, QObject* parent)
    : QObject(parent), m_port(new QSerialPort(this)), m_settingsPath(std::move(settingsPath)) {
    // When the other end goes away QSerialPort keeps reporting read errors in a tight loop and
    // stays open; closing it turns the unplug into ordinary time-outs.
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (e == QSerialPort::ReadError || e == QSerialPort::ResourceError)
            close();
    });
}

SerialBytePort::~SerialBytePort() {
    close();
}

QString SerialBytePort::deviceFor(int portNumber) const {
    return portDevice(portNumber, m_settingsPath);
}

bool SerialBytePort::open(int portNumber) {
    return openDevice(deviceFor(portNumber));
}

bool SerialBytePort::openDevice(const QString& device) {
    close();
#ifndef Q_OS_WIN
    // QSerialPort resolves a bare name under /dev; a symbolic link must be resolved by us.
    const QFileInfo info(device);
    m_port->setPortName(info.isSymLink() ? info.symLinkTarget() : device);
#else
    m_port->setPortName(device);
#endif
    if (!m_port->open(QIODevice::ReadWrite))
        return false;
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
