#pragma once

#include <gtest/gtest.h>

#include <cmath>

#if KALDEN_SOFTWARE_EXTENDED
#include <boost/math/special_functions/next.hpp>
#endif

#include "stats/Extended.h"

namespace kalden::testing {

// |a - b| <= tolerance, worked out in extended precision (EXPECT_NEAR would
// take both to double first).
#define EXPECT_EXTENDED_NEAR(a, b, tolerance)                                                                      \
    EXPECT_LE(::kalden::xmath::fabs(::kalden::Extended(a) - ::kalden::Extended(b)), ::kalden::Extended(tolerance)) \
        << "of " << ::kalden::Extended(a) << " and " << ::kalden::Extended(b)

// The next extended value towards zero.
inline Extended nextTowardZero(const Extended& x) {
#if KALDEN_SOFTWARE_EXTENDED
    return x > 0 ? boost::math::float_prior(x) : boost::math::float_next(x);
#else
    return std::nextafter(x, 0.0L);
#endif
}

} // namespace kalden::testing
