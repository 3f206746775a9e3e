#include "review/print/printedsheet.h"

#include "review/configsheet.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QPageLayout>
#include <QPageRanges>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

namespace printedsheet {

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

bool paint(QPagedPaintDevice& device, const ConfigStore& config, const QString& title,
           const QString& date) {
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const QRect page = painter.viewport();
    const QString heading = configsheet::pageHeading(title, date);
    QFont headingFont = painter.font();
    headingFont.setPointSizeF(8);
    const int headingHeight = QFontMetrics(headingFont, &device).height() * 2;

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&device);
    document.setHtml(configsheet::html(config, title, date));
    const QSizeF body(page.width(), page.height() - headingHeight);
    document.setPageSize(body);
    const int pages = document.pageCount();
    // The printer's dialog may ask for some pages only.
    const QPageRanges ranges = device.pageRanges();
    bool first = true;
    for (int p = 0; p < pages; ++p) {
        if (!ranges.isEmpty() && !ranges.contains(p + 1))
            continue;
        if (!first)
            device.newPage();
        first = false;
        painter.save();
        painter.setFont(headingFont);
        painter.drawText(QRect(0, 0, page.width(), headingHeight), Qt::AlignLeft | Qt::AlignTop,
                         heading);
        painter.drawText(QRect(0, 0, page.width(), headingHeight), Qt::AlignRight | Qt::AlignTop,
                         QStringLiteral("%1/%2").arg(p + 1).arg(pages));
        painter.restore();
        painter.save();
        painter.translate(0, headingHeight - p * body.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, p * body.height(), body.width(), body.height());
        painter.setClipRect(context.clip);
        document.documentLayout()->draw(&painter, context);
        painter.restore();
    }
    return painter.end();
}

QByteArray render(Format format, const ConfigStore& config, const QString& title,
                  const QString& date) {
    switch (format) {
    case Format::Csv:
        return configsheet::csv(config);
    case Format::Html:
        return configsheet::html(config, title, date).toUtf8();
    case Format::Pdf:
        break;
    case Format::Unknown:
        return QByteArray();
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setTitle(configsheet::pageHeading(title, date));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setResolution(300);
    paint(writer, config, title, date);
    return bytes;
}

} // namespace printedsheet
