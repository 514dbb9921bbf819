#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#if KALDEN_SOFTWARE_EXTENDED
#include <boost/multiprecision/cpp_bin_float.hpp>
#endif

namespace kalden {

// The extended precision the distribution library and the profile distance
// compute in: a binary real with a 64-bit significand and round-to-nearest
// arithmetic, the x87 extended format. Where the compiler's long double is
// that format (GCC and Clang on x86-64, mingw-w64), it is long double. Where
// it is not (WebAssembly, whose long double is a 128-bit quad with
// double-precision exp and log), it is Boost.Multiprecision's software type
// of the same format, whose operations and functions round to those 64 bits,
// so that every target prints the same digits. The build chooses
// (cmake/ExtendedPrecision.cmake) and refuses a target that has neither.
#if KALDEN_SOFTWARE_EXTENDED
using Extended = boost::multiprecision::cpp_bin_float_double_extended;
// An extended constant from its decimal text: the extended value nearest to
// the decimal, as the compiler gives it for an L literal. The text is read
// once, where the constant is first met, not at every use: reading it takes
// longer than the arithmetic it is used in.
#define KALDEN_EXTENDED(literal)                                  \
    ([]() -> const ::kalden::Extended& {                          \
        static const ::kalden::Extended kaldenConstant(#literal); \
        return kaldenConstant;                                    \
    }())
// Boost takes a plain number less an Extended as the other difference
// negated, which makes 1 - 1 a negative zero; the format's own arithmetic,
// and long double's, give +0.
#define KALDEN_DIFFERENCE_FROM(T)                                                 \
    inline Extended operator-(T a, const Extended& b) { return Extended(a) - b; } \
    inline Extended operator-(T a, Extended&& b) { return Extended(a) - b; }
KALDEN_DIFFERENCE_FROM(int)
KALDEN_DIFFERENCE_FROM(unsigned)
KALDEN_DIFFERENCE_FROM(long)
KALDEN_DIFFERENCE_FROM(unsigned long)
KALDEN_DIFFERENCE_FROM(long long)
KALDEN_DIFFERENCE_FROM(unsigned long long)
KALDEN_DIFFERENCE_FROM(float)
KALDEN_DIFFERENCE_FROM(double)
#undef KALDEN_DIFFERENCE_FROM
// A finite value other than zero as its 64-bit significand, the top bit
// set, times 2^exponent, read from the software type's own fields.
inline void significandOf(const Extended& value, std::uint64_t& significand, int& exponent) {
    const auto& bits = value.backend().bits();
    constexpr int LimbBits = 8 * sizeof *bits.limbs();
    significand = 0;
    for (unsigned i = bits.size(); i-- > 0;)
        significand =
            static_cast<std::uint64_t>((static_cast<unsigned __int128>(significand) << LimbBits) | bits.limbs()[i]);
    exponent = value.backend().exponent() - 63;
}
#else
using Extended = long double;
#define KALDEN_EXTENDED(literal) literal##L
#endif

static_assert(std::numeric_limits<Extended>::digits == 64 && std::numeric_limits<Extended>::radix == 2,
              "kalden needs a real with a 64-bit significand (x87 extended precision) for its extended "
              "computations; otherwise the reports would print other digits");

// The mathematical functions for Extended arguments and for doubles alike:
// call them as xmath::sqrt(x). The exponential and the logarithm are the
// program's own (below), so that they give the same bits on every target.
namespace xmath {
using std::fabs;
using std::frexp;
using std::isfinite;
using std::isinf;
using std::isnan;
using std::ldexp;
using std::llround;
using std::nearbyint;
using std::signbit;
using std::sqrt;
using std::trunc;
#if KALDEN_SOFTWARE_EXTENDED
using boost::multiprecision::fabs;
using boost::multiprecision::frexp;
using boost::multiprecision::isfinite;
using boost::multiprecision::isinf;
using boost::multiprecision::isnan;
using boost::multiprecision::ldexp;
using boost::multiprecision::llround;
using boost::multiprecision::nearbyint;
using boost::multiprecision::signbit;
using boost::multiprecision::sqrt;
using boost::multiprecision::trunc;
#endif

// e^x and ln x of an Extended, within about one unit in the last place, from
// the four operations alone, each rounded to nearest. The compiler's library
// (expl and logl) and Boost's differ from each other, and from the correctly
// rounded value, in the last bits of 10 to 90 in 100 arguments; these give
// the same bits wherever the operations are those of the 64-bit format.
// Below e^-11354, where the results would leave the normal range, exp gives
// 0.
Extended exp(const Extended& x);
Extended log(const Extended& x);
// e^x of a double within one unit in the last place, from the four
// operations alone, so that it gives the same bits on every target (the C
// libraries' exp differ in the last bit between themselves, and glibc's
// between machines with and without fused multiply-add).
double exp(double x);
} // namespace xmath

// An Extended as a double, rounded to nearest.
inline double toDouble(const Extended& x) { return static_cast<double>(x); }

// The value's 18 significant digits, correctly rounded, in the form printf's
// "%.17Le" writes ("-4.00000000000000019e-04"), on every target.
std::string scientificDigits18(const Extended& value);

} // namespace kalden
