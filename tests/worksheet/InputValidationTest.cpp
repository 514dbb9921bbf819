#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "worksheet/InputValidation.h"
#include "worksheet/ProgramConfig.h"

using namespace kalden;

namespace {

const std::string NumericOnly = "INPUT ERROR\r\rEnter numeric data only.";

TEST(KeystrokeFilter, PassesDigitsSignPointAndEditingKeys) {
    for (char c : std::string("0123456789-.\b\t\r")) {
        const FilteredKey filtered = filterInputKey(c);
        EXPECT_EQ(filtered.key, c) << int(c);
        EXPECT_EQ(filtered.warning, "") << int(c);
    }
}

TEST(KeystrokeFilter, DiscardsEverythingElseWithTheWarning) {
    for (char c : std::string("a +,e\x03\x16/")) {
        const FilteredKey filtered = filterInputKey(c);
        EXPECT_EQ(filtered.key, '\0') << int(c);
        EXPECT_EQ(filtered.warning, NumericOnly) << int(c);
    }
}

TEST(LengthLimit, SixCharactersOrFewerAreLeftAlone) {
    for (const std::string text : {"123456", ""}) {
        const LimitedText limited = limitInputLength(text);
        EXPECT_EQ(limited.text, text);
        EXPECT_EQ(limited.warning, "");
    }
}

TEST(LengthLimit, SeventhCharacterIsCutWithTheWarning) {
    const LimitedText limited = limitInputLength("1234567");
    EXPECT_EQ(limited.text, "123456");
    EXPECT_EQ(limited.warning, "Maximum length of input is 6 characters.");
    // A character typed in the middle pushes the last one out.
    EXPECT_EQ(limitInputLength("1293456").text, "129345");
}

TEST(LengthLimit, CountsCharactersNotBytes) {
    const LimitedText six = limitInputLength("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9");
    EXPECT_EQ(six.text, "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9");
    EXPECT_EQ(six.warning, "");
    EXPECT_EQ(limitInputLength("\xC3\xA9"
                               "12345x")
                  .text,
              "\xC3\xA9"
              "12345");
}

struct ScanCase {
    const char* text;
    double value;
    bool ok;
};

TEST(NumberScan, AcceptsAndRejectsAsTheWorksheetDoes) {
    const ScanCase cases[] = {
        {"7", 7, true},       {" 7", 7, true},    {"- 7", -7, true}, {" -7", 0, false},      {"1 2", 12, true},
        {"10.5", 10.5, true}, {"1.5.", 0, false}, {"5-", 0, false},  {"-5", -5, true},       {".", 0, true},
        {"-", 0, true},       {"", 0, true},      {"09", 9, true},   {"19.01", 19.01, true}, {".5", 0.5, true},
        {"12a", 0, false},    {"1e5", 0, false},  {"+3", 0, false},  {"--3", 0, false},      {"0.99", 0.99, true},
        {"3,5", 0, false},    {"\t3", 0, false},
    };
    for (const ScanCase& c : cases) {
        const NumberScan scan = scanNumber(c.text);
        EXPECT_EQ(scan.ok, c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(scan.value, c.value) << '"' << c.text << '"';
        }
    }
}

TEST(NumberScan, ValueBeforeASecondPointIsKeptButRejected) {
    const NumberScan scan = scanNumber("1.5.2");
    EXPECT_FALSE(scan.ok);
    EXPECT_EQ(scan.value, 1.5);
}

TEST(NumberScan, HundredsOfDigitsNeitherOverflowNorWrap) {
    const NumberScan many = scanNumber(std::string(400, '9'));
    EXPECT_TRUE(many.ok);
    EXPECT_TRUE(std::isinf(many.value));
    const NumberScan tiny = scanNumber("0." + std::string(30, '0') + "1");
    EXPECT_TRUE(tiny.ok);
    EXPECT_NEAR(tiny.value, 1e-31, 1e-45);
    const NumberScan longFraction = scanNumber("1." + std::string(500, '0') + "7");
    EXPECT_TRUE(longFraction.ok);
    EXPECT_EQ(longFraction.value, 1.0);
}

TEST(ParseFieldValue, EmptyFieldIsReportedWithItsOwnLayout) {
    const ParseResult result = parseFieldValue("", "DIGIT SYMBOL subtest scaled score:");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message,
              "INPUT ERROR\r\r(  DIGIT SYMBOL subtest scaled score:  )\r\rData have not been entered in this field.");
}

TEST(ParseFieldValue, TextThatDoesNotScanIsQuoted) {
    const ParseResult result = parseFieldValue("1.5.", "VOCABULARY subtest scaled score:");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, "INPUT ERROR\r(  VOCABULARY subtest scaled score:  1.5.  )\r\rEnter numeric data only.");
}

TEST(ParseFieldValue, GoodTextGivesItsValueAndNoMessage) {
    const ParseResult result = parseFieldValue("12", "x");
    EXPECT_EQ(result.value, 12.0);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.message, "");
}

TEST(ParseNumericText, EmptyReadsAsZeroAndBadTextHasItsOwnMessage) {
    const ParseResult empty = parseNumericText("");
    EXPECT_EQ(empty.value, 0.0);
    EXPECT_TRUE(empty.ok);
    EXPECT_EQ(empty.message, "");
    const ParseResult bad = parseNumericText("0.5x");
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.message,
              "There is an invalid data entry, which will be highlighted once you click 'OK', please re-enter.");
}

TEST(ScaledScoreRange, BothEndsAreIncluded) {
    for (const double value : {1.0, 19.0, 10.5}) {
        const ParseResult checked = checkScaledScoreRange("c", value);
        EXPECT_TRUE(checked.ok) << value;
        EXPECT_EQ(checked.message, "") << value;
    }
}

TEST(ScaledScoreRange, OutsideValuesShowThreeDecimals) {
    const std::pair<double, const char*> cases[] = {
        {-5, "-5.000"},   {25, "25.000"}, {0, "0.000"},       {19.01, "19.010"},      {0.99, "0.990"},
        {19.5, "19.500"}, {0.5, "0.500"}, {-0.0001, "0.000"}, {123456, "123456.000"},
    };
    for (const auto& [value, shown] : cases) {
        const ParseResult checked = checkScaledScoreRange("VOCABULARY subtest scaled score:", value);
        EXPECT_FALSE(checked.ok);
        EXPECT_EQ(checked.message, std::string("INPUT ERROR\r(  VOCABULARY subtest scaled score:  ") + shown +
                                       "  )\rThe valid range for Wechsler subtest scaled scores is 1 to 19 ");
    }
}

TEST(ScaledScoreRange, InfiniteAndUndefinedValuesGiveAClearMessage) {
    EXPECT_EQ(checkScaledScoreRange("c", std::numeric_limits<double>::infinity()).message,
              "INPUT ERROR\r(  c  INF  )\rThe valid range for Wechsler subtest scaled scores is 1 to 19 ");
    EXPECT_EQ(checkScaledScoreRange("c", std::numeric_limits<double>::quiet_NaN()).message,
              "INPUT ERROR\r(  c  NAN  )\rThe valid range for Wechsler subtest scaled scores is 1 to 19 ");
}

FieldTexts fieldsOf(std::initializer_list<const char*> texts) {
    FieldTexts f;
    std::size_t k = 0;
    for (const char* t : texts) f[k++] = t;
    return f;
}

TEST(ReadInputRecord, GoodFieldsGiveTheRecordWithOptionsAndUnroundedScores) {
    const Options options{ConfidenceMethod::Glutting90, DifferenceBasis::EstimatedTrue, true,
                          AbnormalityCriterion::Percent15};
    const InputCheck check = readInputRecord(fieldsOf({"12", "7", "11", "9", "8", "10", "10.5"}), options, 7);
    ASSERT_TRUE(check.record);
    const InputRecord& record = *check.record;
    EXPECT_EQ(record.vocabulary, 12);
    EXPECT_EQ(record.digitSymbol, 7);
    EXPECT_EQ(record.similarities, 11);
    EXPECT_EQ(record.blockDesign, 9);
    EXPECT_EQ(record.arithmetic, 8);
    EXPECT_EQ(record.digitSpan, 10);
    EXPECT_EQ(record.matrixReasoning, 10.5);
    EXPECT_EQ(record.confidenceMethod, ConfidenceMethod::Glutting90);
    EXPECT_EQ(record.differenceBasis, DifferenceBasis::EstimatedTrue);
    EXPECT_TRUE(record.sequentialBonferroni);
    EXPECT_EQ(record.abnormalityCriterion, AbnormalityCriterion::Percent15);
    EXPECT_EQ(check.rejection.field, 0);
}

// One message a press: the first bad field in field order, and the range is
// checked only on a text that scanned.
TEST(ReadInputRecord, OnlyTheFirstBadFieldIsReported) {
    const std::pair<FieldTexts, FieldRejection> cases[] = {
        {fieldsOf({"10", "", "1.5.", "25", "10", "10", "10"}),
         {2, "INPUT ERROR\r\r(  DIGIT SYMBOL subtest scaled score:  )\r\rData have not been entered in this field."}},
        {fieldsOf({"5-", "10", "10", "10", "10", "10", "10"}),
         {1, "INPUT ERROR\r(  VOCABULARY subtest scaled score:  5-  )\r\rEnter numeric data only."}},
        {fieldsOf({"10", "10", "10", "10", "10", "10", "."}),
         {7,
          "INPUT ERROR\r(  MATRIX REASONING subtest scaled score:  0.000  )\rThe valid range for Wechsler subtest "
          "scaled scores is 1 to 19 "}},
        {fieldsOf({"10", "10", "10", "10", "10", "10", "-"}),
         {7,
          "INPUT ERROR\r(  MATRIX REASONING subtest scaled score:  0.000  )\rThe valid range for Wechsler subtest "
          "scaled scores is 1 to 19 "}},
    };
    for (const auto& [texts, rejection] : cases) {
        const InputCheck check = readInputRecord(texts, {}, 7);
        EXPECT_FALSE(check.record);
        EXPECT_EQ(check.rejection.field, rejection.field);
        EXPECT_EQ(check.rejection.message, rejection.message);
    }
}

TEST(ReadInputRecord, AgeFieldIsScannedButNotRangeCheckedWithEightInputs) {
    FieldTexts f = fieldsOf({"10", "10", "10", "10", "10", "10", "10"});
    f[7] = "250";
    EXPECT_TRUE(readInputRecord(f, {}, 8).record);
    f[7] = "";
    const InputCheck check = readInputRecord(f, {}, 8);
    EXPECT_FALSE(check.record);
    EXPECT_EQ(check.rejection.field, 8);
    EXPECT_EQ(check.rejection.message,
              "INPUT ERROR\r\r(  " + FieldCaptions[7] + "  )\r\rData have not been entered in this field.");
}

TEST(ReadInputRecord, TheCaptionsGivenNameTheFieldInTheMessage) {
    FieldCaptionTexts captions = FieldCaptions;
    captions[2] = "Similarities:";
    const InputCheck check = readInputRecord(fieldsOf({"10", "10", "x"}), {}, 7, captions);
    EXPECT_EQ(check.rejection.message, "INPUT ERROR\r(  Similarities:  x  )\r\rEnter numeric data only.");
}

TEST(OptionItems, PositionsMapToOptions) {
    EXPECT_EQ(confidenceMethodFromItem(0), ConfidenceMethod::Traditional95);
    EXPECT_EQ(confidenceMethodFromItem(3), ConfidenceMethod::Glutting90);
    EXPECT_EQ(differenceBasisFromItem(0), DifferenceBasis::Observed);
    EXPECT_EQ(differenceBasisFromItem(2), DifferenceBasis::EstimatedTrue);
    EXPECT_FALSE(sequentialBonferroniFromItem(0));
    EXPECT_TRUE(sequentialBonferroniFromItem(1));
    EXPECT_FALSE(sequentialBonferroniFromItem(2));
}

} // namespace
