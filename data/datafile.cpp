#include "data/datafile.h"

#include "data/codepage1250.h"

#include "data/codec.h"
#include "settings/safesave.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace datafile {
namespace {

const QString kOpenFailedText = QStringLiteral("Chyba otevreni souboru  dat");
const QString kUnknownFormatText = QStringLiteral("Neznámý format dat !");
const QString kSkippedLinesText =
    QStringLiteral("Počet přeskočených řádků dat s adresou mimo paměť modulu: %1");
const QString kPartialFileText =
    QStringLiteral("Soubor dat nastavuje jen %1 z %2 bajtů konfigurace.");
const QString kNoDataLinesText =
    QStringLiteral("Soubor dat neobsahuje žádné řádky dat, nic nebylo načteno: ");
const QString kWriteFailedText = QStringLiteral("Chyba zápisu souboru dat");
const QString kLineTooLongText = QStringLiteral("Soubor dat má příliš dlouhý řádek, nenačten: ");

constexpr char kHeaderLines[] = "S2.6\r\n"
                                "V0006:0008\r\n"
                                "C0040:07BC\r\n"
                                "D0000:08C4\r\n"
                                "*\r\n";

enum class Layout { S20, S24, S26 };

// The header, then the route data each layout has for 90 routes.
int layoutBytes(Layout layout) {
    switch (layout) {
    case Layout::S20:
        return 48 + 11 * image::kRouteCount;
    case Layout::S24:
        return 48 + 12 * image::kRouteCount;
    case Layout::S26:
        break;
    }
    return image::kConfigSize;
}

// Hands out the file line by line without ever holding a whole line: each line reaches the
// sink as one or more pieces of at most one buffer. LF ends a line and a CR right before it is
// dropped; a CR anywhere else is text.
class LineReader {
public:
    // A small file of known size needs no bigger buffer than itself.
    explicit LineReader(QIODevice& in)
        : m_in(in),
          m_size(in.isSequential() ? kChunk : qBound<qint64>(4096, in.bytesAvailable(), kChunk)),
          m_buffer(new char[static_cast<std::size_t>(m_size)]) {}

    // False at the end of the file (no line left), after a read error and at a line longer
    // than kMaxLineBytes.
    template <typename Sink> bool next(Sink& sink) {
        if (m_failed || m_tooLong)
            return false;
        bool started = false;
        qint64 length = 0; // text bytes of the line so far, line end not counted
        const auto give = [&](const char* text, qsizetype size) {
            sink(QByteArrayView(text, size));
            length += size;
        };
        ++m_lineNumber;
        for (;;) {
            if (m_pos == m_end && !fill()) {
                if (m_pendingCr) {
                    give("\r", 1);
                    m_pendingCr = false;
                }
                return started && !m_failed && !exceeds(length);
            }
            started = true;
            const char* begin = m_buffer.get() + m_pos;
            const qsizetype available = m_end - m_pos;
            const auto* newline = static_cast<const char*>(std::memchr(begin, '\n', available));
            if (newline) {
                qsizetype size = newline - begin;
                // A CR held back from the previous piece was text unless the LF follows it.
                if (m_pendingCr && size > 0)
                    give("\r", 1);
                m_pendingCr = false;
                if (size > 0 && begin[size - 1] == '\r')
                    --size;
                give(begin, size);
                m_pos += (newline - begin) + 1;
                return !exceeds(length);
            }
            if (m_pendingCr)
                give("\r", 1);
            qsizetype size = available;
            m_pendingCr = begin[size - 1] == '\r';
            if (m_pendingCr)
                --size;
            give(begin, size);
            m_pos = m_end;
            if (exceeds(length))
                return false;
        }
    }

    bool atEnd() { return m_pos == m_end && !fill(); }
    bool failed() const { return m_failed; }
    bool tooLong() const { return m_tooLong; }
    qint64 lineNumber() const { return m_lineNumber; }
    QString errorString() const { return m_error; }

private:
    static constexpr qsizetype kChunk = 64 * 1024;

    // Gives up on the file at a line no data file can hold; nothing is read after it.
    bool exceeds(qint64 length) {
        if (length > kMaxLineBytes)
            m_tooLong = true;
        return m_tooLong;
    }

    bool fill() {
        if (m_failed || m_eof || m_tooLong)
            return false;
        const qint64 n = m_in.read(m_buffer.get(), m_size);
        if (n < 0) {
            m_failed = true;
            m_error = m_in.errorString();
            return false;
        }
        if (n == 0) {
            m_eof = true;
            return false;
        }
        m_pos = 0;
        m_end = static_cast<qsizetype>(n);
        return true;
    }

    QIODevice& m_in;
    qsizetype m_size;
    std::unique_ptr<char[]> m_buffer;
    qsizetype m_pos = 0;
    qsizetype m_end = 0;
    bool m_pendingCr = false;
    bool m_eof = false;
    bool m_failed = false;
    bool m_tooLong = false;
    qint64 m_lineNumber = 0;
    QString m_error;
};

// Keeps the first `limit` bytes of a line and its full length.
class LineHead {
public:
    explicit LineHead(qsizetype limit) : m_limit(limit) {}

    void operator()(QByteArrayView piece) {
        const qsizetype room = m_limit - m_head.size();
        if (room > 0)
            m_head.append(piece.first(qMin(room, piece.size())));
        m_length += piece.size();
    }

    bool is(const char* text) const {
        return m_length == static_cast<qint64>(std::strlen(text)) && m_head == text;
    }
    const QByteArray& head() const { return m_head; }
    bool cut() const { return m_length > m_head.size(); }

private:
    qsizetype m_limit;
    QByteArray m_head;
    qint64 m_length = 0;
};

// One data line, read on the fly: the address is every hexadecimal digit before the first ":",
// the value the digits among the (at most ten) characters after it, or among the first ten
// characters when the line has no ":" at all. Both wrap at 32 bits like any hex text.
class DataLine {
public:
    void operator()(QByteArrayView piece) {
        for (qsizetype i = 0; i < piece.size(); ++i) {
            if (m_colon && m_afterCount == kValueChars) {
                // Nothing further in this line can change address or value.
                m_length += piece.size() - i;
                return;
            }
            const char c = piece[i];
            if (m_length == 0)
                m_first = c;
            if (m_length < kValueChars)
                m_leading = add(m_leading, c);
            ++m_length;
            if (!m_colon) {
                if (c == ':')
                    m_colon = true;
                else
                    m_before = add(m_before, c);
            } else {
                m_after = add(m_after, c);
                ++m_afterCount;
            }
        }
    }

    bool isEndMarker() const { return m_length == 1 && m_first == '*'; }
    std::uint32_t address() const { return m_colon ? m_before : 0; }
    std::uint8_t value() const { return static_cast<std::uint8_t>(m_colon ? m_after : m_leading); }

private:
    static constexpr int kValueChars = 10;

    // Upper-case digits only: lower-case a..f and everything else are passed over.
    static std::uint32_t add(std::uint32_t value, char c) {
        if (c >= '0' && c <= '9')
            return value * 16u + static_cast<std::uint32_t>(c - '0');
        if (c >= 'A' && c <= 'F')
            return value * 16u + static_cast<std::uint32_t>(c - 'A' + 10);
        return value;
    }

    std::uint32_t m_before = 0;
    std::uint32_t m_after = 0;
    std::uint32_t m_leading = 0;
    int m_afterCount = 0;
    qint64 m_length = 0;
    char m_first = 0;
    bool m_colon = false;
};

bool layoutOf(const LineHead& line, Layout& layout) {
    if (line.is("S2.6"))
        layout = Layout::S26;
    else if (line.is("S2.4"))
        layout = Layout::S24;
    else if (line.is("S2.0"))
        layout = Layout::S20;
    else
        return false;
    return true;
}

LoadResult outcome(LoadResult::Status status, const QString& message = QString(),
                   const QString& reason = QString()) {
    LoadResult r;
    r.status = status;
    r.message = message;
    r.reason = reason;
    return r;
}

// Why the reader gave up early: a read error, or a line too long for any data file. The first
// line is the marker, so an overlong one is simply an unknown format.
LoadResult readerStopped(const LineReader& reader, const QString& fileName) {
    if (reader.failed())
        return outcome(LoadResult::Status::IoError, reader.errorString(), reader.errorString());
    const QString reason = QStringLiteral("Line %1 is longer than %2 bytes")
                               .arg(reader.lineNumber())
                               .arg(kMaxLineBytes);
    return outcome(LoadResult::Status::Refused,
                   (reader.lineNumber() == 1 ? kUnknownFormatText : kLineTooLongText) + fileName,
                   reason);
}

void appendHex(QByteArray& out, std::uint32_t value, int digits) {
    static const char kDigits[] = "0123456789ABCDEF";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out.append(kDigits[(value >> shift) & 0xF]);
}

// The system's text for the last failure of `device`.
QString reasonOf(const QIODevice& device) {
    const auto* file = qobject_cast<const QFileDevice*>(&device);
    if (file && file->error() == QFileDevice::NoError)
        return kWriteFailedText;
    const QString text = device.errorString();
    return text.isEmpty() ? kWriteFailedText : text;
}

// Writes every byte or says why not. A device may take fewer bytes than offered without an
// error (a disk that fills up mid-write does exactly that); the next attempt then reports why.
QString writeAll(QIODevice& out, const QByteArray& bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = out.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return reasonOf(out);
        done += n;
    }
    return QString();
}

} // namespace

namespace {

// The data lines up to the closing "*": each sets its byte; the first naming of an address
// within the layout counts towards the bytes the file sets.
void readDataLines(LineReader& reader, Image& image, std::vector<bool>& named, LoadResult& result) {
    for (;;) {
        DataLine line;
        if (!reader.next(line))
            break;
        const std::uint32_t address = line.address();
        if (address < image.size())
            image[address] = line.value();
        else
            ++result.skippedLines;
        if (line.isEndMarker())
            break;
        if (address < named.size() && !named[address]) {
            named[address] = true;
            ++result.namedBytes;
        }
    }
}

// An older layout is read in its own places and written back in today's.
void decodeLayout(Layout layout, Image& image, RouteTable& routes) {
    switch (layout) {
    case Layout::S26:
        decodeCurrent(image, routes);
        break;
    case Layout::S24:
        decodeS24(image, routes);
        encodeRoutes(routes, image);
        break;
    case Layout::S20:
        decodeS20(image, routes);
        encodeRoutes(routes, image);
        break;
    }
}

void readDescriptions(LineReader& reader, RouteTable& routes, LoadResult& result) {
    LineHead popis(8);
    if (!reader.next(popis) || !popis.is("POPIS"))
        return;
    for (RouteRecord& route : routes) {
        LineHead text(kMaxDescriptionBytes);
        route.description = reader.next(text) ? codepage1250::decode(text.head()) : QString();
        if (text.cut())
            ++result.cutDescriptions;
    }
}

} // namespace

LoadResult load(QIODevice& in, const QString& fileName, ConfigStore& store) {
    LineReader reader(in);
    const auto gaveUp = [&reader] { return reader.failed() || reader.tooLong(); };

    LineHead marker(8);
    const bool hasMarker = reader.next(marker);
    if (gaveUp())
        return readerStopped(reader, fileName);
    Layout layout = Layout::S26;
    if (!hasMarker || !layoutOf(marker, layout))
        return outcome(LoadResult::Status::Refused, kUnknownFormatText + fileName);

    for (;;) {
        LineHead line(2);
        if (!reader.next(line) || line.is("*"))
            break;
    }
    if (gaveUp() || reader.atEnd())
        return gaveUp() ? readerStopped(reader, fileName) : outcome(LoadResult::Status::Stopped);

    // Everything goes into copies first: a read error further on must leave the program's
    // configuration exactly as it was.
    Image image = store.image;
    RouteTable routes = store.routes;
    LoadResult result = outcome(LoadResult::Status::Loaded);
    result.layoutBytes = layoutBytes(layout);
    std::vector<bool> named(static_cast<std::size_t>(result.layoutBytes));

    readDataLines(reader, image, named, result);
    if (gaveUp())
        return readerStopped(reader, fileName);
    decodeLayout(layout, image, routes);
    readDescriptions(reader, routes, result);
    if (gaveUp())
        return readerStopped(reader, fileName);

    store.image = image;
    store.routes = routes;
    store.markSaved();
    return result;
}

LoadResult loadBytes(const QByteArray& bytes, const QString& fileName, ConfigStore& store) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return load(buffer, fileName, store);
}

LoadResult loadFile(const QString& path, ConfigStore& store) {
    const QString fullName = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    QFile file;
    QString reason;
    // Never waits on a pipe or terminal put where the file was expected.
    if (!safesave::openForReading(file, path, &reason))
        return outcome(LoadResult::Status::Refused, kOpenFailedText + fullName, reason);
    return load(file, fullName, store);
}

QByteArray format(const ConfigStore& store) {
    QByteArray out;
    out.reserve(static_cast<qsizetype>(sizeof kHeaderLines) + 9 * image::kConfigSize + 16 +
                90 * 48);
    out.append(kHeaderLines);
    for (int address = 0; address < image::kConfigSize; ++address) {
        appendHex(out, static_cast<std::uint32_t>(address), 4);
        out.append(':');
        appendHex(out, store.image[static_cast<std::size_t>(address)], 2);
        out.append("\r\n");
    }
    out.append("*\r\nPOPIS\r\n");
    for (const RouteRecord& route : store.routes) {
        // A line feed inside a description would shift every later description by a line on
        // the next load; the route editor cannot type one, so a blank stands in for it.
        QString text = route.description;
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        // Letters the code page lacks come out as question marks.
        out.append(codepage1250::encode(text));
        out.append("\r\n");
    }
    return out;
}

QString saveTargetProblem(const QString& path) {
    return safesave::check(path).reason;
}

SaveResult saveFile(const QString& path, const ConfigStore& store) {
    return safesave::write(path, format(store));
}

SaveResult writeTo(QIODevice& out, const ConfigStore& store) {
    SaveResult result;
    result.reason = writeAll(out, format(store));
    if (auto* file = qobject_cast<QFileDevice*>(&out); file && result.reason.isEmpty())
        if (!file->flush())
            result.reason = reasonOf(*file);
    result.saved = result.reason.isEmpty();
    return result;
}

QString skippedLinesText(int count) {
    return kSkippedLinesText.arg(count);
}

bool holdsCharacter(QStringView c) {
    return codepage1250::holds(c);
}

QString partialFileText(const LoadResult& result) {
    return kPartialFileText.arg(result.namedBytes).arg(result.layoutBytes);
}

QString noDataLinesText(const QString& fileName) {
    return kNoDataLinesText + fileName;
}

} // namespace datafile
