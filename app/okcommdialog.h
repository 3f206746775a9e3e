#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QSpinBox;

// TOKcommDlg: picks the number n of the serial port "COM" + n and shows the device it opens.
class TOKcommDlg : public QDialog {
    Q_OBJECT
public:
    // deviceFor maps a port number to the device it opens on this machine.
    explicit TOKcommDlg(std::function<QString(int)> deviceFor, QWidget* parent = nullptr);

    int portNumber = 1; // the number being edited

    // FormShow: the spin box clamps a number above 10 to its bound.
    void FormShow();
    int exec() override;

private:
    void OKBtnClick();
    void showDevice(int n);

    QSpinBox* SEdit1;
    QLabel* LBdevice;
    std::function<QString(int)> m_deviceFor;
};
