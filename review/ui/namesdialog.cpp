#include "review/ui/namesdialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QString kTitle = QStringLiteral("Názvy prvků");
const QString kHint = QStringLiteral(
    "Názvy se ukládají vedle datového souboru (stanice.txt → stanice.nazvy.ini) při každém "
    "uložení; samotný datový soubor se nemění.");

QTableWidget* kindTable(const elementnames::KindInfo& kind, QWidget* parent) {
    auto* table = new QTableWidget(kind.count, 2, parent);
    table->setObjectName(QStringLiteral("names_") + kind.prefix);
    table->setHorizontalHeaderLabels({QStringLiteral("Prvek"), QStringLiteral("Název")});
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setEditTriggers(QAbstractItemView::AllEditTriggers);
    for (int n = 1; n <= kind.count; ++n) {
        auto* code = new QTableWidgetItem(elementnames::code(kind.kind, n));
        code->setFlags(Qt::ItemIsEnabled);
        table->setItem(n - 1, 0, code);
        table->setItem(n - 1, 1, new QTableWidgetItem);
    }
    table->resizeColumnToContents(0);
    return table;
}
} // namespace

NamesDialog::NamesDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("NamesDialog1"));
    setWindowTitle(kTitle);
    auto* column = new QVBoxLayout(this);
    auto* hint = new QLabel(kHint, this);
    hint->setWordWrap(true);
    column->addWidget(hint);
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("namesTabs"));
    for (const elementnames::KindInfo& kind : elementnames::kinds()) {
        m_tables << kindTable(kind, tabs);
        tabs->addTab(m_tables.last(), kind.title);
    }
    column->addWidget(tabs);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)
        ->setObjectName(QStringLiteral("BtOK1"));
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("BtCancel1"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
    resize(620, 560);
}

std::optional<ElementNames> NamesDialog::edit(const ElementNames& names) {
    const QList<elementnames::KindInfo>& kinds = elementnames::kinds();
    for (int k = 0; k < kinds.size(); ++k)
        for (int n = 1; n <= kinds[k].count; ++n)
            m_tables[k]->item(n - 1, 1)->setText(names.name(kinds[k].kind, n));
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    ElementNames edited;
    for (int k = 0; k < kinds.size(); ++k)
        for (int n = 1; n <= kinds[k].count; ++n)
            edited.setName(kinds[k].kind, n, m_tables[k]->item(n - 1, 1)->text());
    return edited;
}
