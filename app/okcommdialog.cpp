#include "app/okcommdialog.h"
#include "widgets/numberbox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

TOKcommDlg::TOKcommDlg(std::function<QString(int)> deviceFor, QWidget* parent)
    : QDialog(parent), m_deviceFor(std::move(deviceFor)) {
    setObjectName(QStringLiteral("TOKcommDlg"));
    setWindowTitle(QStringLiteral("COM port"));
    auto* label = new QLabel(QStringLiteral("port COM"), this);
    SEdit1 = new NumberBox(this);
    SEdit1->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    SEdit1->setObjectName(QStringLiteral("SEdit1"));
    SEdit1->setRange(1, 10);
    SEdit1->setValue(1);
    LBdevice = new QLabel(this);
    LBdevice->setObjectName(QStringLiteral("LBdevice"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));

    CBdevice = new QComboBox(this);
    CBdevice->setObjectName(QStringLiteral("CBdevice"));
    CBdevice->setPlaceholderText(QStringLiteral("(jiné zařízení)"));
    CBdevice->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* refresh = new QPushButton(QStringLiteral("Obnovit"), this);
    refresh->setObjectName(QStringLiteral("BTrefresh"));
    refresh->setToolTip(QStringLiteral("Znovu vyhledat sériová zařízení"));
    m_listPorts = [] { return availablePorts(QString()); };

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(SEdit1, 0, 1);
    grid->addWidget(LBdevice, 1, 0, 1, 2);
    auto* devices = new QHBoxLayout;
    devices->addWidget(CBdevice, 1);
    devices->addWidget(refresh);
    grid->addLayout(devices, 2, 0, 1, 2);
    grid->addWidget(ok, 3, 0);
    grid->addWidget(cancel, 3, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(ok, &QPushButton::clicked, this, [this] {
        OKBtnClick();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(SEdit1, &QSpinBox::valueChanged, this, &TOKcommDlg::showDevice);
    connect(refresh, &QPushButton::clicked, this, &TOKcommDlg::refreshList);
    connect(CBdevice, &QComboBox::activated, this, &TOKcommDlg::deviceActivated);
}

void TOKcommDlg::FormShow() {
    m_chosen.clear();
    refreshList();
    SEdit1->setValue(portNumber);
    showDevice(SEdit1->value());
    adjustSize();
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
}

int TOKcommDlg::exec() {
    FormShow();
    return QDialog::exec();
}

void TOKcommDlg::OKBtnClick() {
    SEdit1->interpretText();
    portNumber = SEdit1->value();
    if (m_deviceFor && m_chosen == m_deviceFor(portNumber))
        m_chosen.clear(); // nothing to write
}

void TOKcommDlg::showDevice(int n) {
    const QString device = !m_chosen.isEmpty() ? m_chosen
                           : m_deviceFor       ? m_deviceFor(n)
                                               : QString();
    LBdevice->setText(device);
    CBdevice->setCurrentIndex(CBdevice->findData(device)); // none: "(jiné zařízení)"
}

void TOKcommDlg::refreshList() {
    CBdevice->clear();
    for (const PortEntry& p : m_listPorts())
        CBdevice->addItem(p.label, p.device);
    showDevice(SEdit1->value());
}

void TOKcommDlg::deviceActivated(int index) {
    const QString device = CBdevice->itemData(index).toString();
    // A Windows port is chosen by its number; elsewhere the number is mapped to the device.
    if (const int n = comNumber(device)) {
        m_chosen.clear();
        SEdit1->setValue(n);
    } else {
        m_chosen = device;
    }
    showDevice(SEdit1->value());
}
