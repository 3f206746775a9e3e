#pragma once

#include "data/configstore.h"

#include <QObject>
#include <QString>

#include <bitset>

// The configuration on screen and what belongs to it: where it came from, the file it saves
// to, whether it differs from that file, and which descriptions the module's routes no longer
// match. Every change goes through here and is announced, so the grid, the route pane, the
// title, the undo history and the module marks follow by listening; no window refills another.
//
// The values live in a ConfigStore lent by whoever composes the program, because the link and
// the command line work on that plain value by reference. On the window side this is its only
// writer.
class ConfigDocument : public QObject {
    Q_OBJECT
public:
    enum class Origin { New, File, ModuleRead, HistoryEntry };

    explicit ConfigDocument(ConfigStore& store, QObject* parent = nullptr);

    const ConfigStore& config() const { return m_store; }
    const RouteRecord& route(int n) const { return m_store.route(n); }
    Origin origin() const { return m_origin; }
    // The file Ctrl+S writes without asking; none after a module read or a history entry, so
    // nothing read from elsewhere can overwrite the file that was open before.
    QString saveTarget() const {
        return m_origin == Origin::File ? m_store.currentFile : QString();
    }
    bool isModified() const { return m_store.isModified(); }
    // The description of route n stayed from the screen while the read brought another route.
    bool descriptionFromElsewhere(int n) const;
    int descriptionsFromElsewhere() const { return int(m_foreign.count()); }

    // ---- one route, the header
    // Route n becomes `route`, packed into its own bytes of the image only. `foreignDescription`
    // carries the mark of a description kept across a read that changed the route.
    void setRoute(int n, const RouteRecord& route, bool foreignDescription = false);
    // Takes a route change back: route n as it was, with the whole image it was packed in.
    void restoreRoute(int n, const RouteRecord& route, bool foreignDescription, const Image& image);
    void setHeader(const HeaderBytes& header);

    // ---- the whole configuration
    // `contents` becomes the configuration (its image, routes and capacity). From a file it is
    // that file's and saves back to it; from anywhere else it has no file to save to, and the
    // unsaved mark still compares with the last file loaded or saved.
    void replace(const ConfigStore& contents, Origin origin, const QString& file = QString());
    // The bytes 1..lastAddress a module read proved, over the image on screen. The module keeps
    // no descriptions: each route keeps the one on screen, marked where the read brought a
    // different definition.
    void takeModuleRead(const Image& image, int lastAddress);
    // The configuration was just written to `path`: from now on it is that file's.
    void markSavedTo(const QString& path);
    void setLastFolder(const QString& folder) { m_store.lastFolder = folder; }

    // A name to offer when there is no file to save to, e.g. "modul-2026-12-07.txt".
    QString suggestedFileName() const;

signals:
    void replaced();
    void routeChanged(int n);
    void headerChanged();
    void modifiedChanged(bool modified);
    // Origin or save target changed (the title follows).
    void sourceChanged();
    // Written to `path` (the recent files follow).
    void saved(const QString& path);

private:
    void commit(const ConfigStore& contents, Origin origin, const QString& file,
                const std::bitset<image::kRouteCount>& foreign);
    void announceModified();

    ConfigStore& m_store;
    Origin m_origin = Origin::New;
    std::bitset<image::kRouteCount> m_foreign;
    bool m_modified = false;
};
