#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "report/ScoreCase.h"
#include "support/Cases.h"
#include "support/Reports.h"
#include "worksheet/ProgramConfig.h"

using namespace kalden;
using namespace kalden::testing;

namespace {

std::string joined(const ReportLines& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + '\n';
    return text;
}

std::string goldenText(const std::string& name) {
    std::ifstream in(std::string(KALDEN_GOLDEN_DIR) + "/" + name + ".txt", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct GoldenRoad {
    const char* file;
    std::array<std::string, 7> fields;
    Options options;
    std::vector<std::string> notes;
};

// The reviewed whole reports come out of the road itself, with no front end
// in between.
TEST(CaseRoad, EveryReviewedReportComesOutOfTheRoadByteForByte) {
    const Options bonferroni{ConfidenceMethod::Traditional95, DifferenceBasis::Observed, true,
                             AbnormalityCriterion::Percent5};
    const GoldenRoad cases[] = {
        {"mixed_traditional95", {"12", "7", "11", "9", "8", "10", "13"}, {}, {}},
        {"mixed_traditional90",
         {"12", "7", "11", "9", "8", "10", "13"},
         optionsOf(ConfidenceMethod::Traditional90),
         {}},
        {"mixed_glutting95_true_bonferroni",
         {"12", "7", "11", "9", "8", "10", "13"},
         optionsOf(ConfidenceMethod::Glutting95, DifferenceBasis::EstimatedTrue, true, AbnormalityCriterion::Percent15),
         {}},
        {"mixed_glutting90_true",
         {"12", "7", "11", "9", "8", "10", "13"},
         optionsOf(ConfidenceMethod::Glutting90, DifferenceBasis::EstimatedTrue),
         {}},
        {"all_tens_bonferroni_notes",
         {"10", "10", "10", "10", "10", "10", "10"},
         bonferroni,
         {"Referred for review", "", "second sitting"}},
        {"all_ones_criterion10",
         {"1", "1", "1", "1", "1", "1", "1"},
         optionsOf(ConfidenceMethod::Traditional95, DifferenceBasis::Observed, false, AbnormalityCriterion::Percent10),
         {}},
        {"all_nineteens_glutting95",
         {"19", "19", "19", "19", "19", "19", "19"},
         optionsOf(ConfidenceMethod::Glutting95),
         {}},
        {"split_profile_criterion15",
         {"15", "4", "15", "5", "10", "10", "5"},
         optionsOf(ConfidenceMethod::Traditional95, DifferenceBasis::Observed, false, AbnormalityCriterion::Percent15),
         {}},
        {"all_significant_bonferroni", {"19", "1", "19", "13", "7", "7", "13"}, bonferroni, {}},
        {"half_point_digit_symbol", {"10", "10.5", "10", "10", "10", "10", "10"}, {}, {}},
    };
    for (const GoldenRoad& c : cases) {
        const CaseOutcome outcome = runCase({c.fields, c.options, c.notes});
        ASSERT_TRUE(outcome.scored) << c.file;
        EXPECT_FALSE(outcome.rejection) << c.file;
        EXPECT_TRUE(outcome.scored->warnings().empty()) << c.file;
        EXPECT_EQ(joined(outcome.scored->report), goldenText(c.file)) << c.file;
    }
}

// The first bad field in field order is the one reported, whatever comes
// after it, and nothing is scored.
TEST(CaseRoad, TheFirstBadFieldComesBackWithItsMessage) {
    struct Rejected {
        std::array<std::string, 7> fields;
        int field;
        std::string message;
    };
    const Rejected cases[] = {
        {{"10", "10", "10", "10", "1.5.", "", "99"},
         5,
         "INPUT ERROR\r(  ARITHMETIC subtest scaled score:  1.5.  )\r\rEnter numeric data only."},
        {{"10", "", "x", "10", "10", "10", "10"},
         2,
         "INPUT ERROR\r\r(  DIGIT SYMBOL subtest scaled score:  )\r\rData have not been entered in this field."},
        {{"10", "10", "10", "10", "10", "10", "19.01"},
         7,
         "INPUT ERROR\r(  MATRIX REASONING subtest scaled score:  19.010  )\rThe valid range for Wechsler subtest "
         "scaled scores is 1 to 19 "},
    };
    for (const Rejected& c : cases) {
        const CaseOutcome outcome = runCase({c.fields, {}, {"a note"}});
        EXPECT_FALSE(outcome.scored);
        ASSERT_TRUE(outcome.rejection);
        EXPECT_EQ(outcome.rejection->field, c.field);
        EXPECT_EQ(outcome.rejection->message, c.message);
    }
}

TEST(CaseRoad, TheAgeFieldCountsOnlyWhenEightFieldsAreInUse) {
    FieldTexts texts = fieldTextsOf({"10", "10", "10", "10", "10", "10", "10"});
    texts[7] = "abc";
    EXPECT_TRUE(readInputRecord(texts, {}, 7).record);
    const InputCheck eight = readInputRecord(texts, {}, 8);
    EXPECT_FALSE(eight.record);
    EXPECT_EQ(eight.rejection.field, 8);
    EXPECT_EQ(eight.rejection.message, "INPUT ERROR\r(  " + FieldCaptions[7] + "  abc  )\r\rEnter numeric data only.");
}

// A Digit Symbol of 7.6480432 puts the PS upper limit at exactly 100, where
// the integration never meets its tolerance: the warning comes back with the
// results, which are still given.
TEST(CaseRoad, TheNumericalWarningComesBackWithTheResults) {
    const CaseOutcome outcome = runCase({{"10", "7.6480432", "10", "10", "10", "10", "10"}, {}, {}});
    ASSERT_TRUE(outcome.scored);
    EXPECT_EQ(outcome.scored->results.warnings, (Warnings{"Too many steps"}));
    EXPECT_EQ(outcome.scored->warnings(), (Warnings{"Too many steps"}));
    EXPECT_EQ(outcome.scored->report.back().substr(0, 14), " Chi-square = ");
}

TEST(CaseRoad, AGridCellThatDoesNotScanIsEchoedAsZeroWithItsMessage) {
    ReportContext context;
    context.useDataGrid = true;
    context.gridColumns = 2;
    context.gridRows = 1;
    context.gridCells = {{"1.5", "x"}};
    const ScoredCase scored = scoreCase(allTens(), context);
    EXPECT_EQ(scored.echoWarnings, (Warnings{"There is an invalid data entry, which will be highlighted once you "
                                             "click 'OK', please re-enter."}));
    EXPECT_NE(std::find(scored.report.begin(), scored.report.end(), "  0:   1.500   0.000"), scored.report.end());
}

// Reports accumulate with the separator between them, and only between them.
TEST(ReportText, TheSeparatorStandsOnlyBetweenWhatIsThereAndTheNewReport) {
    const std::string rule(103, '-');
    ReportLines text;
    appendReport(text, {"first", "report"});
    EXPECT_EQ(text, (ReportLines{"first", "report"}));
    appendReport(text, {"second"});
    EXPECT_EQ(text, (ReportLines{"first", "report", "", rule, rule, "", "second"}));
    ReportLines typed{""}; // one empty line typed by the user is something
    appendReport(typed, {"r"});
    EXPECT_EQ(typed, (ReportLines{"", "", rule, rule, "", "r"}));
}

} // namespace
