// What every profile chart says, the desktop's and the page's alike.

#include <gtest/gtest.h>

#include "report/ChartData.h"
#include "scoring/ScoringEngine.h"

namespace kalden {
namespace {

CaseRecord computed(std::array<double, 7> scores, ConfidenceMethod method) {
    CaseRecord c;
    for (int k = 1; k <= 7; ++k) c.input.setScore(k, scores[static_cast<std::size_t>(k - 1)]);
    c.input.confidenceMethod = method;
    c.results = computeAll(c.input);
    c.computedUtc = 1772352000; // 2026-03-01 08:00 UTC
    c.utcOffsetMinutes = 60;
    return c;
}

// The words are the chart table's texts: an extreme percentile reads as the
// table prints it ("<0.1"), not as the report's rounded "0.0". The scores and
// limits are the report's (kalden-report --ci glutting90 1 1 1 1 1 1 1).
TEST(ChartData, TheDescriptionReadsTheTablesTextsAndTheCaption) {
    const struct {
        std::array<double, 7> scores;
        ConfidenceMethod method;
        std::vector<std::string> lines;
    } rows[] = {
        {{12, 7, 11, 9, 8, 10, 13},
         ConfidenceMethod::Traditional95,
         {"Verbal Comprehension 108, 95% confidence limits 101 to 115, percentile 70",
          "Perceptual Organization 106, 95% confidence limits 98 to 114, percentile 65",
          "Working Memory 94, 95% confidence limits 86 to 102, percentile 35",
          "Processing Speed 85, 95% confidence limits 73 to 97, percentile 16",
          "Full Scale IQ 100, 95% confidence limits 95 to 105, percentile 50",
          "Note: 95% Confidence limits using the traditional method were selected"}},
        {{1, 1, 1, 1, 1, 1, 1},
         ConfidenceMethod::Glutting90,
         {"Verbal Comprehension 52, 90% confidence limits 49 to 61, percentile 0.1",
          "Perceptual Organization 50, 90% confidence limits 47 to 60, percentile <0.1",
          "Working Memory 48, 90% confidence limits 46 to 58, percentile <0.1",
          "Processing Speed 55, 90% confidence limits 54 to 70, percentile 0.1",
          "Full Scale IQ 40, 90% confidence limits 38 to 46, percentile <0.1",
          "Note: 90% Confidence limits using the Glutting method were selected"}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(chartDescription(computed(row.scores, row.method).results.index), row.lines)
            << static_cast<int>(row.method);
}

TEST(ChartData, TheTitleNamesThePersonTheFirstNoteLineAndTheMoment) {
    CaseRecord c = computed({12, 7, 11, 9, 8, 10, 13}, ConfidenceMethod::Traditional95);
    EXPECT_EQ(chartTitle(c, "KALDEN 9.9"), "Computed 2026-03-01 09:00 \u2014 KALDEN 9.9");
    c.context.notes = {" \t Referred by GP  ", "second line"};
    c.session = {"Ann B.", "1961-04-12", "2026-03-01", "Dr C. Diaz", "review"};
    EXPECT_EQ(
        chartTitle(c, "KALDEN 9.9"),
        "Ann B. (born 1961-04-12), tested 2026-03-01 (age 64 years 10 months) by Dr C. Diaz \u2014 Referred by GP \u2014 Computed "
        "2026-03-01 09:00 \u2014 KALDEN 9.9");
    // Word's line break, a carriage return, an escape and a direction
    // override: the title stays one line, in order, and valid in an SVG.
    c.context.notes = {"GP\vletter \x1b[2J\xef\xbf\xbf"};
    c.session = {"Ann\r\nB. \u202e", "", "2026-03-01", "", ""};
    EXPECT_EQ(chartTitle(c, "KALDEN 9.9"),
              "Ann  B. \\u202e, tested 2026-03-01 \u2014 GP letter \\x1b[2J\\uffff \u2014 Computed 2026-03-01 09:00 "
              "\u2014 KALDEN 9.9");
}

TEST(ChartData, ThePagesChartCarriesTheBandTheTextsAndTheDescription) {
    const CaseRecord c = computed({12, 7, 11, 9, 8, 10, 13}, ConfidenceMethod::Traditional95);
    std::string json;
    appendChartJson(json, c, "KALDEN 9.9");
    EXPECT_EQ(json.rfind("{\"title\":\"Computed 2026-03-01 09:00 \u2014 KALDEN 9.9\",\"low\":", 0), 0u) << json;
    EXPECT_NE(json.find(",\"bandLow\":85,\"bandHigh\":115,\"bandLabel\":\"Average range 85\u2013115\","),
              std::string::npos);
    EXPECT_NE(json.find("{\"name\":\"Full Scale IQ\",\"at\":"), std::string::npos);
    EXPECT_NE(json.find(",\"score\":\"100\",\"limits\":\"95\u2013105\",\"percentile\":\"50\"}"), std::string::npos);
    std::string description = ",\"description\":[";
    for (const std::string& line : chartDescription(c.results.index)) description += '"' + line + "\",";
    description.back() = ']';
    EXPECT_EQ(json.substr(json.size() - description.size() - 1), description + "}");
}

// Two assessments on one chart, as the desktop's chart and the page's name
// them: the legend's labels (a case without a date of testing by when it was
// computed), the title without either date, the table's signed cells with a
// true minus and no sign for a zero, and the caption naming both methods where they differ.
TEST(ChartData, TwoAssessmentsAreNamedAndTabledAlikeOnEveryChart) {
    ComparedCase earlier{3, computed({1, 1, 1, 1, 1, 1, 1}, ConfidenceMethod::Glutting90)};
    ComparedCase later{7, computed({12, 7, 11, 9, 8, 10, 13}, ConfidenceMethod::Traditional95)};
    earlier.record.session = {"Ann B.", "1961-04-12", "", "", ""};
    later.record.session = {"Ann B.", "1961-04-12", "2026-03-01", "Dr C. Diaz", "review"};
    const CaseComparison c = compareCases(later, earlier, ChangeSettings{});
    EXPECT_EQ(assessmentLabel("First", c.first), "First, computed 2026-03-01 09:00 (case 3)");
    EXPECT_EQ(assessmentLabel("Second", c.second), "Second, tested 2026-03-01 (case 7)");
    EXPECT_EQ(comparisonChartTitle(c, "KALDEN 9.9"),
              "Ann B. (born 1961-04-12) \u2014 Change between two assessments \u2014 KALDEN 9.9");
    const struct {
        double value;
        int decimals;
        const char* cell;
    } signedCells[] = {{56, 0, "+56"}, {-3.4, 0, "\u22123"}, {0.2, 0, "0"}, {-0.004, 2, "0.00"}, {7.456, 2, "+7.46"}};
    for (const auto& row : signedCells) EXPECT_EQ(signedCell(row.value, row.decimals), row.cell) << row.value;
    std::string json;
    appendComparisonChartJson(json, c, "KALDEN 9.9");
    EXPECT_NE(json.find(",\"firstLabel\":\"First, computed 2026-03-01 09:00 (case 3)\",\"secondLabel\":\"Second, "
                        "tested 2026-03-01 (case 7)\",\"heads\":[\"First\",\"Second\",\"Change\",\"RCI\",\"Verdict\"]"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("{\"name\":\"Verbal Comprehension\",\"first\":{\"at\":52.025586,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"cells\":[\"52 (49\u201361)\",\"108 (101\u2013115)\",\"+56\","), std::string::npos) << json;
    const std::vector<std::string> lines =
        comparisonDescription(c.first.record.results.index, c.second.record.results.index, c.change, "First", "Second");
    EXPECT_EQ(lines.back(),
              "First: 90% confidence limits (Glutting method); second: 95% confidence limits (traditional method)");
    EXPECT_EQ(lines.front().rfind("Verbal Comprehension: First 52 (limits 49 to 61), Second 108 (limits 101 to 115); "
                                  "change 56, RCI ",
                                  0),
              0u)
        << lines.front();
}

} // namespace
} // namespace kalden
