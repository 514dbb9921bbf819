#include "format/NumberFormat.h"

#include "format/EighteenDigits.h"

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

using namespace digits;

// Global because every printed number in the program follows the user's one locale, read once at start.
char g_separator = '.';

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

void appendFormatText(std::string& out, std::string_view pattern, std::initializer_list<FormatArg> args) {
    auto next = args.begin();
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
}

std::string formatText(std::string_view pattern, std::initializer_list<FormatArg> args) {
    std::string out;
    out.reserve(pattern.size() + 16);
    appendFormatText(out, pattern, args);
    return out;
}

} // namespace kalden
