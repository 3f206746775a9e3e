#pragma once

#include "data/namesholder.h"

#include <QUndoCommand>

// Names given in "Názvy prvků", taken back and made again like any change of the routes.
class NamesStep : public QUndoCommand {
public:
    NamesStep(NamesHolder& holder, const ElementNames& before, const ElementNames& after,
              const QString& text)
        : QUndoCommand(text), m_holder(holder), m_before(before), m_after(after) {}
    void undo() override { m_holder.setNames(m_before); }
    void redo() override { m_holder.setNames(m_after); }

private:
    NamesHolder& m_holder;
    ElementNames m_before;
    ElementNames m_after;
};
