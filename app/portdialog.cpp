#include "app/portdialog.h"

#include "widgets/builders.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>

PortDialog::PortDialog(std::function<QString(int)> deviceFor, QWidget* parent)
    : QDialog(parent), m_deviceFor(std::move(deviceFor)) {
    setObjectName(QStringLiteral("TOKcommDlg"));
    setWindowTitle(QStringLiteral("COM port"));
    auto* label = new QLabel(QStringLiteral("port COM"), this);
    m_number = widgets::numberBox(QStringLiteral("SEdit1"), 1, 10, QString(), this);
    m_device = widgets::label(QStringLiteral("LBdevice"), QString(), this);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));

    m_deviceList = new QComboBox(this);
    m_deviceList->setObjectName(QStringLiteral("CBdevice"));
    m_deviceList->setPlaceholderText(QStringLiteral("(jiné zařízení)"));
    m_deviceList->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* refresh = new QPushButton(QStringLiteral("Obnovit"), this);
    refresh->setObjectName(QStringLiteral("BTrefresh"));
    refresh->setToolTip(QStringLiteral("Znovu vyhledat sériová zařízení"));
    m_listPorts = [] { return availablePorts(QString()); };
    m_fastBox =
        widgets::checkBox(QStringLiteral("CBfastLink"),
                          QStringLiteral("Rychlý přenos (další příkaz hned po odpovědi)"), this);
    m_fastBox->setToolTip(QStringLiteral(
        "Čtení, porovnání a zápis pošlou další příkaz hned, jak dojde odpověď na předchozí."));

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_number, 0, 1);
    grid->addWidget(m_device, 1, 0, 1, 2);
    auto* devices = new QHBoxLayout;
    devices->addWidget(m_deviceList, 1);
    devices->addWidget(refresh);
    grid->addLayout(devices, 2, 0, 1, 2);
    grid->addWidget(m_fastBox, 3, 0, 1, 2);
    grid->addWidget(ok, 4, 0);
    grid->addWidget(cancel, 4, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_number, &QSpinBox::valueChanged, this, &PortDialog::showDevice);
    connect(refresh, &QPushButton::clicked, this, &PortDialog::refreshList);
    connect(m_deviceList, &QComboBox::activated, this, &PortDialog::deviceActivated);
}

// FormShow: the dialog opens centred on the screen, showing the number it was given.
int PortDialog::exec() {
    m_chosen.clear();
    refreshList();
    m_number->setValue(m_portNumber);
    m_fastBox->setChecked(m_fastLink);
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
