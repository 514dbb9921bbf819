#include "format/ShortestText.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#if KALDEN_SOFTWARE_EXTENDED
#include <cstdlib>
#include <ios>
// The shortest digits of a double, where the C++ library has no
// floating-point to_chars (WebAssembly's libc++): the header-only {fmt}.
#define FMT_HEADER_ONLY
#include <fmt/format.h>
#endif

namespace kalden {

namespace {

#if KALDEN_SOFTWARE_EXTENDED

// The value's `significant` digits, correctly rounded, and the power of ten
// of the first: 2.924 gives "2924" and 0.
void decimalDigits(const Extended& magnitude, int significant, std::string& digits, int& exponent) {
    const std::string s = magnitude.str(significant - 1, std::ios_base::scientific); // "2.924e+00"
    const std::size_t e = s.find('e');
    digits.clear();
    for (std::size_t i = 0; i < e; ++i)
        if (s[i] != '.') digits.push_back(s[i]);
    exponent = std::atoi(s.c_str() + e + 1);
}

// A number's significant digits, without leading or trailing zeros, and the
// power of ten of the first: 0.0125 has "125" and -2.
struct Significant {
    char digits[32];
    int count = 0;
    int exponent = 0;
    std::string_view text() const { return {digits, static_cast<std::size_t>(count)}; }
};

// std::to_chars's choice between the two notations for the same digits,
// fixed on a tie, appended to `out`. Fixed notation writes a whole number as
// printf's "%.0f" does, every digit exact: `wholeDigits` gives those digits.
template <typename WholeDigits>
void appendNotation(std::string& out, const Significant& d, WholeDigits wholeDigits) {
    char exponentText[8];
    const int magnitude = d.exponent < 0 ? -d.exponent : d.exponent;
    char* exponentEnd = exponentText;
    if (magnitude < 10) *exponentEnd++ = '0';
    exponentEnd = std::to_chars(exponentEnd, exponentText + sizeof exponentText, magnitude).ptr;
    const std::string_view exponentDigits(exponentText, static_cast<std::size_t>(exponentEnd - exponentText));
    const std::size_t scientificLength =
        static_cast<std::size_t>(d.count) + (d.count > 1 ? 1 : 0) + 2 + exponentDigits.size();
    const bool whole = d.exponent >= 0 && d.count <= d.exponent + 1;
    const std::size_t fixedLength = d.exponent < 0 ? static_cast<std::size_t>(2 - d.exponent - 1 + d.count)
                                    : whole        ? static_cast<std::size_t>(d.exponent + 1)
                                                   : static_cast<std::size_t>(d.count + 1);
    const std::string_view digits = d.text();
    if (fixedLength <= scientificLength) {
        if (d.exponent < 0) {
            out += "0.";
            out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
            out += digits;
        } else if (whole) {
            out += wholeDigits();
        } else {
            out += digits.substr(0, static_cast<std::size_t>(d.exponent + 1));
            out.push_back('.');
            out += digits.substr(static_cast<std::size_t>(d.exponent + 1));
        }
        return;
    }
    out.push_back(digits[0]);
    if (d.count > 1) {
        out.push_back('.');
        out += digits.substr(1);
    }
    out += d.exponent < 0 ? "e-" : "e+";
    out += exponentDigits;
}

// The significant digits of a number's text, any notation: "0.0125" and
// "1.25e-02" give "125" and -2.
Significant significantOf(std::string_view text) {
    Significant d;
    const std::size_t e = text.find('e');
    const std::size_t end = e == std::string_view::npos ? text.size() : e;
    int integerLength = static_cast<int>(std::min(text.find('.'), end));
    bool leading = true;
    for (std::size_t i = 0; i < end && d.count < static_cast<int>(sizeof d.digits); ++i) {
        if (text[i] == '.') continue;
        if (leading && text[i] == '0') {
            --integerLength;
            continue;
        }
        leading = false;
        d.digits[d.count++] = text[i];
    }
    while (d.count > 1 && d.digits[d.count - 1] == '0') --d.count;
    int exponent = 0;
    if (e != std::string_view::npos) {
        const char* from = text.data() + e + 1;
        if (*from == '+') ++from;
        std::from_chars(from, text.data() + text.size(), exponent);
    }
    d.exponent = integerLength - 1 + exponent;
    return d;
}

// The exact digits of a whole double below 2^128: fixed notation of a whole
// number needs them only up to 10^22.
std::string wholeDigits(double magnitude) {
    auto n = static_cast<unsigned __int128>(magnitude);
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(n % 10)));
        n /= 10;
    } while (n != 0);
    return digits;
}

} // namespace

// {fmt} gives the shortest digits that read back, the nearest of them, as
// to_chars does; only the choice of notation is to_chars's own.
void appendShortest(std::string& out, double value) {
    if (value != value) {
        out += std::signbit(value) ? "-nan" : "nan";
        return;
    }
    if (std::signbit(value)) out.push_back('-');
    const double magnitude = std::fabs(value);
    if (magnitude == 0 || std::isinf(magnitude)) {
        out += magnitude == 0 ? "0" : "inf";
        return;
    }
    char text[32];
    const auto written = fmt::format_to_n(text, sizeof text, "{}", magnitude);
    const Significant d = significantOf(std::string_view(text, std::min(written.size, sizeof text)));
    // Beyond 10^22 scientific notation is always the shorter.
    appendNotation(out, d, [&] { return wholeDigits(magnitude); });
}

// The fewest significant digits whose correctly rounded decimal reads back
// to the value; the nearest decimal of that length, so the closest of them.
void appendShortest(std::string& out, const Extended& value) {
    if (xmath::isnan(value)) {
        out += xmath::signbit(value) ? "-nan" : "nan";
        return;
    }
    if (xmath::signbit(value)) out.push_back('-');
    const Extended magnitude = xmath::fabs(value);
    if (xmath::isinf(magnitude)) {
        out += "inf";
        return;
    }
    if (magnitude == 0) {
        out.push_back('0');
        return;
    }
    const auto readsBack = [&magnitude](const std::string& digits, int exponent) {
        return Extended(digits.substr(0, 1) + "." + digits.substr(1) + "e" + std::to_string(exponent)) == magnitude;
    };
    std::string digits;
    int exponent = 0;
    // One digit cannot be asked of the stream (a precision of 0 gives every
    // digit): the two one-digit neighbours of the value are tried.
    decimalDigits(magnitude, 2, digits, exponent);
    const int lower = digits[0] - '0';
    const bool upperCarries = lower == 9;
    if (readsBack(std::string(1, digits[0]), exponent)) {
        digits.resize(1);
    } else if (readsBack(upperCarries ? "1" : std::string(1, static_cast<char>('1' + lower)),
                         exponent + upperCarries)) {
        digits = upperCarries ? "1" : std::string(1, static_cast<char>('1' + lower));
        exponent += upperCarries;
    } else if (int binaryExponent = 0; xmath::frexp(magnitude, &binaryExponent) == KALDEN_EXTENDED(0.5)) {
        // A power of two: its lower neighbour is nearer than its upper, so a
        // longer decimal, though nearer, may fail to read back where a
        // shorter one above the value did; each length is tried in turn.
        for (int significant = 2; significant <= 21; ++significant) {
            decimalDigits(magnitude, significant, digits, exponent);
            if (readsBack(digits, exponent)) break;
        }
    } else {
        // Otherwise the nearest decimal of n digits is never farther from the
        // value than that of fewer, and the value's neighbours are equally
        // far: once a length reads back, every longer one does. The fewest
        // is found by halving the lengths from 2 to 21 (which always reads
        // back) rather than trying each.
        int fewest = 2, enough = 21;
        while (fewest < enough) {
            const int middle = (fewest + enough) / 2;
            decimalDigits(magnitude, middle, digits, exponent);
            if (readsBack(digits, exponent)) {
                enough = middle;
            } else {
                fewest = middle + 1;
            }
        }
        decimalDigits(magnitude, fewest, digits, exponent);
    }
    Significant d = significantOf(digits);
    d.exponent = exponent;
    // A value whose shortest digits are a whole number is one (below 2^63
    // an extended value holds every whole number exactly); one digit is its
    // own exact text.
    appendNotation(out, d, [&] {
        if (d.exponent == 0) return std::string(1, d.digits[0]);
        std::string integerDigits;
        int same = 0;
        decimalDigits(magnitude, d.exponent + 1, integerDigits, same);
        return integerDigits;
    });
}
#else

template <typename T>
void appendChars(std::string& out, T value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

} // namespace

void appendShortest(std::string& out, double value) { appendChars(out, value); }
void appendShortest(std::string& out, const Extended& value) { appendChars(out, value); }
#endif

} // namespace kalden
