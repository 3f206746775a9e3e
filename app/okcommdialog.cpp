#include "app/okcommdialog.h"
#include "widgets/numberbox.h"

#include <QGridLayout>
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

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(SEdit1, 0, 1);
    grid->addWidget(LBdevice, 1, 0, 1, 2);
    grid->addWidget(ok, 2, 0);
    grid->addWidget(cancel, 2, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(ok, &QPushButton::clicked, this, [this] {
        OKBtnClick();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(SEdit1, &QSpinBox::valueChanged, this, &TOKcommDlg::showDevice);
}

void TOKcommDlg::FormShow() {
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
}

void TOKcommDlg::showDevice(int n) {
    LBdevice->setText(m_deviceFor ? m_deviceFor(n) : QString());
}
