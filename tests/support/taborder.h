#pragma once

#include "widgets/controls.h"

#include <QStringList>
#include <QWidget>

// The window's controls in the order Tab visits them from the one that has the focus when the
// window opens; the parts of a spin box or list are left out, a radio group's buttons are in.
inline QStringList tabOrder(QWidget* window) {
    QStringList names;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
        const bool control =
            w->parentWidget() == window || qobject_cast<RadioGroup*>(w->parentWidget());
        if (control && (w->focusPolicy() & Qt::TabFocus))
            names << w->objectName();
    }
    return names;
}

// name + first .. name + last
inline QStringList numbered(const QString& name, int first, int last) {
    QStringList names;
    for (int n = first; n <= last; ++n)
        names << name + QString::number(n);
    return names;
}
