#pragma once

#include <QMessageBox>

// The program's message boxes: warning icon with caption "Warning", information icon with
// caption "Information". Return the button pressed. A detailed text, when given, sits behind the
// box's "Show Details..." button; an informative text shows under the text.
QMessageBox::StandardButton warningBox(QWidget* parent, const QString& text,
                                       QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                       const QString& detailedText = QString(),
                                       const QString& informativeText = QString());
// A warning with OK / Cancel and a check box `checkText` under the text (objectName
// "warningCheck"); `checked` sets it first and takes what it shows when the box closes.
QMessageBox::StandardButton warningBoxWithCheck(QWidget* parent, const QString& text,
                                                const QString& checkText, bool& checked);
QMessageBox::StandardButton informationBox(QWidget* parent, const QString& text,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                           const QString& detailedText = QString());

// "Konfigurace byla změněna. Uložit změny?" with Uložit / Neukládat / Zrušit, in a warning box
// like every other question that can cost the user work. Closing the box counts as Zrušit.
enum class SaveChangesAnswer { Save, Discard, Cancel };
SaveChangesAnswer askSaveChanges(QWidget* parent);
