#pragma once

#include "data/configdocument.h"

#include <QUndoCommand>

// The steps "Zpět" takes back and "Znovu" makes again, each through the document, which
// announces it. A step is made from the document as it stands before its change; pushing it
// runs redo(), which makes the change. One that would change nothing is not pushed.

// Route n becomes `after` (edit, copy, clear). The undo puts back the whole image from before,
// so the bytes the table does not describe (what a loaded file held there) come back too.
class RouteStep : public QUndoCommand {
public:
    RouteStep(ConfigDocument& document, int n, const RouteRecord& after, bool foreignAfter,
              const QString& text);
    bool changesAnything() const;
    void undo() override;
    void redo() override;

private:
    ConfigDocument& m_document;
    int m_route;
    RouteRecord m_before;
    RouteRecord m_after;
    bool m_foreignBefore;
    bool m_foreignAfter;
    Image m_imageBefore;
};

// The module-wide settings: the header becomes `after` (the peripheral editor's OK).
class HeaderStep : public QUndoCommand {
public:
    HeaderStep(ConfigDocument& document, const HeaderBytes& after, const QString& text);
    bool changesAnything() const { return m_before != m_after; }
    void undo() override;
    void redo() override;

private:
    ConfigDocument& m_document;
    HeaderBytes m_before;
    HeaderBytes m_after;
};
