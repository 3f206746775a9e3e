#include "data/copyroutedialog.h"

#include "data/routecommands.h"
#include "widgets/builders.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

CopyRouteDialog::CopyRouteDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TKopieCestForm1"));
    setWindowTitle(QStringLiteral("Kopie definice cesty"));
    auto* source = new QLabel(QStringLiteral("Konfiguraci z cesty č."), this);
    m_source = widgets::numberBox(QStringLiteral("SEzdr"), 1, copySourceLimit(image::kRouteCount),
                                  QString(), this);
    m_target = widgets::label(QStringLiteral("LBcil"), QString(), this);
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
    grid->addWidget(m_source, 0, 1);
    grid->addWidget(m_target, 1, 0, 1, 2);
    grid->addWidget(buttons, 2, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void CopyRouteDialog::prepare(int targetRoute, int routeCapacity) {
    m_source->setMaximum(copySourceLimit(routeCapacity));
    m_target->setText(QStringLiteral("Uložit do cesty č.") + QString::number(targetRoute) +
                      QStringLiteral(" ?"));
}

void CopyRouteDialog::done(int result) {
    // A typed value is only committed when the box loses focus; take what stands there now.
    m_source->interpretText();
    m_sourceRoute = m_source->value();
    QDialog::done(result);
}
