#include "data/valuelists.h"

namespace valuelists {
namespace {
QStringList numbered(const QString& prefix, int count) {
    QStringList out;
    for (int k = 1; k <= count; ++k)
        out << prefix + QString::number(k);
    return out;
}
} // namespace

const QStringList& aspects() {
    static const QStringList list{QStringLiteral("40km/h"), QStringLiteral("přivolávací n."),
                                  QStringLiteral("VOLNO")};
    return list;
}

const QStringList& followingSignals() {
    static const QStringList list =
        numbered(QStringLiteral("Rem:N"), 22) + numbered(QStringLiteral("N"), 22) +
        QStringList{QStringLiteral("vždy STŮJ"), QStringLiteral("vždy 40km"),
                    QStringLiteral("vždy VOLNO")};
    return list;
}

const QStringList& signalCancelInputs() {
    static const QStringList list =
        numbered(QStringLiteral("SN"), 16) + numbered(QStringLiteral("Rem:SN"), 16) +
        numbered(QStringLiteral("DET"), 16) + numbered(QStringLiteral("Rem:DET"), 16);
    return list;
}

const QStringList& routeCancelInputs() {
    static const QStringList list =
        numbered(QStringLiteral("SN"), 16) + numbered(QStringLiteral("Rem:SN"), 16) +
        numbered(QStringLiteral("/SN"), 16) + numbered(QStringLiteral("/Rem:SN"), 16);
    return list;
}
} // namespace valuelists
