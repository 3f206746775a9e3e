#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

// The module's configuration memory as the program keeps it. Module addresses equal indices.
namespace image {
constexpr int kSize = 3004;       // room for a module reporting up to 100 routes
constexpr int kConfigSize = 2244; // header, index pairs and blocks of 90 routes
constexpr int kHeaderSize = 64;
constexpr int kRouteCount = 90;
constexpr int kIndexPairBase = 64; // route n at 64 + 2(n - 1)
constexpr int kBlockBase = 264;    // route n at 264 + 22(n - 1)
constexpr int kBlockSize = 22;
constexpr int kMaxCapacity = 100;

constexpr int indexPairAddress(int route) {
    return kIndexPairBase + 2 * (route - 1);
}
constexpr int blockAddress(int route) {
    return kBlockBase + kBlockSize * (route - 1);
}
} // namespace image

using Image = std::array<std::uint8_t, image::kSize>;

// The 12-bit DCC base of header bytes 14 and 15, read through the header's field table
// (data/headerfields); route n answers to DCC number n + base.
int dccBase(const Image& img);

// The module-wide settings: the image's first 64 bytes.
using HeaderBytes = std::array<std::uint8_t, image::kHeaderSize>;

inline HeaderBytes headerOf(const Image& img) {
    HeaderBytes h{};
    std::copy_n(img.begin(), image::kHeaderSize, h.begin());
    return h;
}
