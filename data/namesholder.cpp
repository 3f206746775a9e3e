#include "data/namesholder.h"

void NamesHolder::setNames(const ElementNames& names) {
    if (names == m_names)
        return;
    m_names = names;
    emit changed();
}

QString NamesHolder::loadFor(const QString& dataFile) {
    elementnames::LoadResult r;
    if (!dataFile.isEmpty())
        r = elementnames::loadFor(dataFile);
    m_saved = r.names;
    setNames(r.names);
    return r.note;
}

safesave::Result NamesHolder::saveFor(const QString& dataFile) {
    const safesave::Result r = elementnames::saveFor(dataFile, m_names);
    if (r.saved)
        m_saved = m_names;
    return r;
}
