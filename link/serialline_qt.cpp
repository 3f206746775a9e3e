#include "link/serialport.h"

#include <QFileInfo>
#include <QSerialPort>

#include <sys/file.h>
#include <sys/ioctl.h>
#if __has_include(<linux/serial.h>)
#include <linux/serial.h>
#endif

struct SerialBytePort::Line {
    QSerialPort port;
};

namespace {
PortOpenError openErrorOf(QSerialPort::SerialPortError e) {
    switch (e) {
    case QSerialPort::DeviceNotFoundError:
        return PortOpenError::DeviceNotFound;
    case QSerialPort::PermissionError:
        return PortOpenError::Permission;
    case QSerialPort::UnsupportedOperationError:
        return PortOpenError::UnsupportedOperation;
    case QSerialPort::ResourceError:
        return PortOpenError::Resource;
    default:
        return PortOpenError::Unknown;
    }
}
// USB serial adapters hold received bytes until their latency timer fires (16 ms by default);
// the Linux drivers of the common ones turn the low-latency flag into a 1 ms timer. Drivers
// without the request (a pseudo-terminal, a plain UART) refuse it and nothing changes.
LowLatency askLowLatency(int fd) {
#if defined(TIOCGSERIAL) && defined(TIOCSSERIAL) && defined(ASYNC_LOW_LATENCY)
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0)
        return LowLatency::Unsupported;
    if (serial.flags & ASYNC_LOW_LATENCY)
        return LowLatency::On;
    serial.flags |= ASYNC_LOW_LATENCY;
    if (::ioctl(fd, TIOCSSERIAL, &serial) != 0)
        return LowLatency::Unsupported;
    // Some drivers accept the call and ignore the flag: believe only what they report back.
    serial_struct check{};
    const bool took = ::ioctl(fd, TIOCGSERIAL, &check) == 0 && (check.flags & ASYNC_LOW_LATENCY);
    return took ? LowLatency::On : LowLatency::Unsupported;
#else
    Q_UNUSED(fd);
    return LowLatency::NotAvailable;
#endif
}
} // namespace

SerialBytePort::SerialBytePort(QString settingsPath, QObject* parent)
    : QObject(parent), m_line(std::make_unique<Line>()), m_settingsPath(std::move(settingsPath)) {
    QSerialPort* port = &m_line->port;
    // When the other end goes away QSerialPort keeps reporting read errors in a tight loop and
    // stays open; closing it turns the unplug into ordinary time-outs.
    connect(port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (e == QSerialPort::ReadError || e == QSerialPort::ResourceError)
            closeNow(); // the port stays wanted: reopenIfLost() brings it back
    });
    connect(port, &QSerialPort::readyRead, this, [this] { notifyArrival(); });
}

SerialBytePort::~SerialBytePort() {
    close();
}

bool SerialBytePort::openNow(const QString& device) {
    closeNow();
    m_lowLatency = LowLatency::NotAsked;
    QSerialPort& port = m_line->port;
    // QSerialPort resolves a bare name under /dev; a symbolic link must be resolved by us.
    const QFileInfo info(device);
    port.setPortName(info.isSymLink() ? info.symLinkTarget() : device);
    if (!port.open(QIODevice::ReadWrite))
        return refuse(device, openErrorOf(port.error()), port.errorString());
    // Exclusive mode does not hold for root, who would then share the line with the program
    // that has it: a lock on the device keeps two of ours (and any other program that locks)
    // off one line whoever runs them.
    if (::flock(static_cast<int>(port.handle()), LOCK_EX | LOCK_NB) != 0) {
        port.close();
        return refuse(device, PortOpenError::Permission,
                      QStringLiteral("Device is locked by another program"));
    }
    m_openError.clear();
    port.setBaudRate(QSerialPort::Baud9600);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    // Pseudo-terminals refuse these ("Inappropriate ioctl"); harmless, the lines do not exist.
    port.setDataTerminalReady(false);
    port.setRequestToSend(false);
    m_lowLatency = askLowLatency(static_cast<int>(port.handle()));
    port.clearError();
    return true;
}

void SerialBytePort::closeNow() {
    if (m_line->port.isOpen())
        m_line->port.close();
}

bool SerialBytePort::isOpen() const {
    return m_line->port.isOpen();
}

void SerialBytePort::send(const QByteArray& bytes) {
    if (!isOpen())
        return;
    m_line->port.write(bytes);
    m_line->port.flush();
}

qint64 SerialBytePort::bytesWaiting() {
    return isOpen() ? m_line->port.bytesAvailable() : 0;
}

void SerialBytePort::discardInput() {
    if (isOpen())
        m_line->port.clear(QSerialPort::Input);
}

QByteArray SerialBytePort::read(qint64 count) {
    return isOpen() ? m_line->port.read(count) : QByteArray();
}
