#include "data/history.h"

#include "data/datafile.h"
#include "settings/safesave.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <optional>

namespace history {
namespace {

const QByteArray kMagic = QByteArrayLiteral("STAVNIK-HISTORY 1");
const QString kEntrySuffix = QStringLiteral(".entry");
const QString kDataSuffix = QStringLiteral(".txt");
const QString kLockName = QStringLiteral(".history.lock");
const QString kTemporaryPrefix = QStringLiteral(".tmp-");
// Our own names: "s0000000042-20261208-044410-123_<module>_<data>.entry" with the sequence
// number, and the older "<time>-<process>-<counter>_<module>_<data>.entry"; a data file is
// named by the hash of its bytes (older versions used a time-and-process name on a clash).
const QString kOldBase = QStringLiteral(R"(\d{8}-\d{6}-\d{3}-\d{7}-\d{6})");
const QRegularExpression kEntryName(QStringLiteral(R"(^(?:s(\d{10})-\d{8}-\d{6}-\d{3}|%1)_)"
                                                   R"(([0-9a-f]{8})_([0-9a-f]{32}|%1)\.entry$)")
                                        .arg(kOldBase));
const QRegularExpression kDataName(QStringLiteral(R"(^(?:[0-9a-f]{32}|%1)\.txt$)").arg(kOldBase));
const QRegularExpression kHashName(QStringLiteral(R"(^[0-9a-f]{32}\.txt$)"));
// No side-car comes near this; a bigger file is no entry of ours.
constexpr qint64 kMaxSideCarBytes = 64 * 1024;
constexpr qint64 kMaxDataBytes = 1024 * 1024;
// A temporary file of a writer that stopped half-way, or of an older version that wrote
// without the lock, is removed once it is this old.
constexpr qint64 kOrphanAgeSeconds = 600;
// A trim of a full folder takes a fraction of a second; a holder that has not finished after
// this long has hung, and QLockFile takes over a lock of a process that is gone at once.
constexpr int kLockWaitMs = 30000;
// QLockFile's own wait doubles its pauses up to seconds, so that with writers in a row one of
// them could wait past any bound; short pauses give every writer its turn.
constexpr int kLockPollMs = 5;
constexpr int kStaleLockMs = 30000;
// Listing waits only a moment for a writer: a folder this program may only read has no lock.
constexpr int kListLockWaitMs = 2000;
// Below this a write that failed for no reason the system gave was the disk filling up.
constexpr qint64 kLowSpaceBytes = 256 * 1024;
// A whole data file with its descriptions and side-car.
constexpr int kProbeBytes = 32 * 1024;

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
    if (!e.summary.isEmpty())
        add("summary", e.summary);
    if (!e.descriptionsFrom.isEmpty())
        add("descriptions", e.descriptionsFrom);
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
    e.summary = keys.value("summary");
    e.descriptionsFrom = keys.value("descriptions");
    if (!parseRanges(keys.value("known"), e.known))
        return QStringLiteral("neplatný seznam známých adres");
    // Only a data file of ours beside it: a hand-edited name must not reach anywhere else.
    const QString data = keys.value("data");
    if (!kDataName.match(data).hasMatch())
        return QStringLiteral("neplatné jméno datového souboru");
    e.dataPath = folder + QLatin1Char('/') + data;
    return QString();
}

QString uniqueBase(const QDateTime& time) {
    static std::atomic<int> counter{0};
    return time.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")) +
           QStringLiteral("-%1-%2")
               .arg(QCoreApplication::applicationPid(), 7, 10, QLatin1Char('0'))
               .arg(counter++, 6, 10, QLatin1Char('0'));
}

QString shortHash(const QByteArray& bytes, int length,
                  QCryptographicHash::Algorithm algorithm = QCryptographicHash::Sha256) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, algorithm).toHex().left(length));
}

// The name a data file of `bytes` gets. BLAKE2b: four times faster than the SHA-256 of older
// versions, and every data file is hashed again whenever the history is listed.
QString dataFileName(const QByteArray& bytes) {
    return shortHash(bytes, 32, QCryptographicHash::Blake2b_256) + kDataSuffix;
}

// Whether `bytes` are what the data file `name` stands for, by today's hash or the older one.
bool matchesName(const QByteArray& bytes, const QString& name) {
    if (!kHashName.match(name).hasMatch())
        return true; // an older version's name on a clash of hashes says nothing of the bytes
    return dataFileName(bytes) == name || shortHash(bytes, 32) + kDataSuffix == name;
}

// A failure in the words of a data file's save; `clause` when the system gave no known reason.
WriteResult failure(int error, const QString& path, const QString& systemText,
                    const QString& clause) {
    safesave::Problem problem = safesave::problemOfError(error);
    // Some calls report a full disk only as an unknown error.
    if (problem == safesave::Problem::Other) {
        const QStorageInfo disk(QFileInfo(path).absolutePath());
        if (disk.isValid() && disk.bytesAvailable() >= 0 && disk.bytesAvailable() < kLowSpaceBytes)
            problem = safesave::Problem::DiskFull;
    }
    const QString known = safesave::problemClause(problem);
    return {known.isEmpty() ? clause : known, path + QStringLiteral(": ") + systemText};
}

// The details name `target`, the file the user would look for, not the temporary one.
WriteResult writeAll(QFile& file, const QByteArray& bytes, const QString& target) {
    qint64 done = 0;
    while (done < bytes.size()) {
        errno = 0;
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        // A disk that fills up may take fewer bytes without an error; the next write says why.
        if (n <= 0) {
            const int error = errno ? errno : ENOSPC;
            return failure(error, target,
                           file.error() != QFileDevice::NoError ? file.errorString()
                                                                : qt_error_string(error),
                           QStringLiteral("soubor nelze zapsat"));
        }
        done += n;
    }
    return {};
}

// Writes `name` in `dir` through a temporary file renamed into place, so that a reader never
// sees half a file. An existing `name` is replaced only when `replace` says so. Whatever fails,
// the temporary file goes.
WriteResult writeNew(const QDir& dir, const QString& name, const QByteArray& bytes, bool replace) {
    const QString target = dir.filePath(name);
    QFile file(dir.filePath(kTemporaryPrefix + uniqueBase(QDateTime::currentDateTimeUtc())));
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return failure(errno, target, file.errorString(), QStringLiteral("soubor nelze vytvořit"));
    WriteResult r = writeAll(file, bytes, target);
    file.close();
    if (r.written() && replace)
        QFile::remove(target);
    errno = 0;
    if (r.written() && !file.rename(target))
        r = failure(errno, target, file.errorString(), QStringLiteral("soubor nelze přejmenovat"));
    if (!r.written())
        file.remove();
    return r;
}

// The history's folder, made when missing; a file in its place or on the way to it is named.
WriteResult makeFolder(const QString& folder) {
    QFileInfo up(folder);
    while (!up.exists() && !up.isRoot() && up.absolutePath() != up.absoluteFilePath())
        up = QFileInfo(up.absolutePath());
    if (up.exists() && !up.isDir())
        return {QStringLiteral("v místě složky historie je soubor"),
                up.absoluteFilePath() + QStringLiteral(": ") + qt_error_string(ENOTDIR)};
    errno = 0;
    if (QDir().mkpath(folder))
        return {};
    const int error = errno ? errno : EACCES;
    return failure(error, folder, qt_error_string(error),
                   QStringLiteral("složku historie nelze vytvořit"));
}

WriteResult lockFailure(const QLockFile& lock, const QString& path) {
    switch (lock.error()) {
    case QLockFile::LockFailedError:
        return {QStringLiteral("složku historie drží jiný program"), path};
    case QLockFile::PermissionError:
        return {safesave::problemClause(safesave::Problem::NoPermission),
                path + QStringLiteral(": ") + qt_error_string(EACCES)};
    case QLockFile::NoError:
    case QLockFile::UnknownError:
        break;
    }
    return failure(0, path, QStringLiteral("QLockFile: unknown error"),
                   QStringLiteral("zámek složky historie nelze vytvořit"));
}

// The lock that lets one program at a time write or trim the folder.
struct FolderLock {
    explicit FolderLock(const QString& folder) : lock(folder + QLatin1Char('/') + kLockName) {
        lock.setStaleLockTime(kStaleLockMs);
    }
    bool take(int waitMs) {
        QElapsedTimer waited;
        waited.start();
        while (!lock.tryLock(0)) {
            if (lock.error() != QLockFile::LockFailedError || waited.elapsed() >= waitMs)
                return false;
            QThread::msleep(kLockPollMs + QRandomGenerator::global()->bounded(kLockPollMs));
        }
        return true;
    }
    QLockFile lock;
};

// One of the history's own entries, as its name describes it.
struct OwnEntry {
    QString name;
    qint64 sequence = 0;
    QString module;
    QString data; // the data file's name
    qint64 size = 0;
};

// What the folder holds, read once: the entries oldest first, the data files, and what is
// not the history's.
struct FolderState {
    QList<OwnEntry> entries;
    QHash<QString, qint64> dataSizes;
    QStringList foreign;
    qint64 nextSequence() const { return entries.isEmpty() ? 1 : entries.last().sequence + 1; }
};

// Whether `path` begins with the line `format` (leading and trailing blanks aside).
bool beginsWith(const QString& path, const QByteArray& format) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(format.size() + 2);
    return head.left(head.indexOf('\n')).trimmed() == format;
}

bool isOrphan(const QFileInfo& file) {
    return file.lastModified().secsTo(QDateTime::currentDateTime()) >= kOrphanAgeSeconds;
}

// `forTrim`: an entry counts only with the history's format line (a trim must not count or
// remove a stranger's file that happens to look like one), and sizes are taken; a listing
// reads every side-car anyway.
FolderState scan(const QDir& dir, bool forTrim) {
    FolderState s;
    for (QDirIterator it(dir.path(), QDir::Files | QDir::Hidden); it.hasNext();) {
        it.next();
        const QString name = it.fileName();
        if (name.startsWith(kLockName))
            continue;
        if (name.startsWith(kTemporaryPrefix)) {
            if (isOrphan(it.fileInfo()))
                QFile::remove(it.filePath());
            continue;
        }
        const QRegularExpressionMatch m = kEntryName.match(name);
        // Sizes only for a trim: a listing would pay a look at every file for nothing.
        if (m.hasMatch() && (!forTrim || beginsWith(it.filePath(), kMagic)))
            s.entries.append({name, m.captured(1).toLongLong(), m.captured(2),
                              m.captured(3) + kDataSuffix, forTrim ? it.fileInfo().size() : 0});
        else if (kDataName.match(name).hasMatch())
            s.dataSizes.insert(name, forTrim ? it.fileInfo().size() : 0);
        else if (!m.hasMatch())
            s.foreign << name;
    }
    std::sort(s.entries.begin(), s.entries.end(), [](const OwnEntry& a, const OwnEntry& b) {
        return a.sequence != b.sequence ? a.sequence < b.sequence : a.name < b.name;
    });
    std::sort(s.foreign.begin(), s.foreign.end());
    return s;
}

// Removes the oldest entries until `s` is within `limits`, never the newest of a module; a data
// file goes with the last entry that refers to it. One no entry refers to was left by a writer
// that stopped between its data file and its side-car (or by an older version, which wrote
// without the lock): it is neither counted nor kept once it is old. A file of a data file's name
// that is no data file is left alone.
void trim(const QDir& dir, FolderState& s, const Limits& limits) {
    QHash<QString, int> references;
    QHash<QString, qsizetype> newestOf;
    for (qsizetype i = 0; i < s.entries.size(); ++i) {
        references[s.entries.at(i).data]++;
        newestOf.insert(s.entries.at(i).module, i);
    }
    const auto removeData = [&](const QString& data) {
        return beginsWith(dir.filePath(data), "S2.6") && QFile::remove(dir.filePath(data));
    };
    qint64 total = 0;
    for (auto it = s.dataSizes.cbegin(); it != s.dataSizes.cend(); ++it)
        if (references.contains(it.key()))
            total += it.value();
        else if (isOrphan(QFileInfo(dir.filePath(it.key()))))
            removeData(it.key());
    for (const OwnEntry& e : std::as_const(s.entries))
        total += e.size;
    qsizetype count = s.entries.size();
    for (qsizetype i = 0; i < s.entries.size(); ++i) {
        if (count <= limits.maxEntries && total <= limits.maxBytes)
            return;
        const OwnEntry& e = s.entries.at(i);
        if (newestOf.value(e.module) == i || !QFile::remove(dir.filePath(e.name)))
            continue;
        --count;
        total -= e.size;
        if (--references[e.data] == 0 && s.dataSizes.contains(e.data) && removeData(e.data))
            total -= s.dataSizes.value(e.data);
    }
}

// The newest entry with its bytes, for the summary of the next; nothing when it is damaged.
std::optional<Entry> newestEntry(const QDir& dir, const FolderState& s) {
    if (s.entries.isEmpty())
        return std::nullopt;
    Entry e;
    if (!readEntry(dir.path(), s.entries.last().name, e).isEmpty() || !load(e).isEmpty())
        return std::nullopt;
    return e;
}

// The data file of `bytes`, named by them: an existing one is taken when it holds exactly
// these bytes and rewritten when it holds others (its name says what it must hold, so every
// entry referring to it gets its bytes back). `created`: a new file was made.
WriteResult keepData(const QDir& dir, const QString& name, const QByteArray& bytes, bool& created) {
    const safesave::ReadResult existing = safesave::read(dir.filePath(name), kMaxDataBytes);
    if (existing.exists && existing.ok && existing.bytes == bytes)
        return {};
    created = !existing.exists;
    return writeNew(dir, name, bytes, existing.exists);
}

QString entryName(qint64 sequence, const Entry& e, const QString& dataName) {
    const QString module = shortHash((e.answer.isEmpty() ? e.version : e.answer).toUtf8(), 8);
    return QStringLiteral("s%1-%2_%3_%4")
               .arg(sequence, 10, 10, QLatin1Char('0'))
               .arg(e.time.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")), module,
                    dataName.chopped(kDataSuffix.size())) +
           kEntrySuffix;
}

// Under the lock: the entry's data file, then its side-car, then the trim.
WriteResult writeLocked(const QDir& dir, Entry e, const Limits& limits,
                        const Summarizer& summarize) {
    FolderState state = scan(dir, true);
    if (summarize) {
        const std::optional<Entry> before = newestEntry(dir, state);
        e.summary = summarize(before ? &*before : nullptr, e);
    }
    const QByteArray data = dataFileBytes(e);
    const QString dataName = dataFileName(data);
    bool created = false;
    WriteResult r = keepData(dir, dataName, data, created);
    if (!r.written())
        return r;
    const QString name = entryName(state.nextSequence(), e, dataName);
    const QByteArray side = sideCar(e, dataName);
    r = writeNew(dir, name, side, false);
    if (!r.written()) {
        if (created)
            QFile::remove(dir.filePath(dataName));
        return r;
    }
    state.entries.append(
        {name, state.nextSequence(), name.section(QLatin1Char('_'), 1, 1), dataName, side.size()});
    state.dataSizes.insert(dataName, data.size());
    trim(dir, state, limits);
    return {};
}

// The data file's bytes when they are still what its name stands for, else why not.
QString readChecked(const QString& path, QByteArray& bytes) {
    const safesave::ReadResult data = safesave::read(path, kMaxDataBytes);
    const QString name = QFileInfo(path).fileName();
    if (!data.exists)
        return QStringLiteral("chybí datový soubor %1").arg(name);
    if (!data.ok || !data.problem.isEmpty())
        return QStringLiteral("datový soubor nelze přečíst");
    if (!matchesName(data.bytes, name))
        return QStringLiteral("datový soubor byl změněn: obsah neodpovídá jeho jménu");
    bytes = data.bytes;
    return QString();
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
    if (!entry.descriptionsFrom.isEmpty())
        for (int n = 1; n <= image::kRouteCount && n <= entry.descriptions.size(); ++n)
            base.route(n).description = entry.descriptions.at(n - 1);
    return base;
}

std::optional<QByteArray> savedDataFile(const Entry& entry, QString* why) {
    QByteArray bytes;
    const QString wrong = readChecked(entry.dataPath, bytes);
    if (why)
        *why = wrong;
    return wrong.isEmpty() ? std::optional<QByteArray>(bytes) : std::nullopt;
}

QString load(Entry& entry) {
    QByteArray bytes;
    const QString wrong = readChecked(entry.dataPath, bytes);
    if (!wrong.isEmpty())
        return wrong;
    ConfigStore store;
    if (datafile::loadBytes(bytes, entry.dataPath, store).status !=
        datafile::LoadResult::Status::Loaded)
        return QStringLiteral("datový soubor je poškozen");
    entry.bytes = store.image;
    entry.descriptions.clear();
    if (!entry.descriptionsFrom.isEmpty())
        for (const RouteRecord& route : store.routes)
            entry.descriptions << route.description;
    return QString();
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

WriteResult write(const QString& folder, const Entry& entry, const Limits& limits,
                  const Summarizer& summarize) {
    if (const WriteResult made = makeFolder(folder); !made.written())
        return made;
    FolderLock folderLock(folder);
    if (!folderLock.take(kLockWaitMs))
        return lockFailure(folderLock.lock, folderLock.lock.fileName());
    return writeLocked(QDir(folder), entry, limits, summarize);
}

WriteResult probe(const QString& folder) {
    if (const WriteResult made = makeFolder(folder); !made.written())
        return made;
    FolderLock folderLock(folder);
    if (!folderLock.take(kLockWaitMs))
        return lockFailure(folderLock.lock, folderLock.lock.fileName());
    const QDir dir(folder);
    const QString name =
        kTemporaryPrefix + QStringLiteral("probe-") + uniqueBase(QDateTime::currentDateTimeUtc());
    // As large as the entry a read makes, so that a nearly full disk shows now.
    WriteResult r = writeNew(dir, name, QByteArray(kProbeBytes, ' '), false);
    QFile::remove(dir.filePath(name));
    // The trial file is gone: the folder is what the user can look at.
    r.details.replace(dir.filePath(name), folder);
    return r;
}

Listing list(const QString& folder) {
    Listing listing;
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return listing;
    // Not while a writer trims: its entries would look damaged for a moment.
    FolderLock folderLock(folder);
    folderLock.take(kListLockWaitMs);
    const FolderState state = scan(dir, false);
    listing.foreign = state.foreign;
    // Entries of equal contents share a data file, which is checked once.
    QHash<QString, QString> checked;
    for (auto it = state.entries.crbegin(); it != state.entries.crend(); ++it) {
        Entry e;
        QString wrong = readEntry(folder, it->name, e);
        e.sequence = it->sequence;
        if (wrong.isEmpty()) {
            auto data = checked.find(e.dataPath);
            if (data == checked.end()) {
                QByteArray ignored;
                data = checked.insert(e.dataPath, readChecked(e.dataPath, ignored));
            }
            wrong = *data;
        }
        if (wrong.isEmpty())
            listing.entries.append(e);
        else
            listing.damaged.append({it->name, wrong});
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
