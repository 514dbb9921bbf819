#include <gtest/gtest.h>

#include <cmath>

#include "report/ResultTables.h"
#include "scoring/IndexScores.h"
#include "stats/NormalDistribution.h"
#include "support/Cases.h"

using namespace kalden;
using namespace kalden::testing;

namespace {

IndexResults scored(const InputRecord& in, ConfidenceMethod method, Warnings& messages) {
    IndexResults r;
    computeIndexScores(in, method, r, messages);
    return r;
}

ReportLines section(const InputRecord& in, ConfidenceMethod method) {
    Warnings messages;
    ReportLines lines;
    writeIndexSection(scored(in, method, messages), lines);
    return lines;
}

// The five rows of the table: lines 5 to 8 and 10.
std::vector<std::string> rowsOf(const ReportLines& lines) {
    return {lines.at(5), lines.at(6), lines.at(7), lines.at(8), lines.at(10)};
}

TEST(IndexScores, AllTensGiveExactHundredsAndFiftiethPercentilesWithoutIntegration) {
    Warnings messages;
    const auto before = normalDensityEvaluations();
    const IndexResults r = scored(allTens(), ConfidenceMethod::Traditional95, messages);
    for (const IndexResult& x : r.indexes) {
        EXPECT_EQ(x.score, 100.0);
        EXPECT_EQ(x.trueScore, 100.0);
        EXPECT_EQ(x.percentile, 50.0);
    }
    // Ten limits integrated, the five exact scores not (ten calls of at most 8 steps).
    EXPECT_LE(normalDensityEvaluations() - before, 10u * 129u);
    EXPECT_TRUE(messages.empty());
}

TEST(IndexScores, MixedCaseGivesTheUnroundedScores) {
    Warnings messages;
    const IndexResults r = scored(mixedCase(), ConfidenceMethod::Traditional95, messages);
    EXPECT_NEAR(r[IndexId::VC].score, 107.995736, 5e-7);
    EXPECT_NEAR(r[IndexId::PO].score, 105.589715, 5e-7);
    EXPECT_NEAR(r[IndexId::WM].score, 94.264959, 5e-7);
    EXPECT_EQ(r[IndexId::PS].score, 85.0);
    EXPECT_EQ(r[IndexId::FSIQ].score, 100.0);
    EXPECT_NEAR(r[IndexId::VC].trueScore, (107.995736 - 100) * 0.94 + 100, 1e-6);
}

TEST(IndexScores, GluttingErrorIsTheMeasurementErrorTimesTheReliability) {
    Warnings messages;
    const IndexResults t = scored(mixedCase(), ConfidenceMethod::Traditional90, messages);
    const IndexResults g = scored(mixedCase(), ConfidenceMethod::Glutting90, messages);
    EXPECT_DOUBLE_EQ(t[IndexId::PS].standardError, std::sqrt(1 - 0.84) * 15);
    EXPECT_DOUBLE_EQ(g[IndexId::PS].standardError, std::sqrt(1 - 0.84) * 15 * 0.84);
    EXPECT_DOUBLE_EQ(g[IndexId::PS].lowerLimit, g[IndexId::PS].trueScore - 1.644854 * g[IndexId::PS].standardError);
    EXPECT_DOUBLE_EQ(t[IndexId::PS].upperLimit, 85 + 1.644854 * t[IndexId::PS].standardError);
}

TEST(IndexSection, FrameLinesForEachMethod) {
    struct Frame {
        ConfidenceMethod method;
        const char* heading;
        int rule;
        const char* head;
    };
    const Frame frames[] = {
        {ConfidenceMethod::Traditional95,
         " Short-Form Index scores plus confidence limits (scores are also expressed as a percentile plus CIs):", 99,
         "  Index                       Score  (95% CI Traditional)      Percentile  (95% CI on percentile)"},
        {ConfidenceMethod::Traditional90,
         " Short-Form Index scores plus confidence limits (scores are also expressed as a percentile plus CIs):", 99,
         "  Index                       Score  (90% CI Traditonal)       Percentile  (90% CI on percentile)"},
        {ConfidenceMethod::Glutting95,
         " Short-Form Index scores plus confidence limits (scores are also expressed as a percentile):", 98,
         "  Index                       Score  (  95% CI Glutting  )       Percentile    "},
        {ConfidenceMethod::Glutting90,
         " Short-Form Index scores plus confidence limits (scores are also expressed as a percentile):", 98,
         "  Index                       Score  (  90% CI Glutting  )       Percentile       "},
    };
    for (const Frame& f : frames) {
        const ReportLines lines = section(allTens(), f.method);
        ASSERT_EQ(lines.size(), 12u);
        const std::string openingRule = " " + std::string(static_cast<std::size_t>(f.rule), '_');
        EXPECT_EQ(lines[0], f.heading);
        EXPECT_EQ(lines[1], openingRule);
        EXPECT_EQ(lines[2], f.head);
        EXPECT_EQ(lines[3], openingRule);
        EXPECT_EQ(lines[4], "");
        EXPECT_EQ(lines[9], "");
        EXPECT_EQ(lines[11], " " + std::string(99, '_')) << "closing rule is 99 for every method";
    }
}

struct RowsCase {
    const char* name;
    InputRecord input;
    ConfidenceMethod method;
    std::vector<std::string> rows;
};

TEST(IndexSection, WorkedRowsPrintExactly) {
    const RowsCase cases[] = {
        {"all tens, traditional 95",
         allTens(),
         ConfidenceMethod::Traditional95,
         {"  Verbal Comprehension    :    100      (  93 to 107 )             50.0      (  31.6 to   68.4 )",
          "  Perceptual Organization :    100      (  92 to 108 )             50.0      (  29.6 to   70.4 )",
          "  Working Memory          :    100      (  92 to 108 )             50.0      (  29.9 to   70.1 )",
          "  Processing Speed        :    100      (  88 to 112 )             50.0      (  21.7 to   78.3 )",
          "  Full Scale IQ           :    100      (  95 to 105 )             50.0      (  36.7 to   63.3 )"}},
        {"all tens, Glutting 95",
         allTens(),
         ConfidenceMethod::Glutting95,
         {"  Verbal Comprehension    :    100      (  93 to 107 )             50.0     ",
          "  Perceptual Organization :    100      (  93 to 107 )             50.0      ",
          "  Working Memory          :    100      (  93 to 107 )             50.0      ",
          "  Processing Speed        :    100      (  90 to 110 )             50.0      ",
          "  Full Scale IQ           :    100      (  95 to 105 )             50.0      "}},
        {"mixed case, traditional 95",
         mixedCase(),
         ConfidenceMethod::Traditional95,
         {"  Verbal Comprehension    :    108      ( 101 to 115 )             70.3      (  52.1 to   84.5 )",
          "  Perceptual Organization :    106      (  98 to 114 )             64.5      (  43.5 to   81.8 )",
          "  Working Memory          :     94      (  86 to 102 )             35.1      (  18.2 to   55.7 )",
          "  Processing Speed        :     85      (  73 to  97 )             15.9      (   3.7 to   41.4 )",
          "  Full Scale IQ           :    100      (  95 to 105 )             50.0      (  36.7 to   63.3 )"}},
        {"mixed case, Glutting 90",
         mixedCase(),
         ConfidenceMethod::Glutting90,
         {"  Verbal Comprehension    :    108      ( 102 to 113 )             70.3     ",
          "  Perceptual Organization :    106      (  99 to 111 )             64.5      ",
          "  Working Memory          :     94      (  89 to 101 )             35.1      ",
          "  Processing Speed        :     85      (  79 to  96 )             15.9      ",
          "  Full Scale IQ           :    100      (  96 to 104 )             50.0      "}},
    };
    for (const RowsCase& c : cases) {
        const auto rows = rowsOf(section(c.input, c.method));
        for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i], c.rows[i]) << c.name << ", row " << i;
    }
}

TEST(IndexSection, HalfPointScoreRoundsAwayFromZero) {
    const auto rows = rowsOf(section(halfPointDigitSymbol(), ConfidenceMethod::Traditional95));
    EXPECT_EQ(rows[3],
              "  Processing Speed        :    103      (  91 to 114 )             56.6      (  26.9 to   82.9 )");
}

TEST(IndexSection, ExtremeProfilesPrintTheirScoresAndLimits) {
    // All 19: the limits' percentile ranks of the Full Scale IQ both show 100.0.
    const auto high = rowsOf(section(allNineteens(), ConfidenceMethod::Traditional95));
    EXPECT_EQ(high[0].substr(0, 34), "  Verbal Comprehension    :    148");
    EXPECT_EQ(high[1].substr(0, 34), "  Perceptual Organization :    150");
    EXPECT_EQ(high[2].substr(0, 34), "  Working Memory          :    152");
    EXPECT_EQ(high[3].substr(0, 34), "  Processing Speed        :    145");
    EXPECT_EQ(high[4].substr(0, 34), "  Full Scale IQ           :    160");
    EXPECT_EQ(high[4].substr(high[4].size() - 19), "( 100.0 to  100.0 )");
    const auto highG = rowsOf(section(allNineteens(), ConfidenceMethod::Glutting95));
    EXPECT_EQ(highG[0].substr(0, 54), "  Verbal Comprehension    :    148      ( 138 to 152 )");

    const auto low = rowsOf(section(allOnes(), ConfidenceMethod::Glutting95));
    EXPECT_EQ(low[0].substr(0, 34), "  Verbal Comprehension    :     52");
    EXPECT_EQ(low[1].substr(0, 34), "  Perceptual Organization :     50");
    EXPECT_EQ(low[2].substr(0, 34), "  Working Memory          :     48");
    EXPECT_EQ(low[3].substr(0, 54), "  Processing Speed        :     55      (  52 to  72 )");
    EXPECT_EQ(low[4].substr(0, 34), "  Full Scale IQ           :     40");
}

} // namespace
