#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QSpinBox;

// "Nastavení RS232": picks the number n of the serial port "COM" + n and shows the device it
// opens. Lives for the whole run.
class PortDialog : public QDialog {
    Q_OBJECT
public:
    // deviceFor maps a port number to the device it opens on this machine.
    explicit PortDialog(std::function<QString(int)> deviceFor, QWidget* parent = nullptr);

    // The number to show at the next showing; the box clamps one above 10 to its bound.
    void setPortNumber(int portNumber) { m_portNumber = portNumber; }
    // The number chosen when OK closed the dialog; otherwise the one it was given.
    int portNumber() const { return m_portNumber; }

    int exec() override;
    void accept() override;

private:
    void showDevice(int n);

    QSpinBox* m_number;
    QLabel* m_device;
    std::function<QString(int)> m_deviceFor;
    int m_portNumber = 1;
};
