#include "widgets/windowsize.h"

#include <QEvent>
#include <QWidget>

namespace {
// Every change of font or content ends in a layout request to the window; the minimum is
// worked out again then, before the layout resizes the window's children.
class ContentsFitter : public QObject {
public:
    ContentsFitter(QWidget* window, QSize documented)
        : QObject(window), m_window(window), m_documented(documented) {
        window->installEventFilter(this);
        fit();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && event->type() == QEvent::LayoutRequest)
            fit();
        return false;
    }

private:
    void fit() {
        const QSize minimum = m_documented.expandedTo(m_window->minimumSizeHint());
        if (m_window->minimumSize() != minimum)
            m_window->setMinimumSize(minimum);
        if (m_window->width() < minimum.width() || m_window->height() < minimum.height())
            m_window->resize(m_window->size().expandedTo(minimum));
    }

    QWidget* m_window;
    QSize m_documented;
};
} // namespace

void fitToContents(QWidget* window, QSize documented) {
    // A window that was fixed before keeps no maximum: the minimum alone bounds it now.
    window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    window->resize(documented);
    new ContentsFitter(window, documented);
}
