#pragma once

#include <ceres/jet.h>

namespace ceres {

// The surface formulas call fabs, as for double; Ceres' jet names it abs.
template <typename T, int N> inline Jet<T, N> fabs(const Jet<T, N>& f) {
    return abs(f);
}

} // namespace ceres
