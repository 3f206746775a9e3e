// Feeds arbitrary bytes to the data-file loader. Whatever the bytes, the load must end as
// loaded, refused or stopped (a buffer cannot fail to read), leave the configuration untouched
// unless it loaded, and what it loaded must survive a save and a second load.

#include "data/datafile.h"

#include <cstdio>
#include <cstdlib>

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_datafile: %s\n", what);
        std::abort();
    }
}

bool sameConfiguration(const ConfigStore& a, const ConfigStore& b) {
    return a.image == b.image && a.routes == b.routes;
}

// A configuration in which every byte and every description differs from what a load would
// produce by accident, so that "nothing changed" can be seen.
const ConfigStore& startState() {
    static const ConfigStore state = [] {
        ConfigStore s;
        for (std::size_t i = 0; i < s.image.size(); ++i)
            s.image[i] = static_cast<std::uint8_t>(i * 7 + 3);
        for (int n = 1; n <= image::kRouteCount; ++n) {
            s.route(n).description = QStringLiteral("cesta č. %1").arg(n);
            s.route(n).dccEnabled = static_cast<Flag>(n % 2);
        }
        return s;
    }();
    return state;
}

const QString kName = QStringLiteral("fuzz.txt");

void checkRoundTrip(const ConfigStore& loaded) {
    const QByteArray first = datafile::format(loaded);
    ConfigStore again = startState();
    const datafile::LoadResult r = datafile::loadBytes(first, kName, again);
    require(r.status == datafile::LoadResult::Status::Loaded && r.skippedLines == 0,
            "a saved file does not load cleanly");
    for (int a = 1; a < image::kConfigSize; ++a)
        require(again.image[a] == loaded.image[a], "saved image byte lost");
    require(again.image[0] == 0, "byte 0 not cleared by the load");
    for (int n = 1; n <= image::kRouteCount; ++n)
        require(again.route(n).description == loaded.route(n).description,
                "saved description lost");
    const QByteArray second = datafile::format(again);
    if (loaded.image[0] == 0)
        require(second == first, "save, load, save is not byte-identical");
    ConfigStore third = startState();
    datafile::loadBytes(second, kName, third);
    require(datafile::format(third) == second, "second round trip differs");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using Status = datafile::LoadResult::Status;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ConfigStore store = startState();
    const datafile::LoadResult r = datafile::loadBytes(bytes, kName, store);
    switch (r.status) {
    case Status::Loaded:
        require(r.message.isEmpty(), "message with a complete load");
        require(r.skippedLines <= bytes.count('\n') + 1, "more skipped lines than lines");
        checkRoundTrip(store);
        break;
    case Status::Refused:
        require(r.message == QStringLiteral("Neznámý format dat !") + kName ||
                    (bytes.size() > datafile::kMaxLineBytes && r.message.endsWith(kName)),
                "wrong refusal text");
        require(sameConfiguration(store, startState()), "refused load changed the configuration");
        break;
    case Status::Stopped:
        require(r.message.isEmpty(), "message with a silent stop");
        require(sameConfiguration(store, startState()), "stopped load changed the configuration");
        break;
    case Status::IoError:
        require(false, "read error from memory");
        break;
    }
    return 0;
}
