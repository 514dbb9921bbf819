#include "report/NumberFormat.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace kalden {

namespace {

char g_separator = '.';

struct Decimal {
    bool negative = false;
    std::string digits; // 18 significant digits
    int exponent = 0;   // value = d0.d1d2... x 10^exponent
};

Decimal toEighteenDigits(long double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17Le", value);
    Decimal d;
    const char* p = buf;
    if (*p == '-') {
        d.negative = true;
        ++p;
    }
    for (; *p && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9') d.digits.push_back(*p);
    }
    if (*p == 'e') d.exponent = std::atoi(p + 1);
    return d;
}

// Adds one unit to the last digit of a digit string; returns true when the
// carry ran out of the front (the string then gets a leading "1").
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

std::string nonFinite(long double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

std::string padLeft(std::string text, int width) {
    if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
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

std::string formatFixed(long double value, int width, int decimals, char separator) {
    if (!std::isfinite(value)) return padLeft(nonFinite(value), width);
    Decimal d = toEighteenDigits(value);
    // Units of 10^-decimals kept before rounding: the digits down to that place.
    const int kept = d.exponent + 1 + decimals;
    std::string units;
    if (kept <= 0) {
        // Every significant digit lies below the printed precision; only a
        // first dropped digit of 5 or more in the very next place rounds up.
        units = (kept == 0 && d.digits[0] >= '5') ? "1" : "0";
    } else if (kept >= static_cast<int>(d.digits.size())) {
        units = d.digits + std::string(static_cast<std::size_t>(kept) - d.digits.size(), '0');
    } else {
        units = d.digits.substr(0, static_cast<std::size_t>(kept));
        if (d.digits[static_cast<std::size_t>(kept)] >= '5') incrementDigits(units);
    }
    // Strip leading zeros but keep at least one integer digit.
    std::size_t firstNonZero = units.find_first_not_of('0');
    const bool isZero = firstNonZero == std::string::npos;
    if (static_cast<int>(units.size()) < decimals + 1)
        units.insert(0, static_cast<std::size_t>(decimals + 1) - units.size(), '0');
    std::string integerPart = units.substr(0, units.size() - static_cast<std::size_t>(decimals));
    std::size_t nz = integerPart.find_first_not_of('0');
    integerPart = nz == std::string::npos ? "0" : integerPart.substr(nz);
    std::string text;
    if (d.negative && !isZero) text.push_back('-');
    text += integerPart;
    if (decimals > 0) {
        text.push_back(separator);
        text += units.substr(units.size() - static_cast<std::size_t>(decimals));
    }
    return padLeft(text, width);
}

std::string formatFixed(long double value, int width, int decimals) {
    return formatFixed(value, width, decimals, g_separator);
}

std::string formatGeneral(long double value, int significant) {
    if (!std::isfinite(value)) return nonFinite(value);
    if (value == 0) return "0";
    if (significant < 1) significant = 1;
    Decimal d = toEighteenDigits(value);
    std::string digits = d.digits.substr(0, static_cast<std::size_t>(significant));
    int exponent = d.exponent;
    if (d.digits[static_cast<std::size_t>(significant)] >= '5') {
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

std::string formatText(std::string_view pattern, std::initializer_list<FormatArg> args) {
    std::string out;
    auto next = args.begin();
    auto takeNumber = [&]() -> long double {
        if (next == args.end()) throw std::logic_error("format item without an argument");
        const FormatArg& a = *next++;
        if (auto v = std::get_if<long double>(&a)) return *v;
        if (auto v = std::get_if<double>(&a)) return *v;
        if (auto v = std::get_if<int>(&a)) return *v;
        throw std::logic_error("numeric format item given a text");
    };
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c != '%') {
            out.push_back(c);
            continue;
        }
        if (++i >= pattern.size()) throw std::logic_error("format ends in %");
        if (pattern[i] == '%') {
            out.push_back('%');
            continue;
        }
        int width = 0;
        while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9') width = width * 10 + (pattern[i++] - '0');
        int decimals = -1;
        if (i < pattern.size() && pattern[i] == '.') {
            decimals = 0;
            ++i;
            while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9')
                decimals = decimals * 10 + (pattern[i++] - '0');
        }
        if (i >= pattern.size()) throw std::logic_error("unterminated format item");
        switch (pattern[i]) {
        case 'f':
            out += formatFixed(takeNumber(), width, decimals < 0 ? 6 : decimals);
            break;
        case 'd': {
            if (next == args.end()) throw std::logic_error("format item without an argument");
            const int* v = std::get_if<int>(&*next++);
            if (!v) throw std::logic_error("%d given a non-integer");
            out += padLeft(std::to_string(*v), width);
            break;
        }
        case 's': {
            if (next == args.end()) throw std::logic_error("format item without an argument");
            const std::string* v = std::get_if<std::string>(&*next++);
            if (!v) throw std::logic_error("%s given a number");
            out += padLeft(*v, width);
            break;
        }
        default:
            throw std::logic_error("unsupported format item");
        }
    }
    if (next != args.end()) throw std::logic_error("more arguments than format items");
    return out;
}

} // namespace kalden
