#pragma once

#include "data/configstore.h"
#include "data/image.h"
#include "link/protocol.h"

#include <QObject>

#include <bitset>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

class LinkEngine;

// What the module on the port holds, as far as this run has proven it: the bytes of the last
// complete read, of a verify (equal bytes from the image, different ones as the module
// reported them), and every byte a store wrote and read back. A store of only the bytes that
// differ from it turns "edit one route, store" from a 45-second full store into under a second.
//
// Anything that leaves the module's contents in doubt forgets them: a failed or cancelled
// transfer (the module may be partly written), a store without read-back (its bytes), another
// port or a lost one, or an identify answer (version or route capacity) other than the one seen
// before.
class ModuleContents : public QObject {
    Q_OBJECT
public:
    explicit ModuleContents(QObject* parent = nullptr) : QObject(parent) {}

    // Learns from every transfer `engine` runs between `store.image` and the module. Both must
    // outlive this object.
    void follow(LinkEngine& engine, const ConfigStore& store);

    // Whether every one of `addresses` is known.
    bool knows(const std::vector<std::uint32_t>& addresses) const;
    // The module holds image[first..last] (clamped to the image).
    void learn(const Image& image, int first, int last);
    void learn(int address, std::uint8_t value);
    void forget();
    // The bytes known, valid where known() is set.
    const Image& bytes() const { return m_bytes; }
    const std::bitset<image::kSize>& known() const { return m_known; }

    // Of `candidates`, in their order, those whose byte in `image` differs from the module's;
    // nothing when any candidate is not known (the caller must then store them all).
    std::optional<std::vector<std::uint32_t>>
    changedAddresses(const Image& image, const std::vector<std::uint32_t>& candidates) const;

    // The module answered "Test comm" or a capacity query: another answer than before means
    // another module (or one reconfigured by someone else), so what was known is dropped.
    void identified(const protocol::IdentifyReply& reply);
    void capacityReported(int capacity);

signals:
    // What is known changed: a transfer ended or the contents were forgotten.
    void changed();

private:
    Image m_bytes{};
    std::bitset<image::kSize> m_known;
    Image m_verifyStart{}; // the image a verify began comparing with
    std::optional<protocol::IdentifyReply> m_version;
    int m_capacity = 0; // 0: not reported yet
};
