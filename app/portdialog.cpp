#include "app/portdialog.h"

#include "link/linediagnosis.h"
#include "ui_portdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>

PortDialog::PortDialog(std::function<QString(int)> deviceFor, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::PortDialog>()), m_deviceFor(std::move(deviceFor)) {
    m_ui->setupUi(this);
    m_number = m_ui->SEdit1;
    m_device = m_ui->LBdevice;
    m_deviceList = m_ui->CBdevice;
    m_fastBox = m_ui->CBfastLink;
    m_listPorts = [] { return availablePorts(QString()); };
    QPushButton* ok = m_ui->OKBtn;
    QPushButton* cancel = m_ui->CancelBtn;
    QPushButton* refresh = m_ui->BTrefresh;

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_number, &QSpinBox::valueChanged, this, &PortDialog::showDevice);
    connect(refresh, &QPushButton::clicked, this, &PortDialog::refreshList);
    connect(m_deviceList, &QComboBox::activated, this, &PortDialog::deviceActivated);
}

PortDialog::~PortDialog() = default;

// FormShow: the dialog opens centred on the screen, showing the number it was given.
int PortDialog::exec() {
    m_chosen.clear();
    refreshList();
    m_number->setValue(m_portNumber);
    m_fastBox->setChecked(m_fastLink);
    m_ui->LBlowLatency->setText(linediag::lowLatencyText(m_lowLatency));
    showDevice(m_number->value());
    adjustSize();
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    return QDialog::exec();
}

// OKBtnClick: a number still being typed counts as entered.
void PortDialog::accept() {
    m_number->interpretText();
    m_portNumber = m_number->value();
    m_fastLink = m_fastBox->isChecked();
    if (m_deviceFor && m_chosen == m_deviceFor(m_portNumber))
        m_chosen.clear(); // nothing to write
    QDialog::accept();
}

void PortDialog::showDevice(int n) {
    const QString device = !m_chosen.isEmpty() ? m_chosen
                           : m_deviceFor       ? m_deviceFor(n)
                                               : QString();
    m_device->setText(device);
    m_deviceList->setCurrentIndex(m_deviceList->findData(device)); // none: "(jiné zařízení)"
}

void PortDialog::refreshList() {
    m_deviceList->clear();
    for (const PortEntry& p : m_listPorts())
        m_deviceList->addItem(p.label, p.device);
    showDevice(m_number->value());
}

void PortDialog::deviceActivated(int index) {
    const QString device = m_deviceList->itemData(index).toString();
    // A Windows port is chosen by its number; elsewhere the number is mapped to the device.
    if (const int n = comNumber(device)) {
        m_chosen.clear();
        m_number->setValue(n);
    } else {
        m_chosen = device;
    }
    showDevice(m_number->value());
}
