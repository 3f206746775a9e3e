// The data-file loader alone, as fast as it goes: whatever the bytes, the load ends as loaded,
// refused or stopped (a buffer cannot fail to read), refusals carry a known text, and only a
// complete load changes the configuration. The round trip is fuzz_datafile's job.

#include "data/datafile.h"

#include <cstdlib>

namespace {
void require(bool condition) {
    if (!condition)
        std::abort();
}

const QString kName = QStringLiteral("fuzz.txt");
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using Status = datafile::LoadResult::Status;
    static const ConfigStore start = [] {
        ConfigStore s;
        s.image.fill(0xA5);
        s.route(1).description = QStringLiteral("před");
        return s;
    }();
    ConfigStore store = start;
    const datafile::LoadResult r = datafile::loadBytes(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
        kName, store);
    switch (r.status) {
    case Status::Loaded:
        require(r.message.isEmpty() && r.reason.isEmpty());
        require(r.skippedLines >= 0 && r.skippedLines <= static_cast<int>(size));
        return 0;
    case Status::Refused:
        require(r.message.endsWith(kName));
        require(r.message.startsWith(QStringLiteral("Neznámý format dat !")) ||
                static_cast<qint64>(size) > datafile::kMaxLineBytes);
        break;
    case Status::Stopped:
        require(r.message.isEmpty());
        break;
    case Status::IoError:
        require(false);
        break;
    }
    require(store.image == start.image && store.routes == start.routes);
    return 0;
}
