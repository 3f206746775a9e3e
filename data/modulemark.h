#pragma once

// What the module holds of one route, next to what the screen shows.
enum class ModuleMark {
    Unknown, // not every byte of the route is proven, and none of the proven ones differs
    Same,
    Differs,
};
