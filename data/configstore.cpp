#include "data/configstore.h"

#include "data/codec.h"

#include <algorithm>

ConfigStore::ConfigStore() {
    decodeCurrent(image, routes);
    markSaved();
}

ConfigStore::SavedContent ConfigStore::content() const {
    SavedContent c;
    std::copy_n(image.begin(), c.image.size(), c.image.begin());
    for (std::size_t k = 0; k < routes.size(); ++k)
        c.descriptions[k] = routes[k].description;
    return c;
}

void ConfigStore::takeModuleRead(const Image& read, int lastAddress) {
    const int last = std::min(lastAddress, image::kSize - 1);
    if (last >= 1)
        std::copy(read.begin() + 1, read.begin() + last + 1, image.begin() + 1);
    decodeCurrent(image, routes);
}

void ConfigStore::markSaved() {
    m_saved = content();
}

bool ConfigStore::isModified() const {
    return !(content() == m_saved);
}
