#include "data/ui/routegrid.h"

#include "data/routecommands.h"
#include "data/routetexts.h"

#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kDescriptionColumn = routegrid::kColumnCount - 1;
constexpr int kColumnWidths[routegrid::kColumnCount] = {29, 33, 33, 28, 21, 21, 22, 22, 23, 21, 23,
                                                        22, 25, 26, 25, 25, 25, 24, 25, 22, 250};
constexpr int kRowHeight = 19;

// An inactive route that still holds settings is shaded and in italics, and its cells say why.
const QColor kHiddenSettingsShade(0xE4, 0xE4, 0xE4);
// Routes that differ from the module, and the corner marks of what the module holds.
const QColor kDifferenceShade(0xFF, 0xC8, 0xC8);
const QColor kSameCorner(0x20, 0xA0, 0x40);
const QColor kDiffersCorner(0xD0, 0x20, 0x20);
const QString kSameTip = QStringLiteral("Cesta je v modulu stejná");
const QString kDiffersTip = QStringLiteral("Cesta se liší od modulu");
// A description kept across a module read that brought another route.
const QColor kForeignDescription(0xA0, 0x40, 0x00);
const QString kForeignTip = QStringLiteral("popis ze souboru, cesta v modulu je jiná");
constexpr int kModuleMarkRole = Qt::UserRole + 1;
const QString kHiddenSettingsTip =
    QStringLiteral("Cesta je neaktivní, ale drží nastavení (zobrazí je definice cesty).\n"
                   "Celou ji vymaže \"Zrušení nadef. cesty\" se zaškrtnutým\n"
                   "\"Vymazat celou definici cesty včetně popisu\".");

// The header draws its caption inside the style sheet's border and padding (set below).
constexpr int kHeaderBorder = 1;
constexpr int kHeaderPadding = 2;
constexpr int kHeaderTextRoom = 2 * (kHeaderBorder + kHeaderPadding);

int textWidth(const QFontMetricsF& metrics, const QString& text) {
    return static_cast<int>(std::ceil(metrics.horizontalAdvance(text)));
}

// The number cell as Qt draws it, with a small corner where the module's route is known: text
// and column widths stay as they are.
class ModuleCornerDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        const auto mark = ModuleMark(index.data(kModuleMarkRole).toInt());
        if (mark == ModuleMark::Unknown)
            return;
        constexpr int kSide = 6;
        const QPoint corner = option.rect.topRight();
        const QPolygon triangle({corner, corner + QPoint(-kSide, 0), corner + QPoint(0, kSide)});
        painter->save();
        painter->setPen(Qt::NoPen);
        painter->setBrush(mark == ModuleMark::Same ? kSameCorner : kDiffersCorner);
        painter->drawPolygon(triangle);
        painter->restore();
    }
};
} // namespace

RouteGrid::RouteGrid(QWidget* parent) : QTableWidget(parent) {
    setObjectName(QStringLiteral("Table1"));
    setColumnCount(routegrid::kColumnCount);
    setRowCount(image::kRouteCount);
    setHorizontalHeaderLabels(routegrid::headerTexts());
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(10);
    horizontalHeader()->setDefaultSectionSize(30);
    horizontalHeader()->setMinimumSectionSize(10);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { background-color: yellow; color: black; "
                       "border: %1px solid gray; padding: 0px %2px; }")
            .arg(kHeaderBorder)
            .arg(kHeaderPadding));
    // The description column follows whenever the user widens or narrows another one.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (column != kDescriptionColumn)
            fitDescriptionColumn();
    });
    setItemDelegateForColumn(0, new ModuleCornerDelegate(this));
    fitToFont();
    setCurrentCell(0, 0);
}

void RouteGrid::follow(const ConfigDocument& document) {
    m_document = &document;
    const auto refill = [this] { fill(m_document->config()); };
    connect(&document, &ConfigDocument::replaced, this, refill);
    connect(&document, &ConfigDocument::routeChanged, this, refill);
    // The DCC column reads the base from the header.
    connect(&document, &ConfigDocument::headerChanged, this, refill);
    refill();
}

void RouteGrid::setModuleMarks(const std::array<ModuleMark, image::kRouteCount>& marks) {
    if (marks == m_moduleMarks)
        return;
    m_moduleMarks = marks;
    if (m_document)
        fill(m_document->config());
}

void RouteGrid::fill(const ConfigStore& store) {
    const int row = currentRow();
    setHorizontalHeaderLabels(routegrid::headerTexts());
    setRowCount(image::kRouteCount);
    const int base = dccBase(store.image);
    for (int n = 1; n <= image::kRouteCount; ++n) {
        const QStringList texts = routegrid::rowTexts(store.route(n), n, base);
        const bool hidden = holdsHiddenSettings(store.route(n));
        setRowHidden(n - 1, m_hideUnused && store.route(n) == emptyRoute());
        for (int c = 0; c < texts.size(); ++c) {
            QTableWidgetItem* cell = item(n - 1, c);
            if (!cell) {
                cell = new QTableWidgetItem;
                setItem(n - 1, c, cell);
            }
            cell->setText(texts[c]);
            // The italics stay visible while the row is selected and the shade is not. Other
            // cells take the grid's own font, whatever it is set to later.
            cell->setData(Qt::FontRole, hidden ? QVariant(italicFont()) : QVariant());
            cell->setBackground(hidden ? QBrush(kHiddenSettingsShade) : QBrush());
            cell->setToolTip(hidden ? kHiddenSettingsTip : QString());
        }
    }
    showMarks();
    fitDescriptionColumn();
    if (row >= 0)
        selectRow(row);
    emit filled();
}

// Over what fill() wrote: the module's marks in the number cells, the foreign descriptions.
void RouteGrid::showMarks() {
    for (int n = 1; n <= image::kRouteCount; ++n) {
        const ModuleMark mark = m_moduleMarks[std::size_t(n - 1)];
        QTableWidgetItem* number = item(n - 1, 0);
        number->setData(kModuleMarkRole, int(mark));
        if (mark != ModuleMark::Unknown) {
            const QString tip = mark == ModuleMark::Same ? kSameTip : kDiffersTip;
            const QString before = number->toolTip();
            number->setToolTip(before.isEmpty() ? tip : tip + QLatin1Char('\n') + before);
        }
        if (mark == ModuleMark::Differs)
            number->setBackground(kDifferenceShade);
        if (m_document && m_document->descriptionFromElsewhere(n)) {
            QTableWidgetItem* description = item(n - 1, kDescriptionColumn);
            QFont font = description->font();
            font.setItalic(true);
            description->setFont(font);
            description->setForeground(kForeignDescription);
            description->setToolTip(kForeignTip);
        } else if (QTableWidgetItem* description = item(n - 1, kDescriptionColumn)) {
            description->setForeground(QBrush());
        }
    }
}

int RouteGrid::selectedRoute() const {
    const int row = currentRow();
    return row >= 0 && row < image::kRouteCount ? row + 1 : 1;
}

void RouteGrid::selectRoute(int n) {
    selectRow(n - 1);
}

void RouteGrid::changeEvent(QEvent* event) {
    QTableWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        for (int row = 0; row < rowCount(); ++row)
            for (int c = 0; c < columnCount(); ++c)
                if (QTableWidgetItem* cell = item(row, c);
                    cell && cell->data(Qt::FontRole).isValid())
                    cell->setData(Qt::FontRole, italicFont());
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitToFont();
}

QFont RouteGrid::italicFont() const {
    QFont italic = font();
    italic.setItalic(true);
    return italic;
}

bool RouteGrid::viewportEvent(QEvent* event) {
    const bool handled = QTableWidget::viewportEvent(event);
    if (event->type() == QEvent::Resize)
        fitDescriptionColumn();
    return handled;
}

int RouteGrid::cellWidth(const QStringList& texts) const {
    // Any row may be one in italics (an inactive route holding settings), which runs wider.
    const QFontMetricsF metrics(font());
    const QFontMetricsF italic(italicFont());
    int widest = 0;
    for (const QString& text : texts)
        widest = std::max({widest, textWidth(metrics, text), textWidth(italic, text)});
    // Qt's item painter keeps the focus frame's margin and one more pixel free on either side
    // of the text, and the grid line takes the last pixel of the cell.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return widest + 2 * margin + (showGrid() ? 1 : 0);
}

int RouteGrid::headerWidth(int column) const {
    const QFontMetricsF metrics(font());
    return textWidth(metrics, routegrid::headerTexts().at(column)) + kHeaderTextRoom;
}

void RouteGrid::fitToFont() {
    // A style sheet keeps a widget's font from reaching the widgets inside it, so the header
    // and the part of it that draws the captions are given the grid's font here.
    horizontalHeader()->setFont(font());
    horizontalHeader()->viewport()->setFont(font());
    m_fitting = true;
    for (int c = 0; c < kDescriptionColumn; ++c) {
        const int needed = std::max(cellWidth(routegrid::possibleTexts(c)), headerWidth(c));
        setColumnWidth(c, std::max(kColumnWidths[c], needed));
    }
    m_fitting = false;
    verticalHeader()->setDefaultSectionSize(std::max(kRowHeight, fontMetrics().height() + 3));
    // The window grows rather than push the description column out of sight: the grid asks for
    // every column at its least width, the scroll bar and the frame.
    int columns = 0;
    for (int c = 0; c < kDescriptionColumn; ++c)
        columns += columnWidth(c);
    columns += std::max(kColumnWidths[kDescriptionColumn], headerWidth(kDescriptionColumn));
    const int scrollBar =
        style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalScrollBar());
    setMinimumWidth(columns + scrollBar + 2 * frameWidth());
    fitDescriptionColumn();
}

void RouteGrid::fitDescriptionColumn() {
    if (m_fitting)
        return;
    QStringList descriptions;
    for (int row = 0; row < rowCount(); ++row)
        if (const QTableWidgetItem* cell = item(row, kDescriptionColumn))
            descriptions << cell->text();
    int others = 0;
    for (int c = 0; c < kDescriptionColumn; ++c)
        others += columnWidth(c);
    const int needed = std::max({kColumnWidths[kDescriptionColumn], cellWidth(descriptions),
                                 headerWidth(kDescriptionColumn)});
    setColumnWidth(kDescriptionColumn, std::max(needed, viewport()->width() - others));
}
