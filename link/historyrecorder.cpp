#include "link/historyrecorder.h"

#include "link/linktexts.h"
#include "link/modulecontents.h"
#include "link/transfers.h"

namespace {
// Which part a store's list covers, by the lists the store choice makes.
QString storePart(const std::vector<std::uint32_t>& list, int capacity) {
    if (list == transfers::headerAddresses())
        return QStringLiteral("header");
    if (transfers::capacityAccepted(capacity) && list == transfers::allAddresses(capacity))
        return QStringLiteral("all");
    const int route =
        list.empty() ? 0 : (static_cast<int>(list.front()) - image::kIndexPairBase) / 2 + 1;
    if (route >= 1 && route <= image::kRouteCount && list == transfers::routeAddresses(route))
        return QStringLiteral("route=%1").arg(route);
    return QStringLiteral("changed");
}

void learn(history::Entry& e, std::size_t address, std::uint8_t value) {
    if (address >= e.bytes.size())
        return;
    e.bytes[address] = value;
    e.known.set(address);
}
} // namespace

QString backupFailedText(const history::WriteResult& result) {
    return QStringLiteral("Obsah modulu se nepodařilo uschovat do historie: %1. Do modulu se nic "
                          "neuložilo.")
        .arg(result.problem);
}

std::optional<history::Entry> historyEntry(const TransferFacts& f) {
    history::Entry e;
    e.outcome = f.outcome;
    e.capacity = f.capacity;
    const bool done = f.outcome == history::Outcome::Done;
    const int last = transfers::lastConfigAddress(f.capacity);
    switch (f.transfer) {
    case TransferKind::Read:
    case TransferKind::Verify:
        if (!done)
            return std::nullopt;
        e.kind = f.transfer == TransferKind::Read ? history::Kind::Read : history::Kind::Verify;
        for (int a = 1; a <= last && a < image::kSize; ++a)
            learn(e, std::size_t(a), f.image[std::size_t(a)]);
        for (const auto& d : f.differences)
            learn(e, std::size_t(d.address), d.moduleValue);
        if (e.kind == history::Kind::Verify)
            e.part = f.differences.empty() ? QStringLiteral("equal") : QStringLiteral("different");
        return e;
    case TransferKind::Store:
        break;
    }
    e.kind = history::Kind::Store;
    e.part = storePart(f.storeList, f.capacity);
    e.known = f.knownBefore;
    e.bytes = f.bytesBefore;
    const int written =
        done ? int(f.storeList.size()) : std::min(f.writesDone, int(f.storeList.size()));
    for (int k = 0; k < written; ++k)
        learn(e, f.storeList[std::size_t(k)], f.image[f.storeList[std::size_t(k)]]);
    // A write the module may or may not have carried out leaves its byte in doubt.
    if (f.writeInFlight && written < int(f.storeList.size()))
        e.known.reset(f.storeList[std::size_t(written)]);
    if (f.doubtfulAddress >= 0 && f.doubtfulAddress < image::kSize)
        e.known.reset(std::size_t(f.doubtfulAddress));
    return e;
}

HistoryRecorder::HistoryRecorder(LinkEngine& engine, const ConfigStore& store, QString folder,
                                 QObject* parent)
    : QObject(parent), m_engine(engine), m_store(store), m_folder(std::move(folder)) {
    connect(&engine, &LinkEngine::transferStarted, this, &HistoryRecorder::started);
    connect(&engine, &LinkEngine::transferCancelled, this, [this] { m_cancelled = true; });
    connect(&engine, &LinkEngine::transferFinished, this, &HistoryRecorder::finished);
}

void HistoryRecorder::started() {
    m_running = true;
    m_cancelled = false;
    m_facts = TransferFacts();
    // A verify compares with the image as it is now.
    m_facts.image = m_store.image;
    m_lastWrite = {};
    m_descriptions.clear();
    bool any = false;
    for (const RouteRecord& route : m_store.routes) {
        m_descriptions << route.description;
        any = any || !route.description.isEmpty();
    }
    if (!any)
        m_descriptions.clear();
    if (m_contents) {
        m_facts.knownBefore = m_contents->known();
        m_facts.bytesBefore = m_contents->bytes();
    }
}

void HistoryRecorder::finished(TransferKind transfer, bool ok) {
    // A store's capacity query that failed before the store began wrote nothing.
    if (!std::exchange(m_running, false))
        return;
    TransferFacts& f = m_facts;
    f.transfer = transfer;
    f.outcome = ok ? history::Outcome::Done
                   : (m_cancelled ? history::Outcome::Cancelled : history::Outcome::Failed);
    f.capacity = m_store.routeCapacity;
    if (transfer == TransferKind::Read)
        f.image = m_engine.transfer().readImage();
    else if (transfer == TransferKind::Verify)
        f.differences = m_engine.transfer().differences();
    else {
        f.image = m_engine.transfer().sentImage();
        f.storeList = m_engine.transfer().storeList();
        f.writesDone = m_engine.transfer().writesDone();
        f.writeInFlight = m_engine.transfer().writeInFlight();
        const TransferFailure failure = m_engine.transfer().failure();
        if (!ok && failure.where == TransferFailure::Where::ReadBack)
            f.doubtfulAddress = failure.address;
    }
    std::optional<history::Entry> entry = historyEntry(f);
    if (!entry)
        return;
    entry->time = QDateTime::currentDateTimeUtc();
    entry->port = m_portName ? m_portName() : QString();
    entry->answer = QString::fromLatin1(m_engine.transfer().identifyAnswer().toHex(' '));
    entry->version = linktexts::versionText(m_engine.identifyReply());
    // A store alone never asks the module: its capacity is known only when one was reported.
    if (transfer == TransferKind::Store && !m_engine.reportedCapacity())
        entry->capacity = 0;
    if (!m_descriptions.isEmpty()) {
        entry->descriptions = m_descriptions;
        entry->descriptionsFrom = m_descriptionsFrom;
    }
    m_lastWrite = history::write(m_folder, *entry, history::Limits(), m_summarize);
    if (m_lastWrite.written())
        emit written();
    else
        emit problem(QStringLiteral("Historie modulu nebyla zapsána: %1.").arg(m_lastWrite.problem),
                     m_lastWrite.details);
}
