#include "link/dlgstoreform.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
const QString kCaption = QStringLiteral("Uložení dat do modulu");
const QString kGroup = QStringLiteral("Data");
const char* const kItems[] = {"jen konfiguraci periferií bez cest",
                              "konfig. periferií  + všechny  cesty", "pouze vybranou cestu"};
const QString kStore = QStringLiteral("Store");
const QString kCancel = QStringLiteral("Cancel");
} // namespace

TDlgStore1::TDlgStore1(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("TDlgStore1"));
    setWindowTitle(kCaption);
    setModal(true);

    RGtypcest1 = new QGroupBox(kGroup, this);
    RGtypcest1->setObjectName(QStringLiteral("RGtypcest1"));
    m_items = new QButtonGroup(this);
    auto* items = new QVBoxLayout(RGtypcest1);
    int index = 0;
    for (const char* text : kItems) {
        auto* item = new QRadioButton(QString::fromUtf8(text), RGtypcest1);
        item->setObjectName(QStringLiteral("RGtypcest1_%1").arg(index));
        m_items->addButton(item, index++);
        items->addWidget(item);
    }

    Button1 = new QPushButton(kStore, this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setEnabled(false);
    Button2 = new QPushButton(kCancel, this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setDefault(true);
    connect(m_items, &QButtonGroup::idToggled, this,
            [this](int, bool) { Button1->setEnabled(checkedIndex() >= 0); });
    connect(Button1, &QPushButton::clicked, this, [this] {
        Button1Click();
        accept();
    });
    connect(Button2, &QPushButton::clicked, this, &TDlgStore1::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* column = new QVBoxLayout(this);
    column->addWidget(RGtypcest1);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);
}

int TDlgStore1::checkedIndex() const {
    return m_items->checkedId();
}

void TDlgStore1::Button1Click() {
    m_storeChoice = checkedIndex();
}

void TDlgStore1::reject() {
    Button1Click();
    QDialog::reject();
}
