#include "stats/distrib.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#if KALDEN_HAVE_BOOST_MATH
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/special_functions/gamma.hpp>
#endif

#include "format/NumberFormat.h"
#include "support/ExtendedChecks.h"

namespace kalden {
namespace {

// Expects `action` to raise EArgumentError with exactly `message`.
template <typename Action>
void expectArgumentError(Action action, const std::string& message) {
    try {
        action();
        ADD_FAILURE() << "no EArgumentError, expected \"" << message << "\"";
    } catch (const EArgumentError& e) {
        EXPECT_EQ(e.what(), message);
    }
}

// A uniform distribution on [p1, p1 + p2] built only from the generic parts:
// it defines intervalProbability and nothing else numerical, so cdf,
// quantile (by bisection, there being no density) and randomValue all come
// from the base classes.
class tUniform_test_distribution : public tContinuous_distribution {
public:
    tUniform_test_distribution(Extended low, Extended width, bool withMoments) : moments(withMoments) {
        create(low, width);
    }
    bool setParameters(Extended p1, Extended p2, Extended p3) override {
        const bool valid = tContinuous_distribution::setParameters(p1, p2, p3);
        supportLow = p1;
        supportHigh = p1 + p2;
        return valid;
    }
    Extended intervalProbability(Extended a, Extended b) const override {
        const Extended r = (std::min(b, supportHigh) - std::max(a, supportLow)) / (supportHigh - supportLow);
        return std::clamp(r, Extended(0), Extended(1));
    }
    bool hasMean() const override { return moments; }
    bool hasVariance() const override { return moments; }
    Extended mean() const override { return (supportLow + supportHigh) / 2; }
    Extended variance() const override {
        const Extended w = supportHigh - supportLow;
        return w * w / 12;
    }

private:
    bool moments;
};

// ---- Module functions ---------------------------------------------------

TEST(DistribModuleFunctions, SameValueAndWholeNumberUseTheStrictTolerance) {
    EXPECT_TRUE(sameValue(1, 1 + 4.9e-12_x));
    EXPECT_FALSE(sameValue(1, 1 + 5.1e-12_x));
    EXPECT_FALSE(sameValue(0, SAME_TOLERANCE));
    EXPECT_TRUE(sameValue(-2, -2 - 4e-12_x));
    EXPECT_TRUE(isWholeNumber(3 + 1e-12_x));
    EXPECT_TRUE(isWholeNumber(-7));
    EXPECT_FALSE(isWholeNumber(3.5));
    EXPECT_FALSE(isWholeNumber(3 + 1e-11_x));
    EXPECT_TRUE(isWholeNumber(2147483646));
    EXPECT_FALSE(isWholeNumber(UNBOUNDED));
}

TEST(DistribModuleFunctions, PowerUsesRepeatedSquaringForWholeExponents) {
    struct Row {
        Extended base, exponent, expected;
    };
    const Row rows[] = {
        {2, 10, 1024}, {2, -2, 0.25_x}, {-3, 3, -27},
        {1.5_x, 0, 1}, {0, 0, 1},       {0, 2.5_x, 0},
        {10, 1, 10},   {0.5_x, -1, 2},  {3, 31, 617673396283947.0_x},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(power(r.base, r.exponent), r.expected) << r.base << " ^ " << r.exponent;
    }
    EXPECT_EXTENDED_NEAR(power(8, 1.0_x / 3.0_x), 2, 1e-18_x);
    EXPECT_EXTENDED_NEAR(power(2, 0.5_x), xmath::sqrt(2.0_x), 1e-18_x);
    EXPECT_EQ(intPower(-2, 5), -32);
    EXPECT_EQ(intPower(4, -3), 1.0_x / 64);
    EXPECT_EQ(intPower(1.25_x, 0), 1);
}

TEST(DistribModuleFunctions, LnGammaCarriesTheSeriesOwnError) {
    // At 1 and 2 the exact value is 0; the series misses it by a few 1e-12.
    EXPECT_EXTENDED_NEAR(lnGamma(1), -4.565e-12_x, 5e-16_x);
    EXPECT_EXTENDED_NEAR(lnGamma(2), -1.187e-11_x, 5e-15_x);
    // The same misses to the digits the six coefficients give (worked out in
    // 50-digit decimal arithmetic from their literals): a changed digit in
    // any coefficient moves them far beyond this tolerance.
    EXPECT_EXTENDED_NEAR(lnGamma(1), -4.5650968857730020e-12_x, 1e-17_x);
    EXPECT_EXTENDED_NEAR(lnGamma(2), -1.1866953137795982e-11_x, 1e-17_x);
    EXPECT_LT(lnGamma(1), 0);
    EXPECT_EXTENDED_NEAR(lnGamma(0.5_x), xmath::log(xmath::sqrt(3.141592653589793238_x)), 1e-10_x);
    EXPECT_EXTENDED_NEAR(lnGamma(10), xmath::log(362880.0_x), 1e-10_x);
}

TEST(DistribModuleFunctions, RegularizedGammaPMatchesWorkedValues) {
    struct Row {
        Extended x, a, expected;
    };
    // Within +-1 and +-2 of a standard normal variable, and one more.
    const Row rows[] = {{0.5_x, 0.5_x, 0.6826894921_x}, {2, 0.5_x, 0.9544997361_x}, {4, 1.5_x, 0.9539882943_x}};
    for (const Row& r : rows) {
        EXPECT_EXTENDED_NEAR(regularizedGammaP(r.x, r.a), r.expected, 5e-11_x) << "P(" << r.a << ", " << r.x << ")";
    }
    EXPECT_EQ(regularizedGammaP(0, 3), 0);
    EXPECT_EQ(gammaSeries(1e-13_x, 3), 0); // within tolerance of 0
}

TEST(DistribModuleFunctions, RegularizedGammaPSwitchesToContinuedFractionAtAPlusOne) {
    for (Extended a : {0.5_x, 2.0_x, 7.25_x}) {
        const Extended x = a + 1;
        const Extended below = testing::nextTowardZero(x);
        EXPECT_EQ(regularizedGammaP(below, a), gammaSeries(below, a)) << "a = " << a;
        EXPECT_EQ(regularizedGammaP(x, a), 1 - gammaContinuedFraction(x, a)) << "a = " << a;
        // Both methods agree at the switch, far below the printed digits.
        EXPECT_EXTENDED_NEAR(gammaSeries(x, a), 1 - gammaContinuedFraction(x, a), 1e-10_x) << "a = " << a;
    }
    // For chi-square with 4 degrees of freedom the switch is at 6.
    const tChi_square_distribution chi4(4);
    EXPECT_EQ(chi4.cdf(6), 1 - gammaContinuedFraction(3, 2));
    EXPECT_EQ(chi4.cdf(testing::nextTowardZero(6.0_x)), gammaSeries(testing::nextTowardZero(3.0_x), 2));
    EXPECT_EXTENDED_NEAR(gammaSeries(3, 2), 1 - gammaContinuedFraction(3, 2), 2e-11_x);
}

TEST(DistribModuleFunctions, UniformRandomFollowsTheCombinedRecurrence) {
    // Reference: each component as a plain modular product in 64 bits.
    long long r1 = 12345, r2 = 67890;
    seedUniformRandom(12345, 67890);
    for (int i = 0; i < 10000; ++i) {
        r1 = 40014 * r1 % 2147483563;
        r2 = 40692 * r2 % 2147483399;
        long long z = r1 - r2;
        if (z < 1) z += 2147483562;
        const Extended u = uniformRandom();
        ASSERT_EQ(u, static_cast<Extended>(z) * 4.656613e-10_x) << "draw " << i;
        ASSERT_GT(u, 0);
        ASSERT_LT(u, 1);
    }
    const UniformRandomSeeds seeds = uniformRandomSeeds();
    EXPECT_EQ(seeds.s1, r1);
    EXPECT_EQ(seeds.s2, r2);

    seedUniformRandom(1, 1);
    EXPECT_EQ(uniformRandom(), 2147482884 * 4.656613e-10_x); // 40014 - 40692 wraps
}

// ---- Argument checks ----------------------------------------------------

TEST(DistribArgumentChecks, CheckBoundRaisesWithItsTextAndTheFormattedBound) {
    struct Row {
        BoundCheck kind;
        Extended value, bound;
        const char* message; // empty: the check passes
    };
    const Row rows[] = {
        {BoundCheck::GreaterThan, 0, 0, "X must be greater than 0"},
        {BoundCheck::GreaterThan, 1e-20_x, 0, ""},
        {BoundCheck::AtLeast, 0.25_x, 0.25_x, ""},
        {BoundCheck::AtLeast, 0.2_x, 0.25_x, "X must be at least 0.25"},
        {BoundCheck::LessThan, UNBOUNDED, UNBOUNDED, "X must be less than 2147483647"},
        {BoundCheck::LessThan, 3, 4, ""},
        {BoundCheck::AtMost, -1.5_x, -1.5_x, ""},
        {BoundCheck::AtMost, -1, -1.5_x, "X must be at most -1.5"},
        {BoundCheck::AtLeast, 0, 0.123456789012345_x, "X must be at least 0.123456789012"},
        {BoundCheck::GreaterThan, 0, 1e-13_x, "X must be greater than 0"},
        {BoundCheck::LessThan, 5, -UNBOUNDED, "X must be less than -2147483647"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& r = rows[i];
        SCOPED_TRACE("row " + std::to_string(i));
        if (*r.message == '\0') {
            EXPECT_TRUE(checkBound(r.kind, r.value, r.bound, "X"));
        } else {
            expectArgumentError([&] { checkBound(r.kind, r.value, r.bound, "X"); }, r.message);
        }
    }
    EXPECT_TRUE(checkCondition(false, "never"));
    expectArgumentError([] { checkCondition(true, "Condition text"); }, "Condition text");
}

// The bound message formats its own numbers; it must spell every bound as
// the reports' number printing does (18 significant digits, then twelve
// decimals rounded half away from zero, trailing zeros dropped).
TEST(DistribArgumentChecks, BoundMessageSpellsTheBoundAsTheReportsPrintIt) {
    std::vector<Extended> bounds = {
        0.0000000000005_x,
        -0.0000000000005_x,
        0.00000000000049_x,
        0.9999999999995_x,
        -9.9999999999996_x,
        2.5e-12_x,
        1.0_x / 3,
        -2.0_x / 3,
        123456789.0000000000015_x,
        1e15_x,
        12345678901234567890.0_x,
        123456789012345678.5_x,
        0.1_x,
        0.30000000000000004_x,
        1e-300_x,
        -1e25_x,
    };
    unsigned long long state = 12345;
    for (int i = 0; i < 2000; ++i) { // magnitudes from 1e-14 to 1e19, both signs
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        const Extended mantissa = static_cast<Extended>(state >> 11) / 9007199254740992.0_x;
        bounds.push_back((i % 2 ? -1 : 1) * mantissa * intPower(10.0_x, i % 34 - 14));
    }
    for (Extended bound : bounds) {
        std::string expected = formatFixed(bound, 0, 12, '.');
        expected.erase(expected.find_last_not_of('0') + 1);
        if (expected.back() == '.') expected.pop_back();
        SCOPED_TRACE(expected);
        expectArgumentError(
            [&] { checkBound(BoundCheck::AtLeast, -std::numeric_limits<Extended>::infinity(), bound, "X"); },
            "X must be at least " + expected);
    }
}

TEST(DistribArgumentChecks, ConstructionWithAParameterOutOfBoundsRaises) {
    expectArgumentError([] { tChi_square_distribution d(0); }, "Parameter 1 must be greater than 0");
    expectArgumentError([] { tChi_square_distribution d(-4); }, "Parameter 1 must be greater than 0");
    expectArgumentError([] { tChi_square_distribution d(2 * UNBOUNDED); }, "Parameter 1 must be less than 2147483647");
    expectArgumentError([] { tGamma_distribution d(UNBOUNDED, 1); }, "Parameter 1 must be less than 2147483647");
    expectArgumentError([] { tGamma_distribution d(2, 0); }, "Parameter 2 must be greater than 0");
    expectArgumentError([] { tGamma_distribution d(2, UNBOUNDED); }, "Parameter 2 must be less than 2147483647");
    expectArgumentError([] { chiSquareUpperTail(3, -1); }, "Parameter 1 must be greater than 0");
}

TEST(DistribArgumentChecks, FailedSetParametersStoresNewValuesButKeepsTheFields) {
    tChi_square_distribution d(3); // shape 1.5: generator constants in use
    const Extended logNormalizer = d.getLogNormalizer();
    const Extended low = d.getGeneratorLow(), high = d.getGeneratorHigh();
    const Extended cdfBefore = d.cdf(2);

    expectArgumentError([&] { d.setParameters(-1, 0.25_x, 0); }, "Parameter 1 must be greater than 0");
    EXPECT_EQ(d.getParameter(1).value, -1);
    EXPECT_EQ(d.getParameter(2).value, 0.25_x);
    EXPECT_EQ(d.getShape(), 1.5_x);
    EXPECT_EQ(d.getRate(), 0.5_x);
    EXPECT_EQ(d.getDegreesOfFreedom(), 3);
    EXPECT_EQ(d.getLogNormalizer(), logNormalizer);
    EXPECT_EQ(d.getGeneratorLow(), low);
    EXPECT_EQ(d.getGeneratorHigh(), high);
    EXPECT_EQ(d.cdf(2), cdfBefore);

    tGamma_distribution g(0.5_x, 2);
    expectArgumentError([&] { g.setParameters(4, -2, 0); }, "Parameter 2 must be greater than 0");
    EXPECT_EQ(g.getParameter(1).value, 4);
    EXPECT_EQ(g.getShape(), 0.5_x);
    EXPECT_EQ(g.getRate(), 2);

    // A valid later call recomputes everything.
    EXPECT_TRUE(d.setParameters(3, 0.5_x, 0));
    EXPECT_EQ(d.getDegreesOfFreedom(), 6);
    EXPECT_EXTENDED_NEAR(d.cdf(2), 1 - xmath::exp(-1.0_x) * 2.5_x, 1e-10_x); // P(3, 1) = 1 - e^-1 (1 + 1 + 1/2)
}

TEST(DistribArgumentChecks, OperationsRejectArgumentsOutsideTheirBounds) {
    expectArgumentError([] { regularizedGammaP(-1e-3_x, 2); }, "Argument x must be at least 0");
    expectArgumentError([] { regularizedGammaP(2147483648.0_x, 2); }, "Argument x must not exceed 2147483647");
    expectArgumentError([] { regularizedGammaP(1, 0); }, "Shape a must be greater than 0");
    expectArgumentError([] { regularizedGammaP(1, 2147483648.0_x); }, "Shape a must not exceed 2147483647");
    EXPECT_EQ(regularizedGammaP(UNBOUNDED, 2), 1);

    const tChi_square_distribution d(4);
    expectArgumentError([&] { d.quantile(-0.01_x); }, "Probability must be at least 0");
    expectArgumentError([&] { d.quantile(1.01_x); }, "Probability must be at most 1");

    const tUniform_test_distribution noMoments(2, 3, false);
    expectArgumentError([&] { noMoments.standardDeviation(); }, "The distribution has no variance");
}

// ---- Chi-square and gamma distributions ----------------------------------

TEST(ChiSquareDistribution, ConstructionRunsTheChiSquareParameterSetting) {
    const tChi_square_distribution d(7);
    EXPECT_EQ(d.getDegreesOfFreedom(), 7);
    EXPECT_EQ(d.getShape(), 3.5_x);
    EXPECT_EQ(d.getRate(), 0.5_x);
    EXPECT_EQ(d.getParameterCount(), 2);
    EXPECT_EQ(d.getParameter(1).value, 3.5_x);
    EXPECT_EQ(d.getParameter(2).upperBound, UNBOUNDED);
    EXPECT_EQ(d.getSupportLow(), 0);
    EXPECT_EQ(d.getSupportHigh(), UNBOUNDED);
    EXPECT_EQ(d.mean(), 7);
    EXPECT_EQ(d.variance(), 14);
}

TEST(ChiSquareDistribution, CdfOfChiSquareFourMatchesWorkedValues) {
    const tChi_square_distribution d(4);
    struct Row {
        Extended x, expected;
    };
    const Row rows[] = {{2, 0.2642411177_x}, {9.487729_x, 0.9499999992_x}, {13.2767_x, 0.9899999820_x}};
    for (const Row& r : rows) EXPECT_EXTENDED_NEAR(d.cdf(r.x), r.expected, 5e-11_x) << "cdf(" << r.x << ")";
    EXPECT_EQ(d.cdf(0), 0);
    EXPECT_EQ(d.cdf(-3), 0);
    EXPECT_EQ(chiSquareUpperTail(0, 4), 1);
    EXPECT_EXTENDED_NEAR(chiSquareUpperTail(2.924458652216_x, 4), 0.5705456152_x, 5e-11_x);
    EXPECT_EXTENDED_NEAR(chiSquareUpperTail(9.487729_x, 4), 0.0500000008_x, 5e-11_x);
}

TEST(ChiSquareDistribution, QuantilesOfChiSquareFourMatchWorkedValues) {
    const tChi_square_distribution d(4);
    struct Row {
        Extended p, expected;
    };
    const Row rows[] = {{0.05_x, 0.710723_x}, {0.5_x, 3.356694_x}, {0.95_x, 9.487729_x}, {0.99_x, 13.276704_x}};
    for (const Row& r : rows) EXPECT_EXTENDED_NEAR(d.quantile(r.p), r.expected, 5e-7_x) << "quantile(" << r.p << ")";
}

TEST(GammaDistribution, QuantileReturnsSupportEndsAtZeroAndOne) {
    for (Extended shape : {0.3_x, 1.0_x, 2.0_x, 600.0_x}) {
        const tGamma_distribution d(shape, 1.5_x);
        EXPECT_EQ(d.quantile(0), 0) << "shape " << shape;
        EXPECT_EQ(d.quantile(1e-13_x), 0) << "shape " << shape;
        EXPECT_EQ(d.quantile(1), UNBOUNDED) << "shape " << shape;
    }
}

// Far above shape 200, next to x = a, the series is still far from
// converged when it is cut after its first term and 100 more; P is then the
// prefactor times exactly those 101 terms, whose sum is worked out here in
// exact rational arithmetic. One term less moves it by 8e-9 relatively.
TEST(DistribModuleFunctions, GammaSeriesIsCutAfterOneHundredFurtherTerms) {
    const Extended prefactor = xmath::exp(300 * xmath::log(Extended(299)) - 299 - lnGamma(300));
    EXPECT_EXTENDED_NEAR(gammaSeries(299, 300) / prefactor, 0.070271907004873067952_x, 1e-12_x * 0.07_x);
}

TEST(GammaDistribution, QuantileInvertsTheCdf) {
    struct Row {
        Extended shape, rate;
    };
    const Row rows[] = {{0.3_x, 2}, {1, 0.5_x}, {2.5_x, 1}, {40, 0.25_x}, {800, 1}};
    for (const Row& r : rows) {
        const tGamma_distribution d(r.shape, r.rate);
        for (Extended p : {0.001_x, 0.05_x, 0.3_x, 0.5_x, 0.9_x, 0.999_x}) {
            // The search stops once a step moves x less than SAME_TOLERANCE,
            // so near a steep density the cdf may miss p by about f(x) times
            // that tolerance.
            const Extended x = d.quantile(p);
            EXPECT_EXTENDED_NEAR(d.cdf(x), p, 1e-11_x + d.density(x) * SAME_TOLERANCE)
                << "shape " << r.shape << ", p " << p;
        }
    }
}

TEST(GammaDistribution, DensityHandlesTheOriginByShape) {
    EXPECT_EQ(tGamma_distribution(1, 2.5_x).density(0), 2.5_x);
    EXPECT_EQ(tGamma_distribution(2, 2.5_x).density(0), 0);
    EXPECT_EQ(tGamma_distribution(0.5_x, 2.5_x).density(0), 0);
    EXPECT_EQ(tGamma_distribution(2, 1).density(-1), 0);
    // Exponential with rate 2 at 0.75: 2 e^-1.5; the logNormalizer carries
    // lnGamma's own small error.
    EXPECT_EXTENDED_NEAR(tGamma_distribution(1, 2).density(0.75_x), 2 * xmath::exp(-1.5_x), 1e-10_x);
    // Below shape 1 the point 0 lies outside inSupport, and the cdf there is 0.
    const tGamma_distribution small(0.5_x, 1);
    EXPECT_FALSE(small.inSupport(0));
    EXPECT_EQ(small.cdf(0), 0);
    EXPECT_TRUE(tGamma_distribution(1, 1).inSupport(0));
}

TEST(GammaDistribution, IntervalProbabilityStaysWithinTheUnitInterval) {
    const Extended ends[] = {-UNBOUNDED, -5, 0, 1e-9_x, 0.5_x, 2, 3.9_x, 12, 400, UNBOUNDED, 4 * UNBOUNDED};
    for (Extended shape : {0.4_x, 1.0_x, 2.0_x, 9.0_x}) {
        const tGamma_distribution d(shape, 1);
        for (Extended a : ends) {
            for (Extended b : ends) {
                const Extended r = d.intervalProbability(a, b);
                EXPECT_GE(r, 0) << "shape " << shape << " [" << a << ", " << b << "]";
                EXPECT_LE(r, 1) << "shape " << shape << " [" << a << ", " << b << "]";
            }
        }
        EXPECT_EQ(d.intervalProbability(3.9_x, 0.5_x), 0) << "shape " << shape;
        EXPECT_EQ(d.intervalProbability(-UNBOUNDED, UNBOUNDED), 1) << "shape " << shape;
        EXPECT_EQ(d.intervalProbability(0.5_x, 2), d.cdf(2) - d.cdf(0.5_x)) << "shape " << shape;
        EXPECT_EQ(d.intervalProbability(2, UNBOUNDED), 1 - d.cdf(2)) << "shape " << shape;
    }
}

// Wilson-Hilferty: the cube root of a gamma variable taken as normal.
TEST(GammaDistribution, CdfAboveShapeFiveHundredIsTheWilsonHilfertyValue) {
    const Extended shape = 501;
    const tGamma_distribution d(shape, 1);
    for (Extended x : {420.0_x, 480.0_x, 500.0_x, 520.0_x, 600.0_x}) {
        // The reference in double: the approximation itself is good to 1e-9 here.
        const double z =
            (std::cbrt(toDouble(x / shape)) - 1 + 1 / (9 * toDouble(shape))) * std::sqrt(9 * toDouble(shape));
        const double normal = 0.5 * std::erfc(-z / std::sqrt(2.0));
        EXPECT_EXTENDED_NEAR(d.cdf(x), normal, 1e-9_x) << "x = " << x;
    }
    EXPECT_LT(d.cdf(480), 0.5_x);
    EXPECT_GT(d.cdf(520), 0.5_x);
    // At 500 it is still the incomplete gamma function itself.
    const tGamma_distribution at500(500, 2);
    EXPECT_EQ(at500.cdf(260), regularizedGammaP(520, 500));
}

// A sample of 200000 from a fixed seed: mean and variance within four
// standard errors of alpha / lambda and alpha / lambda^2, and the
// Kolmogorov-Smirnov distance to the library's own cdf below the 0.1% point.
TEST(GammaDistribution, RandomVariatesFollowTheDistribution) {
    struct Row {
        Extended shape, rate;
    };
    const Row rows[] = {{0.35_x, 2}, {1, 0.5_x}, {2.5_x, 0.5_x}, {3.7_x, 1.5_x}, {30, 1}};
    const int n = 200000;
    seedUniformRandom(20240601, 977);
    for (const Row& r : rows) {
        const tGamma_distribution d(r.shape, r.rate);
        std::vector<Extended> sample(n);
        Extended sum = 0;
        for (Extended& x : sample) {
            x = d.randomValue();
            sum += x;
        }
        const Extended mean = sum / n;
        Extended squares = 0;
        for (Extended x : sample) squares += (x - mean) * (x - mean);
        const Extended variance = squares / (n - 1);
        const Extended sigma2 = r.shape / (r.rate * r.rate);
        EXPECT_EXTENDED_NEAR(mean, r.shape / r.rate, 4 * xmath::sqrt(sigma2 / n)) << "shape " << r.shape;
        // Var(s^2) = sigma^4 (2 + 6 / alpha) / n for a gamma variable.
        EXPECT_EXTENDED_NEAR(variance, sigma2, 4 * sigma2 * xmath::sqrt((2 + 6 / r.shape) / n)) << "shape " << r.shape;

        std::sort(sample.begin(), sample.end());
        Extended ks = 0;
        for (int i = 0; i < n; ++i) {
            const Extended f = d.cdf(sample[static_cast<std::size_t>(i)]);
            ks = std::max({ks, static_cast<Extended>(i + 1) / n - f, f - static_cast<Extended>(i) / n});
        }
        EXPECT_LT(ks, 1.95_x / xmath::sqrt(static_cast<Extended>(n))) << "shape " << r.shape;
    }
}

// ---- Generic parts through a distribution of the test's own -------------

TEST(ContinuousDistribution, BaseCdfQuantileAndRandomValueWorkFromIntervalProbability) {
    const tUniform_test_distribution d(2, 3, true); // uniform on [2, 5]
    EXPECT_EQ(d.cdf(1), 0);
    EXPECT_EQ(d.cdf(5), 1);
    EXPECT_EQ(d.cdf(3.5_x), 0.5_x);
    EXPECT_EQ(d.quantile(0), 2);
    EXPECT_EQ(d.quantile(1), 5);
    for (bool moments : {true, false}) {
        const tUniform_test_distribution u(2, 3, moments);
        for (Extended p : {0.01_x, 0.3_x, 0.5_x, 0.77_x}) {
            EXPECT_EXTENDED_NEAR(u.quantile(p), 2 + 3 * p, 1e-11_x) << "p " << p << (moments ? "" : " without moments");
        }
    }
    // randomValue inverts the next uniform value.
    seedUniformRandom(4711, 815);
    std::vector<Extended> uniforms;
    for (int i = 0; i < 20; ++i) uniforms.push_back(uniformRandom());
    seedUniformRandom(4711, 815);
    for (Extended u : uniforms) EXPECT_EXTENDED_NEAR(d.randomValue(), 2 + 3 * u, 1e-11_x);
}

// ---- Agreement with an independent implementation ----------------------

#if KALDEN_HAVE_BOOST_MATH

TEST(DistribReference, RegularizedGammaPAgreesWithBoost) {
    const double shapes[] = {0.1, 0.5, 1, 1.5, 2, 3.7, 10, 25, 50, 100, 200};
    const double fractions[] = {0.001, 0.1, 0.5, 0.9, 0.99, 1, 1.01, 1.1, 1.5, 2, 3, 5};
    for (double a : shapes) {
        std::vector<double> xs = {0.01, 0.5, 3, a + 1};
        for (double f : fractions) xs.push_back(a * f);
        for (double x : xs) {
            EXPECT_EXTENDED_NEAR(static_cast<double>(regularizedGammaP(x, a)), boost::math::gamma_p(a, x), 1e-9)
                << "P(" << a << ", " << x << ")";
        }
    }
}

TEST(DistribReference, DensityAgreesWithBoost) {
    for (double a : {0.3, 1.0, 2.0, 7.5, 60.0}) {
        const double rate = 1.5;
        const tGamma_distribution d(a, rate);
        for (double x : {0.05, 0.7, 2.0, 5.0, 40.0}) {
            const double expected = boost::math::gamma_p_derivative(a, rate * x) * rate;
            EXPECT_EXTENDED_NEAR(static_cast<double>(d.density(x)), expected, 1e-9 * std::max(1.0, expected))
                << "shape " << a << ", x " << x;
        }
    }
}

TEST(DistribReference, QuantilesAgreeWithBoost) {
    const double ps[] = {0.001, 0.01, 0.05, 0.25, 0.5, 0.75, 0.95, 0.99, 0.999};
    for (double nu : {1.0, 2.0, 3.0, 4.0, 7.0, 10.0, 30.0, 100.0}) {
        const tChi_square_distribution d(nu);
        const boost::math::chi_squared reference(nu);
        for (double p : ps) {
            const double expected = boost::math::quantile(reference, p);
            EXPECT_EXTENDED_NEAR(static_cast<double>(d.quantile(p)), expected, 1e-9 * std::max(1.0, expected))
                << "chi-square " << nu << ", p " << p;
        }
    }
    for (double a : {0.2, 0.7, 1.0, 4.5, 60.0}) {
        const double rate = 3;
        const tGamma_distribution d(a, rate);
        for (double p : ps) {
            const double expected = boost::math::gamma_p_inv(a, p) / rate;
            EXPECT_EXTENDED_NEAR(static_cast<double>(d.quantile(p)), expected, 1e-9 * std::max(1.0, expected))
                << "gamma shape " << a << ", p " << p;
        }
    }
}

#else
TEST(DistribReference, RegularizedGammaPAgreesWithBoost) { GTEST_SKIP() << "Boost.Math headers not found"; }
#endif

} // namespace
} // namespace kalden
