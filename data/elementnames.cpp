#include "data/elementnames.h"

#include "data/counted.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

namespace elementnames {
namespace {
// A companion is a few kilobytes; anything far larger is no companion of ours.
constexpr qint64 kMaxFileBytes = 256 * 1024;

LoadResult damaged(const QString& fileName, const QString& why) {
    LoadResult r;
    r.status = LoadResult::Status::Damaged;
    r.note = QStringLiteral("Názvy prvků ze souboru %1 nelze načíst (%2); prvky jsou bez názvů.")
                 .arg(fileName, why);
    return r;
}

// "TL3" -> (Button, 3); the kind's count is checked by the caller.
bool readCode(const QString& key, Kind& kind, int& number) {
    static const QRegularExpression form(QStringLiteral("^([A-Za-z]+)([0-9]{1,3})$"));
    const QRegularExpressionMatch m = form.match(key);
    if (!m.hasMatch())
        return false;
    for (const KindInfo& k : kinds())
        if (m.captured(1).compare(k.prefix, Qt::CaseInsensitive) == 0) {
            kind = k.kind;
            number = m.captured(2).toInt();
            return number >= 1 && number <= k.count;
        }
    return false;
}
} // namespace

const QList<KindInfo>& kinds() {
    static const QList<KindInfo> list = {
        {Kind::Button, QStringLiteral("TL"), 22, QStringLiteral("tlacitka"),
         QStringLiteral("Tlačítka")},
        {Kind::Point, QStringLiteral("V"), 16, QStringLiteral("vyhybky"),
         QStringLiteral("Výhybky (přestavníky)")},
        {Kind::Signal, QStringLiteral("N"), 22, QStringLiteral("navesti"),
         QStringLiteral("Návěsti")},
        {Kind::Detector, QStringLiteral("D"), 16, QStringLiteral("detektory"),
         QStringLiteral("Detektory (lokální)")},
        {Kind::RemoteDetector, QStringLiteral("rD"), 16, QStringLiteral("vzdalene_detektory"),
         QStringLiteral("Detektory (vzdálené)")},
        {Kind::Relay, QStringLiteral("R"), 32, QStringLiteral("rele"), QStringLiteral("Relé")},
    };
    return list;
}

const KindInfo& info(Kind kind) {
    return kinds().at(static_cast<int>(kind));
}

QString code(Kind kind, int number) {
    return info(kind).prefix + QString::number(number);
}

QString ElementNames::name(Kind kind, int number) const {
    const auto it = m_names.find({kind, number});
    return it == m_names.end() ? QString() : it->second;
}

void ElementNames::setName(Kind kind, int number, const QString& name) {
    if (number < 1 || number > info(kind).count)
        return;
    const QString clean = name.simplified().left(kMaxLength).trimmed();
    if (clean.isEmpty())
        m_names.erase({kind, number});
    else
        m_names[{kind, number}] = clean;
}

QList<Entry> ElementNames::entries() const {
    QList<Entry> list;
    for (const auto& [key, name] : m_names) // the map keeps the kinds' order, then numbers
        list.append({key.first, key.second, name});
    return list;
}

QString ElementNames::withName(const QString& text, Kind kind, int number) const {
    const QString n = name(kind, number);
    return n.isEmpty() ? text : text + QStringLiteral(" (") + n + QLatin1Char(')');
}

QString ElementNames::label(Kind kind, int number) const {
    const QString n = name(kind, number);
    return n.isEmpty() ? code(kind, number) : code(kind, number) + QLatin1Char(' ') + n;
}

const ElementNames& noNames() {
    static const ElementNames none;
    return none;
}

QString companionPath(const QString& dataFile) {
    const QFileInfo fi(dataFile);
    return fi.dir().filePath(fi.completeBaseName() + QStringLiteral(".nazvy.ini"));
}

LoadResult parse(const QByteArray& bytes, const QString& fileName) {
    QByteArray raw = bytes;
    if (raw.startsWith("\xEF\xBB\xBF"))
        raw.remove(0, 3);
    if (raw.contains('\0'))
        return damaged(fileName, QStringLiteral("obsahuje binární data"));
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(raw);
    if (decoder.hasError())
        return damaged(fileName, QStringLiteral("není v kódování UTF-8"));
    LoadResult r;
    r.status = LoadResult::Status::Loaded;
    QStringList skipped;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) ||
            line.startsWith(QLatin1Char(';')) ||
            (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return damaged(fileName, QStringLiteral("řádek %1 nemá tvar kód=název").arg(i + 1));
        Kind kind;
        int number = 0;
        if (readCode(line.left(eq).trimmed(), kind, number))
            r.names.setName(kind, number, line.mid(eq + 1));
        else
            skipped << QString::number(i + 1);
    }
    if (!skipped.isEmpty())
        r.note = QStringLiteral("Názvy prvků: v souboru %1 %2 neznámého prvku (%3), vynecháno.")
                     .arg(fileName, counted(skipped.size(), "řádek", "řádky", "řádků"),
                          skipped.join(QStringLiteral(", ")));
    return r;
}

LoadResult loadFor(const QString& dataFile) {
    const QString path = companionPath(dataFile);
    const QString shown = QFileInfo(path).fileName();
    const safesave::ReadResult read = safesave::read(path, kMaxFileBytes);
    if (!read.exists)
        return {};
    if (!read.problem.isEmpty())
        return damaged(shown, read.problem);
    if (!read.ok)
        return damaged(shown, read.bytes.size() > kMaxFileBytes
                                  ? QStringLiteral("je příliš velký")
                                  : QStringLiteral("nelze jej přečíst"));
    return parse(read.bytes, shown);
}

QByteArray format(const ElementNames& names, const QString& dataFileName) {
    QString out = QStringLiteral("# Názvy prvků k datovému souboru %1 (Stavník CFG).\r\n"
                                 "# Řádek kód=název, např. TL3=Vjezd od Lhoty.\r\n")
                      .arg(dataFileName);
    const QList<Entry> entries = names.entries();
    for (const KindInfo& k : kinds()) {
        QString section;
        for (const Entry& e : entries)
            if (e.kind == k.kind)
                section += code(e.kind, e.number) + QLatin1Char('=') + e.name + "\r\n";
        if (!section.isEmpty())
            out += QStringLiteral("\r\n[") + k.section + QStringLiteral("]\r\n") + section;
    }
    return out.toUtf8();
}

safesave::Result saveFor(const QString& dataFile, const ElementNames& names) {
    const QString path = companionPath(dataFile);
    if (names.isEmpty()) {
        // Names the user cleared must not come back with the next load; but only our own,
        // readable companion is emptied, anything else stays for the user to look at.
        const safesave::ReadResult there = safesave::read(path, kMaxFileBytes);
        const bool holdsNames = there.exists && there.ok && there.problem.isEmpty() &&
                                !parse(there.bytes, path).names.isEmpty();
        if (!holdsNames) {
            safesave::Result nothing;
            nothing.saved = true;
            return nothing;
        }
    }
    return safesave::write(path, format(names, QFileInfo(dataFile).fileName()));
}

} // namespace elementnames
