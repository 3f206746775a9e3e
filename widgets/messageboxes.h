#pragma once

#include <QMessageBox>

// The program's message boxes: warning icon with caption "Warning", information icon with
// caption "Information". Return the button pressed. A detailed text, when given, sits behind the
// box's "Show Details..." button.
QMessageBox::StandardButton warningBox(QWidget* parent, const QString& text,
                                       QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                       const QString& detailedText = QString());
QMessageBox::StandardButton informationBox(QWidget* parent, const QString& text,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                           const QString& detailedText = QString());

// "Konfigurace byla změněna. Uložit změny?" with Uložit / Neukládat / Zrušit, in a warning box
// like every other question that can cost the user work. Closing the box counts as Zrušit.
enum class SaveChangesAnswer { Save, Discard, Cancel };
SaveChangesAnswer askSaveChanges(QWidget* parent);
