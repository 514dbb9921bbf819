#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "format/NumberFormat.h"
#include "support/ExtendedChecks.h"

using namespace kalden;

// Printed numbers are first taken to 18 significant digits. Values of
// ordinary size get those digits by exact integer arithmetic rather than from
// printf; these tests hold them to printf's "%.17Le" and the rounding at the
// printed place to what those digits give.

namespace {

struct PrintfDigits {
    bool negative;
    std::string digits; // 18
    int exponent;
};

PrintfDigits printfDigits(const Extended& value) {
    const std::string text = scientificDigits18(value);
    PrintfDigits d{text[0] == '-', "", std::stoi(text.substr(text.find('e') + 1))};
    for (const char c : text.substr(0, text.find('e')))
        if (c >= '0' && c <= '9') d.digits.push_back(c);
    return d;
}

// "%.<decimals>f" by the rule: printf's 18 digits, then half away from zero
// at the printed place, no minus sign on a printed zero.
std::string byTheRule(const Extended& value, int decimals) {
    const PrintfDigits d = printfDigits(value);
    const int shift = d.exponent - 17 + decimals; // units of 10^-decimals = digits x 10^shift
    std::string units = "0";
    bool roundUp = false;
    if (shift >= 0) {
        units = d.digits + std::string(static_cast<std::size_t>(shift), '0');
    } else if (shift >= -18) {
        units = d.digits.substr(0, static_cast<std::size_t>(18 + shift));
        roundUp = d.digits[static_cast<std::size_t>(18 + shift)] >= '5';
        if (units.empty()) units = "0";
    }
    if (roundUp) {
        std::size_t i = units.size();
        while (i > 0 && units[i - 1] == '9') units[--i] = '0';
        if (i == 0)
            units.insert(0, "1");
        else
            ++units[i - 1];
    }
    const bool zero = units.find_first_not_of('0') == std::string::npos;
    if (units.size() < static_cast<std::size_t>(decimals) + 1)
        units.insert(0, static_cast<std::size_t>(decimals) + 1 - units.size(), '0');
    std::string integer = units.substr(0, units.size() - static_cast<std::size_t>(decimals));
    integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size() - 1));
    std::string text = (d.negative && !zero ? "-" : "") + integer;
    if (decimals > 0) text += "." + units.substr(units.size() - static_cast<std::size_t>(decimals));
    return text;
}

Extended fromText(const std::string& text) {
#if KALDEN_SOFTWARE_EXTENDED
    return Extended(text);
#else
    return std::strtold(text.c_str(), nullptr);
#endif
}

// Values of every size the report meets and around, with the awkward ones:
// exact ties at the 19th digit, powers of ten and their neighbours.
std::vector<Extended> testValues() {
    std::vector<Extended> values;
    for (const char* text : {"0", "-0", "0.5", "-0.5", "2.5", "10.5", "102.5", "0.0625", "-0.0004", "99.95", "1e-15",
                             "1e18", "1e19", "1e-300", "4.34", "0.31", "16.308"})
        values.push_back(fromText(text));
    std::mt19937_64 random(20261208);
    std::uniform_real_distribution<double> logMagnitude(-17 * 2.302585, 20 * 2.302585);
    for (int i = 0; i < 20000; ++i) {
        const double v = std::exp(logMagnitude(random));
        values.push_back(v);
        values.push_back(-v);
        values.push_back(Extended(v) / 3); // a true extended value
    }
    for (int k = 0; k < 90; k += 3)
        for (long long m = 1; m < 3000; m += 7) {
            values.push_back(xmath::ldexp(Extended(m), -k));
            values.push_back(xmath::ldexp(Extended(m | (1LL << 62)), -k - 40));
        }
    for (int p = -16; p <= 19; ++p) {
        const Extended t = fromText("1e" + std::to_string(p));
        values.insert(values.end(), {t, kalden::testing::nextTowardZero(t), -kalden::testing::nextTowardZero(-t)});
        const double d = toDouble(t);
        values.insert(values.end(), {d, std::nextafter(d, 0.0), std::nextafter(d, 1e30)});
    }
    return values;
}

} // namespace

TEST(NumberDigits, EighteenSignificantDigitsAreThoseOfPrintf) {
    for (const Extended& value : testValues()) {
        const PrintfDigits d = printfDigits(value);
        const int decimals = 17 - d.exponent; // prints exactly the 18 digits
        if (decimals < 0 || value == 0) continue;
        std::string printed = formatFixed(value, 0, decimals, '.');
        std::erase(printed, '-');
        std::erase(printed, '.');
        printed.erase(0, printed.find_first_not_of('0'));
        ASSERT_EQ(printed, d.digits) << std::hexfloat << value;
        ASSERT_EQ(formatGeneral(value, 18).front() == '-', d.negative) << std::hexfloat << value;
    }
}

TEST(NumberDigits, ThePrintedPlaceIsRoundedHalfAwayFromZeroOnThoseDigits) {
    for (const Extended& value : testValues()) {
        for (int decimals = 0; decimals <= 6; ++decimals) {
            const std::string expected = byTheRule(value, decimals);
            ASSERT_EQ(formatFixed(value, 0, decimals, '.'), expected) << std::hexfloat << value << " " << decimals;
            if (Extended(toDouble(value)) == value) {
                const std::string pattern = "%." + std::to_string(decimals) + "f";
                ASSERT_EQ(formatText(pattern, {toDouble(value)}), formatFixed(value, 0, decimals))
                    << std::hexfloat << value << " as a double";
            }
        }
    }
}
