#include "format/EighteenDigits.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>

namespace kalden::digits {

namespace {

// The report prints some eighty numbers, and printf's "%.17Le" took most of
// the report's time; values of ordinary size are now taken to 18 digits by
// exact integer arithmetic below, which gives printf's very digits, and only
// the rest by printf.

using Wide = unsigned __int128;
constexpr int MaxPowerOfFive = 32; // 2^53 * 5^32 < 2^128; 2^64 * 5^27 < 2^128

constexpr std::array<Wide, MaxPowerOfFive + 1> powersOfFive() {
    std::array<Wide, MaxPowerOfFive + 1> p{};
    p[0] = 1;
    for (int i = 1; i <= MaxPowerOfFive; ++i) p[static_cast<std::size_t>(i)] = p[static_cast<std::size_t>(i - 1)] * 5;
    return p;
}
constexpr std::array<Wide, MaxPowerOfFive + 1> PowersOfFive = powersOfFive();

// m * 2^e to 18 significant digits, as printf rounds: round(m * 2^e * 10^k)
// for the k that makes it an 18-digit integer, in 128-bit integers, a tie
// going to the even neighbour. False where the product would not fit
// (magnitudes below about 1e-15 or from 1e18 on).
bool roundToEighteenDigits(std::uint64_t m, int e, Scaled& s) {
    const int maxK = std::bit_width(m) > 53 ? 27 : MaxPowerOfFive;
    // m * 2^e lies in [2^x, 2^(x+1)), so floor(log10) is floor(x log10 2) or
    // one more; (n * 78913) >> 18 is floor(n log10 2) for 0 <= n <= 1650.
    const int x = e + std::bit_width(m) - 1;
    if (x < -1650 || x > 1650) return false;
    int q = x >= 0 ? (x * 78913) >> 18 : -((-x * 78913) >> 18) - 1;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int k = SignificantDigits - 1 - q;
        if (k < 0 || k > maxK) return false;
        const Wide product = static_cast<Wide>(m) * PowersOfFive[static_cast<std::size_t>(k)];
        const int shift = e + k; // the 2^k of 10^k joins the binary exponent
        Wide truncated;
        bool roundUp = false;
        if (shift >= 0) {
            if (shift >= 64 || (product >> (64 - shift)) != 0) return false;
            truncated = product << shift; // an integer already
        } else {
            const int drop = -shift;
            if (drop >= 128) return false;
            truncated = product >> drop;
            const Wide rest = product - (truncated << drop);
            const Wide half = static_cast<Wide>(1) << (drop - 1);
            roundUp = rest > half || (rest == half && (truncated & 1) != 0);
        }
        // The exponent is decided on the unrounded value.
        if (truncated >= TenTo18) {
            ++q;
            continue;
        }
        if (truncated < TenTo17) return false; // not expected; printf decides
        s.n = static_cast<std::uint64_t>(truncated) + (roundUp ? 1 : 0);
        s.exponent = q;
        if (s.n == TenTo18) { // 9.99..95 and up rounds to the next power of ten
            s.n = TenTo17;
            ++s.exponent;
        }
        return true;
    }
    return false;
}

// A double from its own bits: most printed values are doubles, and reading
// a long double argument back from memory stalls the processor.
} // namespace

bool scaledOf(double value, Scaled& s) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    s.negative = (bits >> 63) != 0;
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    std::uint64_t m = bits & ((1ULL << 52) - 1);
    if (biased == 0 && m == 0) {
        s.n = 0;
        s.exponent = 0;
        return true;
    }
    if (biased == 0 || biased == 0x7FF) return false; // subnormal, infinite, NaN
    m |= 1ULL << 52;
    const int zeros = std::countr_zero(m); // shorter significands allow more powers of five
    return roundToEighteenDigits(m >> zeros, biased - 1075 + zeros, s);
}

bool scaledOf(const Extended& value, Scaled& s) {
    using Limits = std::numeric_limits<Extended>;
    std::uint64_t m = 0;
    int e = 0;
    if constexpr (std::is_same_v<Extended, long double> && Limits::digits == 64 && Limits::max_exponent == 16384) {
        // The x87 extended format: 64-bit significand with its integer bit,
        // then sign and 15-bit exponent. Read as bits: the floating-point
        // tests (signbit, frexpl) stall on the x87 status word.
        unsigned char bytes[sizeof(Extended)];
        std::memcpy(bytes, &value, sizeof bytes);
        std::uint16_t signAndExponent;
        std::memcpy(&m, bytes, sizeof m);
        std::memcpy(&signAndExponent, bytes + 8, sizeof signAndExponent);
        s.negative = (signAndExponent >> 15) != 0;
        const int biased = signAndExponent & 0x7FFF;
        if (biased == 0 && m == 0) {
            s.n = 0;
            s.exponent = 0;
            return true;
        }
        if (biased == 0 || biased == 0x7FFF || (m >> 63) == 0) return false;
        e = biased - 16383 - 63;
    } else {
        s.negative = xmath::signbit(value);
        if (value == 0) {
            s.n = 0;
            s.exponent = 0;
            return true;
        }
        if (!xmath::isfinite(value) || Limits::digits > 64) return false;
#if KALDEN_SOFTWARE_EXTENDED
        significandOf(value, m, e);
#else
        int exponent = 0;
        const Extended fraction = xmath::frexp(xmath::fabs(value), &exponent); // in [0.5, 1)
        m = static_cast<std::uint64_t>(xmath::ldexp(fraction, 64));            // exact
        e = exponent - 64;
#endif
    }
    const int zeros = std::countr_zero(m);
    return roundToEighteenDigits(m >> zeros, e + zeros, s);
}

namespace {

// The nine decimal digits of v (below 10^9), leading zeros included, two at
// a time.
void writeNineDigits(std::uint32_t v, char* out) {
    static constexpr char pairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    for (int i = 7; i >= 1; i -= 2) {
        const std::uint32_t pair = v % 100;
        v /= 100;
        out[i] = pairs[2 * pair];
        out[i + 1] = pairs[2 * pair + 1];
    }
    out[0] = static_cast<char>('0' + v);
}

template <typename Real>
Decimal eighteenDigitsOf(const Real& value) {
    Decimal d;
    Scaled s;
    if (scaledOf(value, s)) {
        d.negative = s.negative;
        d.exponent = s.exponent;
        writeNineDigits(static_cast<std::uint32_t>(s.n / 1000000000), d.digits);
        writeNineDigits(static_cast<std::uint32_t>(s.n % 1000000000), d.digits + 9);
        return d;
    }
    const std::string text = scientificDigits18(Extended(value));
    const char* const buf = text.c_str();
    const char* const end = buf + text.size();
    const char* p = buf;
    if (*p == '-') {
        d.negative = true;
        ++p;
    }
    int count = 0;
    for (; p < end && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9' && count < SignificantDigits) d.digits[count++] = *p;
    }
    if (p < end && *p == 'e') {
        ++p;
        const bool negativeExponent = p < end && *p == '-';
        if (p < end && (*p == '-' || *p == '+')) ++p;
        for (; p < end; ++p) d.exponent = d.exponent * 10 + (*p - '0');
        if (negativeExponent) d.exponent = -d.exponent;
    }
    return d;
}

} // namespace

Decimal toEighteenDigits(double value) { return eighteenDigitsOf(value); }
Decimal toEighteenDigits(const Extended& value) { return eighteenDigitsOf(value); }

} // namespace kalden::digits
