#include "cli/datafileio.h"

#include "data/datafile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>

namespace cliio {
namespace {

const QString kStandardInput = QStringLiteral("standard input");
const QString kStandardOutput = QStringLiteral("standard output");

// /dev/stdout may lead to a pipe, a terminal or a file opened by the shell; none of these can
// be replaced through a temporary file, so it is written like "-".
bool isStandardOutput(const QString& path) {
    return path == QLatin1String("-") || path == QLatin1String("/dev/stdout") ||
           path == QLatin1String("/dev/fd/1") || path == QLatin1String("/proc/self/fd/1");
}

void tell(QTextStream& err, const QString& name, const QString& text) {
    err << "stavnikctl: " << name << ": " << text << '\n';
}

QString inPlaceWhy(const safesave::Result& r) {
    switch (r.inPlaceWhy) {
    case safesave::InPlace::HardLinks:
        return QStringLiteral("it has other names (hard links) that must see the new contents");
    case safesave::InPlace::Owner:
        return QStringLiteral("a new file could not keep its owner, group or attributes");
    case safesave::InPlace::ReadOnlyFolder:
    case safesave::InPlace::No:
        break;
    }
    return QStringLiteral("its folder takes no new file");
}

bool loadImage(const QString& path, ConfigStore& store, QTextStream& err);
bool saveImage(const QString& path, const ConfigStore& store, QTextStream& err);
} // namespace

bool loadDataFile(const QString& path, ConfigStore& store, QTextStream& err, ElementNames* names) {
    if (!loadImage(path, store, err))
        return false;
    if (names && path != QLatin1String("-")) {
        const elementnames::LoadResult r = elementnames::loadFor(path);
        *names = r.names;
        if (!r.note.isEmpty())
            err << r.note << '\n';
    }
    return true;
}

bool saveDataFile(const QString& path, const ConfigStore& store, QTextStream& err,
                  const ElementNames* names) {
    if (!saveImage(path, store, err))
        return false;
    if (!names || isStandardOutput(path))
        return true;
    const safesave::Result r = elementnames::saveFor(path, *names);
    if (!r.saved)
        tell(err, elementnames::companionPath(path), r.reason);
    return r.saved;
}

namespace {
bool loadImage(const QString& path, ConfigStore& store, QTextStream& err) {
    using Status = datafile::LoadResult::Status;
    datafile::LoadResult r;
    QString name = path;
    if (path == QLatin1String("-")) {
        name = kStandardInput;
        QFile in;
        if (in.open(0, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle))
            r = datafile::load(in, name, store);
        else
            r = {Status::Refused, QStringLiteral("Chyba otevreni souboru  dat") + name,
                 in.errorString()};
    } else {
        r = datafile::loadFile(path, store);
    }
    switch (r.status) {
    case Status::Loaded:
        if (r.skippedLines > 0)
            err << datafile::skippedLinesText(r.skippedLines) << '\n';
        // A save would keep only what was read.
        if (r.cutDescriptions > 0)
            tell(err, name,
                 QStringLiteral("%1 route description(s) longer than %2 bytes, cut to that length")
                     .arg(r.cutDescriptions)
                     .arg(datafile::kMaxDescriptionBytes));
        // Nothing else is loaded here, so the bytes the file leaves out are zero.
        if (!r.setsEverything())
            err << datafile::partialFileText(r) << QStringLiteral(" Ostatní bajty jsou nulové.")
                << '\n';
        return true;
    case Status::Stopped:
        err << datafile::noDataLinesText(name) << '\n';
        tell(err, name, QStringLiteral("no data lines after the header, nothing loaded"));
        return false;
    case Status::Refused:
    case Status::IoError:
        // The window's words, then the system's reason where there is one.
        if (r.message != r.reason)
            err << r.message << '\n';
        if (!r.reason.isEmpty())
            tell(err, name, r.reason);
        return false;
    }
    return false;
}

bool saveImage(const QString& path, const ConfigStore& store, QTextStream& err) {
    datafile::SaveResult r;
    QString name = path;
    if (isStandardOutput(path)) {
        name = kStandardOutput;
        QFile out;
        if (out.open(1, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle))
            r = datafile::writeTo(out, store);
        else
            r.reason = out.errorString();
    } else {
        r = datafile::saveFile(path, store);
    }
    tellSaved(err, name, r);
    return r.saved;
}

} // namespace

void tellSaved(QTextStream& err, const QString& name, const safesave::Result& r) {
    if (r.saved) {
        if (r.inPlace)
            tell(err, name,
                 QStringLiteral("note: ") + inPlaceWhy(r) +
                     QStringLiteral(", so the file was overwritten in place"));
        return;
    }
    tell(err, name, r.reason);
    if (r.inPlace)
        tell(err, name,
             QStringLiteral("it was being overwritten in place (%1); what was there before was "
                            "put back as far as the system allowed")
                 .arg(inPlaceWhy(r)));
}

bool canSaveTo(const QString& path, QTextStream& err) {
    if (isStandardOutput(path))
        return true;
    const QString problem = datafile::saveTargetProblem(path);
    if (!problem.isEmpty())
        tell(err, path, problem);
    return problem.isEmpty();
}

void keepInTemporaryFile(const ConfigStore& store, QTextStream& err) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QTemporaryFile file(
        QDir::temp().filePath(QStringLiteral("stavnikctl-read-%1-XXXXXX.txt").arg(stamp)));
    file.setAutoRemove(false);
    const datafile::SaveResult r =
        file.open() ? datafile::writeTo(file, store)
                    : datafile::SaveResult{false, false, file.errorString(), {}, {}};
    if (r.saved) {
        err << "stavnikctl: what was read from the module is kept in " << file.fileName() << '\n';
        return;
    }
    if (!file.fileName().isEmpty())
        file.remove();
    err << "stavnikctl: what was read from the module could not be kept in " << QDir::tempPath()
        << " either: " << r.reason << '\n';
}

} // namespace cliio
