#include "link/linktexts.h"

#include "data/counted.h"
#include "data/hex.h"
#include "data/image.h"
#include "link/protocol.h"
#include "link/transfers.h"

#include <QStringList>

namespace linktexts {
namespace {
// Where an address lies: the header, a route's index pair or a route's block.
struct Place {
    enum class Part { Header, IndexPair, Block };
    Part part = Part::Header;
    int route = 0; // 1..
    int byte = 0;  // within the part
};

Place placeOf(int address) {
    if (address < image::kIndexPairBase)
        return {Place::Part::Header, 0, address};
    if (address < image::kBlockBase) {
        const int offset = address - image::kIndexPairBase;
        return {Place::Part::IndexPair, offset / 2 + 1, offset % 2};
    }
    const int offset = address - image::kBlockBase;
    return {Place::Part::Block, offset / image::kBlockSize + 1, offset % image::kBlockSize};
}

// The place as a failure's details say it: "cesta 45, bajt 8 bloku cesty".
QString failurePlace(int address) {
    const Place p = placeOf(address);
    switch (p.part) {
    case Place::Part::Header:
        return QStringLiteral("bajt %1 hlavičky").arg(p.byte);
    case Place::Part::IndexPair:
        return QStringLiteral("cesta %1, bajt %2 dvojice indexů").arg(p.route).arg(p.byte);
    case Place::Part::Block:
        break;
    }
    return QStringLiteral("cesta %1, bajt %2 bloku cesty").arg(p.route).arg(p.byte);
}

QString addressText(int a) {
    return QStringLiteral("%1 (%2)").arg(a).arg(toHex(static_cast<std::uint32_t>(a), 4));
}

QString capacityQueryText(const TransferFailure& failure) {
    if (failure.answers.size() < 2)
        return QStringLiteral("Dotaz na počet cest zůstal bez platné odpovědi. Pokusů: %1.")
            .arg(failure.attempts);
    QStringList counts;
    for (int c : failure.answers)
        counts << QString::number(c);
    return QStringLiteral("Modul na dotaz na počet cest odpověděl pokaždé jinak (%1). "
                          "Pokusů: %2.")
        .arg(counts.join(QStringLiteral(", ")))
        .arg(failure.attempts);
}
// "V 3.0" for an identify answer, its bytes in hexadecimal for anything else.
QString identifyText(const QByteArray& answer) {
    protocol::IdentifyReply reply;
    if (protocol::matchIdentify(answer, reply))
        return protocol::versionText(reply);
    QStringList hex;
    for (char c : answer)
        hex << toHex(static_cast<std::uint8_t>(c), 2);
    return hex.join(QLatin1Char(' '));
}

// "27–90" for a run of routes, "27, 30–31" for several.
QString routeRuns(const std::vector<int>& routes) {
    QStringList runs;
    for (std::size_t i = 0; i < routes.size();) {
        std::size_t j = i;
        while (j + 1 < routes.size() && routes[j + 1] == routes[j] + 1)
            ++j;
        runs << (i == j ? QString::number(routes[i])
                        : QStringLiteral("%1–%2").arg(routes[i]).arg(routes[j]));
        i = j + 1;
    }
    return runs.join(QStringLiteral(", "));
}

QString routesLeftOutText(const TransferFailure& failure) {
    return QStringLiteral("Modul hlásí %1 cest, konfigurace na obrazovce má platné i cesty za "
                          "nimi: %2 (%3). Ty %4.")
        .arg(failure.capacity)
        .arg(routeRuns(failure.routes))
        .arg(counted(static_cast<int>(failure.routes.size()), "cesta", "cesty", "cest"))
        .arg(failure.kind == TransferKind::Store ? QStringLiteral("se do modulu neuložily")
                                                 : QStringLiteral("se s modulem neporovnaly"));
}
} // namespace

QString messageText(LinkEngine::Message message) {
    using Message = LinkEngine::Message;
    switch (message) {
    case Message::VersionWarning:
        return QStringLiteral(
            "Tento SW nelze použít pro konfiguraci, aktualizujte funkci Stavníka na V3.0!");
    case Message::ReadError:
        return QStringLiteral("Chyba čtení dat !");
    case Message::WriteError:
        return QStringLiteral("Chyba zapisu dat !");
    case Message::VerifyEqual:
        return QStringLiteral("Data v modulu jsou shodná");
    case Message::VerifyDifferent:
        return QStringLiteral("Data v modulu jsou rozdílná !");
    }
    return QString();
}

bool isWarning(LinkEngine::Message message) {
    using Message = LinkEngine::Message;
    return message == Message::VersionWarning || message == Message::ReadError ||
           message == Message::WriteError;
}

QString failureText(const TransferFailure& failure) {
    using Where = TransferFailure::Where;
    switch (failure.where) {
    case Where::Nothing:
        return QString();
    case Where::CapacityQuery:
        return capacityQueryText(failure);
    case Where::CapacityRange:
        return QStringLiteral("Modul hlásí %1 cest, platný počet je %2 až %3.")
            .arg(failure.capacity)
            .arg(transfers::kMinCapacity)
            .arg(transfers::kMaxCapacity);
    case Where::Block:
        return QStringLiteral("Adresy %1 až %2: odpovědi modulu nepatřily k dotazům (cizí nebo "
                              "opožděné odpovědi na lince), blok se nepodařilo přenést. "
                              "Pokusů: %3.")
            .arg(addressText(failure.address), addressText(failure.lastAddress))
            .arg(failure.attempts);
    case Where::Probe:
        return QStringLiteral("Modul neodpověděl na kontrolní dotaz (identifikaci) tak, jak má. "
                              "Pokusů: %1.")
            .arg(failure.attempts);
    case Where::ReadBack:
        return QStringLiteral("Adresa %1: po zápisu modul vrací %2 místo %3 (%4). Zapsáno %5krát.")
            .arg(addressText(failure.address), toHex(failure.moduleValue, 2),
                 toHex(failure.sentValue, 2), describeAddress(failure.address))
            .arg(failure.attempts);
    case Where::ModuleChanged:
        return QStringLiteral("Modul na kontrolní dotaz (identifikaci) odpovídá jinak než na "
                              "začátku přenosu (%1 místo %2): je připojen jiný modul, nebo se "
                              "modul mezitím spustil znovu. Přenos skončil.")
            .arg(identifyText(failure.laterAnswer), identifyText(failure.firstAnswer));
    case Where::RoutesLeftOut:
        return routesLeftOutText(failure);
    case Where::PortGone:
        return QStringLiteral("Sériový port přestal být dostupný (odpojený kabel nebo převodník), "
                              "přenos skončil.");
    case Where::Byte:
        break;
    }
    return QStringLiteral("Adresa %1: %2. Pokusů: %3.")
        .arg(addressText(failure.address), failurePlace(failure.address))
        .arg(failure.attempts);
}

QString describeAddress(int address) {
    const Place p = placeOf(address);
    switch (p.part) {
    case Place::Part::Header:
        return QStringLiteral("hlavička, bajt %1").arg(p.byte);
    case Place::Part::IndexPair:
        return QStringLiteral("cesta %1, index %2").arg(p.route).arg(p.byte);
    case Place::Part::Block:
        break;
    }
    return QStringLiteral("cesta %1, bajt %2").arg(p.route).arg(p.byte);
}

QString bytesText(int n) {
    return counted(n, "bajt", "bajty", "bajtů");
}

QString storedText(int bytes, bool verified) {
    return verified ? QStringLiteral("Do modulu: %1 uloženo a ověřeno").arg(bytesText(bytes))
                    : QStringLiteral("Uloženo do modulu: %1, bez ověření zpětným čtením")
                          .arg(bytesText(bytes));
}

QString verifiedText(int bytes, int differing, const QString& seconds) {
    if (differing == 0)
        return QStringLiteral("Ověřeno s modulem: %1, %2 s").arg(bytesText(bytes), seconds);
    return QStringLiteral("Data v modulu jsou rozdílná: liší se %1 (ověřeno %2), %3 s")
        .arg(bytesText(differing), bytesText(bytes), seconds);
}

QString backupNoteText(bool fastLink) {
    // A whole read of 90 routes: one byte a tick at the normal pace (45.4 s at 20 ms against
    // stv2-emu), the line's own speed with the fast link (21 s of wire time at 9600 baud).
    return QStringLiteral("Obsah modulu se uloží do historie modulu (menu Přenos), odkud jej lze "
                          "kdykoli obnovit. ") +
           (fastLink ? QStringLiteral("S rychlou linkou to trvá asi o 21 s déle.")
                     : QStringLiteral("Bez rychlé linky to trvá asi o 45 s déle."));
}

QString versionText(const std::optional<protocol::IdentifyReply>& reply) {
    return reply ? protocol::versionText(*reply) : QStringLiteral("??");
}

QString capacityText(std::optional<int> count) {
    return count ? protocol::capacityText(*count) : QStringLiteral("??");
}

QString fastFellBackNote(const LinkEngine& engine) {
    if (!engine.fastLink() || !engine.transfer().fastFellBack())
        return QString();
    return QStringLiteral("Rychlý přenos po opakovaných pokusech přešel na běžné tempo.");
}

} // namespace linktexts
