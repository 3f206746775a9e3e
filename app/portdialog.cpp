#include "app/portdialog.h"

#include "widgets/builders.h"

#include <QGridLayout>
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

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_number, 0, 1);
    grid->addWidget(m_device, 1, 0, 1, 2);
    grid->addWidget(ok, 2, 0);
    grid->addWidget(cancel, 2, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_number, &QSpinBox::valueChanged, this, &PortDialog::showDevice);
}

// FormShow: the dialog opens centred on the screen, showing the number it was given.
int PortDialog::exec() {
    m_number->setValue(m_portNumber);
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
    QDialog::accept();
}

void PortDialog::showDevice(int n) {
    m_device->setText(m_deviceFor ? m_deviceFor(n) : QString());
}
