#include "scoring/ProfileDistance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "report/ResultTables.h"
#include "scoring/IndexScores.h"
#include "stats/distrib.h"
#include "support/ExtendedChecks.h"

namespace kalden {
namespace {

Extended& at(ProfileMatrix& m, int i, int j) { return m[static_cast<std::size_t>(i * MAX_ORDER + j)]; }

// The seven scaled scores in field order: Vocabulary, Digit Symbol,
// Similarities, Block Design, Arithmetic, Digit Span, Matrix Reasoning.
IndexResults indexesFor(const std::array<double, 7>& scores) {
    InputRecord input;
    for (int k = 1; k <= 7; ++k) input.setScore(k, scores[static_cast<std::size_t>(k - 1)]);
    IndexResults results;
    Warnings messages;
    computeIndexScores(input, ConfidenceMethod::Traditional95, results, messages);
    return results;
}

TEST(ProfileDistance, InverseOfIndexCorrelationsMatchesWorkedTable) {
    const Extended expected[4][4] = {
        {1.975551_x, -0.710915_x, -0.670495_x, -0.259268_x},
        {-0.710915_x, 1.951759_x, -0.620331_x, -0.284647_x},
        {-0.670495_x, -0.620331_x, 1.923495_x, -0.289952_x},
        {-0.259268_x, -0.284647_x, -0.289952_x, 1.376446_x},
    };
    const std::optional<ProfileMatrix> inverse = invertMatrix(indexCorrelationMatrix(), 4);
    ASSERT_TRUE(inverse.has_value());
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_EXTENDED_NEAR((*inverse)[static_cast<std::size_t>(i * MAX_ORDER + j)], expected[i][j], 5e-7_x)
                << "row " << i << ", column " << j;
        }
    }
}

TEST(ProfileDistance, WorkedCasesGiveDistanceProbabilityAndReportLines) {
    struct Row {
        const char* name;
        std::array<double, 7> scores;
        Extended chiSquare, p, tolerance; // tolerance 0: exact
        const char* valuesLine;
    };
    const Row rows[] = {
        {"all tens", {10, 10, 10, 10, 10, 10, 10}, 0, 1, 0, " Chi-square = 0.000,  p value = 1.00000"},
        {"mixed", {12, 7, 11, 9, 8, 10, 13}, 2.924459_x, 0.570546_x, 5e-7_x, " Chi-square = 2.924,  p value = 0.57055"},
        {"all ones", {1, 1, 1, 1, 1, 1, 1}, 16.308_x, 0.00263_x, 5e-4_x, " Chi-square = 16.308,  p value = 0.00263"},
        {"verbal high, perceptual low",
         {15, 4, 15, 5, 10, 10, 5},
         22.947_x,
         0.00013_x,
         5e-4_x,
         " Chi-square = 22.947,  p value = 0.00013"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const ProfileDistanceResult result = indexProfileDistance(indexesFor(r.scores));
        if (r.tolerance == 0) {
            EXPECT_EQ(result.chiSquare, r.chiSquare);
            EXPECT_EQ(result.p, r.p);
        } else {
            EXPECT_EXTENDED_NEAR(result.chiSquare, r.chiSquare, r.tolerance);
            EXPECT_EXTENDED_NEAR(result.p, r.p, r.tolerance * (r.p < 0.01_x ? 0.01_x : 1));
        }
        ReportLines report = {"earlier line"};
        writeProfileDistanceLines(result, report);
        const ReportLines expected = {
            "earlier line",
            " MAHALANOBIS DISTANCE Index of the overall abnormality of the case's Index score profile: ",
            r.valuesLine,
        };
        EXPECT_EQ(report, expected);
    }
}

TEST(ProfileDistance, MixedCaseTakesTheObservedIndexScores) {
    const IndexResults results = indexesFor({12, 7, 11, 9, 8, 10, 13});
    EXPECT_EXTENDED_NEAR(results[IndexId::VC].score, 107.995736, 5e-7);
    EXPECT_EXTENDED_NEAR(results[IndexId::PO].score, 105.589715, 5e-7);
    EXPECT_EXTENDED_NEAR(results[IndexId::WM].score, 94.264959, 5e-7);
    EXPECT_EQ(results[IndexId::PS].score, 85);
    // Neither the confidence method nor the estimated true scores matter.
    InputRecord input;
    for (int k = 1; k <= 7; ++k) input.setScore(k, std::array<double, 7>{12, 7, 11, 9, 8, 10, 13}[k - 1]);
    IndexResults glutting;
    Warnings messages;
    computeIndexScores(input, ConfidenceMethod::Glutting90, glutting, messages);
    EXPECT_EQ(indexProfileDistance(glutting).chiSquare, indexProfileDistance(results).chiSquare);
}

TEST(ProfileDistance, OneVariableGivesSquaredZAndItsTwoTailedProbability) {
    ProfileVector x{}, means{}, sds{};
    ProfileMatrix r{};
    x[0] = 130;
    means[0] = 100;
    sds[0] = 15;
    r[0] = 1;
    const ProfileDistanceResult result = profileDistance(1, x, means, sds, r);
    EXPECT_EQ(result.chiSquare, 4);
    EXPECT_EXTENDED_NEAR(result.p, std::erfc(2 / std::sqrt(2.0)), 1e-10_x); // P(|Z| > 2)
}

// The extended intercorrelations are the extended values nearest to the
// published decimals; a widened double differs in the last bits and moves
// the chi-square digits.
TEST(ProfileDistance, TheIndexCorrelationMatrixHoldsExtendedLiteralsNotWidenedDoubles) {
    const Extended expected[4][4] = {
        {1, 0.626_x, 0.618_x, 0.448_x},
        {0.626_x, 1, 0.609_x, 0.453_x},
        {0.618_x, 0.609_x, 1, 0.453_x},
        {0.448_x, 0.453_x, 0.453_x, 1},
    };
    ProfileMatrix r = indexCorrelationMatrix();
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) EXPECT_EQ(at(r, i, j), expected[i][j]) << "row " << i << ", column " << j;
    }
    EXPECT_NE(at(r, 0, 1), static_cast<Extended>(0.626));
    for (std::size_t k = 0; k < PairCount; ++k)
        EXPECT_EQ(static_cast<double>(IndexCorrelationsExtended[k]), INDEX_CORRELATIONS[k]) << "pair " << k;
}

TEST(ProfileDistance, OnlyTheLeadingBlockIsRead) {
    const Extended nan = std::numeric_limits<Extended>::quiet_NaN();
    ProfileVector x, means, sds;
    ProfileMatrix r;
    x.fill(nan);
    means.fill(nan);
    sds.fill(nan);
    r.fill(nan);
    const ProfileMatrix fixed = indexCorrelationMatrix();
    const Extended scores[4] = {120, 90, 105, 70};
    for (int i = 0; i < 4; ++i) {
        x[static_cast<std::size_t>(i)] = scores[i];
        means[static_cast<std::size_t>(i)] = 100;
        sds[static_cast<std::size_t>(i)] = 15;
        for (int j = 0; j < 4; ++j) at(r, i, j) = fixed[static_cast<std::size_t>(i * MAX_ORDER + j)];
    }
    const ProfileDistanceResult result = profileDistance(4, x, means, sds, r);
    EXPECT_TRUE(xmath::isfinite(result.chiSquare));

    IndexResults indexes;
    for (int i = 0; i < 4; ++i) indexes[indexAt(static_cast<std::size_t>(i))].score = static_cast<double>(scores[i]);
    EXPECT_EQ(result.chiSquare, indexProfileDistance(indexes).chiSquare);
    EXPECT_EQ(result.p, indexProfileDistance(indexes).p);
}

TEST(ProfileDistance, InversionTakesTheFirstUsablePivotRow) {
    // The leading entry lies below PIVOT_THRESHOLD, so rows 1 and 2 are
    // exchanged; eliminating on it instead would cost about eleven digits.
    ProfileMatrix a{};
    const Extended eps = 1e-11_x;
    at(a, 0, 0) = eps;
    at(a, 0, 1) = 1;
    at(a, 1, 0) = 1;
    at(a, 1, 1) = 1;
    const std::optional<ProfileMatrix> inverse = invertMatrix(a, 2);
    ASSERT_TRUE(inverse.has_value());
    const Extended d = eps - 1;
    const Extended expected[2][2] = {{1 / d, -1 / d}, {-1 / d, eps / d}};
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 2; ++j) {
            EXPECT_EXTENDED_NEAR((*inverse)[static_cast<std::size_t>(i * MAX_ORDER + j)], expected[i][j], 1e-15_x)
                << "row " << i << ", column " << j;
        }
    }
}

TEST(ProfileDistance, SingularMatrixHasNoInverseAndGivesNaN) {
    ProfileMatrix a{};
    at(a, 0, 0) = 1;
    at(a, 0, 1) = 0.5_x;
    at(a, 1, 0) = 2;
    at(a, 1, 1) = 1;
    EXPECT_FALSE(invertMatrix(a, 2).has_value());

    ProfileVector x{}, means{}, sds{};
    x[0] = 110;
    x[1] = 95;
    means[0] = means[1] = 100;
    sds[0] = sds[1] = 15;
    const ProfileDistanceResult result = profileDistance(2, x, means, sds, a);
    EXPECT_TRUE(xmath::isnan(result.chiSquare));
    EXPECT_TRUE(xmath::isnan(result.p));
}

} // namespace
} // namespace kalden
