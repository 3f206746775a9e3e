#pragma once

#include "link/linkengine.h"

#include <QObject>
#include <QString>

// The link as the main window's labels show it, from what the engine announces: the module's
// version (LBverze1) and route capacity (LBcestMax1), "??" until known, and whether the progress
// bar (PBar1, LBbar1 after it) is shown: from the start of a read, verify or store until it ends,
// after a failure until its box is closed. No widget: the engine's own tests read the values the
// labels get.
class LinkPresenter : public QObject {
    Q_OBJECT
public:
    explicit LinkPresenter(LinkEngine& engine, QObject* parent = nullptr);

    QString versionText() const { return m_versionText; }
    QString capacityText() const { return m_capacityText; }
    bool progressVisible() const { return m_progressVisible; }

signals:
    void versionTextChanged(const QString& text);
    void capacityTextChanged(const QString& text);
    void progressVisibleChanged(bool visible);

private:
    void setVersionText(const QString& text);
    void setCapacityText(const QString& text);
    void setProgressVisible(bool visible);

    LinkEngine& m_engine;
    QString m_versionText;
    QString m_capacityText;
    bool m_progressVisible = false;
};
