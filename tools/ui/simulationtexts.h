#pragma once

#include <QString>
#include <QStringList>

// Texts of the simulation window's fifteen signal lists; the other texts are in the form.
namespace simulationtexts {
// Aspect codes of the neighbour's signals: the code is the item's position.
inline const QStringList kAspects = {
    QStringLiteral("STUJ"),
    QStringLiteral("40km/h"),
    QStringLiteral("přivolávací n."),
    QStringLiteral("VOLNO"),
};
inline const QString kSignalLabel = QStringLiteral("Návěst %1");
inline const QString kSignalHint = QStringLiteral("Vyberte signální kód");
} // namespace simulationtexts
