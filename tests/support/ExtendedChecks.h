#pragma once

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>

#if KALDEN_SOFTWARE_EXTENDED
#include <boost/math/special_functions/next.hpp>
#endif

#include "stats/Extended.h"

namespace kalden {

// An extended constant written in a test: 0.25_x is the extended value
// nearest to 0.25, as the compiler reads 0.25L where long double is x87
// extended (elsewhere an L literal is another type's).
inline Extended operator""_x(const char* text) {
#if KALDEN_SOFTWARE_EXTENDED
    return Extended(text);
#else
    long double value = 0;
    std::from_chars(text, text + std::strlen(text), value);
    return value;
#endif
}

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
