#pragma once

#include "data/image.h"

#include <cstdint>
#include <optional>
#include <vector>

// What the three transfer commands hand to the link engine.
namespace transfers {

// The items of the store-choice dialog's radio group (RGtypcest1), in order.
enum StoreChoice : int {
    HeaderOnly = 0,    // "jen konfiguraci periferií bez cest"
    Everything = 1,    // "konfig. periferií  + všechny  cesty"
    SelectedRoute = 2, // "pouze vybranou cestu"
    // "pouze změněná data": of the whole configuration, only the bytes that differ from what
    // the module is known to hold (ModuleContents); storeAddresses() has no list for it.
    ChangedOnly = 3,
};

// Route capacities a module may report for a whole-configuration transfer.
constexpr int kMinCapacity = 20;
constexpr int kMaxCapacity = 100;
bool capacityAccepted(int capacity);

// Last address of the whole configuration of a module with `capacity` routes: the last byte of
// its last route block (2243 for 90 routes). Address 0 is never transferred.
int lastConfigAddress(int capacity);

std::vector<std::uint32_t> headerAddresses();          // 1..62
std::vector<std::uint32_t> allAddresses(int capacity); // 1..lastConfigAddress
std::vector<std::uint32_t> routeAddresses(int route);  // index pair, then the block

// Routes beyond a module's `capacity` that `image` holds as active routes: a whole transfer with
// that module leaves them out.
std::vector<int> activeRoutesBeyond(const Image& image, int capacity);

// The address list for a store, or nothing when the store must not start: no choice made, a
// route outside 1..90, or a whole-configuration store with a capacity outside 20..100 (an
// unchecked capacity from "Test comm" could otherwise address past the image).
std::optional<std::vector<std::uint32_t>> storeAddresses(int choice, int route, int capacity);

} // namespace transfers
