#include "review/ui/historywindow.h"

#include "review/differences.h"
#include "review/historysummary.h"
#include "review/ui/differenceswindow.h"
#include "settings/safesave.h"
#include "ui_historywindow.h"
#include "widgets/messageboxes.h"

#include <QFileDialog>
#include <QHeaderView>

namespace {
const QString kKnown = QStringLiteral("Známé adresy: ");
const QString kSkipped = QStringLiteral("Vynechané poškozené záznamy: ");
const QString kCompareTitle = QStringLiteral("Porovnání se záznamem historie");
const QString kOnScreen = QStringLiteral("Na obrazovce");
const QString kOlder = QStringLiteral("Starší záznam");
const QString kNewer = QStringLiteral("Novější záznam");
const QString kInEntry = QStringLiteral("V záznamu");
const QString kSame = QStringLiteral("Záznam se shoduje.");
const QString kChooseOne = QStringLiteral("Vyberte jeden záznam.");
const QString kChooseTwo = QStringLiteral("Vyberte dva záznamy.");
const QString kSaveTitle = QStringLiteral("Uložit záznam historie");
const QString kFilter = QStringLiteral("Data (*.txt)");
const QString kUnreadable = QStringLiteral("Záznam historie nelze přečíst: ");
} // namespace

HistoryWindow::HistoryWindow(const Parts& parts, QString folder, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::HistoryWindow>()), m_parts(parts),
      m_folder(std::move(folder)) {
    m_ui->setupUi(this);
    m_ui->entries->verticalHeader()->hide();
    m_ui->entries->horizontalHeader()->setStretchLastSection(true);
    connect(m_ui->OpenBtn, &QPushButton::clicked, this, &HistoryWindow::openEntry);
    connect(m_ui->entries, &QTableWidget::cellDoubleClicked, this, &HistoryWindow::openEntry);
    connect(m_ui->CompareScreenBtn, &QPushButton::clicked, this, &HistoryWindow::compareWithScreen);
    connect(m_ui->CompareEntriesBtn, &QPushButton::clicked, this, &HistoryWindow::compareEntries);
    connect(m_ui->SaveAsBtn, &QPushButton::clicked, this, &HistoryWindow::saveEntryAs);
    connect(m_ui->CloseBtn, &QPushButton::clicked, this, &QDialog::reject);
}

HistoryWindow::~HistoryWindow() = default;

void HistoryWindow::refresh() {
    m_listing = history::list(m_folder);
    const QList<history::Entry>& entries = m_listing.entries;
    m_ui->entries->setRowCount(int(entries.size()));
    for (int row = 0; row < entries.size(); ++row) {
        const history::Entry& e = entries.at(row);
        const history::Entry* before = row + 1 < entries.size() ? &entries.at(row + 1) : nullptr;
        QString kind = history::kindText(e);
        if (!e.complete())
            kind += QStringLiteral(" (částečně)");
        const QStringList cells{
            QLocale().toString(e.time.toLocalTime(), QStringLiteral("d.M.yyyy H:mm:ss")), kind,
            e.port, history::changeSummary(before, e)};
        for (int column = 0; column < cells.size(); ++column)
            m_ui->entries->setItem(row, column, new QTableWidgetItem(cells.at(column)));
        if (!e.complete())
            m_ui->entries->item(row, 1)->setToolTip(kKnown + history::rangesText(e.known));
    }
    m_ui->entries->resizeColumnsToContents();
    m_ui->entries->horizontalHeader()->setStretchLastSection(true);
    QStringList skipped;
    for (const history::Damaged& d : m_listing.damaged)
        skipped << d.name + QStringLiteral(" (") + d.reason + QLatin1Char(')');
    m_ui->LBskipped->setText(skipped.isEmpty() ? QString()
                                               : kSkipped + skipped.join(QStringLiteral(", ")));
    m_ui->LBskipped->setVisible(!skipped.isEmpty());
}

QList<const history::Entry*> HistoryWindow::selectedEntries(int count) {
    QList<int> rows;
    for (const QModelIndex& row : m_ui->entries->selectionModel()->selectedRows())
        if (row.row() < m_listing.entries.size())
            rows << row.row();
    if (rows.size() != count) {
        informationBox(this, count == 1 ? kChooseOne : kChooseTwo);
        return {};
    }
    // Newest first, as listed.
    std::sort(rows.begin(), rows.end());
    QList<const history::Entry*> chosen;
    for (int row : rows)
        chosen << &m_listing.entries.at(row);
    return chosen;
}

void HistoryWindow::showComparison(const ConfigStore& base, const history::Entry& entry,
                                   const QString& baseName, const QString& entryName) {
    m_parts.differences.showDifferences(kCompareTitle,
                                        differences::compare(base, history::contents(entry, base)),
                                        baseName, entryName, kSame);
    m_parts.differences.show();
    m_parts.differences.raise();
}

void HistoryWindow::openEntry() {
    if (const auto chosen = selectedEntries(1); !chosen.isEmpty())
        m_parts.open(chosen.first()->dataPath);
}

void HistoryWindow::compareWithScreen() {
    // The module keeps no descriptions: those on screen stand for the entry's.
    if (const auto chosen = selectedEntries(1); !chosen.isEmpty())
        showComparison(m_parts.store, *chosen.first(), kOnScreen, kInEntry);
}

void HistoryWindow::compareEntries() {
    if (const auto chosen = selectedEntries(2); !chosen.isEmpty())
        showComparison(history::contents(*chosen.at(1)), *chosen.at(0), kOlder, kNewer);
}

void HistoryWindow::saveEntryAs() {
    const auto chosen = selectedEntries(1);
    if (chosen.isEmpty())
        return;
    const QString path =
        QFileDialog::getSaveFileName(this, kSaveTitle, m_parts.store.lastFolder, kFilter);
    if (path.isEmpty())
        return;
    const std::optional<QByteArray> data = history::savedDataFile(*chosen.first());
    if (!data) {
        warningBox(this, kUnreadable + chosen.first()->dataPath);
        return;
    }
    const safesave::Result saved = safesave::write(path, *data);
    if (!saved.saved)
        warningBox(this, safesave::failureSentence(saved.problem), QMessageBox::Ok,
                   path + QStringLiteral(": ") + saved.reason);
}
