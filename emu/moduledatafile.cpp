#include "emu/moduledatafile.h"

#include "data/codec.h"
#include "data/hex.h"

#include <QFile>
#include <QSaveFile>

namespace {
QList<QByteArray> splitLines(const QByteArray& all) {
    QList<QByteArray> lines = all.split('\n');
    // A final line end does not start another line.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray& l : lines)
        if (l.endsWith('\r'))
            l.chop(1);
    return lines;
}

void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}
} // namespace

bool readModuleDataFile(const QString& path, ModuleDataFile& file, QString* error) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("cannot open %1: %2").arg(path, in.errorString()));
        return false;
    }
    const QList<QByteArray> lines = splitLines(in.readAll());
    if (in.error() != QFileDevice::NoError) {
        setError(error, QStringLiteral("cannot read %1: %2").arg(path, in.errorString()));
        return false;
    }
    const QByteArray marker = lines.value(0);
    if (marker != "S2.0" && marker != "S2.4" && marker != "S2.6") {
        setError(error, QStringLiteral("%1 is not a data file (first line must be S2.0, S2.4 or "
                                       "S2.6)")
                            .arg(path));
        return false;
    }
    qsizetype i = 1;
    while (i < lines.size() && lines[i] != "*")
        ++i;
    ++i;
    if (i >= lines.size()) {
        setError(error, QStringLiteral("%1 holds no data lines").arg(path));
        return false;
    }

    ModuleDataFile out = file;
    for (; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        const qsizetype colon = line.indexOf(':');
        const std::uint32_t address = colon > 0 ? hexToValue(QByteArrayView(line.left(colon))) : 0;
        const QByteArray valueText = colon >= 0 ? line.mid(colon + 1, 10) : line.left(10);
        // Addresses past the image cannot be stored anywhere; such lines are skipped.
        if (address < static_cast<std::uint32_t>(image::kSize))
            out.image[address] =
                static_cast<std::uint8_t>(hexToValue(QByteArrayView(valueText)) & 0xFF);
        if (line == "*") {
            ++i;
            break;
        }
    }

    if (marker != "S2.6") {
        RouteTable routes;
        decodeCurrent(file.image, routes);
        if (marker == "S2.0")
            decodeS20(out.image, routes);
        else
            decodeS24(out.image, routes);
        encodeRoutes(routes, out.image);
    }

    if (i < lines.size() && lines[i] == "POPIS") {
        out.descriptions = lines.mid(i + 1, image::kRouteCount);
        out.hasDescriptions = true;
    }
    file = out;
    return true;
}

bool writeModuleDataFile(const QString& path, const ModuleDataFile& file, QString* error) {
    QByteArray text;
    text.reserve(2341 * 10);
    const char* head[] = {"S2.6", "V0006:0008", "C0040:07BC", "D0000:08C4", "*"};
    for (const char* h : head)
        text += QByteArray(h) + "\r\n";
    for (int a = 0; a < image::kConfigSize; ++a)
        text += toHexBytes(static_cast<std::uint32_t>(a), 4) + ':' + toHexBytes(file.image[a], 2) +
                "\r\n";
    text += "*\r\nPOPIS\r\n";
    for (int n = 0; n < image::kRouteCount; ++n)
        text += file.descriptions.value(n) + "\r\n";

    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.commit()) {
        setError(error, QStringLiteral("cannot write %1: %2").arg(path, out.errorString()));
        return false;
    }
    return true;
}
