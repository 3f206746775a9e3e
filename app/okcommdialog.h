#pragma once

#include "link/portlist.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QSpinBox;

// TOKcommDlg: picks the number n of the serial port "COM" + n and shows the device it opens.
class TOKcommDlg : public QDialog {
    Q_OBJECT
public:
    // deviceFor maps a port number to the device it opens on this machine.
    explicit TOKcommDlg(std::function<QString(int)> deviceFor, QWidget* parent = nullptr);

    int portNumber = 1; // the number being edited

    // Lists the devices offered, each time the dialog opens and on "Obnovit".
    void setPortList(std::function<QList<PortEntry>()> list) { m_listPorts = std::move(list); }
    // The device the user picked for portNumber, empty when the mapping stays as it is.
    QString chosenDevice() const { return m_chosen; }

    // FormShow: the spin box clamps a number above 10 to its bound.
    void FormShow();
    int exec() override;

private:
    void OKBtnClick();
    void showDevice(int n);
    void refreshList();
    void deviceActivated(int index);

    QSpinBox* SEdit1;
    QLabel* LBdevice;
    std::function<QString(int)> m_deviceFor;
    QComboBox* CBdevice;
    std::function<QList<PortEntry>()> m_listPorts;
    QString m_chosen;
};
