#pragma once

#include "link/byteport.h"
#include "link/porterror.h"

#include <QObject>
#include <QString>

#include <memory>

// "COM" + n on a real (or pseudo-terminal) serial device: 9600 8N1, no flow control, DTR and
// RTS held off. What finds the device and keeps the wish to reopen it is the same everywhere;
// the line itself is the system's (QSerialPort on Linux, the Win32 calls on Windows).
class SerialBytePort : public QObject, public BytePort {
    Q_OBJECT
public:
    // settingsPath: where the COM n -> device mapping is looked up.
    explicit SerialBytePort(QString settingsPath, QObject* parent = nullptr);
    ~SerialBytePort() override;

    bool open(int portNumber) override;
    // The same for a device given by path (stavnikctl --port /dev/ttyUSB0).
    bool openDevice(const QString& device);
    void close() override;
    bool isOpen() const override;
    void send(const QByteArray& bytes) override;
    qint64 bytesWaiting() override;
    void discardInput() override;
    QByteArray read(qint64 count) override;
    bool reopenIfLost() override;
    QString openErrorText() const override { return m_openError; }
    LowLatency lowLatency() const override { return m_lowLatency; }

    QString deviceFor(int portNumber) const;

private:
    struct Line;
    bool openNow(const QString& device);
    void closeNow();
    // Keeps why `device` did not open, for openErrorText(); returns false.
    bool refuse(const QString& device, PortOpenError error, const QString& systemText);

    std::unique_ptr<Line> m_line;
    QString m_settingsPath;
    // What to reopen after a loss: a port number (mapped again then) or a device path.
    int m_wantedNumber = 0;
    QString m_wantedDevice;
    QString m_openError;
    // Set by the line when it opens; a system without the request leaves it NotAvailable.
    LowLatency m_lowLatency = LowLatency::NotAvailable;
};
