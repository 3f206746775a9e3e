#include "widgets/controls.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QPainter>
#include <QRadioButton>
#include <QSpinBox>

#include <algorithm>

LampShape::LampShape(int penWidth, QWidget* parent) : QWidget(parent), m_penWidth(penWidth) {
    setFixedSize(kWidth, kHeight);
}

void LampShape::setBrushColor(const QColor& colour) {
    if (colour == m_brush)
        return;
    m_brush = colour;
    update();
}

void LampShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    p.fillRect(rect().adjusted(m_penWidth, m_penWidth, -m_penWidth, -m_penWidth), m_brush);
}

RadioGroup::RadioGroup(QWidget* parent) : QGroupBox(parent), m_group(new QButtonGroup(this)) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 2, 6, 2);
    // Unchecking the previous item is no choice of its own.
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            emit itemChosen(id);
    });
    connect(this, &QObject::objectNameChanged, this, &RadioGroup::nameItems);
}

RadioGroup::RadioGroup(const QString& name, const QString& caption, const QStringList& items,
                       int columns, QWidget* parent, const QString& itemInfix)
    : RadioGroup(parent) {
    setObjectName(name);
    setTitle(caption);
    m_itemInfix = itemInfix;
    setColumns(columns);
    setItems(items);
}

void RadioGroup::setColumns(int columns) {
    m_columns = std::max(1, columns);
    setItems(items());
}

QStringList RadioGroup::items() const {
    QStringList texts;
    for (QAbstractButton* b : m_group->buttons())
        texts << b->text();
    return texts;
}

void RadioGroup::setItems(const QStringList& items) {
    qDeleteAll(m_group->buttons());
    auto* grid = static_cast<QGridLayout*>(layout());
    const int count = static_cast<int>(items.size());
    const int rows = (count + m_columns - 1) / m_columns;
    for (int i = 0; i < count; ++i) {
        auto* b = new QRadioButton(items[i], this);
        m_group->addButton(b, i);
        grid->addWidget(b, i % rows, i / rows);
    }
    nameItems();
}

void RadioGroup::setItemInfix(const QString& infix) {
    m_itemInfix = infix;
    nameItems();
}

void RadioGroup::nameItems() {
    for (QAbstractButton* b : m_group->buttons())
        b->setObjectName(objectName() + m_itemInfix + QString::number(m_group->id(b)));
}

int RadioGroup::itemIndex() const {
    return m_group->checkedId();
}

void RadioGroup::setItemIndex(int index) {
    if (QAbstractButton* b = m_group->button(index)) {
        b->setChecked(true);
        return;
    }
    // An exclusive group refuses to uncheck its last button.
    m_group->setExclusive(false);
    if (QAbstractButton* checked = m_group->checkedButton())
        checked->setChecked(false);
    m_group->setExclusive(true);
}

int spinValue(QSpinBox* box) {
    box->interpretText();
    return box->value();
}

int chosenIndex(const QComboBox* box) {
    const int current = box->currentIndex();
    if (!box->isEditable() || (current >= 0 && box->itemText(current) == box->currentText()))
        return current;
    return box->findText(box->currentText(), Qt::MatchExactly);
}
