#include "data/ui/copyroutedialog.h"

#include "data/routecommands.h"
#include "ui_copyroutedialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

CopyRouteDialog::CopyRouteDialog(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CopyRouteDialog>()) {
    m_ui->setupUi(this);
    m_source = m_ui->SEzdr;
    m_target = m_ui->LBcil;
    m_source->setRange(1, copySourceLimit(image::kRouteCount));
    // Buttons of our own rather than the box's standard ones, which would carry Qt's
    // translated captions and no names.
    QDialogButtonBox* buttons = m_ui->buttons;
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CopyRouteDialog::~CopyRouteDialog() = default;

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
