#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "report/ResultTables.h"
#include "scoring/DifferenceReliability.h"
#include "scoring/IndexScores.h"
#include "stats/NormalDistribution.h"
#include "support/Cases.h"

using namespace kalden;
using namespace kalden::testing;

namespace {

IndexResults tested(const InputRecord& in, Warnings& messages) {
    IndexResults r;
    computeIndexScores(in, in.confidenceMethod, r, messages);
    computeDifferenceTests(r, in.differenceBasis, messages);
    r.sequentialBonferroni = in.sequentialBonferroni;
    if (in.sequentialBonferroni) applySequentialBonferroni(r);
    return r;
}

ReportLines section(const InputRecord& in) {
    Warnings messages;
    ReportLines lines;
    writeReliabilitySection(tested(in, messages), lines);
    return lines;
}

// The six rows, wherever the variant puts them.
std::vector<std::string> rowsOf(const ReportLines& lines) {
    std::vector<std::string> rows;
    for (const std::string& l : lines)
        if (l.find(" versus ") != std::string::npos) rows.push_back(l);
    return rows;
}

const std::vector<std::string> MixedPRows = {
    " VC versus PO              2                 0.662                0.331",
    " VC versus WM             14                 0.012                0.006",
    " VC versus PS             23                 0.001                0.001",
    " PO versus WM             11                 0.049                0.024",
    " PO versus PS             21                 0.005                0.002",
    " WM versus PS              9                 0.200                0.100",
};

TEST(ReliabilitySection, ObservedWithoutCorrectionPrintsBothPValues) {
    const ReportLines lines = section(mixedCase());
    const ReportLines expected = {
        " RELIABLITY of differences between Short-Form Indices:",
        " " + std::string(100, '_'),
        " Index Pair           Difference          Two-tailed p          One-tailed p",
        " " + std::string(100, '_'),
        MixedPRows[0],
        MixedPRows[1],
        MixedPRows[2],
        "",
        MixedPRows[3],
        MixedPRows[4],
        "",
        MixedPRows[5],
        " " + std::string(100, '_'),
    };
    EXPECT_EQ(lines, expected);
}

TEST(ReliabilitySection, BonferroniVerdictsFollowTheSequentialPasses) {
    const ReportLines lines =
        section(mixedCase(optionsOf(ConfidenceMethod::Traditional95, DifferenceBasis::Observed, true)));
    const ReportLines expected = {
        " RELIABLITY of differences between Short-Form Indices after Bonferroni correction:",
        " " + std::string(100, '_'),
        " Index Pair          Difference              Bonferroni p",
        " " + std::string(100, '_'),
        " VC versus PO            2                      not sig   ",
        " VC versus WM           14                      p < .05 ",
        " VC versus PS           23                      p < .05  ",
        "",
        " PO versus WM           11                      not sig ",
        " PO versus PS           21                      p < .05  ",
        "",
        " WM versus PS            9                      not sig ",
        " " + std::string(100, '_'),
    };
    EXPECT_EQ(lines, expected);
}

TEST(ReliabilitySection, TrueScoreVariantsHaveTheirOwnRulesAndEmptyLine) {
    const Options trueNoCorrection = optionsOf(ConfidenceMethod::Glutting90, DifferenceBasis::EstimatedTrue, false);
    const ReportLines a = section(mixedCase(trueNoCorrection));
    ASSERT_EQ(a.size(), 13u);
    EXPECT_EQ(a[0], " RELIABLITY of differences between true scores for Short-Form Indices:");
    EXPECT_EQ(a[1], " " + std::string(101, '_'));
    EXPECT_EQ(a[3], " " + std::string(101, '_'));
    EXPECT_EQ(a[12], " " + std::string(102, '_'));

    const Options trueWithCorrection = optionsOf(ConfidenceMethod::Glutting90, DifferenceBasis::EstimatedTrue, true);
    const ReportLines b = section(mixedCase(trueWithCorrection));
    ASSERT_EQ(b.size(), 14u);
    EXPECT_EQ(b[0],
              " RELIABLITY of differences between true scores for Short-Form Indices after Bonferroni correction:");
    EXPECT_EQ(b[1], " " + std::string(100, '_'));
    EXPECT_EQ(b[2], " Index Pair          Difference              Bonferroni p");
    EXPECT_EQ(b[3], " " + std::string(100, '_'));
    EXPECT_EQ(b[4], "");
    EXPECT_EQ(b[13], " " + std::string(101, '_'));
}

TEST(ReliabilitySection, TrueScoresUnderGlutting90) {
    const auto rows =
        rowsOf(section(mixedCase(optionsOf(ConfidenceMethod::Glutting90, DifferenceBasis::EstimatedTrue))));
    const std::vector<std::string> expected = {
        " VC versus PO              2                 0.648                0.324",
        " VC versus WM             13                 0.012                0.006",
        " VC versus PS             20                 0.001                0.000",
        " PO versus WM             10                 0.049                0.025",
        " PO versus PS             18                 0.005                0.002",
        " WM versus PS              7                 0.246                0.123",
    };
    ASSERT_EQ(rows.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        // Differences and two-tailed p as worked; one-tailed p is half of the two-tailed one.
        EXPECT_EQ(rows[i].substr(0, 50), expected[i].substr(0, 50)) << i;
    }
    EXPECT_EQ(rows[2], expected[2]);
}

TEST(ReliabilitySection, ZeroDifferencesNeverCallTheNormalFunction) {
    Warnings messages;
    IndexResults r;
    computeIndexScores(allTens(), ConfidenceMethod::Traditional95, r, messages);
    const auto afterScores = normalDensityEvaluations();
    computeDifferenceTests(r, DifferenceBasis::Observed, messages);
    EXPECT_EQ(normalDensityEvaluations(), afterScores);
    Warnings unused;
    simpsonIntegral(0.0, 1.0, unused);
    EXPECT_GT(normalDensityEvaluations(), afterScores) << "the count counts";
    for (const PairResult& p : r.pairs) {
        EXPECT_EQ(p.oneTailedP, 0.5);
        EXPECT_EQ(p.twoTailedP, 1.0);
    }
    EXPECT_TRUE(messages.empty());
    const auto rows = rowsOf(section(allTens()));
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(rows[i].substr(13), "              0                 1.000                0.500") << i;
    const auto verdicts =
        rowsOf(section(allTens(optionsOf(ConfidenceMethod::Traditional95, DifferenceBasis::Observed, true))));
    for (const std::string& v : verdicts) EXPECT_NE(v.find(" not sig"), std::string::npos) << v;
}

TEST(ReliabilitySection, NegativeDifferencesKeepTheirSign) {
    // Matrix Reasoning 11: VC lies 2.79 points below PO.
    const auto rows = rowsOf(section(caseOf(10, 10, 10, 10, 10, 10, 11)));
    EXPECT_EQ(rows[0], " VC versus PO             -3                 0.612                0.306");
}

TEST(ReliabilitySection, HalfPointDifferencesRoundAwayFromZero) {
    const auto rows = rowsOf(section(halfPointDigitSymbol()));
    EXPECT_EQ(rows[0], " VC versus PO              0                 1.000                0.500");
    EXPECT_EQ(rows[1], " VC versus WM              0                 1.000                0.500");
    EXPECT_EQ(rows[2], " VC versus PS             -3                 0.722                0.361");
    EXPECT_EQ(rows[3], " PO versus WM              0                 1.000                0.500");
    EXPECT_EQ(rows[4], " PO versus PS             -3                 0.731                0.365");
    EXPECT_EQ(rows[5], " WM versus PS             -3                 0.729                0.365");
}

TEST(ReliabilitySection, SmallNegativeDifferencePrintsAsPlainZero) {
    // Block Design 10.1: PO a little above VC, the difference between -0.5 and 0.
    Warnings messages;
    const IndexResults r = tested(caseOf(10, 10, 10, 10.1, 10, 10, 10), messages);
    ASSERT_LT(r[IndexPair::VC_PO].difference, 0.0);
    ASSERT_GT(r[IndexPair::VC_PO].difference, -0.5);
    EXPECT_EQ(rowsOf(section(caseOf(10, 10, 10, 10.1, 10, 10, 10)))[0].substr(0, 28), " VC versus PO              0");
}

TEST(SequentialBonferroni, AllSixSignificantEndsWithoutDividingByZero) {
    Warnings messages;
    const IndexResults r =
        tested(allSignificant(optionsOf(ConfidenceMethod::Traditional95, DifferenceBasis::Observed, true)), messages);
    for (const PairResult& p : r.pairs) EXPECT_TRUE(p.bonferroniSignificant);
    for (const std::string& row :
         rowsOf(section(allSignificant(optionsOf(ConfidenceMethod::Traditional95, DifferenceBasis::Observed, true)))))
        EXPECT_NE(row.find(" p < .05"), std::string::npos) << row;
}

TEST(SequentialBonferroni, PoWmIsNotSignificantThoughBelowFivePercent) {
    Warnings messages;
    const IndexResults r =
        tested(mixedCase(optionsOf(ConfidenceMethod::Traditional95, DifferenceBasis::Observed, true)), messages);
    EXPECT_LT(r[IndexPair::PO_WM].twoTailedP, 0.05);
    EXPECT_NEAR(r[IndexPair::PO_WM].twoTailedP, 0.0489, 5e-5);
    EXPECT_FALSE(r[IndexPair::PO_WM].bonferroniSignificant);
    EXPECT_TRUE(r[IndexPair::VC_WM].bonferroniSignificant);
    EXPECT_TRUE(r[IndexPair::VC_PS].bonferroniSignificant);
    EXPECT_TRUE(r[IndexPair::PO_PS].bonferroniSignificant);
}

// Holm's step-down procedure, written independently: sort, compare the i-th
// smallest with .05 / (6 - i), stop at the first failure; ties share a verdict.
std::array<bool, 6> holm(const std::array<double, 6>& p) {
    std::array<std::size_t, 6> order{0, 1, 2, 3, 4, 5};
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return p[a] < p[b]; });
    std::array<bool, 6> rejected{};
    for (std::size_t i = 0; i < 6; ++i) {
        if (!(p[order[i]] < 0.05 / static_cast<double>(6 - i))) break;
        rejected[order[i]] = true;
    }
    return rejected;
}

TEST(SequentialBonferroni, MarksExactlyWhatHolmsProcedureRejects) {
    std::mt19937_64 rng(20261208);
    std::uniform_real_distribution<double> uniform(0.0, 0.06);
    const double ties[] = {0.05 / 6, 0.05 / 5, 0.05 / 4, 0.05 / 3, 0.05 / 2, 0.05, 0.001, 0.02};
    std::uniform_int_distribution<int> pick(0, 7);
    std::uniform_int_distribution<int> coin(0, 2);
    for (int trial = 0; trial < 20000; ++trial) {
        IndexResults r;
        std::array<double, 6> p{};
        for (std::size_t i = 0; i < 6; ++i) {
            // A third of the values come from a small set, so that ties and
            // values exactly at a criterion are frequent.
            p[i] = coin(rng) == 0 ? ties[pick(rng)] : uniform(rng);
            if (trial % 7 == 0 && i > 0) p[i] = p[0];
            r.pairs[i].twoTailedP = p[i];
        }
        applySequentialBonferroni(r);
        const std::array<bool, 6> expected = holm(p);
        for (std::size_t i = 0; i < 6; ++i)
            ASSERT_EQ(r.pairs[i].bonferroniSignificant, expected[i])
                << "trial " << trial << " pair " << i << " p = " << p[0] << ' ' << p[1] << ' ' << p[2] << ' ' << p[3]
                << ' ' << p[4] << ' ' << p[5];
    }
}

} // namespace
