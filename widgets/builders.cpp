#include "widgets/builders.h"

#include "widgets/numberbox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>

namespace widgets {

QCheckBox* checkBox(const QString& name, const QString& caption, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QLabel* label(const QString& name, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QLabel* boldLabel(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    makeBold(l);
    return l;
}

void makeBold(QWidget* widget) {
    QFont font = widget->font();
    font.setBold(true);
    widget->setFont(font);
}

QFrame* horizontalLine(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QFrame* tealBar(QWidget* parent, const QString& name) {
    auto* bar = new QFrame(parent);
    if (!name.isEmpty())
        bar->setObjectName(name);
    makeTeal(bar);
    return bar;
}

void makeTeal(QFrame* bar) {
    bar->setFixedHeight(6);
    bar->setAutoFillBackground(true);
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Window, QColor(0x00, 0x80, 0x80));
    bar->setPalette(palette);
}

QSpinBox* numberBox(const QString& name, int min, int max, const QString& hint, QWidget* parent) {
    auto* box = new NumberBox(parent);
    box->setObjectName(name);
    box->setRange(min, max);
    box->setValue(min);
    if (!hint.isEmpty())
        box->setToolTip(hint);
    box->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    return box;
}

QComboBox* pickList(const QString& name, const QString& placeholder, const QStringList& items,
                    QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    // The placeholder must be in place before the items, or "nothing chosen" shows blank.
    box->setPlaceholderText(placeholder);
    box->addItems(items);
    box->setCurrentIndex(-1);
    return box;
}

QComboBox* editablePickList(const QString& name, const QString& placeholder,
                            const QStringList& items, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setPlaceholderText(placeholder);
    box->addItems(items);
    startUnchosen(box);
    return box;
}

void startUnchosen(QComboBox* box) {
    // An editable list shows its text line, not its own placeholder: it goes on both.
    if (box->lineEdit())
        box->lineEdit()->setPlaceholderText(box->placeholderText());
    box->setCurrentIndex(-1);
}

std::vector<QCheckBox*> numberedCheckBoxes(const QString& namePrefix, const QString& captionPrefix,
                                           int first, int count, QWidget* parent) {
    std::vector<QCheckBox*> boxes;
    for (int n = first; n < first + count; ++n)
        boxes.push_back(
            checkBox(namePrefix + QString::number(n), captionPrefix + QString::number(n), parent));
    return boxes;
}

void chainTabOrder(const std::vector<QWidget*>& order) {
    if (order.empty())
        return;
    // The window stands first so that the first of the order has the focus when the window
    // opens; Qt orders only what takes the focus, so the window does for a moment.
    QWidget* window = order.front()->window();
    const Qt::FocusPolicy windowPolicy = window->focusPolicy();
    window->setFocusPolicy(Qt::TabFocus);
    QWidget* previous = window;
    const auto follow = [&previous](QWidget* w) {
        QWidget::setTabOrder(previous, w);
        previous = w;
    };
    for (QWidget* w : order) {
        if (w->focusPolicy() != Qt::NoFocus) {
            follow(w);
            continue;
        }
        // A radio group takes no focus itself; its buttons take it in turn.
        for (QWidget* part : w->findChildren<QWidget*>())
            if (part->focusPolicy() & Qt::TabFocus)
                follow(part);
    }
    window->setFocusPolicy(windowPolicy);
}

std::uint32_t checkedMask(const std::vector<QCheckBox*>& boxes) {
    std::uint32_t mask = 0;
    for (std::size_t k = 0; k < boxes.size() && k < 32; ++k)
        if (boxes[k]->isChecked())
            mask |= 1U << k;
    return mask;
}

void setCheckedMask(const std::vector<QCheckBox*>& boxes, std::uint32_t mask) {
    for (std::size_t k = 0; k < boxes.size() && k < 32; ++k)
        boxes[k]->setChecked((mask >> k) & 1U);
}

} // namespace widgets
