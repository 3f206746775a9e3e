#pragma once

#include "data/configstore.h"

#include <QUndoCommand>

// The steps "Zpět" takes back and "Znovu" makes again. Each is made right after its change,
// from the configuration as it was before; the stack's first redo() then finds the change
// already made and changes nothing.

// Route n changed by a route command (edit, copy, clear). Both ways go through the route
// command and its packing of the table; the undo then also puts back the image bytes the table
// does not describe (what a loaded file held there), so the image is the one from before.
class RouteStep : public QUndoCommand {
public:
    RouteStep(ConfigStore& store, int n, const RouteRecord& before, const Image& imageBefore,
              const QString& text);
    void undo() override;
    void redo() override;

private:
    ConfigStore& m_store;
    int m_route;
    RouteRecord m_before;
    RouteRecord m_after;
    Image m_imageBefore;
};

// The module-wide settings changed in the image header by the peripheral editor.
class HeaderStep : public QUndoCommand {
public:
    HeaderStep(ConfigStore& store, const Image& imageBefore, const QString& text);
    void undo() override;
    void redo() override;

private:
    ConfigStore& m_store;
    Image m_before;
    Image m_after;
};
