#include "review/conflicts.h"

#include "data/routelabels.h"
#include "review/configwords.h"

namespace conflicts {
namespace {
using Element = elementnames::Kind;

QString positionText(int position) {
    return position == 1 ? routelabels::kPointStraight : routelabels::kPointDiverging;
}

void opposite(const RouteRecord& a, const RouteRecord& b, const ElementNames& names,
              QList<Conflict>& out, int first, int second) {
    for (int k = 0; k < 16; ++k) {
        const int pa = a.pointPositions[k], pb = b.pointPositions[k];
        // Only straight against diverging is certain; 0 is "not involved", 3 no position.
        if ((pa == 1 && pb == 2) || (pa == 2 && pb == 1))
            out.append({first, second, conflicts::Kind::OppositePoints,
                        QStringLiteral("%1: %2 × %3")
                            .arg(names.withName(elementnames::code(Element::Point, k + 1),
                                                Element::Point, k + 1),
                                 positionText(pa), positionText(pb))});
    }
}

void shared(std::int32_t maskA, std::int32_t maskB, Element kind, const ElementNames& names,
            QList<Conflict>& out, int first, int second) {
    const std::int32_t both = maskA & maskB & 0xFFFF;
    for (int k = 0; k < 16; ++k)
        if (both & (1 << k))
            out.append({first, second, conflicts::Kind::SharedDetector,
                        QStringLiteral("obě kontrolují %1: společný úsek")
                            .arg(names.withName(elementnames::code(kind, k + 1), kind, k + 1))});
}
} // namespace

QList<Conflict> find(const ConfigStore& config, const ElementNames& names) {
    QList<Conflict> out;
    for (int i = 1; i <= image::kRouteCount; ++i) {
        const RouteRecord& a = config.route(i);
        if (!configwords::isActive(a))
            continue;
        for (int j = i + 1; j <= image::kRouteCount; ++j) {
            const RouteRecord& b = config.route(j);
            if (!configwords::isActive(b))
                continue;
            opposite(a, b, names, out, i, j);
            shared(a.localDetectors, b.localDetectors, Element::Detector, names, out, i, j);
            shared(a.remoteDetectors, b.remoteDetectors, Element::RemoteDetector, names, out, i, j);
        }
    }
    return out;
}

QString tsvLine(const Conflict& c) {
    QString reason = c.reason;
    reason.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return QStringLiteral("%1\t%2\t%3").arg(c.first).arg(c.second).arg(reason);
}

} // namespace conflicts
