#include "review/buttonmatrix.h"

#include "data/routecommands.h"
#include "review/configwords.h"

namespace buttonmatrix {
namespace {
bool inRange(int button) {
    return button >= 1 && button <= kButtons;
}
} // namespace

Matrix::Matrix(const ConfigStore& config) {
    for (int n = 1; n <= image::kRouteCount; ++n) {
        const RouteRecord& r = config.route(n);
        if (configwords::isActive(r))
            m_cells[static_cast<std::size_t>(r.fromButton - 1)]
                   [static_cast<std::size_t>(r.toButton - 1)]
                       .append(n);
    }
}

QList<int> Matrix::routes(int from, int to) const {
    if (!inRange(from) || !inRange(to))
        return {};
    return m_cells[static_cast<std::size_t>(from - 1)][static_cast<std::size_t>(to - 1)];
}

State Matrix::state(int from, int to) const {
    const qsizetype count = routes(from, to).size();
    return count == 0 ? State::Empty : (count == 1 ? State::Route : State::Duplicate);
}

bool Matrix::usedAsFrom(int button) const {
    for (int to = 1; to <= kButtons; ++to)
        if (!routes(button, to).isEmpty())
            return true;
    return false;
}

bool Matrix::usedAsTo(int button) const {
    for (int from = 1; from <= kButtons; ++from)
        if (!routes(from, button).isEmpty())
            return true;
    return false;
}

QList<std::pair<int, int>> Matrix::duplicates() const {
    QList<std::pair<int, int>> cells;
    for (int from = 1; from <= kButtons; ++from)
        for (int to = 1; to <= kButtons; ++to)
            if (state(from, to) == State::Duplicate)
                cells.append({from, to});
    return cells;
}

QList<std::pair<int, int>> Matrix::gaps() const {
    QList<std::pair<int, int>> cells;
    for (int from = 1; from <= kButtons; ++from)
        for (int to = 1; to <= kButtons; ++to)
            // A button is never its own destination.
            if (from != to && state(from, to) == State::Empty && usedAsFrom(from) && usedAsTo(to))
                cells.append({from, to});
    return cells;
}

int firstFreeRoute(const ConfigStore& config) {
    for (int n = 1; n <= image::kRouteCount; ++n)
        if (config.route(n) == emptyRoute())
            return n;
    return 0;
}

} // namespace buttonmatrix
