#include "data/kopiecestform.h"
#include "widgets/numberbox.h"

#include "data/routecommands.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

TKopieCestForm1::TKopieCestForm1(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TKopieCestForm1"));
    setWindowTitle(QStringLiteral("Kopie definice cesty"));
    auto* source = new QLabel(QStringLiteral("Konfiguraci z cesty č."), this);
    SEzdr = new NumberBox(this);
    SEzdr->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    SEzdr->setObjectName(QStringLiteral("SEzdr"));
    SEzdr->setRange(1, copySourceLimit(image::kRouteCount));
    SEzdr->setValue(1);
    LBcil = new QLabel(this);
    LBcil->setObjectName(QStringLiteral("LBcil"));
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(source, 0, 0);
    grid->addWidget(SEzdr, 0, 1);
    grid->addWidget(LBcil, 1, 0, 1, 2);
    grid->addWidget(buttons, 2, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void TKopieCestForm1::prepare(int targetRoute, int routeCapacity) {
    SEzdr->setMaximum(copySourceLimit(routeCapacity));
    LBcil->setText(QStringLiteral("Uložit do cesty č.") + QString::number(targetRoute) +
                   QStringLiteral(" ?"));
}

int TKopieCestForm1::sourceRoute() const {
    // A typed value is only committed when the box loses focus; take what stands there now.
    const_cast<QSpinBox*>(SEzdr)->interpretText();
    return SEzdr->value();
}
