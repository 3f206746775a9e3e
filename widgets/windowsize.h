#pragma once

#include <QSize>

class QWidget;

// Makes `documented` the smallest size of `window` (client area) and lets the window grow
// beyond it whenever its layout needs more room, so that a larger font widens the window
// instead of cutting captions short. The window follows later font and content changes too.
// The user may enlarge the window; the layout spreads the controls then.
void fitToContents(QWidget* window, QSize documented);
