#include <gtest/gtest.h>

#include <algorithm>

#include "format/NumberFormat.h"
#include "report/ReportComposer.h"
#include "report/ScoreCase.h"
#include "support/Cases.h"
#include "support/Reports.h"
#include "worksheet/ProgramConfig.h"

using namespace kalden;
using namespace kalden::testing;

namespace {

// The report of `in` appended to `report`, as reports accumulate.
ReportLines compose(ReportLines report, const InputRecord& in, const ReportContext& context, Warnings& messages) {
    const ScoredCase scored = scoreCase(in, context);
    const Warnings raised = scored.warnings();
    messages.insert(messages.end(), raised.begin(), raised.end());
    appendReport(report, scored.report);
    return report;
}

ReportLines compose(const InputRecord& in, const ReportContext& context = {}) {
    Warnings messages;
    return compose({}, in, context, messages);
}

std::size_t indexOf(const ReportLines& lines, const std::string& line, std::size_t from = 0) {
    return static_cast<std::size_t>(std::find(lines.begin() + static_cast<long>(from), lines.end(), line) -
                                    lines.begin());
}

class ComposeReport : public ::testing::Test {
protected:
    void SetUp() override { setDecimalSeparator('.'); }
};

TEST_F(ComposeReport, FirstReportStartsWithAnEmptyLineAndTheTitle) {
    const ReportLines r = compose(allTens());
    ASSERT_GE(r.size(), 9u);
    EXPECT_EQ(r[0], "");
    EXPECT_EQ(r[1], "KALDEN.EXE: Scoring and analysis of an Index-based WAIS-III short-form");
    EXPECT_EQ(r[2], "");
    EXPECT_EQ(r[3], "THIS PROGRAM IMPLEMENTS METHODS DEVELOPED IN THE FOLLOWING PAPER:");
    EXPECT_EQ(r[7], "");
    EXPECT_EQ(r[8], " INPUTS:") << "no notes: the inputs follow the header at once";
    EXPECT_EQ(std::count(r.begin(), r.end(), std::string(103, '-')), 0);
    EXPECT_EQ(r.back(), " Chi-square = 0.000,  p value = 1.00000");
}

TEST_F(ComposeReport, SecondReportIsAppendedAfterTheSeparator) {
    Warnings messages;
    const ReportLines first = compose({}, allTens(), {}, messages);
    const ReportLines both = compose(first, mixedCase(), {}, messages);
    ASSERT_EQ(std::vector<std::string>(both.begin(), both.begin() + static_cast<long>(first.size())), first);
    const std::string hyphens(103, '-');
    const ReportLines start(both.begin() + static_cast<long>(first.size()),
                            both.begin() + static_cast<long>(first.size()) + 6);
    EXPECT_EQ(start, (ReportLines{"", hyphens, hyphens, "", "", ProgramTitle}));
}

TEST_F(ComposeReport, ReportAfterUserTextAlsoGetsTheSeparator) {
    Warnings messages;
    const ReportLines r = compose({"typed by the user"}, allTens(), {}, messages);
    EXPECT_EQ(r[0], "typed by the user");
    EXPECT_EQ(r[1], "");
    EXPECT_EQ(r[2], std::string(103, '-'));
}

TEST_F(ComposeReport, NotesAreEchoedUnderTheLabelWithASingleSpaceLineAfter) {
    ReportContext twoLines;
    twoLines.notes = {"abc", "def"};
    const ReportLines a = compose(allTens(), twoLines);
    EXPECT_EQ(ReportLines(a.begin() + 8, a.begin() + 12),
              (ReportLines{" User's Notes: abc", "               def", " ", " INPUTS:"}));

    ReportContext emptyFirst;
    emptyFirst.notes = {"", "abc"};
    const ReportLines b = compose(allTens(), emptyFirst);
    EXPECT_EQ(ReportLines(b.begin() + 8, b.begin() + 11), (ReportLines{" User's Notes: ", "               abc", " "}));
}

TEST_F(ComposeReport, InputsAreEchoedRoundedInSixCharacters) {
    const ReportLines r = compose(caseOf(10, 10.5, 10, 10, 10, 10, 19));
    EXPECT_EQ(ReportLines(r.begin() + 8, r.begin() + 17),
              (ReportLines{" INPUTS:", " VOCABULARY subtest scaled score=            10",
                           " DIGIT SYMBOL subtest scaled score=          11",
                           " SIMILARITIES subtest scaled score=          10",
                           " BLOCK DESIGN subtest scaled score=          10",
                           " ARITHMETIC subtest scaled score=            10",
                           " DIGIT SPAN subtest scaled score=            10",
                           " MATRIX REASONING subtest scaled score=      19", ""}));
}

TEST_F(ComposeReport, OptionNotesStateEveryChoice) {
    const ReportLines r = compose(allTens(optionsOf(ConfidenceMethod::Glutting95, DifferenceBasis::EstimatedTrue, true,
                                                    AbnormalityCriterion::Percent15)));
    EXPECT_EQ(
        ReportLines(r.begin() + 17, r.begin() + 27),
        (ReportLines{
            " Note: 95% Confidence limits using the Glutting method were selected",
            " Note: Analysis of reliability of differences between Indices is based on estimated TRUE scores",
            " Note: Sequential Bonferroni correction IS applied when testing for reliable differences",
            " Note: An abnormally low score (& abnormally large difference) is defined as being exhibited by less",
            "       than 15% of population", "", "", "", " OUTPUTS:", ""}));
}

TEST_F(ComposeReport, SectionsFollowEachOtherWithTheirEmptyLines) {
    const ReportLines r = compose(mixedCase());
    const std::size_t fullScale =
        indexOf(r, "  Full Scale IQ           :    100      (  95 to 105 )             50.0      (  36.7 to   63.3 )");
    const std::size_t closingRule = fullScale + 1;
    EXPECT_EQ(r[closingRule], " " + std::string(99, '_'));
    ASSERT_LT(closingRule, r.size());
    EXPECT_EQ(r[closingRule + 1].rfind(" NUMBER of case's Index scores classified as abnormally low", 0), 0u);
    EXPECT_EQ(r[closingRule + 3], " Percentage = 100.00%");
    EXPECT_EQ(ReportLines(r.begin() + static_cast<long>(closingRule) + 4,
                          r.begin() + static_cast<long>(closingRule) + 8),
              (ReportLines{"", "", "", " RELIABLITY of differences between Short-Form Indices:"}));
    const std::size_t abnormality =
        indexOf(r,
                " ABNORMALITY of differences between Short-Form Indices, i.e., percentage of population estimated to");
    EXPECT_EQ(ReportLines(r.begin() + static_cast<long>(abnormality) - 4, r.begin() + static_cast<long>(abnormality)),
              (ReportLines{" " + std::string(100, '_'), "", "", ""}));
    EXPECT_EQ(r[r.size() - 3], "");
}

TEST_F(ComposeReport, GridEchoWhenTheTemplateShowsTheGrid) {
    ReportContext c;
    c.useDataGrid = true;
    c.gridColumns = 4;
    c.gridRows = 2;
    c.gridCells = {{"1.5", "", "-2", "0.25"}, {"10", "3", "x", " 7"}};
    Warnings messages;
    const ReportLines r = compose({}, allTens(), c, messages);
    const std::size_t title = indexOf(r, std::string(18, ' ') + "Column names");
    ASSERT_LT(title, r.size());
    EXPECT_EQ(r[title - 1], "       than 5% of population");
    EXPECT_EQ(ReportLines(r.begin() + static_cast<long>(title) + 1, r.begin() + static_cast<long>(title) + 9),
              (ReportLines{" Item    1       2       3       4    ", "         _" + std::string(28, '_'),
                           "  0:   1.500   0.000  -2.000   0.250", "  1:  10.000   3.000   0.000   7.000", "", "", "",
                           ""}));
    EXPECT_EQ(r[title + 9], " OUTPUTS:");
    // The cell that does not scan gets the scan's own message and is echoed as zero.
    EXPECT_EQ(messages, (Warnings{"There is an invalid data entry, which will be highlighted once you click 'OK', "
                                  "please re-enter."}));
}

TEST_F(ComposeReport, MatrixEchoPrintsTheLowerTriangle) {
    ReportContext c;
    c.useCorrelationMatrix = true;
    c.matrixSize = 3;
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j)
            c.storedMatrix[static_cast<std::size_t>((i - 1) * MAX_ORDER + (j - 1))] = i == j ? 1.0 : 0.5;
    c.storedMatrix[2 * MAX_ORDER + 0] = -0.25;
    const ReportLines r = compose(allTens(), c);
    const std::size_t heading = indexOf(r, " Correlation matrix:");
    ASSERT_LT(heading, r.size());
    EXPECT_EQ(r[heading - 1], "       than 5% of population");
    EXPECT_EQ(ReportLines(r.begin() + static_cast<long>(heading) + 1, r.begin() + static_cast<long>(heading) + 8),
              (ReportLines{" 1:  1.000 ", " 2:  0.500  1.000 ", " 3: -0.250  0.500  1.000 ", "", "", "", " OUTPUTS:"}));
}

TEST_F(ComposeReport, NoMatrixLinesBeforeTheMatrixStepHasRun) {
    ReportContext c;
    c.useCorrelationMatrix = true;
    const ReportLines r = compose(allTens(), c);
    const std::size_t heading = indexOf(r, " Correlation matrix:");
    ASSERT_LT(heading, r.size());
    EXPECT_EQ(r[heading + 1], "");
    EXPECT_EQ(r[heading + 4], " OUTPUTS:");
}

} // namespace
