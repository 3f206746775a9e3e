#include "link/ui/storechoicedialog.h"

#include "link/linktexts.h"
#include "link/transfers.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
const QString kCaption = QStringLiteral("Uložení dat do modulu");
const QString kGroup = QStringLiteral("Data");
const char* const kItems[] = {"jen konfiguraci periferií bez cest",
                              "konfig. periferií  + všechny  cesty", "pouze vybranou cestu",
                              "pouze změněná data"};
const QString kChangedOnlyTip =
    QStringLiteral("Uloží jen bajty, které se liší od dat v modulu. Dostupné, když program ví, "
                   "co modul obsahuje: nejprve data z modulu načtěte nebo je s ním ověřte.");
const QString kVerify = QStringLiteral("Ověřit zpětným čtením");
const QString kVerifyTip =
    QStringLiteral("Po zápisu přečte uložené bajty z modulu zpět, porovná je a co se liší, zapíše "
                   "znovu; poznámka pak říká „uloženo a ověřeno“. Bez ověření je ukládání "
                   "zhruba dvakrát rychlejší, ale chyba na lince se nepozná.");
const QString kBackup = QStringLiteral("Nejdříve přečíst a uschovat obsah modulu");
const QString kStore = QStringLiteral("Store");
const QString kCancel = QStringLiteral("Cancel");
} // namespace

StoreChoiceDialog::StoreChoiceDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("TDlgStore1"));
    setWindowTitle(kCaption);
    setModal(true);

    m_group = new QGroupBox(kGroup, this);
    m_group->setObjectName(QStringLiteral("RGtypcest1"));
    m_items = new QButtonGroup(this);
    auto* items = new QVBoxLayout(m_group);
    int index = 0;
    for (const char* text : kItems) {
        auto* item = new QRadioButton(QString::fromUtf8(text), m_group);
        item->setObjectName(QStringLiteral("RGtypcest1_%1").arg(index));
        m_items->addButton(item, index++);
        items->addWidget(item);
    }
    m_items->button(3)->setToolTip(kChangedOnlyTip);
    m_items->button(3)->setEnabled(false);

    m_verifyBox = new QCheckBox(kVerify, this);
    m_verifyBox->setObjectName(QStringLiteral("CBverifyAfterStore"));
    m_verifyBox->setToolTip(kVerifyTip);
    m_verifyBox->setChecked(true);
    connect(m_verifyBox, &QCheckBox::toggled, this, &StoreChoiceDialog::verifyAfterStoreChanged);

    m_backupBox = new QCheckBox(kBackup, this);
    m_backupBox->setObjectName(QStringLiteral("CBbackupFirst"));
    m_backupNote = new QLabel(linktexts::backupNoteText(true), this);
    m_backupNote->setObjectName(QStringLiteral("LBbackupNote"));
    m_backupNote->setWordWrap(true);
    m_backupNote->setIndent(20);

    m_storeButton = new QPushButton(kStore, this);
    m_storeButton->setObjectName(QStringLiteral("Button1"));
    m_storeButton->setEnabled(false);
    m_cancelButton = new QPushButton(kCancel, this);
    m_cancelButton->setObjectName(QStringLiteral("Button2"));
    m_cancelButton->setDefault(true);
    connect(m_items, &QButtonGroup::idToggled, this,
            [this](int, bool) { m_storeButton->setEnabled(m_items->checkedId() >= 0); });
    connect(m_storeButton, &QPushButton::clicked, this, [this] {
        recordChoice();
        accept();
    });
    connect(m_cancelButton, &QPushButton::clicked, this, &StoreChoiceDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_storeButton);
    buttons->addWidget(m_cancelButton);
    auto* column = new QVBoxLayout(this);
    column->addWidget(m_group);
    column->addWidget(m_verifyBox);
    column->addWidget(m_backupBox);
    column->addWidget(m_backupNote);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);
}

void StoreChoiceDialog::setChangedOnlyAvailable(bool available) {
    QAbstractButton* item = m_items->button(3);
    if (!available && item->isChecked()) {
        m_items->setExclusive(false);
        item->setChecked(false);
        m_items->setExclusive(true);
    }
    item->setEnabled(available);
}

bool StoreChoiceDialog::verifyAfterStore() const {
    return m_verifyBox->isChecked();
}

void StoreChoiceDialog::setVerifyAfterStore(bool on) {
    const QSignalBlocker quiet(m_verifyBox);
    m_verifyBox->setChecked(on);
}

bool StoreChoiceDialog::backupFirst() const {
    return m_backupBox->isChecked();
}

void StoreChoiceDialog::setBackupFirst(bool on) {
    m_backupBox->setChecked(on);
}

void StoreChoiceDialog::setSelectedRoute(int route) {
    m_items->button(transfers::SelectedRoute)
        ->setText(QStringLiteral("%1 (%2)")
                      .arg(QString::fromUtf8(kItems[transfers::SelectedRoute]))
                      .arg(route));
}

void StoreChoiceDialog::setFastLink(bool on) {
    m_backupNote->setText(linktexts::backupNoteText(on));
}

void StoreChoiceDialog::recordChoice() {
    m_choice = m_items->checkedId();
}

void StoreChoiceDialog::reject() {
    recordChoice();
    QDialog::reject();
}
