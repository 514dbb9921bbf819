// Change between two assessments: the reliable change index of each Index
// against hand-worked values, its verdict at the level's edge, the chance of
// that many changes, and the section and the letter's paragraph as they stand.

#include <cmath>

#include <gtest/gtest.h>

#include "report/ChangeReport.h"
#include "scoring/ScoringEngine.h"
#include "support/Cases.h"

namespace kalden {
namespace {

using testing::caseOf;

IndexResults scoresOf(double vc, double po, double wm, double ps, double fsiq) {
    IndexResults r;
    const double scores[] = {vc, po, wm, ps, fsiq};
    for (std::size_t i = 0; i < IndexCount; ++i) r.indexes[i].score = scores[i];
    return r;
}

// Worked by hand from the published reliabilities: SEdiff = 15·√(2(1 − r)),
// and Φ by the complementary error function of the C library, not the
// program's own integration.
TEST(ReliableChange, EachRowFollowsTheHandWorkedIndex) {
    const ReliableChange rc = computeReliableChange(scoresOf(112, 100, 100, 90, 100), scoresOf(94, 100, 108.5, 90, 95),
                                                    ChangeLevel::Percent95, {0, 0, 0, 0, 0});
    const ChangeRow& vc = rc.rows[0];
    EXPECT_EQ(vc.change, -18.0);
    EXPECT_NEAR(vc.seDifference, 5.196152422706632, 1e-12); // 15·√0.12
    EXPECT_NEAR(vc.rci, -3.464101615137754, 1e-12);         // −18 / 5.1962
    EXPECT_NEAR(vc.pTwoTailed, std::erfc(3.464101615137754 / std::sqrt(2.0)), 2e-6);
    EXPECT_EQ(vc.verdict, ChangeVerdict::Decline);
    const ChangeRow& wm = rc.rows[2]; // r .928: SEdiff 15·√0.144 = 5.6921; 8.5 / 5.6921 = 1.4933
    EXPECT_NEAR(wm.seDifference, 5.692099788303083, 1e-12);
    EXPECT_NEAR(wm.rci, 1.4932977839684016, 1e-12);
    EXPECT_EQ(wm.verdict, ChangeVerdict::NoChange);
    EXPECT_NEAR(rc.rows[1].seDifference, 5.809475019311125, 1e-12); // PO, r .925
    EXPECT_NEAR(rc.rows[3].seDifference, 8.485281374238570, 1e-12); // PS, r .84
    EXPECT_NEAR(rc.rows[4].seDifference, 3.674234614174767, 1e-12); // FSIQ, r .97: −5 / 3.6742 = −1.3608
    EXPECT_NEAR(rc.rows[4].rci, -1.360827634879543, 1e-12);
    // No change at all: certain by chance, with no warning from the integration.
    EXPECT_EQ(rc.rows[1].pTwoTailed, 1.0);
    EXPECT_TRUE(rc.warnings.empty());
    EXPECT_EQ(rc.reliableIndexes, 1);
}

// The sign: a rise is positive, and an expected gain is taken off the rise,
// so that a gain as large as the rise leaves no change and a negative gain
// (an expected loss) makes the same rise larger.
TEST(ReliableChange, APracticeGainIsTakenOffTheRise) {
    const struct {
        double first, second, practice, rci;
        ChangeVerdict verdict;
    } cases[] = {
        {100, 111, 0, 11 / 5.196152422706632, ChangeVerdict::Improvement},
        {111, 100, 0, -11 / 5.196152422706632, ChangeVerdict::Decline},
        {100, 110, 0, 10 / 5.196152422706632, ChangeVerdict::NoChange},
        {100, 110, 10, 0, ChangeVerdict::NoChange},
        {100, 110, 5, 5 / 5.196152422706632, ChangeVerdict::NoChange},
        {100, 105, -6, 11 / 5.196152422706632, ChangeVerdict::Improvement},
        {100, 95, 6, -11 / 5.196152422706632, ChangeVerdict::Decline},
    };
    for (const auto& c : cases) {
        const ReliableChange rc = computeReliableChange(scoresOf(c.first, 0, 0, 0, 0), scoresOf(c.second, 0, 0, 0, 0),
                                                        ChangeLevel::Percent95, {c.practice, 0, 0, 0, 0});
        EXPECT_NEAR(rc.rows[0].rci, c.rci, 1e-12) << c.first << " -> " << c.second << " less " << c.practice;
        EXPECT_EQ(rc.rows[0].verdict, c.verdict) << c.first << " -> " << c.second << " less " << c.practice;
    }
}

TEST(ReliableChange, TheVerdictTurnsExactlyAtTheLevelsDeviate) {
    for (const auto& [level, z] : {std::pair{ChangeLevel::Percent95, 1.959964}, {ChangeLevel::Percent90, 1.644854}}) {
        EXPECT_EQ(changeVerdict(z, level), ChangeVerdict::Improvement) << z;
        EXPECT_EQ(changeVerdict(std::nextafter(z, 0.0), level), ChangeVerdict::NoChange) << z;
        EXPECT_EQ(changeVerdict(-z, level), ChangeVerdict::Decline) << z;
        EXPECT_EQ(changeVerdict(std::nextafter(-z, 0.0), level), ChangeVerdict::NoChange) << z;
    }
    EXPECT_EQ(changeVerdict(1.8, ChangeLevel::Percent90), ChangeVerdict::Improvement);
    EXPECT_EQ(changeVerdict(1.8, ChangeLevel::Percent95), ChangeVerdict::NoChange);
    EXPECT_STREQ(verdictText(ChangeVerdict::Improvement), "reliable improvement");
    EXPECT_STREQ(verdictText(ChangeVerdict::Decline), "reliable decline");
    EXPECT_STREQ(verdictText(ChangeVerdict::NoChange), "no reliable change");
}

// P(k or more of 4) at alpha .05 and .10, worked out term by term:
// e.g. k = 2 at .05 is 6·.05²·.95² + 4·.05³·.95 + .05⁴ = .01401875.
TEST(ReliableChange, TheChanceOfThatManyIsTheBinomialTailOfFourIndexes) {
    const double at95[] = {100, 18.549375, 1.401875, 0.048125, 0.000625};
    const double at90[] = {100, 34.39, 5.23, 0.37, 0.01};
    for (int k = 0; k <= 4; ++k) {
        EXPECT_NEAR(chanceOfReliableChanges(k, ChangeLevel::Percent95), at95[k], 1e-12) << k;
        EXPECT_NEAR(chanceOfReliableChanges(k, ChangeLevel::Percent90), at90[k], 1e-12) << k;
    }
    // FSIQ is not one of the four: its reliable change does not count.
    const ReliableChange rc = computeReliableChange(scoresOf(100, 100, 100, 100, 100), scoresOf(130, 70, 100, 100, 120),
                                                    ChangeLevel::Percent95, {0, 0, 0, 0, 0});
    EXPECT_EQ(rc.rows[4].verdict, ChangeVerdict::Improvement);
    EXPECT_EQ(rc.reliableIndexes, 2);
    EXPECT_NEAR(rc.chancePercent, 1.401875, 1e-12);
}

// A gain as typed in the dialog, on the command line or in the remembered
// file: blank is none; otherwise plain decimals from -30 to 30.
TEST(PracticeGain, OnlyPlainDecimalsWithinThirtyPointsAreGains) {
    const struct {
        std::string text;
        std::optional<double> gain;
    } cases[] = {{"", 0.0},
                 {" \t ", 0.0},
                 {" 2.5 ", 2.5},
                 {"+3", 3.0},
                 {"-1.5", -1.5},
                 {".5", 0.5},
                 {"5.", 5.0},
                 {"30", 30.0},
                 {"-30", -30.0},
                 {"30.01", std::nullopt},
                 {"-", std::nullopt},
                 {".", std::nullopt},
                 {"1e1", std::nullopt},
                 {"inf", std::nullopt},
                 {"nan", std::nullopt},
                 {"1.2.3", std::nullopt},
                 {"2,5", std::nullopt},
                 {"0x1", std::nullopt},
                 {"--1", std::nullopt},
                 {"+-1", std::nullopt},
                 {std::string(310, '9'), std::nullopt}, // beyond a double: out of range, not 0
                 {"0." + std::string(400, '0') + "1", 0.0}};
    for (const auto& c : cases) EXPECT_EQ(practiceGainOf(c.text), c.gain) << '"' << c.text << '"';
    EXPECT_FALSE(std::signbit(*practiceGainOf("-0.0"))); // printed "0.0", never "-0.0"
}

ComparedCase recorded(std::int64_t id, InputRecord input, const std::string& person, const std::string& tested,
                      std::int64_t computedUtc) {
    ComparedCase c;
    c.id = id;
    c.record.input = input;
    c.record.results = computeAll(input);
    c.record.session = {person, "1961-04-12", tested, "Dr C. Diaz", ""};
    c.record.computedUtc = computedUtc;
    return c;
}

TEST(CaseComparison, OnlyTwoCasesOfOnePersonAreCompared) {
    const ComparedCase ann = recorded(3, testing::mixedCase(), "Ann B.", "2025-11-03", 1762160000);
    const ComparedCase carl = recorded(9, testing::mixedCase(), "Carl D.", "2026-12-09", 1765270000);
    const ComparedCase nobody = recorded(4, testing::mixedCase(), "", "2026-12-09", 1765270000);
    EXPECT_EQ(comparisonRefusal(ann, carl),
              "Case 3 is of \"Ann B.\" and case 9 of \"Carl D.\": only two cases of one person can be compared.");
    EXPECT_EQ(comparisonRefusal(nobody, ann),
              "Case 4 names no person: only two cases recorded with the same person can be compared.");
    EXPECT_EQ(comparisonRefusal(ann, ann), "Case 3 cannot be compared with itself.");
    EXPECT_EQ(comparisonRefusal(ann, recorded(5, testing::allTens(), "Ann B.", "", 0)), "");
    // One person however typed; two persons only on the user's word.
    EXPECT_EQ(comparisonRefusal(ann, recorded(5, testing::allTens(), " ann  b", "", 0)), "");
    EXPECT_EQ(comparisonRefusal(ann, carl, true), "");
}

// The earlier assessment comes first whichever is named first: by the dates
// of testing, else by when the cases were computed.
TEST(CaseComparison, TheEarlierAssessmentComesFirst) {
    const ComparedCase later = recorded(2, testing::mixedCase(), "Ann B.", "2026-12-09", 100);
    const ComparedCase earlier = recorded(7, testing::allTens(), "Ann B.", "2025-11-03", 200);
    for (const auto& [a, b] : {std::pair{later, earlier}, {earlier, later}}) {
        const CaseComparison c = compareCases(a, b, {});
        EXPECT_EQ(c.first.id, 7);
        EXPECT_EQ(c.second.id, 2);
        EXPECT_EQ(c.days, 401);
        EXPECT_EQ(c.change.rows[0].change, 8); // 100 to 108, as the two reports print them
    }
    const ComparedCase undated = recorded(1, testing::allTens(), "Ann B.", "", 300);
    const CaseComparison c = compareCases(undated, later, {});
    EXPECT_EQ(c.first.id, 2); // computed at 100, before 300
    EXPECT_FALSE(c.days.has_value());
}

ComparedCase firstOfAnn() { return recorded(12, caseOf(14, 9, 13, 12, 9, 10, 12), "Ann B.", "2025-11-03", 1762165860); }
ComparedCase secondOfAnn() {
    return recorded(15, caseOf(13, 13, 12, 7, 10, 9, 6, testing::optionsOf(ConfidenceMethod::Glutting90)), "Ann B.",
                    "2026-12-09", 1796814120);
}

// The section as it stands, of the scores as the two reports print them: PS
// 95 to 115 is 20 / 8.49 = 2.36 (p .018), a reliable improvement; PO falls by
// 31, RCI -31 / 5.81 = -5.34; FSIQ by 9, -9 / 3.67 = -2.45 (p .014); WM does
// not move; two of the four changed, which chance alone gives 1.402% of
// people; the gains are printed although none were entered, and the options'
// difference is said.
TEST(CaseComparison, TheSectionGivesEveryRowTheCountAndTheMethod) {
    const CaseComparison c = compareCases(secondOfAnn(), firstOfAnn(), {});
    EXPECT_EQ(
        changeSection(c),
        (ReportLines{
            " Change between two assessments of one person (reliable change index):",
            " ___________________________________________________________________________________________________",
            "  Person                  : Ann B.",
            "  First assessment        : case 12, tested 2025-11-03, computed 2025-11-03 10:31",
            "  Second assessment       : case 15, tested 2026-12-09, computed 2026-12-09 11:02",
            "  Interval                : 401 days between the dates of testing",
            " ___________________________________________________________________________________________________",
            "  Index                     First Second Change Practice SE diff    RCI      p  Verdict",
            " ___________________________________________________________________________________________________",
            "",
            "  Verbal Comprehension    :   119    113     -6      0.0    5.20  -1.15  0.248  no reliable change",
            "  Perceptual Organization :   111     80    -31      0.0    5.81  -5.34  0.000  reliable decline",
            "  Working Memory          :    97     97      0      0.0    5.69   0.00  1.000  no reliable change",
            "  Processing Speed        :    95    115     20      0.0    8.49   2.36  0.018  reliable improvement",
            "",
            "  Full Scale IQ           :   109    100     -9      0.0    3.67  -2.45  0.014  reliable decline",
            " ___________________________________________________________________________________________________",
            "  Reliable change at 95% (|RCI| >= 1.96) in 2 of the 4 Indexes; chance alone gives",
            "  2 or more of the 4 in 1.402% of people (the Indexes share no subtest).",
            "  Practice gains taken off (Index points): VC 0.0, PO 0.0, WM 0.0, PS 0.0, FSIQ 0.0 (none entered)",
            "  SE diff = 15 x sqrt(2 x (1 - r)) with r = 0.94, 0.925, 0.928, 0.84, 0.97;",
            "  RCI = (second - first - practice) / SE diff, p two-tailed (Jacobson & Truax, 1991;",
            "  practice adjustment after Chelune et al., 1993).",
            "  The two cases used different options (first: 95% traditional, observed, no Bonferroni, 5%;",
            "  second: 90% Glutting, observed, no Bonferroni, 5%);",
            "  they do not enter the change, which uses the observed scores."}));
}

TEST(CaseComparison, TheGainsUsedAndTheirSourceArePrinted) {
    const ChangeSettings settings{ChangeLevel::Percent90, {{2, 3.5, 0, -1, 2}, "Retest study 2019"}};
    const ReportLines lines = changeSection(compareCases(firstOfAnn(), secondOfAnn(), settings));
    EXPECT_EQ(lines[10],
              "  Verbal Comprehension    :   119    113     -6      2.0    5.20  -1.54  0.124  no reliable change");
    EXPECT_EQ(lines[13],
              "  Processing Speed        :    95    115     20     -1.0    8.49   2.47  0.013  reliable improvement");
    EXPECT_EQ(lines[17], "  Reliable change at 90% (|RCI| >= 1.64) in 2 of the 4 Indexes; chance alone gives");
    EXPECT_EQ(lines[18], "  2 or more of the 4 in 5.230% of people (the Indexes share no subtest).");
    EXPECT_EQ(lines[19], "  Practice gains taken off (Index points): VC 2.0, PO 3.5, WM 0.0, PS -1.0, FSIQ 2.0");
    EXPECT_EQ(lines[20], "  Source of the practice gains: Retest study 2019");
    // A source alone still says which gains were used: none.
    const ChangeSettings sourceOnly{ChangeLevel::Percent95, {{}, "Retest study 2019"}};
    EXPECT_EQ(changeSection(compareCases(firstOfAnn(), secondOfAnn(), sourceOnly))[19],
              "  Practice gains taken off (Index points): VC 0.0, PO 0.0, WM 0.0, PS 0.0, FSIQ 0.0");
}

TEST(CaseComparison, TheLettersParagraphSaysWhatChangedAndHowRareThatIs) {
    EXPECT_EQ(
        changeSummaryText(compareCases(firstOfAnn(), secondOfAnn(), {})),
        "Between the assessments of 2025-11-03 and 2026-12-09 (401 days apart), Perceptual Organization fell from 111 to 80, a reliable decline (RCI −5.3, p < .001), Processing Speed rose from 95 to 115, a reliable improvement (RCI 2.4, p = .018), and the Full Scale IQ fell from 109 to 100, a reliable decline (RCI −2.4, p = .014). If nothing had changed, 1.4% of people tested twice would still show a reliable change in two or more of the four Indexes by chance at this level. Verbal Comprehension (119 and 113) and Working Memory (97 and 97) did not change reliably. Reliable change index at 95%. All scores are estimates from a short form of seven subtests. No practice gains were taken off: on a retest within a year or two, practice alone tends to raise scores, so a rise may be smaller and a fall larger than it seems."
        "\n");
    const ChangeSettings settings{ChangeLevel::Percent90, {{2, 3.5, 0, -1, 2}, "Retest study 2019"}};
    const std::string text = changeSummaryText(compareCases(firstOfAnn(), secondOfAnn(), settings));
    EXPECT_EQ(
        text.substr(text.find(" If nothing")),
        " If nothing had changed, 5.2% of people tested twice would still show a reliable change in two or more of the four Indexes by chance at this level. Verbal Comprehension (119 and 113) and Working Memory (97 and 97) did not change reliably. Reliable change index at 90%. All scores are estimates from a short form of seven subtests. The practice gains expected from Retest study 2019 were taken off (VC 2.0, PO 3.5, WM 0.0, PS -1.0, FSIQ 2.0 points)."
        "\n");
}

// A reliable change towards 100 from a first score far from it is partly
// regression to the mean, and the paragraph says so; one away from 100, or
// from a first score near it, is not.
TEST(CaseComparison, ALetterWarnsOfRegressionTowardsTheMean) {
    const ComparedCase high = recorded(1, caseOf(10, 10, 10, 18, 10, 10, 18), "Ann B.", "2025-11-03", 100);
    const ComparedCase lower = recorded(2, caseOf(10, 10, 10, 12, 10, 10, 12), "Ann B.", "2026-11-03", 200);
    const std::string falling = changeSummaryText(compareCases(high, lower, {}));
    EXPECT_NE(falling.find(" Perceptual Organization (first 145) and the Full Scale IQ (first 115) were far from "
                           "the average of 100 at the first assessment, so part of a change towards 100 is expected "
                           "from regression to the mean alone.\n"),
              std::string::npos)
        << falling;
    const ComparedCase lowerFirst = recorded(3, caseOf(10, 10, 10, 12, 10, 10, 12), "Ann B.", "2025-11-03", 100);
    const ComparedCase highLater = recorded(4, caseOf(10, 10, 10, 18, 10, 10, 18), "Ann B.", "2026-11-03", 200);
    const std::string rising = changeSummaryText(compareCases(lowerFirst, highLater, {}));
    EXPECT_EQ(rising.find("regression"), std::string::npos) << rising;
}

} // namespace
} // namespace kalden
