#include "scoring/ProfileDistance.h"

#include <cmath>
#include <limits>
#include <utility>

#include "scoring/NormativeTables.h"
#include "stats/distrib.h"

namespace kalden {

namespace {

constexpr int IndexOrder = 4; // VC, PO, WM, PS; the Full Scale IQ takes no part

Extended& at(ProfileMatrix& m, int i, int j) { return m[static_cast<std::size_t>(i * MAX_ORDER + j)]; }
Extended at(const ProfileMatrix& m, int i, int j) { return m[static_cast<std::size_t>(i * MAX_ORDER + j)]; }
Extended& at(ProfileVector& v, int i) { return v[static_cast<std::size_t>(i)]; }
Extended at(const ProfileVector& v, int i) { return v[static_cast<std::size_t>(i)]; }

std::size_t slot(IndexId id) { return static_cast<std::size_t>(id); }

} // namespace

// Gauss-Jordan elimination with row exchange. The pivot of column k is the
// first row from k on whose entry reaches PIVOT_THRESHOLD (not the largest);
// its row is scaled to a unit pivot and the column cleared from every other
// row, with the same operations applied to B, which starts as the identity.
std::optional<ProfileMatrix> invertMatrix(ProfileMatrix a, int n) {
    ProfileMatrix b{};
    for (int i = 0; i < n; ++i) at(b, i, i) = 1;
    for (int k = 0; k < n; ++k) {
        int r = k;
        while (r < n && xmath::fabs(at(a, r, k)) < PIVOT_THRESHOLD) ++r;
        if (r == n) return std::nullopt;
        for (int j = 0; j < n; ++j) {
            std::swap(at(a, r, j), at(a, k, j));
            std::swap(at(b, r, j), at(b, k, j));
        }
        const Extended s = 1 / at(a, k, k);
        for (int j = 0; j < n; ++j) {
            at(a, k, j) = at(a, k, j) * s;
            at(b, k, j) = at(b, k, j) * s;
        }
        for (int i = 0; i < n; ++i) {
            if (i == k) continue;
            const Extended f = -at(a, i, k);
            for (int j = 0; j < n; ++j) {
                at(a, i, j) = f * at(a, k, j) + at(a, i, j);
                at(b, i, j) = f * at(b, k, j) + at(b, i, j);
            }
        }
    }
    return b;
}

// v' A v as (v' A) v: first t = v' A column by column, then t . v, each sum
// taken in increasing index order from 0.
Extended quadraticForm(const ProfileMatrix& a, const ProfileVector& v, int n) {
    ProfileVector t{};
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) at(t, i) = at(v, j) * at(a, j, i) + at(t, i);
    }
    Extended d2 = 0;
    for (int i = 0; i < n; ++i) d2 = d2 + at(t, i) * at(v, i);
    return d2;
}

namespace {

// The distance once R^-1 is at hand: standardize, then the quadratic form
// and its chi-square probability.
ProfileDistanceResult distanceWithInverse(int n, const ProfileVector& x, const ProfileVector& means,
                                          const ProfileVector& sds, const ProfileMatrix& inverse) {
    ProfileVector z{};
    for (int i = 0; i < n; ++i) at(z, i) = (at(x, i) - at(means, i)) / at(sds, i);
    ProfileDistanceResult result;
    result.chiSquare = quadraticForm(inverse, z, n);
    result.p = chiSquareUpperTail(result.chiSquare, n);
    return result;
}

} // namespace

// D^2 = z' R^-1 z for the standardized profile z, and its upper chi-square
// probability with n degrees of freedom. A correlation matrix that cannot be
// inverted (a column without a usable pivot) gives NaN for both: no matrix
// the program passes can do that, and there is no error result to carry it.
ProfileDistanceResult profileDistance(int n, ProfileVector x, ProfileVector means, ProfileVector sds, ProfileMatrix r) {
    const std::optional<ProfileMatrix> inverse = invertMatrix(r, n);
    if (!inverse) {
        const Extended nan = std::numeric_limits<Extended>::quiet_NaN();
        return {nan, nan};
    }
    return distanceWithInverse(n, x, means, sds, *inverse);
}

ProfileMatrix indexCorrelationMatrix() {
    ProfileMatrix r{};
    for (int i = 0; i < IndexOrder; ++i) at(r, i, i) = 1;
    for (std::size_t k = 0; k < PairCount; ++k) {
        const PairMembers pair = pairMembers(pairAt(k));
        const int i = static_cast<int>(pair.first), j = static_cast<int>(pair.second);
        at(r, i, j) = IndexCorrelationsExtended[k];
        at(r, j, i) = IndexCorrelationsExtended[k];
    }
    return r;
}

ProfileDistanceResult indexProfileDistance(const IndexResults& results) {
    ProfileVector x{}, means{}, sds{};
    for (IndexId id : {IndexId::VC, IndexId::PO, IndexId::WM, IndexId::PS}) {
        x[slot(id)] = results[id].score;
        means[slot(id)] = IndexMeanExtended;
        sds[slot(id)] = IndexSdExtended;
    }
    // R is fixed, and so is its inverse: the same elimination runs once, not
    // for every case (it cost a sixth of a case's computation).
    static const ProfileMatrix inverse = *invertMatrix(indexCorrelationMatrix(), IndexOrder);
    return distanceWithInverse(IndexOrder, x, means, sds, inverse);
}

} // namespace kalden
