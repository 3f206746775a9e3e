#pragma once

#include <QMessageBox>

// The program's message boxes: warning icon with caption "Warning", information icon with
// caption "Information". Return the button pressed.
QMessageBox::StandardButton warningBox(QWidget* parent, const QString& text,
                                       QMessageBox::StandardButtons buttons = QMessageBox::Ok);
QMessageBox::StandardButton informationBox(QWidget* parent, const QString& text,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok);
