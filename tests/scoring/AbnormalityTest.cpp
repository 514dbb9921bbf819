#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "report/ResultTables.h"
#include "scoring/Abnormality.h"
#include "scoring/IndexScores.h"
#include "stats/NormalDistribution.h"
#include "support/Cases.h"

using namespace kalden;
using namespace kalden::testing;

namespace {

AbnormalityResults abnormality(const InputRecord& in, Warnings& messages) {
    IndexResults r;
    computeIndexScores(in, in.confidenceMethod, r, messages);
    return computeIndexAbnormality(r, in.abnormalityCriterion, messages);
}

ReportLines lowScoreLines(const InputRecord& in) {
    Warnings messages;
    ReportLines lines;
    writeLowScoreLines(abnormality(in, messages), lines);
    return lines;
}

ReportLines abnormalitySection(const InputRecord& in) {
    Warnings messages;
    ReportLines lines;
    writeAbnormalitySection(abnormality(in, messages), lines);
    return lines;
}

Options criterion(AbnormalityCriterion c) {
    return optionsOf(ConfidenceMethod::Traditional95, DifferenceBasis::Observed, false, c);
}

const std::string Hundred = " " + std::string(100, '_');
const std::string NoAbnormalDifferences =
    " PERCENTAGE of normal population expected to exhibit this number or more of abnormal differences= %100%";

TEST(BaseRateTables, HoldTheirDecimals) {
    EXPECT_EQ(INDEX_CORRELATIONS, (std::array<double, 6>{0.626, 0.618, 0.448, 0.609, 0.453, 0.453}));
    EXPECT_EQ(LOW_SCORE_BASE_RATES[1], (std::array<double, 4>{25.10, 9.96, 3.95, 1.06}));
    EXPECT_EQ(DIFFERENCE_BASE_RATES[2], (std::array<double, 6>{47.22, 28.08, 12.37, 2.14, 0.15, 0.00}));
    EXPECT_EQ(lowScoreCutoff(AbnormalityCriterion::Percent15), -1.0364334);
    EXPECT_EQ(differenceCutoff(AbnormalityCriterion::Percent15), 1.4395315);
}

TEST(AbnormalitySection, AllTensHaveNoLowScoreAndTheFixedHundredLine) {
    Warnings messages;
    IndexResults r;
    computeIndexScores(allTens(), ConfidenceMethod::Traditional95, r, messages);
    const auto before = normalDensityEvaluations();
    const AbnormalityResults a = computeIndexAbnormality(r, AbnormalityCriterion::Percent5, messages);
    EXPECT_EQ(normalDensityEvaluations(), before) << "zero differences never integrate";
    EXPECT_EQ(a.abnormalDifferenceCount, 0);

    EXPECT_EQ(lowScoreLines(allTens()),
              (ReportLines{" NUMBER of case's Index scores classified as abnormally low =  0",
                           " PERCENTAGE of normal population expected to exhibit this number or more of abnormally low "
                           "scores:",
                           " Percentage = 100.00%"}));
    const ReportLines lines = abnormalitySection(allTens());
    const std::string zeroRow = "           0                    50.000%                     ( 100.000% )";
    const ReportLines expected = {
        " ABNORMALITY of differences between Short-Form Indices, i.e., percentage of population estimated to",
        " obtain a larger difference in same direction (figure in brackets is percentage regardless of sign ) :",
        Hundred,
        " Index Pair           Difference          %age of population        (%age regardless of sign)",
        Hundred,
        " VC versus PO" + zeroRow,
        " VC versus WM" + zeroRow,
        " VC versus PS" + zeroRow,
        "",
        " PO versus WM" + zeroRow,
        " PO versus PS" + zeroRow,
        "",
        " WM versus PS" + zeroRow,
        Hundred,
        " NUMBER of case's pairwise differences (regardless of sign) that meet criterion for abnormality =  0 ",
        NoAbnormalDifferences,
    };
    EXPECT_EQ(lines, expected);
}

TEST(AbnormalitySection, MixedCaseRows) {
    const ReportLines lines = abnormalitySection(mixedCase());
    const ReportLines rows = {lines[5], lines[6], lines[7], lines[9], lines[10], lines[12]};
    EXPECT_EQ(rows, (ReportLines{
                        " VC versus PO           2                    42.643%                     ( 85.287% )",
                        " VC versus WM          14                    14.749%                     ( 29.498% )",
                        " VC versus PS          23                     7.228%                     ( 14.455% )",
                        " PO versus WM          11                    19.662%                     ( 39.324% )",
                        " PO versus PS          21                     9.470%                     ( 18.940% )",
                        " WM versus PS           9                    27.742%                     ( 55.483% )",
                    }));
    EXPECT_EQ(lines[15], NoAbnormalDifferences);
    EXPECT_EQ(lowScoreLines(mixedCase())[0], " NUMBER of case's Index scores classified as abnormally low =  0");
}

TEST(AbnormalitySection, AllOnesHaveFourLowScoresUnderEveryCriterion) {
    for (auto c : {AbnormalityCriterion::Percent5, AbnormalityCriterion::Percent10, AbnormalityCriterion::Percent15}) {
        Warnings messages;
        EXPECT_EQ(abnormality(allOnes(criterion(c)), messages).lowScoreCount, 4);
    }
    EXPECT_EQ(lowScoreLines(allOnes())[2], " Percentage = 0.31%");
    EXPECT_EQ(abnormalitySection(allOnes())[7].substr(0, 52), " VC versus PS          -3                    42.515%");
}

TEST(AbnormalitySection, SplitProfileCountsDependOnTheCriterion) {
    const ReportLines low5 = lowScoreLines(splitProfile());
    EXPECT_EQ(low5[0], " NUMBER of case's Index scores classified as abnormally low =  2");
    EXPECT_EQ(low5[2], " Percentage = 4.34%");
    const ReportLines diff5 = abnormalitySection(splitProfile());
    EXPECT_EQ(diff5[14],
              " NUMBER of case's pairwise differences (regardless of sign) that meet criterion for abnormality =  4 ");
    EXPECT_EQ(diff5[15],
              " PERCENTAGE of normal population expected to exhibit this number or more of abnormal differences=0.16%");

    const InputRecord wide = splitProfile(criterion(AbnormalityCriterion::Percent15));
    EXPECT_EQ(lowScoreLines(wide)[2], " Percentage = 16.01%");
    const ReportLines diff15 = abnormalitySection(wide);
    EXPECT_EQ(diff15[12].substr(0, 25), " WM versus PS          30");
    EXPECT_EQ(diff15[14],
              " NUMBER of case's pairwise differences (regardless of sign) that meet criterion for abnormality =  5 ");
    EXPECT_EQ(diff15[15],
              " PERCENTAGE of normal population expected to exhibit this number or more of abnormal differences=0.15%");
}

// The score next to `start` (within a few hundred steps of one unit in the
// last place) for which `z(score)` is exactly `target`.
template <typename Z>
std::optional<double> scoreWithZ(double start, double target, Z z) {
    double up = start, down = start;
    for (int i = 0; i < 400; ++i) {
        if (z(up) == target) return up;
        if (z(down) == target) return down;
        up = std::nextafter(up, 1e9);
        down = std::nextafter(down, -1e9);
    }
    return std::nullopt;
}

TEST(Abnormality, ComparisonsAtTheCutoffsAreStrict) {
    Warnings messages;
    // No double score puts z exactly on the low-score cut-off (z moves in
    // steps of several units in the last place), so the strictness is shown
    // on the difference, whose z can be made to equal its cut-off.
    // VC-PS has the widest SD, so its z moves in the finest steps; with PS at
    // 0 the difference is the VC score itself.
    const double sd = std::sqrt(450.0 - 450.0 * INDEX_CORRELATIONS[2]);
    const double dcut = differenceCutoff(AbnormalityCriterion::Percent5);
    const auto atDiff = scoreWithZ(dcut * sd, dcut, [&](double s) { return s / sd; });
    ASSERT_TRUE(atDiff);
    const AbnormalityResults at = computeAbnormality({*atDiff, 100, 100, 0}, AbnormalityCriterion::Percent5, messages);
    EXPECT_FALSE(at.pairs[2].isAbnormal);
    const AbnormalityResults above =
        computeAbnormality({std::nextafter(*atDiff, 1e9), 100, 100, 0}, AbnormalityCriterion::Percent5, messages);
    EXPECT_TRUE(above.pairs[2].isAbnormal);
}

TEST(Abnormality, DifferenceSdIsTakenFromTheCorrelation) {
    Warnings messages;
    const AbnormalityResults a = computeAbnormality({110, 100, 100, 100}, AbnormalityCriterion::Percent5, messages);
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(a.pairs[i].differenceSd, std::sqrt(450.0 - 450.0 * INDEX_CORRELATIONS[i])) << i;
    EXPECT_EQ(a.pairs[0].abnormalityPercent, (1.0 - normalCdf(10.0 / a.pairs[0].differenceSd, messages)) * 100.0);
}

} // namespace
