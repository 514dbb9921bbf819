#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <thread>
#include <vector>

#include "stats/Extended.h"
#include "stats/NormalDistribution.h"

using namespace kalden;

namespace {

// Density evaluations a call with n steps makes: 2^(n-1) + 1.
unsigned long long evaluationsFor(int steps) { return (1ull << (steps - 1)) + 1; }

std::uint64_t bitsOf(double x) {
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

// Runs `task` on a thread beside the calling one; the page's module has no
// other thread, and there it runs at once.
template <typename Task>
std::thread beside(Task task) {
#ifdef __EMSCRIPTEN__
    task();
    return {};
#else
    return std::thread(task);
#endif
}

unsigned long long evaluationsOf(double x) {
    Warnings messages;
    const auto before = normalDensityEvaluations();
    simpsonIntegral(0.0, x, messages);
    return normalDensityEvaluations() - before;
}

TEST(NormalCdf, MatchesTheIntegratedValuesNotTheExactOnes) {
    const std::pair<double, double> cases[] = {
        {1.0, 0.841344748290}, {-1.0, 0.158655251710}, {0.5, 0.691462463648},  {1.959964, 0.974999992855},
        {2.0, 0.977249858379}, {4.0, 0.999968318965},  {10.0, 0.999999999497},
    };
    for (const auto& [x, expected] : cases) {
        Warnings messages;
        EXPECT_NEAR(normalCdf(x, messages), expected, 1e-12) << "x = " << x;
        EXPECT_TRUE(messages.empty()) << "x = " << x;
    }
    // The exact value at 1 is 0.841344746069; the integration's is not.
    Warnings messages;
    EXPECT_GT(std::fabs(normalCdf(1.0, messages) - 0.841344746069), 2e-9);
}

TEST(NormalCdf, StopsAfterTheTypicalNumberOfSteps) {
    EXPECT_EQ(evaluationsOf(0.5), evaluationsFor(5));
    EXPECT_EQ(evaluationsOf(1.0), evaluationsFor(6));
    EXPECT_EQ(evaluationsOf(1.959964), evaluationsFor(6));
    EXPECT_EQ(evaluationsOf(10.0), evaluationsFor(7));
    EXPECT_EQ(evaluationsOf(35.0), evaluationsFor(8));
    EXPECT_EQ(evaluationsOf(1e-9), evaluationsFor(3));
}

TEST(NormalCdf, ZeroRunsAllTwentyStepsWarnsOnceAndGivesOneHalf) {
    Warnings messages;
    EXPECT_EQ(evaluationsOf(0.0), evaluationsFor(20));
    EXPECT_EQ(normalCdf(0.0, messages), 0.5);
    EXPECT_EQ(messages, (Warnings{"Too many steps"}));
}

// Each argument is integrated once: asked again, the function gives the
// same bits and the same warning without integrating, however many
// arguments came before (5,000 here, past the first sizes of what is kept).
TEST(NormalCdf, RemembersEveryArgumentAndItsWarning) {
    std::vector<double> arguments{0.0, -0.0};
    for (int i = 1; i <= 5000; ++i) arguments.push_back((i % 2 ? 1 : -1) * (i * 0.0013 + 1e-9));
    for (int pass = 1; pass <= 2; ++pass) {
        for (double x : arguments) {
            Warnings remembered, integrated;
            const auto before = normalDensityEvaluations();
            const double value = normalCdf(x, remembered);
            if (pass == 2) {
                EXPECT_EQ(normalDensityEvaluations() - before, 0u) << x;
            }
            EXPECT_EQ(bitsOf(value), bitsOf(simpsonIntegral(0.0, x, integrated) + 0.5)) << x << " on pass " << pass;
            EXPECT_EQ(remembered, integrated) << x << " on pass " << pass;
        }
    }
}

// Threads share what is remembered, and a table that holds no more goes on
// integrating: two threads at once, each through 70,000 arguments (past the
// 65,536 kept) in its own order, get the bits of the integral every time.
TEST(NormalCdf, ThreadsAtOnceGetTheIntegralsBitsPastAllThatIsKept) {
    std::vector<double> arguments;
    for (int i = 1; i <= 70000; ++i) arguments.push_back((i % 2 ? 1 : -1) * (i * 0.0001 + 3e-9));
    std::vector<std::uint64_t> integrated;
    for (double x : arguments) {
        Warnings messages;
        integrated.push_back(bitsOf(simpsonIntegral(0.0, x, messages) + 0.5));
    }
    std::vector<std::uint64_t> found[2];
    auto scan = [&](int which) {
        std::vector<std::uint64_t>& out = found[which];
        out.resize(arguments.size());
        for (std::size_t k = 0; k < arguments.size(); ++k) {
            const std::size_t i = which == 0 ? k : arguments.size() - 1 - k;
            Warnings messages;
            out[i] = bitsOf(normalCdf(arguments[i], messages));
        }
    };
    std::thread other = beside([&] { scan(1); });
    scan(0);
    if (other.joinable()) other.join();
    for (int which = 0; which < 2; ++which) {
        std::size_t differing = 0;
        for (std::size_t i = 0; i < arguments.size(); ++i) differing += found[which][i] != integrated[i];
        EXPECT_EQ(differing, 0u) << "thread " << which;
    }
}

TEST(NormalCdf, IsSymmetricToTheLastBit) {
    Warnings messages;
    for (double x : {0.001, 0.3, 1.0, 1.644854, 2.5, 3.7, 6.0, 12.0}) {
        const double up = simpsonIntegral(0.0, x, messages);
        const double down = simpsonIntegral(0.0, -x, messages);
        EXPECT_EQ(down, -up) << x;
        EXPECT_EQ(normalCdf(-x, messages), -up + 0.5) << x;
    }
}

TEST(NormalCdf, LargeArgumentsStopShortOfOne) {
    Warnings messages;
    for (double x : {10.0, 35.0}) {
        const double p = normalCdf(x, messages);
        EXPECT_NEAR(p, 0.999999999497, 1e-12) << x;
        EXPECT_GT(1.0 - p, 4e-10) << x;
    }
}

TEST(SimpsonIntegral, BackwardsIntegrationIsNegative) {
    Warnings messages;
    const double forwards = simpsonIntegral(0.5, 1.5, messages);
    const double backwards = simpsonIntegral(1.5, 0.5, messages);
    EXPECT_LT(backwards, 0.0);
    EXPECT_NEAR(backwards, -forwards, 1e-15);
    EXPECT_NEAR(forwards, 0.2417303374571288 * (0.39894228 * std::sqrt(2 * std::numbers::pi)), 1e-8);
}

TEST(NormalDensity, UsesTheEightDecimalFactor) {
    EXPECT_EQ(normalDensity(0.0), 0.39894228);
    EXPECT_EQ(normalDensity(1.0), xmath::exp(-0.5) * 0.39894228);
}

TEST(TrapezoidRefine, AddsMidpointsAndHalvesThePanels) {
    TrapezoidState state;
    const double t1 = trapezoidRefine(0.0, 2.0, 1, state);
    EXPECT_EQ(t1, 1.0 * (normalDensity(2.0) + normalDensity(0.0)));
    const double t2 = trapezoidRefine(0.0, 2.0, 2, state);
    EXPECT_EQ(t2, 0.5 * (t1 + 2.0 * normalDensity(1.0)));
    const double t3 = trapezoidRefine(0.0, 2.0, 3, state);
    EXPECT_EQ(t3, 0.5 * (t2 + 2.0 * ((normalDensity(0.5) + normalDensity(1.5)) / 2.0)));
}

} // namespace

// The density's own exponential: within one unit in the last place of the C
// library's, exact where the value is known, and bit for bit the same on
// every target (the digest is this program's, natively and under node).
TEST(ProgramExp, IsWithinOneUlpAndGivesTheSameBitsEverywhere) {
    EXPECT_EQ(xmath::exp(0.0), 1.0);
    EXPECT_EQ(xmath::exp(std::log(2.0)), 2.0);
    EXPECT_EQ(xmath::exp(710.0), HUGE_VAL);
    EXPECT_EQ(xmath::exp(-746.0), 0.0);
    EXPECT_GT(xmath::exp(-740.0), 0.0); // below the normal range, not yet 0
    // Where 2^k leaves the normal range, on either side of the cut: k = 1024,
    // 1023, -1022, -1023 and the deep subnormals.
    for (double x : {709.782712893383, 709.7, 709.0, -708.0, -708.39, -708.4, -708.8, -709.5, -744.4, -745.1}) {
        const double library = std::exp(x);
        const double spacing = library < 0x1p-1022 ? 0x1p-1074 : std::nextafter(library, HUGE_VAL) - library;
        EXPECT_LE(std::fabs(xmath::exp(x) - library), spacing) << x;
    }
    std::uint64_t digest = 14695981039346656037ULL;
    for (int i = 0; i <= 200000; ++i) {
        const double x = -745.0 + i * (1454.0 / 200000) + i % 7 * 1e-9;
        const double mine = xmath::exp(x), library = std::exp(x);
        if (library >= 0x1p-1022 && std::isfinite(library)) {
            ASSERT_LE(std::fabs(mine - library), std::nextafter(library, HUGE_VAL) - library) << x;
        }
        std::uint64_t bits;
        std::memcpy(&bits, &mine, sizeof bits);
        digest = (digest ^ bits) * 1099511628211ULL;
    }
    EXPECT_EQ(digest, 5304376428517922992ULL);
}
