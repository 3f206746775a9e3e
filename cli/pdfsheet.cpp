#include "cli/pdfsheet.h"

#include "data/configsheet.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

namespace pdfsheet {

QByteArray render(const ConfigStore& config, const QString& title, const QString& date) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setTitle(configsheet::pageHeading(title, date));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setResolution(300);

    QPainter painter(&writer);
    const QRect page = painter.viewport();
    const QString heading = configsheet::pageHeading(title, date);
    QFont headingFont = painter.font();
    headingFont.setPointSizeF(8);
    const int headingHeight = QFontMetrics(headingFont, &writer).height() * 2;

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&writer);
    document.setHtml(configsheet::html(config, title, date));
    const QSizeF body(page.width(), page.height() - headingHeight);
    document.setPageSize(body);
    const int pages = document.pageCount();
    for (int p = 0; p < pages; ++p) {
        if (p > 0)
            writer.newPage();
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
    painter.end();
    return bytes;
}

} // namespace pdfsheet
