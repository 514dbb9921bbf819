// The number scan against the decimal value of the digits it accepts.
//
// The scan adds digit after digit, rounding to double at each step. For the
// texts a user can type (six characters at most) that gives values at most
// two units in the last place (ulps) from the correctly rounded decimal
// value; the exact count of such texts is pinned here so that a change of the
// arithmetic, which would change typed scores, cannot pass unnoticed. Longer
// texts (pasted into a window without the cut, or given to kalden-report)
// keep a value within a few ulps per digit of the decimal one, or infinity
// beyond the largest double.
#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <random>
#include <string>

#include "worksheet/InputValidation.h"

using namespace kalden;

namespace {

// What a plain reading of the text says: whether it holds only blanks,
// digits, one point and a minus in the first position; its digits and point
// without blanks and minus; how many digits.
struct PlainText {
    bool wellFormed = true;
    bool negative = false;
    int digits = 0;
    std::string number;
};

PlainText readPlainly(const std::string& text) {
    PlainText p;
    bool point = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ') continue;
        if (c == '-' && i == 0) {
            p.negative = true;
        } else if (c == '.' && !point) {
            point = true;
            p.number += c;
        } else if (c >= '0' && c <= '9') {
            ++p.digits;
            p.number += c;
        } else {
            p.wellFormed = false;
        }
    }
    return p;
}

// The correctly rounded value of the digits ("" and "." are 0), sign applied.
double decimalValue(const PlainText& p) {
    double v = 0.0;
    if (!p.number.empty() && p.number != ".") {
#if defined(__cpp_lib_to_chars)
        const auto [end, ec] = std::from_chars(p.number.data(), p.number.data() + p.number.size(), v);
        if (ec == std::errc::result_out_of_range) v = std::strtod(p.number.c_str(), nullptr); // inf or 0
        EXPECT_EQ(end, p.number.data() + p.number.size()) << p.number;
#else
        // WebAssembly's C library reads decimals correctly rounded too.
        char* end = nullptr;
        v = std::strtod(p.number.c_str(), &end);
        EXPECT_EQ(end, p.number.c_str() + p.number.size()) << p.number;
#endif
    }
    return p.negative ? -v : v;
}

// Distance in ulps between two doubles of the same sign (infinity counts as
// one step beyond the largest double).
std::int64_t ulpsApart(double a, double b) {
    const auto bits = [](double x) {
        x = std::fabs(x);
        std::uint64_t b = 0;
        std::memcpy(&b, &x, sizeof b);
        return static_cast<std::int64_t>(b);
    };
    return std::llabs(bits(a) - bits(b));
}

std::string shown(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

TEST(ScanAgainstDecimalValue, EveryTypableTextIsJudgedByItsCharactersAndLiesWithinTwoUlps) {
    const char alphabet[] = "0123456789.-";
    std::int64_t accepted = 0;
    std::map<std::int64_t, std::int64_t> byDistance;
    std::string text;
    for (int length = 1; length <= MaxInputLength; ++length) {
        text.assign(static_cast<std::size_t>(length), '0');
        std::int64_t count = 1;
        for (int i = 0; i < length; ++i) count *= 12;
        for (std::int64_t n = 0; n < count; ++n) {
            for (std::int64_t m = n, i = 0; i < length; ++i, m /= 12)
                text[static_cast<std::size_t>(i)] = alphabet[m % 12];
            const NumberScan scan = scanNumber(text);
            const PlainText plain = readPlainly(text);
            ASSERT_EQ(scan.ok, plain.wellFormed) << '"' << text << '"';
            if (!scan.ok) continue;
            ++accepted;
            const double exact = decimalValue(plain);
            const std::int64_t distance = ulpsApart(scan.value, exact);
            ASSERT_LE(distance, 2) << '"' << text << "\" scans as " << shown(scan.value) << ", is " << shown(exact);
            if (distance > 0) ++byDistance[distance];
        }
    }
    EXPECT_EQ(accepted, 1930863);
    // The step-by-step rule as the worksheet has always applied it: these
    // counts change only if the values of typed scores change.
    EXPECT_EQ(byDistance, (std::map<std::int64_t, std::int64_t>{{1, 155080}, {2, 1190}}));
}

TEST(ScanAgainstDecimalValue, StepByStepValuesOfShortFractionsStayAsTheyWere) {
    struct Row {
        const char* text;
        double scanned;
        double decimal;
    };
    const Row rows[] = {
        {".12", 0.12000000000000001, 0.12}, // first difference: three characters
        {".33", 0.32999999999999996, 0.33},
        {".1594", 0.15940000000000004, 0.1594}, // first two-ulp difference: five characters
        {"-.1599", -0.15990000000000004, -0.1599},
        {"10.5", 10.5, 10.5},
        {"19.01", 19.01, 19.01},
        {"0.99", 0.98999999999999999, 0.99},
    };
    for (const Row& row : rows) {
        const NumberScan scan = scanNumber(row.text);
        EXPECT_TRUE(scan.ok) << row.text;
        EXPECT_EQ(scan.value, row.scanned) << row.text << " scans as " << shown(scan.value);
        EXPECT_EQ(decimalValue(readPlainly(row.text)), row.decimal) << row.text;
    }
}

TEST(ScanAgainstDecimalValue, LongRandomTextsStayWithinAFewUlpsPerDigit) {
    std::mt19937_64 random(20261208);
    const std::string characters = "0123456789";
    for (int round = 0; round < 20000; ++round) {
        const int integerDigits = static_cast<int>(random() % 330);
        const int fractionDigits = static_cast<int>(random() % 340);
        const int leadingZeros = round % 4 == 0 ? static_cast<int>(random() % 330) : 0;
        std::string text = round % 2 ? "-" : "";
        for (int i = 0; i < integerDigits; ++i) text += characters[random() % 10];
        text += '.';
        text += std::string(static_cast<std::size_t>(std::min(leadingZeros, fractionDigits)), '0');
        for (int i = leadingZeros; i < fractionDigits; ++i) text += characters[random() % 10];
        if (random() % 8 == 0) text.insert(random() % text.size() + (text[0] == '-'), " ");

        const NumberScan scan = scanNumber(text);
        const PlainText plain = readPlainly(text);
        ASSERT_TRUE(scan.ok) << text;
        const double exact = decimalValue(plain);
        const double scanned = scan.value;
        const double relative = (plain.digits + 3) * DBL_EPSILON;
        if (std::isinf(exact) || std::isinf(scanned)) {
            EXPECT_GE(std::fabs(std::isinf(exact) ? scanned : exact), DBL_MAX / (1 + relative)) << text;
        } else {
            EXPECT_LE(std::fabs(scanned - exact), relative * std::fabs(exact) + (plain.digits + 3) * DBL_TRUE_MIN)
                << text << " scans as " << shown(scanned) << ", is " << shown(exact);
        }
    }
}

// Fault: 10^place was computed as a double that overflowed to infinity past
// place 308, so every later digit counted as nothing, even in a number so
// small that those digits were all it had.
TEST(ScanAgainstDecimalValue, DigitsPastDecimalPlace308StillCount) {
    const std::string zeros306(306, '0');
    struct Row {
        std::string text;
        double value;
    };
    const Row rows[] = {
        {"0." + zeros306 + "251", 2.51e-307},
        {"0." + std::string(310, '0') + "5", 5e-311}, // below the normal range
        {"-." + std::string(320, '0') + "7", -7e-321},
        {"0." + std::string(323, '0') + "5", 4.9406564584124654e-324}, // the smallest double
        {"0." + std::string(330, '0') + "9", 0.0},                     // below half of it
    };
    for (const Row& row : rows) {
        const NumberScan scan = scanNumber(row.text);
        EXPECT_TRUE(scan.ok);
        EXPECT_LE(ulpsApart(scan.value, row.value), 2) << row.text.size() << " characters: " << shown(scan.value);
        EXPECT_EQ(std::signbit(scan.value), std::signbit(row.value)) << row.text.size() << " characters";
    }
}

TEST(ScanAgainstDecimalValue, IntegerPartBeyondTheLargestDoubleIsInfinite) {
    const double justBelow = scanNumber(std::string(308, '9')).value; // 10^308 - 1
    EXPECT_TRUE(std::isfinite(justBelow));
    EXPECT_LE(ulpsApart(justBelow, 1e308), 2) << shown(justBelow);
    EXPECT_EQ(scanNumber("-" + std::string(309, '9')).value, -HUGE_VAL);
    EXPECT_EQ(scanNumber(std::string(2000, '9') + "." + std::string(2000, '9')).value, HUGE_VAL);
    // Below 2^53 every integer is exact, however many leading zeros.
    EXPECT_EQ(scanNumber(std::string(500, '0') + "9007199254740991").value, 9007199254740991.0);
}

TEST(ScanAgainstDecimalValue, InfiniteScoreGetsAPlainRangeMessage) {
    FieldTexts fields;
    for (std::size_t k = 0; k < 7; ++k) fields[k] = "10";
    fields[3] = std::string(400, '9');
    const InputCheck check = readInputRecord(fields, {}, 7);
    EXPECT_FALSE(check.record);
    EXPECT_EQ(check.rejection.field, 4);
    EXPECT_EQ(check.rejection.message,
              "INPUT ERROR\r(  BLOCK DESIGN subtest scaled score:  INF  )\r"
              "The valid range for Wechsler subtest scaled scores is 1 to 19 ");
}

} // namespace
