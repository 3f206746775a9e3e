#pragma once

#include "link/byteport.h"

#include <QObject>
#include <QString>

class QSerialPort;

// "COM" + n on a real (or pseudo-terminal) serial device: 9600 8N1, no flow control, DTR and
// RTS held off.
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

    QString deviceFor(int portNumber) const;

private:
    bool openNow(const QString& device);
    void closeNow();

    QSerialPort* m_port;
    QString m_settingsPath;
    // What to reopen after a loss: a port number (mapped again then) or a device path.
    int m_wantedNumber = 0;
    QString m_wantedDevice;
    QString m_openError;
};
