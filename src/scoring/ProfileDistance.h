#pragma once

#include <array>

#include <optional>
#include "stats/Extended.h"

#include "scoring/IndexResults.h"
#include "scoring/MatrixOrder.h"

namespace kalden {

// The Mahalanobis distance of a profile of n variables (n up to MAX_ORDER)
// from its population means, referred to chi-square with n degrees of
// freedom. Computed in extended precision.

inline const Extended PIVOT_THRESHOLD = KALDEN_EXTENDED(1e-10);

using ProfileVector = std::array<Extended, MAX_ORDER>;
using ProfileMatrix = std::array<Extended, MAX_ORDER * MAX_ORDER>; // row-major, element (i, j) at i * MAX_ORDER + j

struct ProfileDistanceResult {
    Extended chiSquare = 0; // D squared
    Extended p = 1;
};

// Inverse of the leading n x n block of `a` by Gauss-Jordan elimination with
// row exchange (first usable pivot, not the largest). Empty when a column has
// no pivot of magnitude at least PIVOT_THRESHOLD.
std::optional<ProfileMatrix> invertMatrix(ProfileMatrix a, int n);

// v' A v over the leading n entries.
Extended quadraticForm(const ProfileMatrix& a, const ProfileVector& v, int n);

// The general routine; the arguments are copies and the caller's data stay as
// they were.
ProfileDistanceResult profileDistance(int n, ProfileVector x, ProfileVector means, ProfileVector sds, ProfileMatrix r);

// The correlation matrix of the four Indexes (VC, PO, WM, PS), each
// intercorrelation held as the extended value nearest to its decimal.
ProfileMatrix indexCorrelationMatrix();

// The report's call: the four observed Index scores (VC, PO, WM, PS), means
// 100, SDs 15 and the fixed Index intercorrelations.
ProfileDistanceResult indexProfileDistance(const IndexResults& results);

} // namespace kalden
