#include "format/ShortestText.h"

#include <charconv>

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

// std::to_chars's choice between the two notations for the same digits.
// Fixed notation writes a whole number as printf's "%.0f" does, every digit
// exact: `integerDigits` are those digits.
std::string shorterNotation(const std::string& digits, int exponent, const std::string& integerDigits) {
    std::string scientific = digits.substr(0, 1);
    if (digits.size() > 1) scientific += "." + digits.substr(1);
    const int magnitude = exponent < 0 ? -exponent : exponent;
    scientific += std::string(exponent < 0 ? "e-" : "e+") + (magnitude < 10 ? "0" : "") + std::to_string(magnitude);
    std::string fixed;
    const int length = static_cast<int>(digits.size());
    if (exponent < 0) {
        fixed = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else if (length <= exponent + 1) {
        fixed = integerDigits;
    } else {
        fixed = digits.substr(0, static_cast<std::size_t>(exponent + 1)) + "." +
                digits.substr(static_cast<std::size_t>(exponent + 1));
    }
    return fixed.size() <= scientific.size() ? fixed : scientific;
}

// The significant digits and the power of ten of the first in a number's
// text, any notation: "0.0125" and "1.25e-02" give "125" and -2.
void digitsOfText(const std::string& text, std::string& digits, int& exponent) {
    const std::size_t e = text.find('e');
    const std::size_t end = e == std::string::npos ? text.size() : e;
    const std::size_t point = text.find('.');
    int integerLength = static_cast<int>(point == std::string::npos || point > end ? end : point);
    digits.clear();
    for (std::size_t i = 0; i < end; ++i)
        if (text[i] != '.') digits.push_back(text[i]);
    const std::size_t leading = digits.find_first_not_of('0');
    integerLength -= static_cast<int>(leading);
    digits.erase(0, leading);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    exponent = integerLength - 1 + (e == std::string::npos ? 0 : std::atoi(text.c_str() + e + 1));
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
    std::string digits;
    int exponent = 0;
    digitsOfText(fmt::to_string(magnitude), digits, exponent);
    const bool whole = exponent >= 1 && static_cast<int>(digits.size()) <= exponent + 1;
    // Beyond 10^22 scientific notation is always the shorter: the padded
    // digits only keep the comparison.
    std::string integerDigits = digits;
    if (whole && exponent <= 22) integerDigits = wholeDigits(magnitude);
    if (whole && exponent > 22) integerDigits.resize(static_cast<std::size_t>(exponent) + 1, '0');
    out += shorterNotation(digits, exponent, integerDigits);
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
    } else {
        for (int significant = 2; significant <= 21; ++significant) {
            decimalDigits(magnitude, significant, digits, exponent);
            if (readsBack(digits, exponent)) break;
        }
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    // A value whose shortest digits are a whole number is one (below 2^63
    // an extended value holds every whole number exactly); one digit is its
    // own exact text.
    std::string integerDigits = digits;
    if (exponent >= 1 && static_cast<int>(digits.size()) <= exponent + 1) {
        int same = 0;
        decimalDigits(magnitude, exponent + 1, integerDigits, same);
    }
    out += shorterNotation(digits, exponent, integerDigits);
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
