#include "stats/distrib.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

// The distribution library's module functions: the bound checks and their
// messages, the gamma function and the regularized incomplete gamma
// function, powers, and the uniform random generator.

namespace kalden {

namespace {

// Lanczos series: gamma = 5, six coefficients, and sqrt(2 pi).
const std::array<Extended, 6> LanczosCoefficients = {
    KALDEN_EXTENDED(76.18009172947146),  -KALDEN_EXTENDED(86.50532032941677),    KALDEN_EXTENDED(24.01409824083091),
    -KALDEN_EXTENDED(1.231739572450155), KALDEN_EXTENDED(0.1208650973866179e-2), -KALDEN_EXTENDED(0.5395239384953e-5),
};
const Extended LanczosOffset = KALDEN_EXTENDED(5.5);
const Extended SqrtTwoPi = KALDEN_EXTENDED(2.5066282746310005);

// The power series is cut after this many terms beyond the first.
constexpr int SeriesTermLimit = 100;

// L'Ecuyer's two multiplicative congruential components (modulus, multiplier,
// and Schrage's quotient and remainder of modulus by multiplier).
constexpr std::int32_t M1 = 2147483563, A1 = 40014, Q1 = 53668, R1 = 12211;
constexpr std::int32_t M2 = 2147483399, A2 = 40692, Q2 = 52774, R2 = 3791;
// Scales the combined integer (1 to M1 - 1) into (0, 1). Written with these
// seven digits, slightly below 1 / M1, so no value reaches 1.
const Extended UniformScale = KALDEN_EXTENDED(4.656613e-10);

// A seed from the platform generator, itself seeded from the clock: the
// integer nearest to u * UNBOUNDED, plus 1, for a uniform u in [0, 1) of 31
// bits (so the seed stays within 1 to UNBOUNDED).
std::int32_t clockSeed(std::mt19937& platform) {
    const Extended u = static_cast<Extended>(platform() >> 1) / KALDEN_EXTENDED(2147483648.0);
    return static_cast<std::int32_t>(xmath::llround(u * UNBOUNDED) + 1);
}

UniformRandomSeeds& seeds() {
    static UniformRandomSeeds state = [] {
        std::mt19937 platform(
            static_cast<std::mt19937::result_type>(std::chrono::system_clock::now().time_since_epoch().count()));
        const std::int32_t s1 = clockSeed(platform);
        const std::int32_t s2 = clockSeed(platform);
        return UniformRandomSeeds{s1, s2};
    }();
    return state;
}

// Drawn at start, before any caller asks for a value.
[[maybe_unused]] const UniformRandomSeeds& startSeeds = seeds();

// The decimal digits of |value| rounded to twelve places, half away from
// zero, after the value is first taken to 18 significant digits: the rule by
// which the reports print numbers, so a bound reads as the report would
// print it. scientificDigits18 gives the 18 digits.
std::string twelveDecimalDigits(Extended value, bool& negative) {
    const std::string text = scientificDigits18(value);
    const char* const buf = text.c_str();
    negative = buf[0] == '-';
    std::string digits;
    const char* p = buf + (negative ? 1 : 0);
    for (; *p && *p != 'e'; ++p)
        if (*p != '.') digits.push_back(*p);
    const int exponent = std::atoi(p + 1);
    // Units of 10^-12 kept before rounding: the digits down to that place.
    const int kept = exponent + 1 + 12;
    if (kept <= 0) return (kept == 0 && digits[0] >= '5') ? "1" : "0";
    if (kept >= static_cast<int>(digits.size())) return digits + std::string(kept - digits.size(), '0');
    bool roundUp = digits[static_cast<std::size_t>(kept)] >= '5';
    digits.resize(static_cast<std::size_t>(kept));
    for (std::size_t i = digits.size(); roundUp;) {
        if (i == 0) {
            digits.insert(digits.begin(), '1');
            break;
        }
        char& d = digits[--i];
        roundUp = d == '9';
        d = roundUp ? '0' : static_cast<char>(d + 1);
    }
    return digits;
}

// A bound as the pattern "0.############": up to twelve decimals, trailing
// zeros and a bare decimal point dropped, '.' as separator.
std::string formatBound(Extended bound) {
    if (xmath::isnan(bound)) return "NAN";
    if (xmath::isinf(bound)) return bound < 0 ? "-INF" : "INF";
    bool negative = false;
    std::string units = twelveDecimalDigits(bound, negative);
    if (units.size() < 13) units.insert(0, 13 - units.size(), '0');
    const std::size_t integerDigits = units.size() - 12;
    const std::size_t first = std::min(units.find_first_not_of('0'), integerDigits - 1);
    std::string text = units.substr(first, integerDigits - first) + "." + units.substr(integerDigits);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    const bool isZero = units.find_first_not_of('0') == std::string::npos;
    return (negative && !isZero ? "-" : "") + text;
}

const char* boundPhrase(BoundCheck kind) {
    switch (kind) {
    case BoundCheck::GreaterThan: return " must be greater than ";
    case BoundCheck::AtLeast: return " must be at least ";
    case BoundCheck::LessThan: return " must be less than ";
    case BoundCheck::AtMost: return " must be at most ";
    }
    return "";
}

bool violates(BoundCheck kind, Extended value, Extended bound) {
    switch (kind) {
    case BoundCheck::GreaterThan: return bound >= value;
    case BoundCheck::AtLeast: return bound > value;
    case BoundCheck::LessThan: return bound <= value;
    case BoundCheck::AtMost: return bound < value;
    }
    return false;
}

// exp(a ln x - x - lnGamma(a)): the factor x^a e^-x / Gamma(a) shared by the
// series and the continued fraction.
Extended incompleteGammaPrefactor(Extended x, Extended a) {
    // The profile distance asks at one shape, case after case: each thread
    // keeps the last shape's lnGamma.
    thread_local bool known = false;
    thread_local Extended lastShape = 0, lastLnGamma = 0;
    if (!known || a != lastShape) {
        lastLnGamma = lnGamma(a);
        lastShape = a;
        known = true;
    }
    return xmath::exp(a * xmath::log(x) - x - lastLnGamma);
}

} // namespace

// ---- Module functions -------------------------------------------------

// Equality within the module tolerance (strict).
bool sameValue(Extended a, Extended b) { return xmath::fabs(b - a) < SAME_TOLERANCE; }

// A whole number: inside the 32-bit range and within tolerance of the nearest
// integer.
bool isWholeNumber(Extended x) { return xmath::fabs(x) < UNBOUNDED && sameValue(xmath::nearbyint(x), x); }

bool checkBound(BoundCheck kind, Extended value, Extended bound, const std::string& subject) {
    if (violates(kind, value, bound)) throw EArgumentError(subject + boundPhrase(kind) + formatBound(bound));
    return true;
}

bool checkCondition(bool condition, const std::string& text) {
    if (condition) throw EArgumentError(text);
    return true;
}

// Lanczos approximation with six coefficients (gamma = 5). Its own error is a
// few times 1e-11: lnGamma(1) and lnGamma(2) come out slightly below 0.
Extended lnGamma(Extended x) {
    Extended y = x - 1;
    Extended t = y + LanczosOffset;
    t = xmath::log(t) * (y + KALDEN_EXTENDED(0.5)) - t;
    Extended ser = 1;
    for (Extended c : LanczosCoefficients) {
        y = y + 1;
        ser = ser + c / y;
    }
    return t + xmath::log(SqrtTwoPi * ser);
}

// P(a, x) = x^a e^-x / Gamma(a) * sum x^n / (a (a+1) ... (a+n)). Stops when
// a term falls below the tolerance relative to the sum, or after
// SeriesTermLimit further terms (the sum so far is then used).
Extended gammaSeries(Extended x, Extended a) {
    if (sameValue(0, x)) return 0;
    Extended ap = a;
    Extended sum = 1 / a;
    Extended term = sum;
    int n = 1;
    do {
        ap = ap + 1;
        term = term * x / ap;
        sum = sum + term;
        n = n + 1;
    } while (!(xmath::fabs(sum) * SAME_TOLERANCE > xmath::fabs(term) || n > SeriesTermLimit));
    return sum * incompleteGammaPrefactor(x, a);
}

// Q(a, x) by the continued fraction 1/(x+ (1-a)/(1+ 1/(x+ (2-a)/(1+ 2/(x+ ...
// evaluated with the recurrence of successive convergents A/B, renormalized
// by 1/A1 at each pass to keep the numbers in range. No pass limit: it
// converges quickly wherever it is used (x >= a + 1).
Extended gammaContinuedFraction(Extended x, Extended a) {
    Extended a0 = 1, a1 = x, b0 = 0, b1 = 1;
    Extended fac = 1, g = 0, gOld = 1;
    int n = 1;
    do {
        const Extended an = n;
        const Extended ana = an - a;
        a0 = (a0 * ana + a1) * fac;
        b0 = (b0 * ana + b1) * fac;
        const Extended anf = an * fac;
        a1 = x * a0 + anf * a1;
        b1 = x * b0 + anf * b1;
        if (a1 != 0) {
            gOld = g;
            fac = 1 / a1;
            g = b1 * fac;
        }
        n = n + 1;
    } while (!(xmath::fabs((g - gOld) / g) < SAME_TOLERANCE));
    return incompleteGammaPrefactor(x, a) * g;
}

// The series converges fast below x = a + 1, the continued fraction above.
Extended regularizedGammaP(Extended x, Extended a) {
    checkBound(BoundCheck::AtLeast, x, 0, "Argument x");
    checkCondition(x > UNBOUNDED, "Argument x must not exceed 2147483647");
    checkBound(BoundCheck::GreaterThan, a, 0, "Shape a");
    checkCondition(a > UNBOUNDED, "Shape a must not exceed 2147483647");
    if (x < a + 1) return gammaSeries(x, a);
    return 1 - gammaContinuedFraction(x, a);
}

// L'Ecuyer's combined generator without a shuffle table; each component is
// advanced by Schrage's decomposition, which keeps every product within 32
// bits.
Extended uniformRandom() {
    UniformRandomSeeds& s = seeds();
    s.s1 = A1 * (s.s1 % Q1) - R1 * (s.s1 / Q1);
    if (s.s1 < 0) s.s1 = s.s1 + M1;
    s.s2 = A2 * (s.s2 % Q2) - R2 * (s.s2 / Q2);
    if (s.s2 < 0) s.s2 = s.s2 + M2;
    std::int32_t z = s.s1 - s.s2;
    if (z < 1) z = z + (M1 - 1);
    return z * UniformScale;
}

void seedUniformRandom(std::int32_t s1, std::int32_t s2) { seeds() = UniformRandomSeeds{s1, s2}; }

UniformRandomSeeds uniformRandomSeeds() { return seeds(); }

// A whole exponent goes to intPower (exact for small integers); any other by
// exp(exponent ln base).
Extended power(Extended base, Extended exponent) {
    if (exponent == 0) return 1;
    if (base == 0 && exponent > 0) return 0;
    if (exponent == xmath::trunc(exponent) && xmath::fabs(exponent) <= UNBOUNDED)
        return intPower(base, static_cast<std::int32_t>(exponent));
    return xmath::exp(exponent * xmath::log(base));
}

// Square-and-multiply over the bits of |n| from the lowest; a negative n
// gives the reciprocal.
Extended intPower(Extended base, std::int32_t n) {
    long long bits = n < 0 ? -static_cast<long long>(n) : n;
    Extended result = 1;
    Extended square = base;
    while (bits != 0) {
        if (bits & 1) result = result * square;
        square = square * square;
        bits >>= 1;
    }
    return n < 0 ? 1 / result : result;
}

} // namespace kalden
