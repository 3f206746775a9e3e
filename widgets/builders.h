#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QSpinBox;
class QWidget;

// Small builders every window uses, so that the same kind of control looks and behaves the same
// everywhere. Each names the control (its objectName) as given.
namespace widgets {

QCheckBox* checkBox(const QString& name, const QString& caption, QWidget* parent);
QLabel* label(const QString& name, const QString& text, QWidget* parent);
QLabel* boldLabel(const QString& text, QWidget* parent);
void makeBold(QWidget* widget);
QFrame* horizontalLine(QWidget* parent);
// The teal bar that sets the expansion unit's controls apart from the module's own.
QFrame* tealBar(QWidget* parent, const QString& name = QString());
// Makes a frame drawn in a form that bar.
void makeTeal(QFrame* bar);
// A number box (see NumberBox) with its range and hint. A typed number outside the range, or
// a text that is no number, becomes the nearest allowed value when the box is left.
QSpinBox* numberBox(const QString& name, int min, int max, const QString& hint, QWidget* parent);
// A drop-down list that starts with nothing chosen and shows the placeholder then.
QComboBox* pickList(const QString& name, const QString& placeholder, const QStringList& items,
                    QWidget* parent);
// The same list with a text line: a typed item's full text chooses that item, and typed text
// never becomes a new entry, because what counts is the chosen entry's position.
QComboBox* editablePickList(const QString& name, const QString& placeholder,
                            const QStringList& items, QWidget* parent);
// Finishes an editable list drawn in a form the same way: nothing chosen, and its placeholder
// shown on the text line too.
void startUnchosen(QComboBox* box);

// `count` check boxes for the numbers first, first + 1, ...: box n is named namePrefix + n and
// captioned captionPrefix + n (CBrele9 "R9"). In that order they suit checkedMask below.
std::vector<QCheckBox*> numberedCheckBoxes(const QString& namePrefix, const QString& captionPrefix,
                                           int first, int count, QWidget* parent);

// Tab moves through `order` one after the other, starting with the window's first control; a
// group that takes no focus itself stands for its buttons.
void chainTabOrder(const std::vector<QWidget*>& order);

// A row of check boxes as a bit mask: box k is bit k.
std::uint32_t checkedMask(const std::vector<QCheckBox*>& boxes);
void setCheckedMask(const std::vector<QCheckBox*>& boxes, std::uint32_t mask);

} // namespace widgets
