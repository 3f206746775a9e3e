#pragma once

#include <QColor>
#include <QGroupBox>
#include <QWidget>

class QButtonGroup;
class QComboBox;
class QSpinBox;

// Controls the windows share.

// An indicator lamp: a filled upright rectangle with a black outline. Only the fill changes.
class LampShape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor brushColor READ brushColor WRITE setBrushColor)
public:
    static constexpr int kWidth = 9;
    static constexpr int kHeight = 17;

    explicit LampShape(int penWidth = 1, QWidget* parent = nullptr);
    QColor brushColor() const { return m_brush; }
    void setBrushColor(const QColor& colour);
    int penWidth() const { return m_penWidth; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_brush = Qt::white;
    int m_penWidth = 1;
};

// A framed group of radio buttons read and set by the index of the chosen item, -1 for none.
// The items fill the first column top to bottom, then the next, like the designer's groups.
// A form sets columns before items; a group that is renamed renames its buttons.
class RadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex)
    Q_PROPERTY(int columns READ columns WRITE setColumns)
    Q_PROPERTY(QStringList items READ items WRITE setItems)
    Q_PROPERTY(QString itemInfix READ itemInfix WRITE setItemInfix)
public:
    explicit RadioGroup(QWidget* parent = nullptr);
    // The buttons are named after the group, then `itemInfix`, then their index: RGvyh1a0 with
    // no infix, RGtyp1Item0 with "Item".
    RadioGroup(const QString& name, const QString& caption, const QStringList& items, int columns,
               QWidget* parent = nullptr, const QString& itemInfix = QString());
    int itemIndex() const;
    void setItemIndex(int index);
    int columns() const { return m_columns; }
    void setColumns(int columns);
    QStringList items() const;
    // Replaces the buttons; nothing is chosen then.
    void setItems(const QStringList& items);
    QString itemInfix() const { return m_itemInfix; }
    void setItemInfix(const QString& infix);

signals:
    // An item became the chosen one, whether the user clicked it or the program set it.
    void itemChosen(int index);

private:
    void nameItems();

    QButtonGroup* m_group;
    QString m_itemInfix;
    int m_columns = 1;
};

// The number standing in the box now, even while the user is still typing it; a text that is
// not a number reads as the minimum.
int spinValue(QSpinBox* box);
// The entry an editable list shows: its current item, or the item whose text was typed in
// full; -1 when the text names no item.
int chosenIndex(const QComboBox* box);
