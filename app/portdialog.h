#pragma once

#include "link/byteport.h"
#include "link/portlist.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
namespace Ui {
class PortDialog;
}

// "Nastavení RS232": picks the number n of the serial port "COM" + n and shows the device it
// opens. Lives for the whole run; laid out in portdialog.ui.
class PortDialog : public QDialog {
    Q_OBJECT
public:
    // deviceFor maps a port number to the device it opens on this machine.
    explicit PortDialog(std::function<QString(int)> deviceFor, QWidget* parent = nullptr);
    ~PortDialog() override;

    // The number to show at the next showing; the box clamps one above 10 to its bound.
    void setPortNumber(int portNumber) { m_portNumber = portNumber; }
    // The number chosen when OK closed the dialog; otherwise the one it was given.
    int portNumber() const { return m_portNumber; }
    // The fast link box, the same way.
    void setFastLink(bool on) { m_fastLink = on; }
    bool fastLink() const { return m_fastLink; }
    // Whether the open port's driver took the request for low latency, shown at each showing.
    void setLowLatency(LowLatency state) { m_lowLatency = state; }

    // Lists the devices offered, each time the dialog opens and on "Obnovit".
    void setPortList(std::function<QList<PortEntry>()> list) { m_listPorts = std::move(list); }
    // The device the user picked for portNumber, empty when the mapping stays as it is.
    QString chosenDevice() const { return m_chosen; }
    int exec() override;
    void accept() override;

private:
    void showDevice(int n);
    void refreshList();
    void deviceActivated(int index);

    std::unique_ptr<Ui::PortDialog> m_ui;
    QSpinBox* m_number;
    QLabel* m_device;
    std::function<QString(int)> m_deviceFor;
    int m_portNumber = 1;
    QComboBox* m_deviceList;
    std::function<QList<PortEntry>()> m_listPorts;
    QString m_chosen;
    QCheckBox* m_fastBox;
    bool m_fastLink = false;
    LowLatency m_lowLatency = LowLatency::NotAsked;
};
