// Built with the software extended type on a machine whose long double is
// x87 extended: its texts must be those of the C++ library for the same
// values. (Normal numbers only: the software type has no subnormals, and no
// computed value comes near 1e-4931.)

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "format/ShortestText.h"
#include "stats/Extended.h"

using namespace kalden;

namespace {

std::vector<long double> testValues() {
    using limits = std::numeric_limits<long double>;
    std::vector<long double> values{0.0L,
                                    -0.0L,
                                    1.0L,
                                    0.1L,
                                    1e-5L,
                                    1e-4L,
                                    123456.0L,
                                    1e16L,
                                    1e17L,
                                    1e20L,
                                    1e21L,
                                    2.924458652216L,
                                    0.5705456152L,
                                    limits::max(),
                                    limits::min(),
                                    limits::infinity(),
                                    -limits::infinity(),
                                    limits::epsilon()};
    // Powers of two (whose neighbours are unevenly spaced) and the values
    // next to them, whole numbers about 2^63 and 2^64, and random
    // significands at exponents over the whole normal range.
    for (int e = -16381; e <= 16383; e += 7) {
        const long double power = std::ldexp(1.0L, e);
        values.push_back(power);
        values.push_back(std::nextafter(power, 0.0L));
        values.push_back(std::nextafter(power, limits::infinity()));
    }
    for (long double whole = 0x1p63L - 40; whole < 0x1p63L + 40; ++whole) values.push_back(whole);
    for (long double whole = 0x1p64L - 80; whole < 0x1p64L + 80; whole += 2) values.push_back(whole);
    std::mt19937_64 random(20261209);
    std::uniform_int_distribution<int> anyExponent(-16380, 16380);
    for (int i = 0; i < 20000; ++i)
        values.push_back(std::ldexp(static_cast<long double>(random() | (1ULL << 63)) / 0x1p64L, anyExponent(random)));
    std::uniform_int_distribution<int> exponent(-70, 70);
    for (int i = 0; i < 20000; ++i) {
        // Every bit of the significand set at random.
        const long double significand = static_cast<long double>(random() | (1ULL << 63)) / 0x1p64L;
        const long double v = std::ldexp(significand, exponent(random));
        values.push_back(i % 2 ? v : -v);
        values.push_back(static_cast<double>(v)); // a double's value
        values.push_back(std::nearbyint(v * 1000) / 1000);
    }
    return values;
}

} // namespace

TEST(ExtendedParity, ShortestTextIsThatOfToChars) {
    int compared = 0;
    for (const long double v : testValues()) {
        char buffer[64];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
        std::string mine;
        appendShortest(mine, Extended(v));
        ASSERT_EQ(mine, std::string(buffer, end)) << "%La " << static_cast<double>(v);
        ++compared;
    }
    EXPECT_EQ(compared, 94221);
}

// The software core writes doubles without the C++ library's to_chars (which
// WebAssembly's lacks): the same texts, powers of two (whose neighbours are
// unevenly spaced), whole numbers and subnormals included.
TEST(ExtendedParity, ShortestDoubleTextIsThatOfToChars) {
    std::vector<double> values{0.0,
                               -0.0,
                               5e-324,
                               2.2250738585072014e-308,
                               1.7976931348623157e308,
                               1e22,
                               1e23,
                               9007199254740993.0,
                               123456789012345680000.0,
                               0.3,
                               1e-5,
                               1e-4,
                               1e16,
                               1e15,
                               100};
    for (int e = -1074; e <= 1023; ++e) values.push_back(std::ldexp(1.0, e));
    std::mt19937_64 random(20261209);
    std::uniform_int_distribution<int> exponent(-80, 80);
    for (int i = 0; i < 30000; ++i) {
        const double v = std::ldexp(static_cast<double>(random() >> 11) / 0x1p53, exponent(random));
        values.push_back(i % 2 ? v : -v);
        values.push_back(std::nearbyint(v * 1e3));
    }
    for (const double v : values) {
        char buffer[64];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
        std::string mine;
        appendShortest(mine, v);
        ASSERT_EQ(mine, std::string(buffer, end)) << "%a " << v;
    }
}

TEST(ExtendedParity, ADifferenceOfEqualNumbersIsPositiveZero) {
    const Extended one = 1, zero = 0;
    for (const Extended& difference : {1 - one, 1.0 - one, 2 - (one + 1), 0 - zero, one - 1, 1LL - one, 1U - one})
        EXPECT_FALSE(xmath::signbit(difference));
    EXPECT_TRUE(xmath::signbit(-zero - 0)); // -0 - 0 is -0
}

TEST(ExtendedParity, EighteenDigitsAreThoseOfPrintf) {
    for (const long double v : testValues()) {
        if (!std::isfinite(v)) continue;
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.17Le", v);
        ASSERT_EQ(scientificDigits18(Extended(v)), buffer);
    }
}
