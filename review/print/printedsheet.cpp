#include "review/print/printedsheet.h"

#include <QBuffer>
#include <QDateTime>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPageRanges>
#include <QPainter>
#include <QPdfWriter>

#include <functional>
#include <vector>

namespace printedsheet {
namespace {
using configsheet::Setting;
using configsheet::Sheet;

// Shares of the page width the route table's columns take, in the order of columns().
constexpr qreal kColumnShares[] = {0.05, 0.15, 0.23, 0.18, 0.12, 0.11, 0.16};
constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

// One piece of the sheet that is never split between pages.
struct Piece {
    qreal height = 0;
    std::function<void(QPainter&, qreal top)> draw;
    bool isRow = false;        // a route's row: a page starting with it gets the column heads
    bool keepWithNext = false; // a heading stays on the page of what it heads
};

class Layout {
public:
    Layout(QPaintDevice& device, qreal width) : m_device(device), m_width(width) {
        m_body.setPointSizeF(8);
        m_bold = m_body;
        m_bold.setBold(true);
        m_title = m_bold;
        m_title.setPointSizeF(13);
        m_heading = m_bold;
        m_heading.setPointSizeF(10.5);
        m_pad = QFontMetricsF(m_body, &m_device).height() * 0.2;
    }

    qreal textHeight(const QFont& font, qreal width, const QString& text) const {
        return QFontMetricsF(font, &m_device)
            .boundingRect(QRectF(0, 0, width, 1e6), kTextFlags, text)
            .height();
    }

    Piece text(const QFont& font, const QString& line, qreal spaceAbove = 0) const {
        const qreal h = textHeight(font, m_width, line) + spaceAbove;
        return {h,
                [=](QPainter& p, qreal top) {
                    p.setFont(font);
                    p.drawText(QRectF(0, top + spaceAbove, m_width, h), kTextFlags, line);
                },
                false, false};
    }

    Piece heading(const QString& line) const {
        Piece p = text(m_heading, line, QFontMetricsF(m_body, &m_device).height());
        p.keepWithNext = true;
        return p;
    }

    // `cells` side by side in `widths`, with a frame when `framed`.
    Piece cells(const QStringList& cells, const std::vector<qreal>& widths, const QFont& font,
                bool framed) const {
        qreal h = 0;
        for (int i = 0; i < cells.size(); ++i)
            h = qMax(h, textHeight(font, widths[std::size_t(i)] - 2 * m_pad, cells[i]));
        h += 2 * m_pad;
        return {h,
                [=](QPainter& p, qreal top) {
                    p.setFont(font);
                    qreal x = 0;
                    for (int i = 0; i < cells.size(); ++i) {
                        const QRectF box(x, top, widths[std::size_t(i)], h);
                        if (framed)
                            p.drawRect(box);
                        p.drawText(box.adjusted(m_pad, m_pad, -m_pad, -m_pad), kTextFlags,
                                   cells[i]);
                        x += box.width();
                    }
                },
                false, false};
    }

    std::vector<qreal> tableWidths() const {
        std::vector<qreal> w;
        for (qreal share : kColumnShares)
            w.push_back(share * m_width);
        return w;
    }

    // Pairs "name: value" in `across` columns, one piece per line of the block.
    void pairs(std::vector<Piece>& out, const QList<Setting>& pairs, int across,
               const QString& joint) const {
        const std::vector<qreal> widths(std::size_t(across), m_width / across);
        for (int i = 0; i < pairs.size(); i += across) {
            QStringList line;
            for (int k = i; k < qMin(i + across, int(pairs.size())); ++k)
                line << pairs[k].name + joint + pairs[k].value;
            out.push_back(cells(line, widths, m_body, false));
        }
    }

    QFont m_body, m_bold, m_title, m_heading;

private:
    QPaintDevice& m_device;
    qreal m_width;
    qreal m_pad = 0;
};

std::vector<Piece> pieces(const Layout& layout, const Sheet& sheet) {
    std::vector<Piece> out;
    out.push_back(layout.text(layout.m_title, sheet.title));
    out.push_back(layout.text(layout.m_body, sheet.date));
    out.push_back(layout.heading(configsheet::kSettingsHeading));
    layout.pairs(out, sheet.settings, 2, QStringLiteral(": "));
    out.push_back(layout.heading(configsheet::kRoutesHeading));
    for (const configsheet::Row& row : sheet.rows) {
        Piece p = layout.cells(row.cells, layout.tableWidths(), layout.m_body, true);
        p.isRow = true;
        out.push_back(p);
    }
    out.push_back(layout.heading(configsheet::kFindingsHeading));
    if (sheet.findings.isEmpty())
        out.push_back(layout.text(layout.m_body, configsheet::kNoFindings));
    for (const QString& f : sheet.findings)
        out.push_back(layout.text(layout.m_body, QStringLiteral("• ") + f));
    if (!sheet.names.isEmpty()) {
        out.push_back(layout.heading(configsheet::kNamesHeading));
        layout.pairs(out, sheet.names, 3, QStringLiteral(" = "));
    }
    return out;
}

struct Placed {
    const Piece* piece;
    qreal top;
};
using Pages = std::vector<std::vector<Placed>>;

// Fills pages of `height` top to bottom; the column heads open every page that continues the
// route table. A piece taller than a page gets a page of its own.
Pages paginate(const std::vector<Piece>& list, const Piece& heads, qreal height) {
    Pages pages(1);
    qreal y = 0;
    bool onlyHeads = true; // nothing but the heads on the current page yet
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Piece& piece = list[i];
        qreal need = piece.height;
        if (piece.keepWithNext && i + 1 < list.size())
            need += list[i + 1].height + (list[i + 1].isRow ? heads.height : 0);
        const bool startsTable = piece.isRow && (i == 0 || !list[i - 1].isRow);
        if (startsTable)
            need += heads.height;
        if (y + need > height && !onlyHeads) {
            pages.emplace_back();
            y = 0;
            if (piece.isRow && !startsTable) {
                pages.back().push_back({&heads, y});
                y += heads.height;
            }
        }
        if (startsTable) {
            pages.back().push_back({&heads, y});
            y += heads.height;
        }
        pages.back().push_back({&piece, y});
        y += piece.height;
        onlyHeads = false;
    }
    return pages;
}
} // namespace

Format formatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return Format::Csv;
    if (suffix == QLatin1String("html") || suffix == QLatin1String("htm"))
        return Format::Html;
    if (suffix == QLatin1String("pdf"))
        return Format::Pdf;
    return Format::Unknown;
}

QString today() {
    return QLocale(QLocale::Czech).toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
}

bool paint(QPagedPaintDevice& device, const Sheet& sheet) {
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const QRect page = painter.viewport();
    Layout layout(device, page.width());
    QFont small = layout.m_body;
    small.setPointSizeF(7);
    const qreal headingHeight = QFontMetricsF(small, &device).height() * 2;
    const std::vector<Piece> list = pieces(layout, sheet);
    const Piece heads =
        layout.cells(configsheet::columns(), layout.tableWidths(), layout.m_bold, true);
    const Pages pages = paginate(list, heads, page.height() - headingHeight);
    const QPageRanges ranges = device.pageRanges();
    const QString title = configsheet::pageHeading(sheet.title, sheet.date);
    bool first = true;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        if (!ranges.isEmpty() && !ranges.contains(int(p) + 1))
            continue;
        if (!first)
            device.newPage();
        first = false;
        painter.setFont(small);
        const QRectF top(0, 0, page.width(), headingHeight);
        painter.drawText(top, Qt::AlignLeft | Qt::AlignTop, title);
        painter.drawText(top, Qt::AlignRight | Qt::AlignTop,
                         QStringLiteral("%1/%2").arg(p + 1).arg(pages.size()));
        for (const Placed& placed : pages[p])
            placed.piece->draw(painter, headingHeight + placed.top);
    }
    return painter.end();
}

QByteArray render(Format format, const ConfigStore& config, const ElementNames& names,
                  const QString& title, const QString& date) {
    if (format == Format::Unknown)
        return QByteArray();
    if (format == Format::CsvLong)
        return configsheet::longCsv(config, names);
    const Sheet sheet = configsheet::build(config, names, title, date);
    if (format == Format::Csv)
        return configsheet::csv(sheet);
    if (format == Format::Html)
        return configsheet::html(sheet).toUtf8();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setTitle(configsheet::pageHeading(title, date));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                     QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
    writer.setResolution(300);
    paint(writer, sheet);
    return bytes;
}

} // namespace printedsheet
