#include "review/ui/differenceswindow.h"

#include "data/counted.h"

#include "ui_differenceswindow.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace {
const QString kFindingsTitle = QStringLiteral("Kontrola konfigurace");
const QString kNoFindings = QStringLiteral("Žádné nálezy.");
} // namespace

DifferencesWindow::DifferencesWindow(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::DifferencesWindow>()) {
    m_ui->setupUi(this);
    // A named button of our own rather than the box's standard one with Qt's translated caption.
    QPushButton* close =
        m_ui->buttons->addButton(QStringLiteral("Zavřít"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("CloseBtn"));
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    QTableWidget* table = m_ui->table;
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    // Long texts wrap onto more lines instead of ending in "…", at any width of the window.
    table->setTextElideMode(Qt::ElideNone);
    connect(table->horizontalHeader(), &QHeaderView::sectionResized, this,
            &DifferencesWindow::fitRows);
    connect(table, &QTableWidget::cellDoubleClicked, this, [this](int row) {
        const QTableWidgetItem* first = m_ui->table->item(row, 0);
        if (first && first->data(Qt::UserRole).toInt() > 0)
            emit routeChosen(first->data(Qt::UserRole).toInt());
    });
}

// Rows as tall as their wrapped texts need at the columns' present widths.
void DifferencesWindow::fitRows() {
    m_ui->table->resizeRowsToContents();
}

DifferencesWindow::~DifferencesWindow() = default;

void DifferencesWindow::showDifferences(const QString& title,
                                        const QList<differences::Difference>& list,
                                        const QString& aName, const QString& bName,
                                        const QString& sameText) {
    setWindowTitle(title);
    QList<QStringList> rows;
    QList<int> routes;
    for (const differences::Difference& d : list) {
        rows.append({d.item, d.field, d.a, d.b});
        routes.append(differences::routesIn({d}).value(0));
    }
    setRows({QStringLiteral("Položka"), QStringLiteral("Nastavení"), aName, bName}, rows, routes,
            list.isEmpty()
                ? sameText
                : counted(list.size(), "rozdíl", "rozdíly", "rozdílů") + QLatin1Char('.'));
}

void DifferencesWindow::showFindings(const QList<configcheck::Finding>& findings) {
    setWindowTitle(kFindingsTitle);
    QList<QStringList> rows;
    QList<int> firstRoutes;
    for (const configcheck::Finding& f : findings) {
        QStringList routes;
        for (int n : f.routes)
            routes << QString::number(n);
        rows.append({routes.join(QStringLiteral(", ")), f.text});
        firstRoutes.append(f.routes.value(0));
    }
    setRows({QStringLiteral("Cesty"), QStringLiteral("Nález")}, rows, firstRoutes,
            findings.isEmpty()
                ? kNoFindings
                : counted(findings.size(), "nález", "nálezy", "nálezů") + QLatin1Char('.'));
}

void DifferencesWindow::setRows(const QStringList& header, const QList<QStringList>& rows,
                                const QList<int>& routes, const QString& summary) {
    QTableWidget* table = m_ui->table;
    table->clear();
    table->setColumnCount(int(header.size()));
    table->setHorizontalHeaderLabels(header);
    for (int c = 0; c < header.size(); ++c)
        table->horizontalHeader()->setSectionResizeMode(
            c, c + 1 < header.size() ? QHeaderView::Interactive : QHeaderView::Stretch);
    table->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < header.size(); ++c) {
            auto* item = new QTableWidgetItem(rows[r].value(c));
            item->setData(Qt::UserRole, routes.value(r));
            table->setItem(r, c, item);
        }
    table->resizeColumnsToContents();
    // No column wider than a third of the window; its text wraps within it.
    const int widest = qMax(120, table->viewport()->width() / 3);
    for (int c = 0; c + 1 < header.size(); ++c)
        table->setColumnWidth(c, qMin(table->columnWidth(c), widest));
    table->resizeRowsToContents();
    m_ui->LBsummary->setText(summary);
    show();
    raise();
    activateWindow();
}
