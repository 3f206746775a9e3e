#pragma once

#include "data/elementnames.h"

#include <QDialog>

#include <optional>

class QTableWidget;

// "Názvy prvků": one tab per kind of element (push-buttons, points, signals, detectors,
// relays), each a list of codes with a name to type beside each. The tables repeat one pattern
// per kind, so they are made from elementnames::kinds() rather than drawn.
class NamesDialog : public QDialog {
    Q_OBJECT
public:
    explicit NamesDialog(QWidget* parent = nullptr);

    // Shows `names` for editing; the edited names on OK, nothing on Cancel.
    std::optional<ElementNames> edit(const ElementNames& names);

private:
    QList<QTableWidget*> m_tables; // in the order of elementnames::kinds()
};
