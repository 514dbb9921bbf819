// The summary for a letter: the bands, the report's own digits, and the
// clock of a case.

#include <gtest/gtest.h>

#include "report/CaseSummary.h"
#include "scoring/ScoringEngine.h"

namespace kalden {
namespace {

TEST(CaseSummary, ClassificationBandsMeetAtTheirPublishedEdges) {
    const struct {
        int score;
        const char* band;
    } cases[] = {{40, "Extremely Low"},  {69, "Extremely Low"}, {70, "Borderline"}, {79, "Borderline"},
                 {80, "Low Average"},    {89, "Low Average"},   {90, "Average"},    {109, "Average"},
                 {110, "High Average"},  {119, "High Average"}, {120, "Superior"},  {129, "Superior"},
                 {130, "Very Superior"}, {160, "Very Superior"}};
    for (const auto& c : cases) EXPECT_STREQ(descriptiveClassification(c.score), c.band) << c.score;
}

CaseRecord computed(std::array<double, 7> scores, ConfidenceMethod method, bool bonferroni) {
    CaseRecord c;
    for (int k = 1; k <= 7; ++k) c.input.setScore(k, scores[static_cast<std::size_t>(k - 1)]);
    c.input.confidenceMethod = method;
    c.input.sequentialBonferroni = bonferroni;
    c.results = computeAll(c.input);
    c.context.notes = {"Mr <A> & co", "second line"};
    return c;
}

// The same digits as the report's Index table: 12 7 11 9 8 10 13 gives
// the golden report's rows, VC 108 (101 to 115) 70.3 to FSIQ 100 (95 to 105) 50.0.
TEST(CaseSummary, TheTableGivesTheReportsNumbersWithTabs) {
    const CaseSummary s = summarizeCase(computed({12, 7, 11, 9, 8, 10, 13}, ConfidenceMethod::Traditional95, false));
    const std::string text = summaryText(s);
    EXPECT_EQ(text.substr(0, text.find("\n\nVerbal Comprehension (")),
              "Mr <A> & co\n"
              "Index scores of the WAIS-III estimated from seven subtests (short form).\n\n"
              "Index\tScore\t95% confidence limits (traditional method)\tPercentile\tClassification\n"
              "Verbal Comprehension\t108\t101\u2013115\t70\tAverage\n"
              "Perceptual Organization\t106\t98\u2013114\t65\tAverage\n"
              "Working Memory\t94\t86\u2013102\t35\tAverage\n"
              "Processing Speed\t85\t73\u201397\t16\tLow Average\n"
              "Full Scale IQ\t100\t95\u2013105\t50\tAverage");
    const std::string html = summaryHtml(s);
    EXPECT_NE(html.find("<p><b>Mr &lt;A&gt; &amp; co</b></p>"), std::string::npos);
    EXPECT_NE(html.find("<tr><td>Full Scale IQ</td><td align=\"right\">100</td>"), std::string::npos);
}

// A letter's summary as it stands, for a case whose VC is reliably higher
// than its PO and whose PO and WM are abnormally low. Every number is the
// report's (VC-PO 76, 0.000% in the abnormality table, 4.34% for two low
// scores, chi-square 50.115 with p 0.00000); probabilities the report prints
// as zeros read "< .001".
TEST(CaseSummary, ALetterGetsThePersonTheScoresAndPlainParagraphs) {
    CaseRecord c = computed({19, 10, 19, 5, 4, 4, 5}, ConfidenceMethod::Traditional95, false);
    c.session = {"Ann B.", "1961-04-12", "2026-03-01", "Dr C. Diaz", "memory complaints"};
    c.computedUtc = 1772352000; // 2026-03-01 08:00 UTC, the day of testing
    EXPECT_EQ(
        summaryText(summarizeCase(c)),
        "Ann B. (born 1961-04-12), tested 2026-03-01 (age 64 years 10 months) by Dr C. Diaz\n"
        "Reason for referral: memory complaints. Notes: Mr <A> & co\n"
        "Index scores of the WAIS-III estimated from seven subtests (short form).\n\n"
        "Index\tScore\t95% confidence limits (traditional method)\tPercentile\tClassification\n"
        "Verbal Comprehension\t148\t141\u2013155\t99.9\tVery Superior\n"
        "Perceptual Organization\t72\t64\u201380\t3\tBorderline\n"
        "Working Memory\t66\t58\u201373\t1\tExtremely Low\n"
        "Processing Speed\t100\t88\u2013112\t50\tAverage\n"
        "Full Scale IQ\t96\t91\u2013101\t40\tAverage\n"
        "\nVerbal Comprehension (148) is 76 points higher than Perceptual Organization (72). The difference is "
        "reliable (two-tailed p < .001, comparing the scores as obtained); fewer than 1 in 1,000 people show a "
        "difference this large in this direction.\n"
        "\nVerbal Comprehension (148) is 82 points higher than Working Memory (66). The difference is reliable "
        "(two-tailed p < .001, comparing the scores as obtained); fewer than 1 in 1,000 people show a difference "
        "this large in this direction.\n"
        "\nVerbal Comprehension (148) is 48 points higher than Processing Speed (100). The difference is reliable "
        "(two-tailed p < .001, comparing the scores as obtained); about 1 in 860 people show a difference this "
        "large in this direction.\n"
        "\nPerceptual Organization (72) is 28 points lower than Processing Speed (100). The difference is "
        "reliable (two-tailed p < .001, comparing the scores as obtained); about 4 in 100 people show a "
        "difference this large in this direction.\n"
        "\nWorking Memory (66) is 34 points lower than Processing Speed (100). The difference is reliable "
        "(two-tailed p < .001, comparing the scores as obtained); about 1 in 100 people show a difference this "
        "large in this direction.\n"
        "\nTwo of the four Index scores are abnormally low: Perceptual Organization (72) and Working Memory (66). "
        "An Index score is abnormally low when fewer than 5 in 100 people score lower; about 4 in 100 people "
        "have this many abnormally low scores or more.\n"
        "\nTaken as a whole, in level and in pattern together, the profile of the four Index scores is unusual: "
        "fewer than 1 in 1,000 people have one at least this far from the average profile.\n");
}

// Figures as a letter prints them, at the edges of each form.
TEST(CaseSummary, FiguresAreRoundedAsALetterPrintsThem) {
    const std::pair<double, const char*> percents[] = {{0.0, "<0.1"},   {0.049, "<0.1"},  {0.05, "0.1"},
                                                       {0.531, "0.5"},  {0.97, "1"},      {70.3, "70"},
                                                       {70.5, "71"},    {99.04, "99"},    {99.06, "99.1"},
                                                       {99.94, "99.9"}, {99.95, ">99.9"}, {100.0, ">99.9"}};
    for (const auto& [value, shown] : percents) EXPECT_EQ(letterPercent(value), shown) << value;
    const std::pair<double, const char*> people[] = {
        {0.05, "fewer than 1 in 1,000 people"}, {0.1, "about 1 in 1,000 people"}, {0.117, "about 1 in 850 people"},
        {0.531, "about 1 in 190 people"},       {3.742, "about 4 in 100 people"}, {95.198, "about 95 in 100 people"},
        {99.6, "more than 99 in 100 people"}};
    for (const auto& [value, shown] : people) EXPECT_EQ(peopleInWords(value), shown) << value;
    const std::pair<double, const char*> ps[] = {{0.0004, "p < .001"}, {0.0005, "p = .001"}, {0.0094, "p = .009"},
                                                 {0.049, "p = .049"},  {0.0996, "p = .10"},  {0.95198, "p = .95"},
                                                 {0.994, "p = .99"},   {0.996, "p > .99"}};
    for (const auto& [value, shown] : ps) EXPECT_EQ(letterProbability(value), shown) << value;
}

TEST(CaseSummary, CasesWithoutAPersonOrAnyFinding) {
    CaseRecord flat = computed({10, 10, 10, 10, 10, 10, 10}, ConfidenceMethod::Glutting90, false);
    flat.context.notes.clear();
    flat.computedUtc = 1772352000;
    const CaseSummary s = summarizeCase(flat);
    EXPECT_EQ(s.heading, "Case computed 2026-03-01 08:00");
    EXPECT_EQ(s.paragraphs.front(),
              "None of the six differences between the Index scores is reliable (two-tailed p < .05, comparing the "
              "scores as obtained).");
    EXPECT_EQ(s.paragraphs[1],
              "None of the four Index scores is abnormally low (an Index score is abnormally low "
              "when fewer than 5 in 100 people score lower).");
    const CaseRecord uneven = computed({19, 1, 19, 10, 10, 10, 10}, ConfidenceMethod::Traditional95, true);
    EXPECT_NE(summarizeCase(uneven).paragraphs.front().find("(p < .05 after sequential Bonferroni correction"),
              std::string::npos);
}

TEST(CaseSummary, LocalTimeAddsTheOffsetAcrossMidnight) {
    EXPECT_EQ(localTimeText(0, 60), "1970-01-01 01:00");
    EXPECT_EQ(localTimeText(1796860800, -300), "2026-12-09 19:00"); // 2026-12-10 00:00 UTC, five hours west
    EXPECT_EQ(localTimeText(951782400 + 86399, 0), "2000-02-29 23:59");
}

} // namespace
// The age in completed months, at the edges of a month and of a leap day;
// the session's doubts, and the summary stating them.
TEST(CaseSummary, TheAgeAtTestingAndTheDatesThatAsk) {
    struct Row {
        const char* birth;
        const char* testing;
        const char* age; // "" where there is none
    };
    const Row rows[] = {{"1961-04-12", "2026-03-01", "64 years 10 months"},
                        {"1961-04-12", "2026-04-11", "64 years 11 months"},
                        {"1961-04-12", "2026-04-12", "65 years 0 months"},
                        {"2000-02-29", "2017-02-28", "16 years 11 months"},
                        {"2000-01-31", "2001-03-01", "1 year 1 month"},
                        {"", "2026-03-01", ""},
                        {"2027-01-01", "2026-03-01", ""}};
    for (const Row& r : rows) {
        const std::optional<Age> age = ageAtTesting(Session{"P", r.birth, r.testing, {}, {}});
        EXPECT_EQ(age ? ageText(*age) : "", r.age) << r.birth << ' ' << r.testing;
    }
    EXPECT_EQ(sessionProblem(Session{"P", "2027-01-01", "2026-03-01", {}, {}}),
              "The date of birth (2027-01-01) comes after the date of testing (2026-03-01).");

    const Session young{"Ann B.", "2015-01-01", "2026-12-11", {}, {}};
    const std::vector<std::string> doubts = {
        "The date of testing (2026-12-11) is later than today (2026-12-10).",
        "The age at testing, 11 years 11 months, is outside the adult range of this test's norms (16 to 89 years)."};
    EXPECT_EQ(sessionDoubts(young, "2026-12-10", "today"), doubts);
    EXPECT_EQ(sessionDoubts(Session{"P", "1936-12-11", "2026-12-10", {}, {}}, "2026-12-10", "today"),
              std::vector<std::string>{});
    EXPECT_EQ(sessionDoubts(Session{"P", "1936-12-10", "2026-12-10", {}, {}}, "2026-12-10", "today").size(), 1u);

    CaseRecord c = computed({10, 10, 10, 10, 10, 10, 10}, ConfidenceMethod::Traditional95, false);
    c.session = young;
    c.context.notes.clear();
    c.computedUtc = 1796860800; // 2026-12-10 00:00 UTC
    const CaseSummary s = summarizeCase(c);
    EXPECT_EQ(s.heading, "Ann B. (born 2015-01-01), tested 2026-12-11 (age 11 years 11 months)");
    EXPECT_EQ(s.details,
              "The date of testing (2026-12-11) is later than the day it was scored (2026-12-10). The age at testing, "
              "11 years 11 months, is outside the adult range of this test's norms (16 to 89 years).");
}

} // namespace kalden
