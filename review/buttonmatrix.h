#pragma once

#include "data/configstore.h"

#include <QList>

#include <array>

// Which ODKUD–KAM pairs of push-buttons have a route: the matrix a modeller reads to find a
// missing pair or two routes on the same pair.
namespace buttonmatrix {

constexpr int kButtons = 22;

enum class State { Empty, Route, Duplicate };

class Matrix {
public:
    explicit Matrix(const ConfigStore& config);

    // The active routes on ODKUD `from`, KAM `to` (1..22), ascending; empty outside 1..22.
    QList<int> routes(int from, int to) const;
    State state(int from, int to) const;
    // Whether the button starts (ODKUD) or ends (KAM) any active route.
    bool usedAsFrom(int button) const;
    bool usedAsTo(int button) const;
    // Cells of two or more routes, and pairs without a route between buttons that the layout
    // uses in that role (ODKUD of some route, KAM of some other), row by row.
    QList<std::pair<int, int>> duplicates() const;
    QList<std::pair<int, int>> gaps() const;

private:
    std::array<std::array<QList<int>, kButtons>, kButtons> m_cells;
};

// The first route that holds nothing at all (no settings, no description), where a new route
// for an empty cell goes; 0 when every route holds something.
int firstFreeRoute(const ConfigStore& config);

} // namespace buttonmatrix
