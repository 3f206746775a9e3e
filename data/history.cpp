#include "data/history.h"

#include "data/datafile.h"
#include "settings/safesave.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>
#include <optional>

namespace history {
namespace {

const QByteArray kMagic = QByteArrayLiteral("STAVNIK-HISTORY 1");
const QString kEntrySuffix = QStringLiteral(".entry");
const QString kDataSuffix = QStringLiteral(".txt");
// No side-car comes near this; a bigger file is no entry of ours.
constexpr qint64 kMaxSideCarBytes = 64 * 1024;
constexpr qint64 kMaxDataBytes = 1024 * 1024;
// A data file no entry refers to may be a writer's that has not written its side-car yet.
constexpr qint64 kOrphanAgeSeconds = 600;

const char* const kKindKeys[] = {"read", "verify", "store"};
const char* const kOutcomeKeys[] = {"done", "failed", "cancelled"};

template <std::size_t N> int indexOf(const char* const (&keys)[N], const QByteArray& key) {
    for (std::size_t i = 0; i < N; ++i)
        if (key == keys[i])
            return static_cast<int>(i);
    return -1;
}

QByteArray sideCar(const Entry& e, const QString& dataName) {
    QByteArray out = kMagic + '\n';
    const auto add = [&out](const char* key, const QString& value) {
        // A line break in a value would start a key of its own.
        QString flat = value;
        flat.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), ' ');
        out += key + QByteArray("=") + flat.toUtf8() + '\n';
    };
    add("time", e.time.toUTC().toString(Qt::ISODateWithMs));
    add("kind", QLatin1String(kKindKeys[static_cast<int>(e.kind)]));
    add("outcome", QLatin1String(kOutcomeKeys[static_cast<int>(e.outcome)]));
    add("part", e.part);
    add("port", e.port);
    add("answer", e.answer);
    add("version", e.version);
    add("capacity", QString::number(e.capacity));
    add("known", rangesText(e.known));
    add("data", dataName);
    return out;
}

// The side-car's keys, or the reason it is no entry.
QString parseSideCar(const QByteArray& bytes, QHash<QByteArray, QString>& keys) {
    const QList<QByteArray> lines = bytes.split('\n');
    if (lines.isEmpty() || lines.first().trimmed() != kMagic)
        return QStringLiteral("není záznam historie");
    for (const QByteArray& line : lines.mid(1)) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0)
            keys.insert(line.left(eq), QString::fromUtf8(line.mid(eq + 1)).trimmed());
    }
    for (const char* key : {"time", "kind", "outcome", "known", "data"})
        if (!keys.contains(key))
            return QStringLiteral("chybí údaj %1").arg(QLatin1String(key));
    return QString();
}

// The entry a side-car describes, without its bytes; the reason when it describes none.
QString readEntry(const QString& folder, const QString& name, Entry& e) {
    const safesave::ReadResult side =
        safesave::read(folder + QLatin1Char('/') + name, kMaxSideCarBytes);
    if (!side.ok || !side.problem.isEmpty())
        return side.problem.isEmpty() ? QStringLiteral("nelze přečíst") : side.problem;
    QHash<QByteArray, QString> keys;
    const QString wrong = parseSideCar(side.bytes, keys);
    if (!wrong.isEmpty())
        return wrong;
    e.name = name;
    e.time = QDateTime::fromString(keys.value("time"), Qt::ISODateWithMs);
    const int kind = indexOf(kKindKeys, keys.value("kind").toLatin1());
    const int outcome = indexOf(kOutcomeKeys, keys.value("outcome").toLatin1());
    if (!e.time.isValid() || kind < 0 || outcome < 0)
        return QStringLiteral("neplatný čas, druh nebo výsledek");
    e.kind = static_cast<Kind>(kind);
    e.outcome = static_cast<Outcome>(outcome);
    e.part = keys.value("part");
    e.port = keys.value("port");
    e.answer = keys.value("answer");
    e.version = keys.value("version");
    e.capacity = keys.value("capacity").toInt();
    if (!parseRanges(keys.value("known"), e.known))
        return QStringLiteral("neplatný seznam známých adres");
    // Only a file beside it: a hand-edited name must not reach anywhere else.
    const QString data = keys.value("data");
    if (data.isEmpty() || data.contains(QLatin1Char('/')) || data.startsWith(QLatin1Char('.')))
        return QStringLiteral("neplatné jméno datového souboru");
    e.dataPath = folder + QLatin1Char('/') + data;
    return QString();
}

QString uniqueBase(const QDateTime& time) {
    static std::atomic<int> counter{0};
    return time.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")) +
           // Padded: the names sort in the order of writing.
           QStringLiteral("-%1-%2")
               .arg(QCoreApplication::applicationPid(), 7, 10, QLatin1Char('0'))
               .arg(counter++, 6, 10, QLatin1Char('0'));
}

// Writes a new file `name` in `folder` through a temporary file renamed without replacing:
// readers never see half a file and an existing name is never overwritten.
QString writeNew(const QString& folder, const QString& name, const QByteArray& bytes) {
    // A named temporary file: on ext4 an unnamed one costs several times more to create.
    QFile file(folder + QStringLiteral("/.tmp-") + uniqueBase(QDateTime::currentDateTimeUtc()));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString wrong = file.errorString();
        file.remove();
        return wrong;
    }
    file.close();
    if (!file.rename(folder + QLatin1Char('/') + name)) {
        const QString wrong = file.errorString();
        file.remove();
        return wrong;
    }
    return QString();
}

QString shortHash(const QByteArray& bytes, int length) {
    return QString::fromLatin1(
        QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(length));
}

// A side-car's name says, besides when it was written, which module it came from and which
// data file it refers to: the bounds are kept from one listing of the folder, without opening
// hundreds of files after every transfer.
struct SideCarName {
    QString module;
    QString data; // the data file's name
};
std::optional<SideCarName> parseName(const QString& name) {
    const QStringList parts = name.chopped(kEntrySuffix.size()).split(QLatin1Char('_'));
    if (parts.size() != 3 || parts.at(2).isEmpty())
        return std::nullopt;
    return SideCarName{parts.at(1), parts.at(2) + kDataSuffix};
}

// The data file holding `bytes`: named by its contents, so that equal contents are stored
// once. An existing file of that name is taken only when it holds exactly these bytes.
QString storeData(const QString& folder, const QByteArray& bytes, const QString& base,
                  QString& wrong) {
    const QString byContents = shortHash(bytes, 32) + kDataSuffix;
    const QString path = folder + QLatin1Char('/') + byContents;
    const safesave::ReadResult existing = safesave::read(path, kMaxDataBytes);
    if (existing.exists && existing.ok && existing.bytes == bytes) {
        return byContents;
    }
    const QString name = existing.exists ? base + kDataSuffix : byContents;
    wrong = writeNew(folder, name, bytes);
    return wrong.isEmpty() ? name : QString();
}

struct TrimItem {
    QString name;
    qint64 size = 0;
    std::optional<SideCarName> parsed;
};

// What the folder holds, read once; a temporary file left by a writer that stopped half-way is
// removed on the way once it is old enough not to belong to a writer still at work.
struct FolderListing {
    QList<TrimItem> sideCars;
    QHash<QString, qint64> dataSizes;
    qint64 total = 0;
};

bool isYoung(const QDir& dir, const QString& name) {
    return QFileInfo(dir.filePath(name)).lastModified().secsTo(QDateTime::currentDateTime()) <
           kOrphanAgeSeconds;
}

FolderListing listFolder(const QDir& dir) {
    FolderListing l;
    for (QDirIterator it(dir.path(), QDir::Files | QDir::Hidden); it.hasNext();) {
        it.next();
        const QString name = it.fileName();
        if (name.startsWith(QLatin1String(".tmp-"))) {
            if (!isYoung(dir, name))
                QFile::remove(it.filePath());
            continue;
        }
        l.total += it.fileInfo().size();
        if (name.endsWith(kEntrySuffix))
            l.sideCars.append({name, it.fileInfo().size(), parseName(name)});
        else if (name.endsWith(kDataSuffix))
            l.dataSizes.insert(name, it.fileInfo().size());
    }
    return l;
}

void trim(const QString& folder, const Limits& limits) {
    const QDir dir(folder);
    FolderListing listing = listFolder(dir);
    QList<TrimItem>& sideCars = listing.sideCars;
    const QHash<QString, qint64>& dataSizes = listing.dataSizes;
    qint64& total = listing.total;
    const auto young = [&dir](const QString& name) { return isYoung(dir, name); };
    if (sideCars.size() <= limits.maxEntries && total <= limits.maxBytes)
        return;
    // Oldest first: the names begin with the time.
    std::sort(sideCars.begin(), sideCars.end(),
              [](const TrimItem& a, const TrimItem& b) { return a.name < b.name; });
    QHash<QString, int> newestOf, references;
    for (int i = 0; i < sideCars.size(); ++i)
        if (const auto& p = sideCars.at(i).parsed) {
            newestOf.insert(p->module, i);
            references[p->data]++;
        }
    // Data files no entry refers to, left by a writer that stopped half-way.
    for (auto it = dataSizes.cbegin(); it != dataSizes.cend(); ++it)
        if (!references.contains(it.key()) && !young(it.key()) &&
            QFile::remove(dir.filePath(it.key())))
            total -= it.value();
    qsizetype count = sideCars.size();
    for (int i = 0; i < sideCars.size(); ++i) {
        if (count <= limits.maxEntries && total <= limits.maxBytes)
            return;
        const TrimItem& item = sideCars.at(i);
        // The newest entry of each module stays, whatever the bounds say.
        if (item.parsed && newestOf.value(item.parsed->module) == i)
            continue;
        if (!QFile::remove(dir.filePath(item.name)))
            continue;
        --count;
        total -= item.size;
        if (!item.parsed)
            continue;
        const QString& data = item.parsed->data;
        if (--references[data] == 0 && QFile::remove(dir.filePath(data)))
            total -= dataSizes.value(data);
    }
}

} // namespace

bool Entry::complete() const {
    const int routes = capacity > 0 ? capacity : image::kRouteCount;
    const int last =
        std::min(image::kBlockBase - 1 + image::kBlockSize * routes, image::kConfigSize - 1);
    for (int a = 1; a <= last; ++a)
        if (!known.test(static_cast<std::size_t>(a)))
            return false;
    return true;
}

QString defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/stavnik-cfg/history");
}

ConfigStore contents(const Entry& entry, ConfigStore base) {
    for (std::size_t a = 0; a < entry.bytes.size(); ++a)
        if (entry.known.test(a))
            base.image[a] = entry.bytes[a];
    return base;
}

std::optional<QByteArray> savedDataFile(const Entry& entry) {
    const safesave::ReadResult data = safesave::read(entry.dataPath, kMaxDataBytes);
    if (!data.ok || !data.problem.isEmpty())
        return std::nullopt;
    return data.bytes;
}

QByteArray dataFileBytes(const Entry& entry) {
    const QByteArray whole = datafile::format(contents(entry));
    if (entry.complete())
        return whole;
    // The same file without the data lines of the addresses nobody knows.
    QByteArray out;
    out.reserve(whole.size());
    for (const QByteArray& line : whole.split('\n')) {
        if (line.isEmpty())
            continue;
        const bool dataLine = line.size() == 8 && line.at(4) == ':';
        bool ok = false;
        const int address = dataLine ? line.left(4).toInt(&ok, 16) : -1;
        if (!dataLine || !ok || entry.known.test(static_cast<std::size_t>(address)))
            out += line + '\n';
    }
    return out;
}

QString rangesText(const std::bitset<image::kSize>& known) {
    QStringList ranges;
    for (int a = 0; a < image::kSize; ++a) {
        if (!known.test(static_cast<std::size_t>(a)))
            continue;
        int b = a;
        while (b + 1 < image::kSize && known.test(static_cast<std::size_t>(b + 1)))
            ++b;
        ranges << (a == b ? QString::number(a) : QStringLiteral("%1-%2").arg(a).arg(b));
        a = b;
    }
    return ranges.join(QLatin1Char(','));
}

bool parseRanges(const QString& text, std::bitset<image::kSize>& known) {
    known.reset();
    if (text.isEmpty())
        return true;
    for (const QString& range : text.split(QLatin1Char(','))) {
        const QStringList ends = range.split(QLatin1Char('-'));
        bool ok1 = false, ok2 = false;
        const int first = ends.first().toInt(&ok1);
        const int last = ends.last().toInt(&ok2);
        if (ends.size() > 2 || !ok1 || !ok2 || first < 0 || last < first || last >= image::kSize)
            return false;
        for (int a = first; a <= last; ++a)
            known.set(static_cast<std::size_t>(a));
    }
    return true;
}

QString write(const QString& folder, const Entry& entry, const Limits& limits) {
    if (!QDir().mkpath(folder))
        return QStringLiteral("složku %1 nelze vytvořit").arg(folder);
    const QByteArray data = dataFileBytes(entry);
    const QString module =
        shortHash((entry.answer.isEmpty() ? entry.version : entry.answer).toUtf8(), 8);
    QString wrong;
    // A name taken meanwhile by another writer is not replaced: the next counter is tried.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QString base = uniqueBase(entry.time);
        const QString dataName = storeData(folder, data, base, wrong);
        if (dataName.isEmpty())
            continue;
        const QString name = base + QLatin1Char('_') + module + QLatin1Char('_') +
                             dataName.chopped(kDataSuffix.size());
        wrong = writeNew(folder, name + kEntrySuffix, sideCar(entry, dataName));
        if (!wrong.isEmpty())
            continue;
        // Another program's trim may have taken the file between our look and our entry.
        if (!QFileInfo::exists(folder + QLatin1Char('/') + dataName))
            writeNew(folder, dataName, data);
        break;
    }
    if (!wrong.isEmpty())
        return wrong;
    trim(folder, limits);
    return QString();
}

namespace {
// The bytes of the data file at `path`, or why it is no data file.
QString loadData(const QString& path, Image& bytes) {
    const safesave::ReadResult data = safesave::read(path, kMaxDataBytes);
    ConfigStore store;
    if (!data.exists)
        return QStringLiteral("chybí datový soubor %1").arg(QFileInfo(path).fileName());
    if (!data.ok || !data.problem.isEmpty())
        return QStringLiteral("datový soubor nelze přečíst");
    if (datafile::loadBytes(data.bytes, path, store).status != datafile::LoadResult::Status::Loaded)
        return QStringLiteral("datový soubor je poškozen");
    bytes = store.image;
    return QString();
}
} // namespace

Listing list(const QString& folder) {
    Listing listing;
    // The names begin with the time, so their order is the order of writing.
    const QStringList names =
        QDir(folder).entryList({QLatin1Char('*') + kEntrySuffix}, QDir::Files, QDir::Name);
    // Entries of equal contents share a data file, which is read once.
    QHash<QString, std::pair<QString, Image>> loaded;
    for (auto it = names.crbegin(); it != names.crend(); ++it) {
        Entry e;
        QString wrong = readEntry(folder, *it, e);
        if (wrong.isEmpty()) {
            auto data = loaded.find(e.dataPath);
            if (data == loaded.end()) {
                std::pair<QString, Image> result;
                result.first = loadData(e.dataPath, result.second);
                data = loaded.insert(e.dataPath, result);
            }
            wrong = data->first;
            e.bytes = data->second;
        }
        if (wrong.isEmpty())
            listing.entries.append(e);
        else
            listing.damaged.append({*it, wrong});
    }
    return listing;
}

QString kindText(const Entry& e) {
    QString text;
    switch (e.kind) {
    case Kind::Read:
        text = QStringLiteral("čtení");
        break;
    case Kind::Verify:
        text = e.part == QLatin1String("equal") ? QStringLiteral("ověření: shoda")
                                                : QStringLiteral("ověření: rozdíly");
        break;
    case Kind::Store:
        if (e.part == QLatin1String("header"))
            text = QStringLiteral("uložení: hlavička");
        else if (e.part == QLatin1String("all"))
            text = QStringLiteral("uložení: vše");
        else if (e.part.startsWith(QLatin1String("route=")))
            text = QStringLiteral("uložení: cesta %1").arg(e.part.mid(6));
        else
            text = QStringLiteral("uložení: změněná data");
        break;
    }
    if (e.outcome == Outcome::Failed)
        text += QStringLiteral(", selhalo");
    else if (e.outcome == Outcome::Cancelled)
        text += QStringLiteral(", přerušeno");
    return text;
}

QString kindWord(const Entry& e) {
    QString word = QLatin1String(kKindKeys[static_cast<int>(e.kind)]);
    if (!e.part.isEmpty())
        word += QLatin1Char(' ') + e.part;
    if (e.outcome != Outcome::Done)
        word += QLatin1Char(' ') + QLatin1String(kOutcomeKeys[static_cast<int>(e.outcome)]);
    return word;
}

} // namespace history
