#include "link/ui/histogramview.h"

#include <QLocale>
#include <QPainter>

#include <algorithm>

HistogramView::HistogramView(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(120);
}

void HistogramView::setHistogram(const linediag::Histogram& h) {
    m_histogram = h;
    update();
}

void HistogramView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    const auto& counts = m_histogram.counts;
    if (counts.empty())
        return;
    const int most = *std::max_element(counts.begin(), counts.end());
    const int text = fontMetrics().height();
    const QRect area = rect().adjusted(4, text + 4, -4, -text - 4);
    const double width = double(area.width()) / counts.size();
    const QLocale czech(QLocale::Czech);
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const int h = most > 0 ? area.height() * counts[i] / most : 0;
        const QRectF bar(area.left() + i * width + 1, area.bottom() - h, width - 2, h);
        p.fillRect(bar, palette().highlight());
        p.setPen(palette().text().color());
        if (counts[i] > 0)
            p.drawText(QRectF(bar.left(), bar.top() - text, bar.width(), text), Qt::AlignCenter,
                       QString::number(counts[i]));
        const double from = m_histogram.firstMs + i * m_histogram.binMs;
        p.drawText(QRectF(area.left() + i * width, area.bottom() + 2, width, text), Qt::AlignCenter,
                   czech.toString(from, 'f', 0));
    }
    p.drawText(rect().adjusted(4, 2, -4, 0), Qt::AlignRight | Qt::AlignTop,
               QStringLiteral("ms od odeslání příkazu"));
}
