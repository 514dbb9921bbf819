#include "format/NumberFormat.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <type_traits>

namespace kalden {

namespace {

// Global because every printed number in the program follows the user's one locale, read once at start.
char g_separator = '.';

constexpr int SignificantDigits = 18;

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

constexpr std::array<std::uint64_t, 20> powersOfTen() {
    std::array<std::uint64_t, 20> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 10;
    return p;
}
constexpr std::array<std::uint64_t, 20> PowersOfTen = powersOfTen();
constexpr std::uint64_t TenTo17 = PowersOfTen[17];
constexpr std::uint64_t TenTo18 = PowersOfTen[18];

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
        int exponent = 0;
        const Extended fraction = xmath::frexp(xmath::fabs(value), &exponent); // in [0.5, 1)
        m = static_cast<std::uint64_t>(xmath::ldexp(fraction, 64));            // exact
        e = exponent - 64;
    }
    const int zeros = std::countr_zero(m);
    return roundToEighteenDigits(m >> zeros, e + zeros, s);
}

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
Decimal toEighteenDigits(Real value) {
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

// Adds one unit to the last digit of a digit string; a carry out of the
// front gives the string a leading "1".
void incrementDigits(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] == '9') {
            digits[i] = '0';
        } else {
            ++digits[i];
            return;
        }
    }
    digits.insert(digits.begin(), '1');
}

template <typename Real>
std::string nonFinite(const Real& value) {
    if (xmath::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

void appendPadded(std::string& out, std::string_view text, int width) {
    if (static_cast<int>(text.size()) < width) out.append(static_cast<std::size_t>(width) - text.size(), ' ');
    out.append(text);
}

void appendFixedText(std::string& out, bool minus, std::string_view integerPart, std::string_view fraction, int width,
                     char separator) {
    const std::size_t length = (minus ? 1 : 0) + integerPart.size() + (fraction.empty() ? 0 : fraction.size() + 1);
    if (static_cast<int>(length) < width) out.append(static_cast<std::size_t>(width) - length, ' ');
    if (minus) out.push_back('-');
    out.append(integerPart);
    if (!fraction.empty()) {
        out.push_back(separator);
        out.append(fraction);
    }
}

// "%w.df" of a value held as an 18-digit integer, in integer arithmetic:
// the units of 10^-decimals are the digits down to that place, rounded up
// when the first dropped digit is 5 or more. False when they would not fit
// 64 bits.
bool appendFixedScaled(std::string& out, const Scaled& s, int width, int decimals, char separator) {
    if (decimals > SignificantDigits) return false;
    const int kept = s.exponent + 1 + decimals;
    std::uint64_t units;
    if (kept <= 0) {
        units = (kept == 0 && s.n >= 5 * TenTo17) ? 1 : 0;
    } else if (kept <= SignificantDigits) {
        const std::uint64_t dropped = PowersOfTen[static_cast<std::size_t>(SignificantDigits - kept)];
        units = s.n / dropped;
        if (dropped > 1 && s.n % dropped >= dropped / 2) ++units;
    } else if (kept == SignificantDigits + 1) {
        units = s.n * 10;
    } else {
        return false;
    }
    const std::uint64_t scale = PowersOfTen[static_cast<std::size_t>(decimals)];
    char integerText[24];
    const char* const integerEnd = std::to_chars(integerText, integerText + sizeof integerText, units / scale).ptr;
    char fractionText[SignificantDigits];
    std::uint64_t fraction = units % scale;
    for (int i = decimals - 1; i >= 0; --i) {
        fractionText[i] = static_cast<char>('0' + fraction % 10);
        fraction /= 10;
    }
    const std::string_view integerPart(integerText, static_cast<std::size_t>(integerEnd - integerText));
    const std::string_view fractionPart(fractionText, static_cast<std::size_t>(decimals));
    appendFixedText(out, s.negative && units != 0, integerPart, fractionPart, width, separator);
    return true;
}

// The same from the digit string, for the values the integers cannot hold.
void appendFixedDigits(std::string& out, const Decimal& d, int width, int decimals, char separator) {
    // Units of 10^-decimals kept before rounding: the digits down to that place.
    const int kept = d.exponent + 1 + decimals;
    std::string units;
    if (kept <= 0) {
        // Every significant digit lies below the printed precision; only a
        // first dropped digit of 5 or more in the very next place rounds up.
        units = (kept == 0 && d.digits[0] >= '5') ? "1" : "0";
    } else if (kept >= SignificantDigits) {
        units.assign(d.digits, SignificantDigits);
        units.append(static_cast<std::size_t>(kept - SignificantDigits), '0');
    } else {
        units.assign(d.digits, static_cast<std::size_t>(kept));
        if (d.digits[kept] >= '5') incrementDigits(units);
    }
    const bool isZero = units.find_first_not_of('0') == std::string::npos;
    if (static_cast<int>(units.size()) < decimals + 1)
        units.insert(0, static_cast<std::size_t>(decimals + 1) - units.size(), '0');
    // Leading zeros go, but at least one integer digit stays.
    const std::size_t integerDigits = units.size() - static_cast<std::size_t>(decimals);
    std::size_t first = 0;
    while (first + 1 < integerDigits && units[first] == '0') ++first;
    const std::string_view all(units);
    appendFixedText(out, d.negative && !isZero, all.substr(first, integerDigits - first), all.substr(integerDigits),
                    width, separator);
}

// "%w.df" appended to `out`.
template <typename Real>
void appendFixed(std::string& out, const Real& value, int width, int decimals, char separator) {
    if (!xmath::isfinite(value)) {
        appendPadded(out, nonFinite(value), width);
        return;
    }
    Scaled s;
    if (scaledOf(value, s) && appendFixedScaled(out, s, width, decimals, separator)) return;
    appendFixedDigits(out, toEighteenDigits(value), width, decimals, separator);
}

} // namespace

char decimalSeparator() { return g_separator; }

void setDecimalSeparator(char separator) { g_separator = separator; }

void initDecimalSeparatorFromLocale() {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    char separator = '.';
    if (std::setlocale(LC_NUMERIC, "")) {
        const std::lconv* conv = std::localeconv();
        if (conv && conv->decimal_point && std::strlen(conv->decimal_point) == 1) separator = conv->decimal_point[0];
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
    g_separator = separator;
}

std::string formatFixed(Extended value, int width, int decimals, char separator) {
    std::string text;
    appendFixed(text, value, width, decimals, separator);
    return text;
}

std::string formatFixed(Extended value, int width, int decimals) {
    return formatFixed(value, width, decimals, g_separator);
}

#if KALDEN_SOFTWARE_EXTENDED
std::string formatFixed(double value, int width, int decimals, char separator) {
    std::string text;
    appendFixed(text, value, width, decimals, separator);
    return text;
}

std::string formatFixed(double value, int width, int decimals) {
    return formatFixed(value, width, decimals, g_separator);
}
#endif

std::string formatGeneral(Extended value, int significant) {
    if (!xmath::isfinite(value)) return nonFinite(value);
    if (value == 0) return "0";
    if (significant < 1) significant = 1;
    Decimal d = toEighteenDigits(value);
    std::string digits(d.digits, static_cast<std::size_t>(std::min(significant, SignificantDigits)));
    int exponent = d.exponent;
    if (significant < SignificantDigits && d.digits[significant] >= '5') {
        incrementDigits(digits);
        if (static_cast<int>(digits.size()) > significant) {
            digits.pop_back();
            ++exponent;
        }
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string text = d.negative ? "-" : "";
    if (exponent < -4 || exponent >= significant) {
        text += digits.substr(0, 1);
        if (digits.size() > 1) text += "." + digits.substr(1);
        char expText[16];
        std::snprintf(expText, sizeof expText, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        text += expText;
    } else if (exponent < 0) {
        text += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else {
        const auto intDigits = static_cast<std::size_t>(exponent + 1);
        if (digits.size() <= intDigits) {
            text += digits + std::string(intDigits - digits.size(), '0');
        } else {
            text += digits.substr(0, intDigits) + "." + digits.substr(intDigits);
        }
    }
    return text;
}

namespace {

// One "%w.dX" item: width, decimals (-1 when not given) and conversion.
struct FormatItem {
    int width = 0;
    int decimals = -1;
    char conversion = 0;
};

// Reads the item whose '%' is at pattern[i - 1]; leaves i on its conversion.
FormatItem readFormatItem(std::string_view pattern, std::size_t& i) {
    FormatItem item;
    while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9')
        item.width = item.width * 10 + (pattern[i++] - '0');
    if (i < pattern.size() && pattern[i] == '.') {
        item.decimals = 0;
        ++i;
        while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9')
            item.decimals = item.decimals * 10 + (pattern[i++] - '0');
    }
    if (i >= pattern.size()) throw std::logic_error("unterminated format item");
    item.conversion = pattern[i];
    return item;
}

using ArgIterator = std::initializer_list<FormatArg>::const_iterator;

Extended numberArg(const FormatArg& a) {
    if (auto v = std::get_if<Extended>(&a)) return *v;
    if (auto v = std::get_if<double>(&a)) return *v;
    if (auto v = std::get_if<int>(&a)) return *v;
    throw std::logic_error("numeric format item given a text");
}

// Appends one item with the argument at `next`, which it consumes.
void appendFormatItem(std::string& out, const FormatItem& item, ArgIterator& next, ArgIterator end) {
    if (item.conversion != 'f' && item.conversion != 'd' && item.conversion != 's')
        throw std::logic_error("unsupported format item");
    if (next == end) throw std::logic_error("format item without an argument");
    const FormatArg& arg = *next++;
    switch (item.conversion) {
    case 'f': {
        const int places = item.decimals < 0 ? 6 : item.decimals;
        if (const double* v = std::get_if<double>(&arg)) {
            appendFixed(out, *v, item.width, places, g_separator);
        } else {
            appendFixed(out, numberArg(arg), item.width, places, g_separator);
        }
        return;
    }
    case 'd': {
        const int* v = std::get_if<int>(&arg);
        if (!v) throw std::logic_error("%d given a non-integer");
        appendPadded(out, std::to_string(*v), item.width);
        return;
    }
    case 's': {
        const std::string* v = std::get_if<std::string>(&arg);
        if (!v) throw std::logic_error("%s given a number");
        appendPadded(out, *v, item.width);
        return;
    }
    }
}

} // namespace

std::string formatText(std::string_view pattern, std::initializer_list<FormatArg> args) {
    std::string out;
    auto next = args.begin();
    out.reserve(pattern.size() + 16);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        // Plain text up to the next item in one piece.
        const std::size_t item = pattern.find('%', i);
        out.append(pattern.substr(i, item == std::string_view::npos ? std::string_view::npos : item - i));
        if (item == std::string_view::npos) break;
        i = item;
        if (++i >= pattern.size()) throw std::logic_error("format ends in %");
        if (pattern[i] == '%') {
            out.push_back('%');
            continue;
        }
        appendFormatItem(out, readFormatItem(pattern, i), next, args.end());
    }
    if (next != args.end()) throw std::logic_error("more arguments than format items");
    return out;
}

} // namespace kalden
