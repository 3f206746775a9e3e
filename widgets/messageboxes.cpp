#include "widgets/messageboxes.h"

namespace {
QMessageBox::StandardButton run(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                const QString& text, QMessageBox::StandardButtons buttons,
                                const QString& detailedText = QString(),
                                const QString& informativeText = QString()) {
    QMessageBox box(icon, caption, text, buttons, parent);
    if (!detailedText.isEmpty())
        box.setDetailedText(detailedText);
    box.setInformativeText(informativeText);
    box.setObjectName(caption == QLatin1String("Warning") ? QStringLiteral("warningBox")
                                                          : QStringLiteral("informationBox"));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
} // namespace

QMessageBox::StandardButton warningBox(QWidget* parent, const QString& text,
                                       QMessageBox::StandardButtons buttons,
                                       const QString& informativeText) {
    return run(parent, QMessageBox::Warning, QStringLiteral("Warning"), text, buttons, QString(),
               informativeText);
}

QMessageBox::StandardButton informationBox(QWidget* parent, const QString& text,
                                           QMessageBox::StandardButtons buttons,
                                           const QString& detailedText) {
    return run(parent, QMessageBox::Information, QStringLiteral("Information"), text, buttons,
               detailedText);
}
