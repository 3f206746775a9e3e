#pragma once

#include <QFont>
#include <QStringList>

class QApplication;

// One font for every window, dialog and message box of the program.
//
// The windows were drawn for MS Sans Serif 8 pt, so that face is used wherever it is installed.
// Elsewhere the desktop's general face stands in at 9 pt: MS Sans Serif is a bitmap face whose
// 8 pt cut has 13 px lines at 96 dpi, while scalable faces at 8 pt get about 12 px and the
// háček on capitals (Č, Ř, Š, Ž) shrinks to a dot; at 9 pt they read as well as the original.
// A user who has chosen a larger desktop font keeps that size.
QFont programFont(const QStringList& installedFamilies, const QFont& desktopFont);

// Sets programFont() as the application font; call once, before the first window is built.
void applyProgramFont(QApplication& app);
