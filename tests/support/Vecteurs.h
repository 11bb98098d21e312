#pragma once
// One comparison of vectors for the engine tests, with the tolerances named for what they
// allow.

#include "engine/ProcsVecteurs.h"

#include <gtest/gtest.h>

#include <cmath>

namespace test {

/// Rounding of a few dozen operations on speeds of a few hundred cm/s.
inline constexpr double TolVitesse = 1e-9; // cm/s
/// Rounding of one impact on positions of a table's size.
inline constexpr double TolPosition = 1e-9; // cm

/// Every component of `a` within `tol` of the same component of `b`; the failure message
/// shows both vectors whole.
inline ::testing::AssertionResult VecteursProches(const TVecteur& a, const TVecteur& b,
                                                  double tol) {
    if (std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol && std::fabs(a.z - b.z) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << a.x << ", " << a.y << ", " << a.z << ") and (" << b.x << ", " << b.y << ", "
           << b.z << ") differ by more than " << tol;
}

} // namespace test
