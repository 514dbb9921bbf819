#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/RecordingMessages.h"
#include "worksheet/InputValidation.h"
#include "worksheet/ProgramConfig.h"

using kalden::testing::RecordingMessages;
using namespace kalden;

namespace {

const std::string NumericOnly = "INPUT ERROR\r\rEnter numeric data only.";

TEST(KeystrokeFilter, PassesDigitsSignPointAndEditingKeys) {
    RecordingMessages messages;
    for (char c : std::string("0123456789-.\b\t\r")) EXPECT_EQ(filterInputKey(c, messages), c) << int(c);
    EXPECT_TRUE(messages.events.empty());
}

TEST(KeystrokeFilter, DiscardsEverythingElseAfterBeepThenWarning) {
    for (char c : std::string("a +,e\x03\x16/")) {
        RecordingMessages messages;
        EXPECT_EQ(filterInputKey(c, messages), '\0') << int(c);
        ASSERT_EQ(messages.events, (std::vector<std::string>{"beep", "warn:" + NumericOnly})) << int(c);
    }
}

TEST(LengthLimit, SixCharactersOrFewerAreLeftAlone) {
    RecordingMessages messages;
    EXPECT_EQ(limitInputLength("123456", messages), "123456");
    EXPECT_EQ(limitInputLength("", messages), "");
    EXPECT_TRUE(messages.events.empty());
}

TEST(LengthLimit, SeventhCharacterIsCutAfterBeepAndWarning) {
    RecordingMessages messages;
    EXPECT_EQ(limitInputLength("1234567", messages), "123456");
    EXPECT_EQ(messages.events, (std::vector<std::string>{"beep", "warn:Maximum length of input is 6 characters."}));
    // A character typed in the middle pushes the last one out.
    messages.clear();
    EXPECT_EQ(limitInputLength("1293456", messages), "129345");
}

TEST(LengthLimit, CountsCharactersNotBytes) {
    RecordingMessages messages;
    EXPECT_EQ(limitInputLength("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", messages),
              "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9");
    EXPECT_TRUE(messages.events.empty());
    EXPECT_EQ(limitInputLength("\xC3\xA9"
                               "12345x",
                               messages),
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
    RecordingMessages messages;
    const ParseResult result = parseFieldValue("", "DIGIT SYMBOL subtest scaled score:", messages);
    EXPECT_TRUE(InputError);
    EXPECT_FALSE(result.ok);
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_EQ(messages.warnings[0],
              "INPUT ERROR\r\r(  DIGIT SYMBOL subtest scaled score:  )\r\rData have not been entered in this field.");
    EXPECT_EQ(result.message, messages.warnings[0]);
    EXPECT_EQ(messages.beeps, 0);
}

TEST(ParseFieldValue, TextThatDoesNotScanIsQuoted) {
    RecordingMessages messages;
    const ParseResult result = parseFieldValue("1.5.", "VOCABULARY subtest scaled score:", messages);
    EXPECT_TRUE(InputError);
    EXPECT_FALSE(result.ok);
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_EQ(messages.warnings[0],
              "INPUT ERROR\r(  VOCABULARY subtest scaled score:  1.5.  )\r\rEnter numeric data only.");
    EXPECT_EQ(result.message, messages.warnings[0]);
}

TEST(ParseFieldValue, GoodTextClearsTheFlag) {
    RecordingMessages messages;
    InputError = true;
    const ParseResult result = parseFieldValue("12", "x", messages);
    EXPECT_EQ(result.value, 12.0);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.message, "");
    EXPECT_FALSE(InputError);
    EXPECT_TRUE(messages.events.empty());
}

TEST(ParseNumericText, EmptyReadsAsZeroAndBadTextHasItsOwnMessage) {
    RecordingMessages messages;
    InputError = true;
    const ParseResult empty = parseNumericText("", messages);
    EXPECT_EQ(empty.value, 0.0);
    EXPECT_TRUE(empty.ok);
    EXPECT_FALSE(InputError);
    EXPECT_TRUE(messages.events.empty());
    const ParseResult bad = parseNumericText("0.5x", messages);
    EXPECT_TRUE(InputError);
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.message,
              "There is an invalid data entry, which will be highlighted once you click 'OK', please re-enter.");
    EXPECT_EQ(messages.warnings, (std::vector<std::string>{"There is an invalid data entry, which will be highlighted "
                                                           "once you click 'OK', please re-enter."}));
}

TEST(ScaledScoreRange, BothEndsAreIncluded) {
    RecordingMessages messages;
    EXPECT_TRUE(checkScaledScoreRange("c", 1, messages));
    EXPECT_TRUE(checkScaledScoreRange("c", 19, messages));
    EXPECT_TRUE(checkScaledScoreRange("c", 10.5, messages));
    EXPECT_TRUE(messages.events.empty());
}

TEST(ScaledScoreRange, OutsideValuesShowThreeDecimals) {
    const std::pair<double, const char*> cases[] = {
        {-5, "-5.000"},   {25, "25.000"}, {0, "0.000"},       {19.01, "19.010"},      {0.99, "0.990"},
        {19.5, "19.500"}, {0.5, "0.500"}, {-0.0001, "0.000"}, {123456, "123456.000"},
    };
    for (const auto& [value, shown] : cases) {
        RecordingMessages messages;
        EXPECT_FALSE(checkScaledScoreRange("VOCABULARY subtest scaled score:", value, messages));
        ASSERT_EQ(messages.warnings.size(), 1u);
        EXPECT_EQ(messages.warnings[0], std::string("INPUT ERROR\r(  VOCABULARY subtest scaled score:  ") + shown +
                                            "  )\rThe valid range for Wechsler subtest scaled scores is 1 to 19 ");
    }
}

TEST(ScaledScoreRange, InfiniteAndUndefinedValuesGiveAClearMessage) {
    RecordingMessages messages;
    EXPECT_FALSE(checkScaledScoreRange("c", std::numeric_limits<double>::infinity(), messages));
    EXPECT_FALSE(checkScaledScoreRange("c", std::numeric_limits<double>::quiet_NaN(), messages));
    ASSERT_EQ(messages.warnings.size(), 2u);
    EXPECT_EQ(messages.warnings[0],
              "INPUT ERROR\r(  c  INF  )\rThe valid range for Wechsler subtest scaled scores is 1 to 19 ");
    EXPECT_EQ(messages.warnings[1],
              "INPUT ERROR\r(  c  NAN  )\rThe valid range for Wechsler subtest scaled scores is 1 to 19 ");
}

TextInputFields fieldsOf(std::initializer_list<const char*> texts) {
    TextInputFields f;
    int k = 0;
    for (const char* t : texts) f.texts[k++] = t;
    return f;
}

TEST(ReadInputRecord, GoodFieldsGiveTheRecordWithOptionsAndUnroundedScores) {
    RecordingMessages messages;
    TextInputFields f = fieldsOf({"12", "7", "11", "9", "8", "10", "10.5"});
    f.chosen =
        Options{ConfidenceMethod::Glutting90, DifferenceBasis::EstimatedTrue, true, AbnormalityCriterion::Percent15};
    const auto record = readInputRecord(f, 7, messages);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->vocabulary, 12);
    EXPECT_EQ(record->digitSymbol, 7);
    EXPECT_EQ(record->similarities, 11);
    EXPECT_EQ(record->blockDesign, 9);
    EXPECT_EQ(record->arithmetic, 8);
    EXPECT_EQ(record->digitSpan, 10);
    EXPECT_EQ(record->matrixReasoning, 10.5);
    EXPECT_EQ(record->confidenceMethod, ConfidenceMethod::Glutting90);
    EXPECT_EQ(record->differenceBasis, DifferenceBasis::EstimatedTrue);
    EXPECT_TRUE(record->sequentialBonferroni);
    EXPECT_EQ(record->abnormalityCriterion, AbnormalityCriterion::Percent15);
    EXPECT_EQ(f.focusedField, 0);
    EXPECT_TRUE(messages.events.empty());
}

TEST(ReadInputRecord, OnlyTheFirstBadFieldIsReportedAndFocused) {
    RecordingMessages messages;
    TextInputFields f = fieldsOf({"10", "", "1.5.", "25", "10", "10", "10"});
    EXPECT_FALSE(readInputRecord(f, 7, messages));
    EXPECT_EQ(f.focusedField, 2);
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_EQ(messages.warnings[0],
              "INPUT ERROR\r\r(  DIGIT SYMBOL subtest scaled score:  )\r\rData have not been entered in this field.");
}

TEST(ReadInputRecord, ScanFailureSkipsTheRangeCheck) {
    RecordingMessages messages;
    TextInputFields f = fieldsOf({"5-", "10", "10", "10", "10", "10", "10"});
    EXPECT_FALSE(readInputRecord(f, 7, messages));
    EXPECT_EQ(f.focusedField, 1);
    EXPECT_EQ(messages.warnings,
              (std::vector<std::string>{
                  "INPUT ERROR\r(  VOCABULARY subtest scaled score:  5-  )\r\rEnter numeric data only."}));
}

TEST(ReadInputRecord, LonePointAndLoneMinusFailTheRangeCheckAsZero) {
    for (const char* text : {".", "-"}) {
        RecordingMessages messages;
        TextInputFields f = fieldsOf({"10", "10", "10", "10", "10", "10", text});
        EXPECT_FALSE(readInputRecord(f, 7, messages));
        EXPECT_EQ(f.focusedField, 7);
        EXPECT_EQ(messages.warnings, (std::vector<std::string>{
                                         "INPUT ERROR\r(  MATRIX REASONING subtest scaled score:  0.000  )\rThe valid "
                                         "range for Wechsler subtest scaled scores is 1 to 19 "}));
    }
}

TEST(ReadInputRecord, AgeFieldIsIgnoredWithSevenInputs) {
    RecordingMessages messages;
    TextInputFields f = fieldsOf({"10", "10", "10", "10", "10", "10", "10"});
    f.texts[7] = "abc";
    EXPECT_TRUE(readInputRecord(f, 7, messages));
    EXPECT_TRUE(messages.events.empty());
}

TEST(ReadInputRecord, AgeFieldIsScannedButNotRangeCheckedWithEightInputs) {
    RecordingMessages messages;
    TextInputFields f = fieldsOf({"10", "10", "10", "10", "10", "10", "10"});
    f.texts[7] = "250";
    EXPECT_TRUE(readInputRecord(f, 8, messages));
    f.texts[7] = "";
    EXPECT_FALSE(readInputRecord(f, 8, messages));
    EXPECT_EQ(f.focusedField, 8);
    EXPECT_EQ(messages.warnings, (std::vector<std::string>{"INPUT ERROR\r\r(  " + FieldCaptions[7] +
                                                           "  )\r\rData have not been entered in this field."}));
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
