#include "link/modulecontents.h"

#include "link/linkengine.h"
#include "link/transfers.h"

#include <algorithm>

void ModuleContents::follow(LinkEngine& engine, const ConfigStore& store) {
    connect(&engine, &LinkEngine::transferStarted, this,
            [this, &store](TransferKind) { m_verifyStart = store.image; });
    connect(&engine, &LinkEngine::portLost, this, &ModuleContents::forget);
    connect(&engine, &LinkEngine::identifyReplyChanged, this, [this, &engine] {
        if (engine.identifyReply())
            identified(*engine.identifyReply());
    });
    connect(&engine, &LinkEngine::capacityLearned, this, &ModuleContents::capacityReported);
    connect(&engine, &LinkEngine::transferFinished, this,
            [this, &engine, &store](TransferKind transfer, bool ok) {
                if (!ok) {
                    forget();
                    return;
                }
                // A read or verify covered the whole configuration of the capacity it was
                // told at its start.
                const int last = transfers::lastConfigAddress(store.routeCapacity);
                switch (transfer) {
                case TransferKind::Read:
                    forget();
                    learn(engine.transfer().readImage(), 1, last);
                    break;
                case TransferKind::Verify:
                    forget();
                    learn(store.image, 1, last);
                    // A byte edited while the verify ran was compared in one of its two
                    // versions, and which one is not known.
                    for (int a = 1; a <= last && a < image::kSize; ++a)
                        if (store.image[a] != m_verifyStart[a])
                            m_known.reset(a);
                    for (const auto& d : engine.transfer().differences())
                        learn(d.address, d.moduleValue);
                    break;
                case TransferKind::Store:
                    // What was sent (the image as the store found it), and only where the
                    // read-back proved it; a store without it leaves those bytes unknown.
                    for (std::uint32_t a : engine.transfer().storeList()) {
                        if (engine.transfer().storeProven())
                            learn(static_cast<int>(a), engine.transfer().sentImage()[a]);
                        else if (a < m_known.size())
                            m_known.reset(a);
                    }
                    break;
                }
                emit changed();
            });
}

bool ModuleContents::knows(const std::vector<std::uint32_t>& addresses) const {
    return std::all_of(addresses.begin(), addresses.end(),
                       [this](std::uint32_t a) { return a < m_known.size() && m_known.test(a); });
}

void ModuleContents::learn(const Image& image, int first, int last) {
    first = std::max(first, 0);
    last = std::min(last, image::kSize - 1);
    for (int a = first; a <= last; ++a)
        learn(a, image[static_cast<std::size_t>(a)]);
}

void ModuleContents::learn(int address, std::uint8_t value) {
    if (address < 0 || address >= image::kSize)
        return;
    m_bytes[static_cast<std::size_t>(address)] = value;
    m_known.set(static_cast<std::size_t>(address));
}

void ModuleContents::forget() {
    m_known.reset();
    emit changed();
}

std::optional<std::vector<std::uint32_t>>
ModuleContents::changedAddresses(const Image& image,
                                 const std::vector<std::uint32_t>& candidates) const {
    if (!knows(candidates))
        return std::nullopt;
    std::vector<std::uint32_t> changed;
    for (std::uint32_t a : candidates)
        if (image[a] != m_bytes[a])
            changed.push_back(a);
    return changed;
}

void ModuleContents::identified(const protocol::IdentifyReply& reply) {
    if (m_version && reply != *m_version)
        forget();
    m_version = reply;
}

void ModuleContents::capacityReported(int capacity) {
    if (m_capacity != 0 && capacity != m_capacity)
        forget();
    m_capacity = capacity;
}
