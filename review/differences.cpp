#include "review/differences.h"

#include "data/codec.h"
#include "data/hex.h"
#include "review/configwords.h"

#include <algorithm>
#include <map>

namespace differences {
namespace {
const QString kHeader = QStringLiteral("hlavička");

QString byteItem(int address) {
    return QStringLiteral("adresa %1 (%2)").arg(address).arg(toHex(address, 4));
}

QString byteValue(std::uint8_t value) {
    return toHex(value, 2);
}

// The bits the codec can write in a route's index pair and block, found by packing routes with
// every field at its widest: a difference outside them lies in bits no route field holds.
struct RouteBits {
    std::array<std::uint8_t, 2> pair{};
    std::array<std::uint8_t, image::kBlockSize> block{};
};

const RouteBits& routeBits() {
    static const RouteBits bits = [] {
        RouteBits b;
        RouteRecord r;
        r.fromButton = r.toButton = r.trackNumber = 0xFF;
        r.localDetectors = r.remoteDetectors = r.relays = r.extRelays = 0xFFFF;
        std::fill(r.pointPositions.begin(), r.pointPositions.end(), 3);
        r.signal1 = r.signal2 = r.signal3 = 0xFF;
        r.aspect1 = r.aspect2 = r.aspect3 = 3;
        r.shuntingRoute = r.trainRoute = r.autoCancelSignal = r.autoCancelRoute = 1;
        r.autoCancelShunting = r.entry = r.dccEnabled = r.repeatN2 = r.repeatN1 = 1;
        r.repeatFollowing = r.cancelButton1 = r.cancelButton2 = r.unsecuredShunting = 1;
        r.testBlocked = 1;
        r.signalCancelSensor = r.routeCancelSensor = 63;
        RouteTable table;
        Image img{};
        for (int f = following::kNothing; f < following::kCount; ++f) {
            r.followingSignal = f;
            table[0] = r;
            encodeRoutes(table, img);
            for (std::size_t k = 0; k < b.pair.size(); ++k)
                b.pair[k] |= img[image::kIndexPairBase + k];
            for (std::size_t k = 0; k < b.block.size(); ++k)
                b.block[k] |= img[image::kBlockBase + k];
        }
        return b;
    }();
    return bits;
}

// Bits of `address` that a field accounts for; -1 outside the route data.
int routeFieldBits(int address) {
    const int pairEnd = image::indexPairAddress(image::kRouteCount + 1);
    if (address >= image::kIndexPairBase && address < pairEnd)
        return routeBits().pair[static_cast<std::size_t>((address - image::kIndexPairBase) % 2)];
    const int blockEnd = image::blockAddress(image::kRouteCount + 1);
    if (address >= image::kBlockBase && address < blockEnd)
        return routeBits()
            .block[static_cast<std::size_t>((address - image::kBlockBase) % image::kBlockSize)];
    return -1;
}
} // namespace

QList<Difference> compare(const ConfigStore& a, const ConfigStore& b, int end,
                          const ElementNames& names) {
    QList<Difference> out;
    end = std::clamp(end, 0, image::kSize);
    // Bits of each byte that a listed field already accounts for.
    std::map<int, int> explained;

    const QList<configwords::Field> ha = configwords::headerFields(a.image);
    const QList<configwords::Field> hb = configwords::headerFields(b.image);
    for (int i = 0; i < ha.size(); ++i) {
        if (ha[i].value == hb[i].value)
            continue;
        out.append({kHeader, ha[i].name, ha[i].value, hb[i].value});
        for (const auto& [address, mask] : ha[i].bits)
            explained[address] |= mask;
    }

    // The route tables are decoded afresh so that the comparison sees exactly what the images
    // hold; only the descriptions come from the tables.
    RouteTable ra = a.routes, rb = b.routes;
    decodeCurrent(a.image, ra);
    decodeCurrent(b.image, rb);
    for (int n = 1; n <= image::kRouteCount; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        ra[i].description = a.routes[i].description;
        rb[i].description = b.routes[i].description;
        if (ra[i] == rb[i])
            continue;
        const QList<configwords::Field> fa = configwords::routeFields(ra[i], names);
        const QList<configwords::Field> fb = configwords::routeFields(rb[i], names);
        for (int k = 0; k < fa.size(); ++k)
            if (fa[k].value != fb[k].value)
                out.append({configwords::routeItem(n), fa[k].name, fa[k].value, fb[k].value});
    }

    for (int address = 0; address < end; ++address) {
        const auto i = static_cast<std::size_t>(address);
        int differing = a.image[i] ^ b.image[i];
        if (address < image::kHeaderSize)
            differing &= ~explained[address];
        else if (const int fieldBits = routeFieldBits(address); fieldBits >= 0)
            differing &= ~fieldBits;
        if (differing != 0)
            out.append(
                {byteItem(address), QString(), byteValue(a.image[i]), byteValue(b.image[i])});
    }
    return out;
}

QList<Difference> compareNames(const ElementNames& a, const ElementNames& b) {
    QList<Difference> out;
    for (const elementnames::KindInfo& k : elementnames::kinds())
        for (int number = 1; number <= k.count; ++number) {
            const QString na = a.name(k.kind, number), nb = b.name(k.kind, number);
            if (na != nb)
                out.append({QStringLiteral("názvy"), elementnames::code(k.kind, number), na, nb});
        }
    return out;
}

QList<int> routesIn(const QList<Difference>& list) {
    QList<int> routes;
    const QString prefix = configwords::routeItem(0).chopped(1);
    for (const Difference& d : list)
        if (d.item.startsWith(prefix)) {
            const int n = d.item.mid(prefix.size()).toInt();
            if (routes.isEmpty() || routes.last() != n)
                routes.append(n);
        }
    return routes;
}

QString line(const Difference& d) {
    const QString where = d.field.isEmpty() ? d.item : d.item + QStringLiteral(": ") + d.field;
    return QStringLiteral("%1: %2 → %3").arg(where, d.a, d.b);
}

QString tsvLine(const Difference& d) {
    QStringList cells{d.item, d.field, d.a, d.b};
    // A tab or line break typed into a description must not split the columns.
    for (QString& c : cells)
        c.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return cells.join(QLatin1Char('\t'));
}

} // namespace differences
