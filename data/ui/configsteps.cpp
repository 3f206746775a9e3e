#include "data/ui/configsteps.h"

#include "data/routecommands.h"

RouteStep::RouteStep(ConfigStore& store, int n, const RouteRecord& before, const Image& imageBefore,
                     const QString& text)
    : QUndoCommand(text), m_store(store), m_route(n), m_before(before), m_after(store.route(n)),
      m_imageBefore(imageBefore) {}

void RouteStep::undo() {
    applyRoute(m_store, m_route, m_before);
    m_store.image = m_imageBefore;
}

void RouteStep::redo() {
    applyRoute(m_store, m_route, m_after);
}

HeaderStep::HeaderStep(ConfigStore& store, const Image& imageBefore, const QString& text)
    : QUndoCommand(text), m_store(store), m_before(imageBefore), m_after(store.image) {}

void HeaderStep::undo() {
    m_store.image = m_before;
}

void HeaderStep::redo() {
    m_store.image = m_after;
}
