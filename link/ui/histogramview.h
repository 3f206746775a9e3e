#pragma once

#include "link/linediagnosis.h"

#include <QWidget>

// The link diagnosis's reply times as bars, one per bin, with the bins' edges in milliseconds.
class HistogramView : public QWidget {
    Q_OBJECT
public:
    explicit HistogramView(QWidget* parent = nullptr);
    void setHistogram(const linediag::Histogram& h);
    QSize sizeHint() const override { return {360, 140}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    linediag::Histogram m_histogram;
};
