#include "stats/Extended.h"

#include <array>
#include <cfloat>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ios>
#include <limits>

namespace kalden {

namespace {

// ln 2 as a high part of 48 significant bits, so that k times it is exact
// for every exponent k of the format, and the rest.
const Extended& ln2High() {
    static const Extended value = KALDEN_EXTENDED(0.693147180559943620892227045260369777679443359375);
    return value;
}
const Extended& ln2Low() {
    static const Extended value = KALDEN_EXTENDED(1.688525005076197806790396e-15);
    return value;
}

// 1/n! for n = 2 to 17: the Taylor series of e^r, |r| <= ln 2 / 2, to well
// below the last place.
const std::array<Extended, 16>& exponentialTerms() {
    static const std::array<Extended, 16> terms{
        KALDEN_EXTENDED(5.000000000000000000000000e-1),  KALDEN_EXTENDED(1.666666666666666666666667e-1),
        KALDEN_EXTENDED(4.166666666666666666666667e-2),  KALDEN_EXTENDED(8.333333333333333333333333e-3),
        KALDEN_EXTENDED(1.388888888888888888888889e-3),  KALDEN_EXTENDED(1.984126984126984126984127e-4),
        KALDEN_EXTENDED(2.480158730158730158730159e-5),  KALDEN_EXTENDED(2.755731922398589065255732e-6),
        KALDEN_EXTENDED(2.755731922398589065255732e-7),  KALDEN_EXTENDED(2.505210838544171877505211e-8),
        KALDEN_EXTENDED(2.087675698786809897921009e-9),  KALDEN_EXTENDED(1.605904383682161459939238e-10),
        KALDEN_EXTENDED(1.147074559772972471385170e-11), KALDEN_EXTENDED(7.647163731819816475901132e-13),
        KALDEN_EXTENDED(4.779477332387385297438207e-14), KALDEN_EXTENDED(2.811457254345520763198946e-15)};
    return terms;
}

// 2/(2k+1) for k = 1 to 14: ln((1+s)/(1-s)) = 2s + s (2s^2/3 + 2s^4/5 + ...),
// |s| <= 0.1716.
const std::array<Extended, 14>& logarithmTerms() {
    static const std::array<Extended, 14> terms{
        KALDEN_EXTENDED(6.666666666666666666666667e-1), KALDEN_EXTENDED(4.000000000000000000000000e-1),
        KALDEN_EXTENDED(2.857142857142857142857143e-1), KALDEN_EXTENDED(2.222222222222222222222222e-1),
        KALDEN_EXTENDED(1.818181818181818181818182e-1), KALDEN_EXTENDED(1.538461538461538461538462e-1),
        KALDEN_EXTENDED(1.333333333333333333333333e-1), KALDEN_EXTENDED(1.176470588235294117647059e-1),
        KALDEN_EXTENDED(1.052631578947368421052632e-1), KALDEN_EXTENDED(9.523809523809523809523810e-2),
        KALDEN_EXTENDED(8.695652173913043478260870e-2), KALDEN_EXTENDED(8.000000000000000000000000e-2),
        KALDEN_EXTENDED(7.407407407407407407407407e-2), KALDEN_EXTENDED(6.896551724137931034482759e-2)};
    return terms;
}

} // namespace

// x = k ln 2 + r, and e^x = 2^k e^r.
Extended xmath::exp(const Extended& x) {
    if (isnan(x)) return x;
    if (x > KALDEN_EXTENDED(11356.5)) return std::numeric_limits<Extended>::infinity();
    if (x < KALDEN_EXTENDED(-11354.0)) return 0;
    const Extended t = x * KALDEN_EXTENDED(1.442695040888963407359924681);
    const Extended k = trunc(t >= 0 ? t + KALDEN_EXTENDED(0.5) : t - KALDEN_EXTENDED(0.5));
    const Extended r = (x - k * ln2High()) - k * ln2Low();
    const std::array<Extended, 16>& c = exponentialTerms();
    Extended p = c.back();
    for (std::size_t n = c.size() - 1; n-- > 0;) p = p * r + c[n];
    p = p * r + 1;
    p = p * r + 1;
    return ldexp(p, static_cast<int>(llround(k)));
}

// x = 2^e m with sqrt(1/2) <= m < sqrt(2); ln m = ln(1+f) with f = m - 1
// exact, by s = f / (2 + f) (the arrangement of fdlibm's log).
Extended xmath::log(const Extended& x) {
    if (isnan(x)) return x;
    if (x < 0) return std::numeric_limits<Extended>::quiet_NaN();
    if (x == 0) return -std::numeric_limits<Extended>::infinity();
    if (isinf(x)) return x;
    int e = 0;
    Extended m = frexp(x, &e);
    if (m < KALDEN_EXTENDED(0.7071067811865475244008443621)) {
        m = m * 2;
        --e;
    }
    const Extended f = m - 1;
    const Extended s = f / (2 + f);
    const Extended z = s * s;
    const std::array<Extended, 14>& c = logarithmTerms();
    Extended r = c.back();
    for (std::size_t k = c.size() - 1; k-- > 0;) r = r * z + c[k];
    r = r * z;
    const Extended halfSquare = f * f / 2;
    const Extended k = e;
    return k * ln2High() - ((halfSquare - (s * (halfSquare + r) + k * ln2Low())) - f);
}

namespace xmath {

// Doubles are evaluated in their own format (SSE2 on x86-64 and mingw-w64,
// WebAssembly's f64), never in a wider one, or the shift and the
// polynomial below would round differently.
static_assert(FLT_EVAL_METHOD == 0, "double arithmetic must round to double at every operation");

namespace {
// 2^n for a normal power, -1022 <= n <= 1023, from its exponent bits.
double powerOfTwo(int n) {
    const std::uint64_t bits = static_cast<std::uint64_t>(n + 1023) << 52;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
} // namespace

// The classic reduction x = k ln 2 + r, |r| <= ln 2 / 2, with ln 2 in two
// parts (k ln2High exact for |k| < 2^11), and e^r from a rational form whose
// minimax polynomial keeps the error under one unit in the last place. No
// library function is on the path: k is rounded by the shift below and 2^k
// is built from its bits. Every operation is one rounded double operation:
// the build keeps -ffp-contract=off (no fused multiply-add on any target),
// and the assertion above keeps out x87 excess precision.
double exp(double x) {
    if (x != x) return x;
    if (x > 709.782712893384) return HUGE_VAL;
    if (x < -745.1332191019412) return 0.0;
    constexpr double Ln2High = 6.93147180369123816490e-01;
    constexpr double Ln2Low = 1.90821492927058770002e-10;
    constexpr double InverseLn2 = 1.44269504088896338700e+00;
    constexpr double P1 = 1.66666666666666019037e-01;
    constexpr double P2 = -2.77777777770155933842e-03;
    constexpr double P3 = 6.61375632143793436117e-05;
    constexpr double P4 = -1.65339022054652515390e-06;
    constexpr double P5 = 4.13813679705723846039e-08;
    // 1.5 * 2^52: the sum's last place is 1, so adding and taking it away
    // rounds |t| < 2^51 to the nearest whole number, ties to even, as
    // nearbyint does in the default rounding mode.
    constexpr double RoundingShift = 6755399441055744.0;
    const double k = (x * InverseLn2 + RoundingShift) - RoundingShift;
    const double high = x - k * Ln2High;
    const double low = k * Ln2Low;
    const double r = high - low;
    const double t = r * r;
    const double c = r - t * (P1 + t * (P2 + t * (P3 + t * (P4 + t * P5))));
    const double y = 1.0 - ((low - (r * c) / (2.0 - c)) - high);
    const int n = static_cast<int>(k);
    if (n >= -1022 && n <= 1023) return y * powerOfTwo(n);
    // Two steps, so that neither factor leaves the normal range; a result
    // below it is rounded once, by the last.
    return (y * powerOfTwo(n / 2)) * powerOfTwo(n - n / 2);
}
} // namespace xmath

std::string scientificDigits18(const Extended& value) {
#if KALDEN_SOFTWARE_EXTENDED
    return value.str(17, std::ios_base::scientific);
#else
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17Le", value);
    return buffer;
#endif
}

} // namespace kalden
