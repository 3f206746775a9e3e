#include "widgets/messageboxes.h"

#include <QAbstractButton>
#include <QCheckBox>

#include <utility>

namespace {
// The documented button texts are English; Qt's Czech translation must not change them.
void keepDocumentedTexts(QMessageBox& box) {
    const std::pair<QMessageBox::StandardButton, const char*> texts[] = {
        {QMessageBox::Ok, "OK"},        {QMessageBox::Cancel, "Cancel"},
        {QMessageBox::Yes, "Yes"},      {QMessageBox::No, "No"},
        {QMessageBox::Abort, "Abort"},  {QMessageBox::Retry, "Retry"},
        {QMessageBox::Ignore, "Ignore"}};
    for (const auto& [button, text] : texts)
        if (QAbstractButton* b = box.button(button))
            b->setText(QLatin1String(text));
}

QMessageBox::StandardButton run(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                const QString& text, QMessageBox::StandardButtons buttons,
                                const QString& detailedText = QString(),
                                const QString& informativeText = QString()) {
    QMessageBox box(icon, caption, text, buttons, parent);
    if (!detailedText.isEmpty())
        box.setDetailedText(detailedText);
    box.setInformativeText(informativeText);
    keepDocumentedTexts(box);
    box.setObjectName(caption == QLatin1String("Warning") ? QStringLiteral("warningBox")
                                                          : QStringLiteral("informationBox"));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
} // namespace

QMessageBox::StandardButton warningBox(QWidget* parent, const QString& text,
                                       QMessageBox::StandardButtons buttons,
                                       const QString& detailedText,
                                       const QString& informativeText) {
    return run(parent, QMessageBox::Warning, QStringLiteral("Warning"), text, buttons, detailedText,
               informativeText);
}

QMessageBox::StandardButton warningBoxWithCheck(QWidget* parent, const QString& text,
                                                const QString& checkText, bool& checked) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), text,
                    QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setObjectName(QStringLiteral("warningBox"));
    auto* check = new QCheckBox(checkText, &box);
    check->setObjectName(QStringLiteral("warningCheck"));
    check->setChecked(checked);
    box.setCheckBox(check);
    const auto answer = static_cast<QMessageBox::StandardButton>(box.exec());
    checked = check->isChecked();
    return answer;
}

QMessageBox::StandardButton informationBox(QWidget* parent, const QString& text,
                                           QMessageBox::StandardButtons buttons,
                                           const QString& detailedText) {
    return run(parent, QMessageBox::Information, QStringLiteral("Information"), text, buttons,
               detailedText);
}

SaveChangesAnswer askSaveChanges(QWidget* parent) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"),
                    QStringLiteral("Konfigurace byla změněna. Uložit změny?"),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setObjectName(QStringLiteral("saveChangesBox"));
    box.button(QMessageBox::Save)->setText(QStringLiteral("Uložit"));
    box.button(QMessageBox::Discard)->setText(QStringLiteral("Neukládat"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Zrušit"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return SaveChangesAnswer::Save;
    case QMessageBox::Discard:
        return SaveChangesAnswer::Discard;
    default:
        return SaveChangesAnswer::Cancel;
    }
}
