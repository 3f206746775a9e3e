#pragma once

#include "data/elementnames.h"

#include <QObject>

// The element names of the configuration on screen. They belong to the data file the way the
// descriptions do, but travel in its companion file, so they are loaded and saved beside it
// and, like the configuration, count as unsaved until they are.
class NamesHolder : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    const ElementNames& names() const { return m_names; }
    // Announces the change when there is one.
    void setNames(const ElementNames& names);
    bool isModified() const { return m_names != m_saved; }

    // The names of the data file just loaded from `dataFile` (none for a module read: pass an
    // empty name). Returns what to tell the user, or an empty text.
    QString loadFor(const QString& dataFile);
    // Writes them beside `dataFile`, which was just saved.
    safesave::Result saveFor(const QString& dataFile);

signals:
    void changed();

private:
    ElementNames m_names;
    ElementNames m_saved;
};
