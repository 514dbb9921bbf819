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
TEST(CaseSummary, TextGivesTheReportsNumbersWithTabs) {
    const CaseSummary s = summarizeCase(computed({12, 7, 11, 9, 8, 10, 13}, ConfidenceMethod::Traditional95, false));
    const std::string text = summaryText(s);
    EXPECT_EQ(text.substr(0, text.find("\nReliable")),
              "Mr <A> & co\n"
              "Index\tScore\t95% confidence limits (traditional method)\tPercentile\tClassification\n"
              "Verbal Comprehension\t108\t101\u2013115\t70.3\tAverage\n"
              "Perceptual Organization\t106\t98\u2013114\t64.5\tAverage\n"
              "Working Memory\t94\t86\u2013102\t35.1\tAverage\n"
              "Processing Speed\t85\t73\u201397\t15.9\tLow Average\n"
              "Full Scale IQ\t100\t95\u2013105\t50.0\tAverage\n");
    EXPECT_NE(text.find("\nMahalanobis distance: Chi-square = "), std::string::npos);
    const std::string html = summaryHtml(s);
    EXPECT_NE(html.find("<p><b>Mr &lt;A&gt; &amp; co</b></p>"), std::string::npos);
    EXPECT_NE(html.find("<tr><td>Full Scale IQ</td><td align=\"right\">100</td>"), std::string::npos);
}

TEST(CaseSummary, DifferencesFollowTheChosenTest) {
    const CaseRecord flat = computed({10, 10, 10, 10, 10, 10, 10}, ConfidenceMethod::Glutting90, false);
    EXPECT_EQ(summarizeCase(flat).differences,
              std::vector<std::string>{"No difference between Indexes is reliable at p < .05 (observed scores, "
                                       "two-tailed)"});
    const CaseRecord uneven = computed({19, 1, 19, 10, 10, 10, 10}, ConfidenceMethod::Traditional95, true);
    const std::vector<std::string> lines = summarizeCase(uneven).differences;
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().substr(0, 16), "VC versus PO: di");
    EXPECT_NE(lines.front().find("after sequential Bonferroni correction"), std::string::npos);
}

TEST(CaseSummary, LocalTimeAddsTheOffsetAcrossMidnight) {
    EXPECT_EQ(localTimeText(0, 60), "1970-01-01 01:00");
    EXPECT_EQ(localTimeText(1796860800, -300), "2026-12-09 19:00"); // 2026-12-10 00:00 UTC, five hours west
    EXPECT_EQ(localTimeText(951782400 + 86399, 0), "2000-02-29 23:59");
}

} // namespace
} // namespace kalden
