#pragma once

#include <gtest/gtest.h>

#include <cmath>

#if KALDEN_SOFTWARE_EXTENDED
#include <boost/math/special_functions/next.hpp>
#endif

#include "stats/Extended.h"

namespace kalden {

// An extended constant written in a test: 0.25_x is the extended value
// nearest to 0.25. Where long double is x87 extended it is the compiler's
// own reading of 0.25L (a library's reading may round through a double, as
// mingw-w64's does); the software type reads the text itself (elsewhere an
// L literal is another type's).
#if KALDEN_SOFTWARE_EXTENDED
inline Extended operator""_x(const char* text) { return Extended(text); }
#else
constexpr long double operator""_x(long double value) { return value; }
constexpr long double operator""_x(unsigned long long value) { return static_cast<long double>(value); }
#endif

} // namespace kalden

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
