#include <gtest/gtest.h>

#include <stdexcept>

#include "format/NumberFormat.h"

using namespace kalden;

namespace {

struct FixedCase {
    Extended value;
    int width;
    int decimals;
    const char* expected;
};

TEST(FormatFixed, RoundsHalfAwayFromZeroAfterEighteenDigits) {
    const FixedCase cases[] = {
        {10.5, 6, 0, "    11"},
        {102.5, 6, 0, "   103"},
        {-2.5, 5, 0, "   -3"},
        {0.0625, 6, 3, " 0.063"},
        {-0.0625, 6, 3, "-0.063"},
        {2.675, 4, 2, "2.67"},                               // the double lies below the tie: 2.67499999999999982...
        {1.005, 4, 2, "1.00"},                               // 1.00499999999999989...
        {KALDEN_EXTENDED(2.4999999999999999999), 1, 0, "3"}, // reaches the tie only at 18 digits
        {0.45, 3, 1, "0.5"},
        {99.95, 13, 1, "        100.0"},
        {5.0e-324, 6, 3, " 0.000"},
        {123456789.0, 3, 0, "123456789"},
        {1e20, 1, 0, "100000000000000000000"},
        {0.5, 1, 0, "1"},
        {0.49999999999999994, 1, 0, "0"},
        {9.9996, 6, 3, "10.000"},
    };
    for (const FixedCase& c : cases)
        EXPECT_EQ(formatFixed(c.value, c.width, c.decimals, '.'), c.expected)
            << static_cast<double>(c.value) << " %" << c.width << '.' << c.decimals << 'f';
}

TEST(FormatFixed, ZeroNeverCarriesAMinusSign) {
    EXPECT_EQ(formatFixed(-0.4, 5, 0, '.'), "    0");
    EXPECT_EQ(formatFixed(-0.0, 6, 3, '.'), " 0.000");
    EXPECT_EQ(formatFixed(-0.0004, 6, 3, '.'), " 0.000");
    EXPECT_EQ(formatFixed(-0.0005, 6, 3, '.'), "-0.001");
}

TEST(FormatFixed, UsesTheGivenSeparator) {
    EXPECT_EQ(formatFixed(4.34, 3, 2, ','), "4,34");
    EXPECT_EQ(formatFixed(12.0, 6, 0, ','), "    12");
}

TEST(FormatFixed, NonFiniteValuesAreSpelledOut) {
    EXPECT_EQ(formatFixed(std::numeric_limits<double>::infinity(), 6, 3, '.'), "   INF");
    EXPECT_EQ(formatFixed(-std::numeric_limits<double>::infinity(), 3, 3, '.'), "-INF");
    EXPECT_EQ(formatFixed(std::numeric_limits<double>::quiet_NaN(), 3, 3, '.'), "NAN");
}

TEST(FormatGeneral, SixSignificantDigitsWithoutTrailingZeros) {
    const std::pair<double, const char*> cases[] = {
        {12, "12"},
        {9.5, "9.5"},
        {12.3456789, "12.3457"},
        {0, "0"},
        {-0.0, "0"},
        {10.5, "10.5"},
        {-7, "-7"},
        {1e-5, "1e-05"},
        {0.0001, "0.0001"},
        {1234567, "1.23457e+06"},
        {999999.5, "1e+06"},
        {123456, "123456"},
        {0.1, "0.1"},
        {19.01, "19.01"},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(formatGeneral(value), expected) << value;
}

TEST(FormatText, FillsTheReportItems) {
    setDecimalSeparator('.');
    EXPECT_EQ(formatText(" Percentage = %3.2f%%", {4.34}), " Percentage = 4.34%");
    EXPECT_EQ(formatText(" = %2d ", {3}), " =  3 ");
    EXPECT_EQ(formatText("%s|%5s", {std::string("ab"), std::string("cd")}), "ab|   cd");
    EXPECT_EQ(formatText(" Chi-square = %3.3f,  p value = %2.5f",
                         {KALDEN_EXTENDED(2.924458652216), KALDEN_EXTENDED(0.5705456152)}),
              " Chi-square = 2.924,  p value = 0.57055");
    EXPECT_EQ(formatText("no items", {}), "no items");
}

TEST(FormatText, ReportSeparatorFollowsTheLocaleSetting) {
    setDecimalSeparator(',');
    EXPECT_EQ(formatText(" Percentage = %3.2f%%", {100.0}), " Percentage = 100,00%");
    setDecimalSeparator('.');
}

TEST(FormatText, MismatchedArgumentsAreProgrammingErrors) {
    EXPECT_THROW(formatText("%6.0f", {}), std::logic_error);
    EXPECT_THROW(formatText("%6.0f", {std::string("x")}), std::logic_error);
    EXPECT_THROW(formatText("%s", {1.0}), std::logic_error);
    EXPECT_THROW(formatText("plain", {1.0}), std::logic_error);
}

} // namespace
