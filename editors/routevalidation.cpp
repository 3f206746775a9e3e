#include "editors/routevalidation.h"

#include "editors/routeeditortexts.h"

std::optional<RouteRefusal> validateRoute(const RouteEditValues& v) {
    using B = RouteRefusal::Buttons;
    using T = RouteRefusal::Tab;
    namespace t = routeeditortexts;

    if (v.testBlocked)
        return std::nullopt;
    if (v.fromButton == 0 || v.toButton == 0)
        return RouteRefusal{t::kNotActive, B::OkCancel, T::Unchanged};
    if (v.fromButton == v.toButton)
        return RouteRefusal{t::kSameButtons, B::OkCancel, T::Unchanged};

    const int n1 = v.signal[0];
    const int n2 = v.signal[1];
    const int n3 = v.signal[2];
    if (n3 == n2 && n2 != 0)
        return RouteRefusal{t::kDuplicateN2N3, B::Cancel, T::Unchanged};
    if (n1 == n2 && n1 != 0)
        return RouteRefusal{t::kDuplicateN1N2, B::Cancel, T::Unchanged};
    // Only the module's own signal of the same number clashes; a remote one is another mast.
    if (n1 != 0 && v.following == following::kFirstOwn - 1 + n1)
        return RouteRefusal{t::kDuplicateN1Following, B::Cancel, T::Unchanged};
    if (!v.trainRoute && !v.shuntingRoute)
        return RouteRefusal{t::kNoRouteType, B::Cancel, T::TabSheet1};
    if (n2 != 0 && n1 == 0)
        return RouteRefusal{t::kN2WithoutN1, B::Cancel, T::TabSheet3};
    if (n3 != 0 && n2 == 0)
        return RouteRefusal{t::kN3WithoutN2, B::Cancel, T::TabSheet3};
    return std::nullopt;
}
