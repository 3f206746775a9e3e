#include "review/ui/historywindow.h"

#include "data/counted.h"
#include "data/ui/datafiledialog.h"
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
const QString kForeign = QStringLiteral("Soubory, které nejsou součástí historie (ponechány): ");
constexpr int kForeignShown = 10;
const QString kDescriptionsKept = QStringLiteral("S popisy cest z obrazovky");
const QString kDescriptionsFromFile = QStringLiteral("S popisy cest z ukládaného souboru");
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
    connect(m_ui->StoreBtn, &QPushButton::clicked, this, &HistoryWindow::storeEntry);
    connect(m_ui->CloseBtn, &QPushButton::clicked, this, &QDialog::reject);
}

HistoryWindow::~HistoryWindow() = default;

void HistoryWindow::refresh() {
    m_listing = history::list(m_folder);
    history::fillSummaries(m_listing.entries);
    const QList<history::Entry>& entries = m_listing.entries;
    m_ui->entries->setRowCount(int(entries.size()));
    for (int row = 0; row < entries.size(); ++row) {
        const history::Entry& e = entries.at(row);
        QString kind = history::kindText(e);
        if (!e.complete())
            kind += QStringLiteral(" (částečně)");
        const QStringList cells{
            QLocale().toString(e.time.toLocalTime(), QStringLiteral("d.M.yyyy H:mm:ss")), kind,
            e.port, e.summary};
        for (int column = 0; column < cells.size(); ++column)
            m_ui->entries->setItem(row, column, new QTableWidgetItem(cells.at(column)));
        QStringList tip;
        if (!e.complete())
            tip << kKnown + history::rangesText(e.known);
        if (!e.descriptionsFrom.isEmpty())
            tip << (e.descriptionsFrom == QLatin1String("file") ? kDescriptionsFromFile
                                                                : kDescriptionsKept);
        m_ui->entries->item(row, 1)->setToolTip(tip.join(QLatin1Char('\n')));
    }
    m_ui->entries->resizeColumnsToContents();
    m_ui->entries->horizontalHeader()->setStretchLastSection(true);
    QStringList notes;
    QStringList skipped;
    for (const history::Damaged& d : m_listing.damaged)
        skipped << d.name + QStringLiteral(" (") + d.reason + QLatin1Char(')');
    if (!skipped.isEmpty())
        notes << kSkipped + skipped.join(QStringLiteral(", "));
    // Thousands of strangers' files would make the window as tall as the list.
    if (const QStringList& foreign = m_listing.foreign; !foreign.isEmpty())
        notes << kForeign + foreign.mid(0, kForeignShown).join(QStringLiteral(", ")) +
                     (foreign.size() > kForeignShown
                          ? QStringLiteral(" a ") +
                                counted(foreign.size() - kForeignShown, "další", "další", "dalších")
                          : QString());
    m_ui->LBskipped->setText(notes.join(QLatin1Char('\n')));
    m_ui->LBskipped->setVisible(!notes.isEmpty());
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
    for (int row : rows) {
        history::Entry& e = m_listing.entries[row];
        // Read now, not with the list: and checked again, in case it changed meanwhile.
        if (const QString wrong = history::load(e); !wrong.isEmpty()) {
            warningBox(this, kUnreadable + e.dataPath, QMessageBox::Ok, wrong);
            return {};
        }
        chosen << &e;
    }
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

// The entry goes on screen and from there into the module, with the usual choice of what to
// store: only the bytes that differ from what the module is known to hold, when that is known.
void HistoryWindow::storeEntry() {
    const auto chosen = selectedEntries(1);
    if (!chosen.isEmpty() && m_parts.open(chosen.first()->dataPath) && m_parts.storeToModule)
        m_parts.storeToModule();
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
    QString why;
    const std::optional<QByteArray> data = history::savedDataFile(*chosen.first(), &why);
    if (!data) {
        warningBox(this, kUnreadable + chosen.first()->dataPath, QMessageBox::Ok, why);
        return;
    }
    // In the words of a data file's save, an overwrite in place included.
    tellSaveResult(this, path, safesave::write(path, *data));
}
