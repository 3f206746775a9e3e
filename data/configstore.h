#pragma once

#include "data/image.h"
#include "data/routerecord.h"

#include <array>

// The one configuration the program works on: module image, the 90 routes decoded from it and
// the route capacity the module last reported.
struct ConfigStore {
    ConfigStore();

    Image image{};
    RouteTable routes;
    int routeCapacity = image::kRouteCount;
    // The data file last loaded or saved, and the folder of the last file picked in a file
    // dialog: the next dialog starts there instead of with whatever was typed last time.
    QString currentFile;
    QString lastFolder;

    // A module read's bytes 1..lastAddress replace the image's, and the routes are decoded from
    // it; the rest of the image and the descriptions stay.
    void takeModuleRead(const Image& read, int lastAddress);

    RouteRecord& route(int n) { return routes.at(static_cast<std::size_t>(n - 1)); }
    const RouteRecord& route(int n) const { return routes.at(static_cast<std::size_t>(n - 1)); }

    // The configuration now equals the file just loaded or saved (and, at start-up, the empty
    // configuration nobody needs to keep).
    void markSaved();
    // Whether saving now would write anything other than the last file loaded or saved. The
    // contents are compared, not the edits counted: a change undone by hand is no change, and
    // every way into the configuration (route commands, the peripheral editor, a read from
    // the module) is covered without each of them having to report itself.
    bool isModified() const;

private:
    // What the data file holds: the image up to the last route block and the descriptions.
    struct SavedContent {
        std::array<std::uint8_t, image::kConfigSize> image{};
        std::array<QString, image::kRouteCount> descriptions;
        bool operator==(const SavedContent& o) const {
            return image == o.image && descriptions == o.descriptions;
        }
    };
    SavedContent content() const;

    SavedContent m_saved;
};
