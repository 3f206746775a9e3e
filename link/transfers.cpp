#include "link/transfers.h"

#include "data/codec.h"
#include "data/configstore.h"

#include <algorithm>

namespace transfers {
namespace {
std::vector<std::uint32_t> range(int first, int last) {
    std::vector<std::uint32_t> list;
    list.reserve(static_cast<std::size_t>(last - first + 1));
    for (int a = first; a <= last; ++a)
        list.push_back(static_cast<std::uint32_t>(a));
    return list;
}
} // namespace

bool capacityAccepted(int capacity) {
    return capacity >= kMinCapacity && capacity <= kMaxCapacity;
}

int lastConfigAddress(int capacity) {
    return image::kBlockBase - 1 + image::kBlockSize * capacity;
}

std::vector<std::uint32_t> headerAddresses() {
    // Byte 63 belongs to the header too but has never been part of this store.
    return range(1, 62);
}

std::vector<std::uint32_t> allAddresses(int capacity) {
    return range(1, lastConfigAddress(capacity));
}

std::vector<std::uint32_t> routeAddresses(int route) {
    std::vector<std::uint32_t> list =
        range(image::indexPairAddress(route), image::indexPairAddress(route) + 1);
    const std::vector<std::uint32_t> block =
        range(image::blockAddress(route), image::blockAddress(route) + image::kBlockSize - 1);
    list.insert(list.end(), block.begin(), block.end());
    return list;
}

std::optional<std::vector<std::uint32_t>> storeAddresses(int choice, int route, int capacity) {
    switch (choice) {
    case HeaderOnly:
        return headerAddresses();
    case Everything:
        if (!capacityAccepted(capacity))
            return std::nullopt;
        return allAddresses(capacity);
    case SelectedRoute:
        if (route < 1 || route > image::kRouteCount)
            return std::nullopt;
        return routeAddresses(route);
    default:
        return std::nullopt;
    }
}

std::vector<int> activeRoutesBeyond(const Image& image, int capacity) {
    RouteTable routes;
    decodeCurrent(image, routes);
    std::vector<int> out;
    for (int n = std::max(capacity, 0) + 1; n <= image::kRouteCount; ++n)
        if (routeActive(routes[static_cast<std::size_t>(n - 1)]))
            out.push_back(n);
    return out;
}

} // namespace transfers
