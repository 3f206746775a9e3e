#include "data/configdocument.h"

#include "data/codec.h"

#include <QDate>

namespace {
bool inTable(int n) {
    return n >= 1 && n <= image::kRouteCount;
}

// What the module holds of a route: everything but the description.
bool sameDefinition(RouteRecord a, RouteRecord b) {
    a.description.clear();
    b.description.clear();
    return a == b;
}
} // namespace

ConfigDocument::ConfigDocument(ConfigStore& store, QObject* parent)
    : QObject(parent), m_store(store),
      m_origin(store.currentFile.isEmpty() ? Origin::New : Origin::File),
      m_modified(store.isModified()) {}

bool ConfigDocument::descriptionFromElsewhere(int n) const {
    return inTable(n) && m_foreign.test(std::size_t(n - 1));
}

void ConfigDocument::setRoute(int n, const RouteRecord& route, bool foreignDescription) {
    if (!inTable(n))
        return;
    m_store.route(n) = route;
    encodeRoute(n, route, m_store.image);
    m_foreign.set(std::size_t(n - 1), foreignDescription);
    emit routeChanged(n);
    announceModified();
}

void ConfigDocument::restoreRoute(int n, const RouteRecord& route, bool foreignDescription,
                                  const Image& image) {
    if (!inTable(n))
        return;
    m_store.route(n) = route;
    m_store.image = image;
    m_foreign.set(std::size_t(n - 1), foreignDescription);
    emit routeChanged(n);
    announceModified();
}

void ConfigDocument::setHeader(const HeaderBytes& header) {
    std::copy(header.begin(), header.end(), m_store.image.begin());
    emit headerChanged();
    announceModified();
}

void ConfigDocument::replace(const ConfigStore& contents, Origin origin, const QString& file) {
    commit(contents, origin, file, {});
}

void ConfigDocument::commit(const ConfigStore& contents, Origin origin, const QString& file,
                            const std::bitset<image::kRouteCount>& foreign) {
    // The route capacity is the module's and the folder the user's: neither comes with contents.
    const int capacity = m_store.routeCapacity;
    const QString folder = m_store.lastFolder;
    if (origin == Origin::File) {
        m_store = contents;
        m_store.currentFile = file;
    } else {
        m_store.image = contents.image;
        m_store.routes = contents.routes;
        m_store.currentFile.clear();
    }
    m_store.routeCapacity = capacity;
    m_store.lastFolder = folder;
    m_origin = origin;
    m_foreign = foreign;
    emit replaced();
    emit sourceChanged();
    announceModified();
}

void ConfigDocument::takeModuleRead(const Image& image, int lastAddress) {
    ConfigStore read = m_store;
    read.takeModuleRead(image, lastAddress); // the descriptions stay those on screen
    std::bitset<image::kRouteCount> foreign;
    for (int n = 1; n <= image::kRouteCount; ++n)
        foreign.set(std::size_t(n - 1),
                    !route(n).description.isEmpty() && !sameDefinition(route(n), read.route(n)));
    commit(read, Origin::ModuleRead, QString(), foreign);
}

void ConfigDocument::markSavedTo(const QString& path) {
    m_store.markSaved();
    m_store.currentFile = path;
    m_origin = Origin::File;
    emit sourceChanged();
    emit saved(path);
    announceModified();
}

QString ConfigDocument::suggestedFileName() const {
    if (m_origin == Origin::ModuleRead || m_origin == Origin::HistoryEntry)
        return QStringLiteral("modul-%1.txt").arg(QDate::currentDate().toString(Qt::ISODate));
    return QString();
}

void ConfigDocument::announceModified() {
    const bool modified = m_store.isModified();
    if (modified == m_modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}
