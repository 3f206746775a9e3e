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
    m_ui->table->verticalHeader()->hide();
    m_ui->table->horizontalHeader()->setStretchLastSection(true);
}

DifferencesWindow::~DifferencesWindow() = default;

void DifferencesWindow::showDifferences(const QString& title,
                                        const QList<differences::Difference>& list,
                                        const QString& aName, const QString& bName,
                                        const QString& sameText) {
    setWindowTitle(title);
    QList<QStringList> rows;
    for (const differences::Difference& d : list)
        rows.append({d.item, d.field, d.a, d.b});
    setRows({QStringLiteral("Položka"), QStringLiteral("Nastavení"), aName, bName}, rows,
            list.isEmpty()
                ? sameText
                : counted(list.size(), "rozdíl", "rozdíly", "rozdílů") + QLatin1Char('.'));
}

void DifferencesWindow::showFindings(const QList<configcheck::Finding>& findings) {
    setWindowTitle(kFindingsTitle);
    QList<QStringList> rows;
    for (const configcheck::Finding& f : findings) {
        QStringList routes;
        for (int n : f.routes)
            routes << QString::number(n);
        rows.append({routes.join(QStringLiteral(", ")), f.text});
    }
    setRows({QStringLiteral("Cesty"), QStringLiteral("Nález")}, rows,
            findings.isEmpty()
                ? kNoFindings
                : counted(findings.size(), "nález", "nálezy", "nálezů") + QLatin1Char('.'));
}

void DifferencesWindow::setRows(const QStringList& header, const QList<QStringList>& rows,
                                const QString& summary) {
    QTableWidget* table = m_ui->table;
    table->clear();
    table->setColumnCount(int(header.size()));
    table->setHorizontalHeaderLabels(header);
    table->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < header.size(); ++c)
            table->setItem(r, c, new QTableWidgetItem(rows[r].value(c)));
    table->resizeColumnsToContents();
    table->resizeRowsToContents();
    m_ui->LBsummary->setText(summary);
    show();
    raise();
    activateWindow();
}
