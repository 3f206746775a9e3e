#pragma once

#include <QMessageBox>

// The program's message boxes: warning icon with caption "Warning", information icon with
// caption "Information". Return the button pressed. A detailed text, when given, sits behind the
// box's "Show Details..." button; an informative text shows under the text.
QMessageBox::StandardButton warningBox(QWidget* parent, const QString& text,
                                       QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                       const QString& informativeText = QString());
QMessageBox::StandardButton informationBox(QWidget* parent, const QString& text,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                           const QString& detailedText = QString());
