#include "data/routetexts.h"

#include "data/image.h"

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

QStringList rowTexts(const RouteRecord& r, int n, int base) {
    QStringList row;
    row << QString::number(n) + (r.testBlocked ? QStringLiteral(" X") : QString());
    row << buttonText(r.fromButton) << buttonText(r.toButton);
    row << (r.dccEnabled ? QString::number(n + base) : QStringLiteral(" "));
    for (int k = 0; k < 16; ++k)
        row << pointText(r.pointPositions[k]);
    row << r.description;
    return row;
}
QStringList possibleTexts(int column) {
    QStringList texts;
    switch (column) {
    case 0:
        for (int n = 1; n <= image::kRouteCount; ++n)
            texts << QString::number(n) << QString::number(n) + QStringLiteral(" X");
        break;
    case 1:
    case 2:
        texts << buttonText(0);
        for (int button = 1; button <= 22; ++button)
            texts << buttonText(button);
        break;
    case 3:
        // The DCC base has 12 bits.
        texts << QStringLiteral(" ");
        for (int number = 1; number <= image::kRouteCount + 0xFFF; ++number)
            texts << QString::number(number);
        break;
    case kColumnCount - 1:
        break;
    default:
        texts << pointText(0) << pointText(1) << pointText(2);
        break;
    }
    return texts;
}
} // namespace routegrid
