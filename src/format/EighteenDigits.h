#pragma once

#include <array>
#include <cstdint>

#include "stats/Extended.h"

namespace kalden::digits {

// A value taken to 18 significant decimal digits, as printf's "%.17Le" takes
// it (a tie to the even neighbour): the first step of printing every number.

inline constexpr int SignificantDigits = 18;

struct Decimal {
    bool negative = false;
    char digits[SignificantDigits + 1] = {}; // 18 significant digits, then NUL
    int exponent = 0;                        // value = d0.d1d2... x 10^exponent
};

// The same 18 digits as one integer: |value| = n x 10^(exponent - 17), n in
// [10^17, 10^18), or n = 0 for zero.
struct Scaled {
    bool negative = false;
    std::uint64_t n = 0;
    int exponent = 0;
};

constexpr std::array<std::uint64_t, 20> powersOfTen() {
    std::array<std::uint64_t, 20> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 10;
    return p;
}
constexpr std::array<std::uint64_t, 20> PowersOfTen = powersOfTen();
constexpr std::uint64_t TenTo17 = PowersOfTen[17];
constexpr std::uint64_t TenTo18 = PowersOfTen[18];

// The 18 digits as one integer, in exact integer arithmetic; false for the
// values that do not fit (magnitudes below about 1e-15 or from 1e18 on),
// which toEighteenDigits takes through printf.
bool scaledOf(double value, Scaled& s);
bool scaledOf(const Extended& value, Scaled& s);
// Finite values only.
Decimal toEighteenDigits(double value);
Decimal toEighteenDigits(const Extended& value);

} // namespace kalden::digits
