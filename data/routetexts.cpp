#include "data/routetexts.h"

namespace routegrid {
namespace {
QString buttonText(int button) {
    return button >= 1 && button <= 22 ? QStringLiteral("TL ") + QString::number(button)
                                       : QStringLiteral("TL??");
}

QString pointText(int position) {
    switch (position) {
    case 1:
        return QStringLiteral("R");
    case 2:
        return QStringLiteral("O");
    default:
        return QStringLiteral("-");
    }
}
} // namespace

QStringList headerTexts() {
    QStringList h{QStringLiteral("poř."), QStringLiteral("OD"), QStringLiteral("KAM"),
                  QStringLiteral("DCC")};
    for (int k = 1; k <= 16; ++k)
        h << QStringLiteral("V") + QString::number(k);
    h << QStringLiteral("popis");
    return h;
}

QStringList rowTexts(const Tcesta_REC& r, int n, int base) {
    QStringList row;
    row << QString::number(n) + (r.testBlocked ? QStringLiteral(" X") : QString());
    row << buttonText(r.fromButton) << buttonText(r.toButton);
    row << (r.dccEnabled ? QString::number(n + base) : QStringLiteral(" "));
    for (int k = 0; k < 16; ++k)
        row << pointText(r.pointPositions[k]);
    row << r.description;
    return row;
}
} // namespace routegrid
