#include "data/ui/configsteps.h"

RouteStep::RouteStep(ConfigDocument& document, int n, const RouteRecord& after, bool foreignAfter,
                     const QString& text)
    : QUndoCommand(text), m_document(document), m_route(n), m_before(document.route(n)),
      m_after(after), m_foreignBefore(document.descriptionFromElsewhere(n)),
      m_foreignAfter(foreignAfter), m_imageBefore(document.config().image) {}

bool RouteStep::changesAnything() const {
    // An OK on an unchanged route leaves its bytes as they are, even those the table would
    // write otherwise (bits a file or the module holds that no field keeps).
    return m_after != m_before || m_foreignAfter != m_foreignBefore;
}

void RouteStep::undo() {
    m_document.restoreRoute(m_route, m_before, m_foreignBefore, m_imageBefore);
}

void RouteStep::redo() {
    m_document.setRoute(m_route, m_after, m_foreignAfter);
}

HeaderStep::HeaderStep(ConfigDocument& document, const HeaderBytes& after, const QString& text)
    : QUndoCommand(text), m_document(document), m_before(headerOf(document.config().image)),
      m_after(after) {}

void HeaderStep::undo() {
    m_document.setHeader(m_before);
}

void HeaderStep::redo() {
    m_document.setHeader(m_after);
}
