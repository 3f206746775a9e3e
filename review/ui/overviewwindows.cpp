#include "review/ui/overviewwindows.h"

#include "data/counted.h"
#include "review/buttonmatrix.h"
#include "review/configwords.h"
#include "review/conflicts.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include <map>

namespace {
using elementnames::Kind;

const QString kMatrixTitle = QStringLiteral("Přehled tlačítek");
const QString kMatrixLegend = QStringLiteral(
    "Řádky jsou tlačítka ODKUD, sloupce KAM, v buňce čísla cest. Červeně dvojice se dvěma a více "
    "cestami, žlutě dvojice bez cesty mezi tlačítky, která cesty používají. Dvojklik otevře "
    "definici cesty, u prázdné buňky první volnou cestu s touto dvojicí.");
const QString kConflictsTitle = QStringLiteral("Vylučující se cesty");
const QString kConflictsLegend = QStringLiteral(
    "Cesty, které nelze postavit současně: V = výhybka v opačné poloze, D = společný "
    "detektor (úsek). Důvody ukáže bublina nad buňkou, dvojklik otevře definici cesty.");
const QColor kDuplicateShade(0xFF, 0xB0, 0xB0);
const QColor kGapShade(0xFF, 0xF0, 0xA8);

QTableWidget* readOnlyTable(QWidget* parent, const QString& name) {
    auto* table = new QTableWidget(parent);
    table->setObjectName(name);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setWordWrap(true);
    return table;
}

QLabel* legend(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}
} // namespace

ButtonMatrixWindow::ButtonMatrixWindow(QWidget* parent)
    : QDialog(parent), m_table(readOnlyTable(this, QStringLiteral("matrix"))) {
    setObjectName(QStringLiteral("ButtonMatrixWindow1"));
    setWindowTitle(kMatrixTitle);
    auto* column = new QVBoxLayout(this);
    column->addWidget(legend(kMatrixLegend, this));
    column->addWidget(m_table);
    m_table->setRowCount(buttonmatrix::kButtons);
    m_table->setColumnCount(buttonmatrix::kButtons);
    connect(m_table, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int col) { emit pairChosen(row + 1, col + 1); });
    resize(900, 640);
}

void ButtonMatrixWindow::fill(const ConfigStore& config, const ElementNames& names) {
    const buttonmatrix::Matrix matrix(config);
    const QList<std::pair<int, int>> gaps = matrix.gaps();
    QStringList heads;
    for (int b = 1; b <= buttonmatrix::kButtons; ++b)
        heads << names.label(Kind::Button, b).replace(QLatin1Char(' '), QLatin1Char('\n'));
    m_table->setVerticalHeaderLabels(heads);
    m_table->setHorizontalHeaderLabels(heads);
    for (int from = 1; from <= buttonmatrix::kButtons; ++from)
        for (int to = 1; to <= buttonmatrix::kButtons; ++to) {
            QStringList numbers;
            for (int n : matrix.routes(from, to))
                numbers << QString::number(n);
            auto* cell = new QTableWidgetItem(numbers.join(QStringLiteral(", ")));
            cell->setTextAlignment(Qt::AlignCenter);
            cell->setToolTip(
                QStringLiteral("ODKUD %1 → KAM %2")
                    .arg(names.label(Kind::Button, from), names.label(Kind::Button, to)));
            if (matrix.state(from, to) == buttonmatrix::State::Duplicate)
                cell->setBackground(kDuplicateShade);
            else if (gaps.contains(std::pair{from, to}))
                cell->setBackground(kGapShade);
            m_table->setItem(from - 1, to - 1, cell);
        }
    m_table->resizeColumnsToContents();
    m_table->resizeRowsToContents();
}

ConflictsWindow::ConflictsWindow(QWidget* parent)
    : QDialog(parent), m_summary(legend(QString(), this)),
      m_table(readOnlyTable(this, QStringLiteral("conflicts"))) {
    setObjectName(QStringLiteral("ConflictsWindow1"));
    setWindowTitle(kConflictsTitle);
    auto* column = new QVBoxLayout(this);
    column->addWidget(legend(kConflictsLegend, this));
    column->addWidget(m_summary);
    column->addWidget(m_table);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (row >= 0 && row < m_routes.size())
            emit routeChosen(m_routes[row]);
    });
    resize(820, 600);
}

void ConflictsWindow::fill(const ConfigStore& config, const ElementNames& names) {
    const QList<conflicts::Conflict> list = conflicts::find(config, names);
    std::map<std::pair<int, int>, QList<conflicts::Conflict>> byPair;
    QList<int> routes;
    for (const conflicts::Conflict& c : list) {
        byPair[{c.first, c.second}].append(c);
        for (int n : {c.first, c.second})
            if (!routes.contains(n))
                routes.append(n);
    }
    std::sort(routes.begin(), routes.end());
    m_routes = routes;
    m_summary->setText(byPair.empty()
                           ? QStringLiteral("Žádné cesty se nevylučují.")
                           : counted(qsizetype(byPair.size()), "dvojice", "dvojice", "dvojic") +
                                 QStringLiteral(" cest se vylučuje."));
    m_table->clear();
    m_table->setRowCount(int(routes.size()));
    m_table->setColumnCount(int(routes.size()));
    QStringList heads;
    for (int n : routes)
        heads << QString::number(n);
    m_table->setHorizontalHeaderLabels(heads);
    m_table->setVerticalHeaderLabels(heads);
    for (int i = 0; i < routes.size(); ++i)
        m_table->verticalHeaderItem(i)->setToolTip(
            configwords::buttonsText(config.route(routes[i]), names));
    for (const auto& [pair, reasons] : byPair) {
        QStringList lines;
        bool points = false, detectors = false;
        for (const conflicts::Conflict& c : reasons) {
            lines << c.reason;
            (c.kind == conflicts::Kind::OppositePoints ? points : detectors) = true;
        }
        const QString mark = QStringList{points ? QStringLiteral("V") : QString(),
                                         detectors ? QStringLiteral("D") : QString()}
                                 .join(QLatin1Char(' '))
                                 .trimmed();
        const QString tip = QStringLiteral("Cesty %1 a %2:\n").arg(pair.first).arg(pair.second) +
                            lines.join(QLatin1Char('\n'));
        const int a = int(routes.indexOf(pair.first)), b = int(routes.indexOf(pair.second));
        for (auto [row, col] : {std::pair{a, b}, std::pair{b, a}}) {
            auto* cell = new QTableWidgetItem(mark);
            cell->setTextAlignment(Qt::AlignCenter);
            cell->setToolTip(tip);
            m_table->setItem(row, col, cell);
        }
    }
    m_table->resizeColumnsToContents();
}
