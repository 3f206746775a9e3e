#include "widgets/programfont.h"

#include <QApplication>
#include <QFontDatabase>

#include <algorithm>

namespace {
const QString kDrawnFamily = QStringLiteral("MS Sans Serif");
constexpr int kDrawnPointSize = 8;
constexpr int kSubstitutePointSize = 9;
} // namespace

QFont programFont(const QStringList& installedFamilies, const QFont& desktopFont) {
    const bool drawnFaceInstalled = installedFamilies.contains(kDrawnFamily, Qt::CaseInsensitive);
    QFont font(drawnFaceInstalled ? kDrawnFamily : desktopFont.family());
    const double size = drawnFaceInstalled ? kDrawnPointSize : kSubstitutePointSize;
    // A desktop font given in pixels reports no point size; it then says nothing about taste.
    font.setPointSizeF(std::max(size, desktopFont.pointSizeF()));
    return font;
}

void applyProgramFont(QApplication& app) {
    const QFont desktop = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    app.setFont(programFont(QFontDatabase::families(), desktop));
}
