#pragma once

#include <array>
#include <string>
#include <vector>

#include "report/CaseRecord.h"
#include "report/ChangeReport.h"

namespace kalden {

// What every profile chart of a case says, the desktop's and the page's:
// its title, the average band, its description for a screen reader and its
// caption; and the chart's data for the page as JSON.

// The band drawn behind the profile: the average range of Index scores.
inline constexpr int AverageBandLow = 85;
inline constexpr int AverageBandHigh = 115;
// "Average range 85–115", as the legend names the band.
std::string averageBandLabel();

// The person and session, the first note line (where there are any), when
// the case was computed and `program` ("KALDEN 0.1.0"), joined by dashes.
std::string chartTitle(const CaseRecord& c, const std::string& program);

// The confidence method's note, as the chart's caption.
std::string chartCaption(ConfidenceMethod method);

// A line per Index as a screen reader reads the chart, then the caption:
// "Verbal Comprehension 108, 95% confidence limits 102 to 113, percentile
// 70.3", the texts as the chart's table prints them.
std::vector<std::string> chartDescription(const IndexResults& results);

// The page's chart of a case as a JSON object: the title; the scale and the
// percentile ranks of its marks; the average band; per Index its name, score
// and limits (to place the marker and bar) and the table's texts; the
// legend's limits heading, the caption and the description.
void appendChartJson(std::string& out, const CaseRecord& c, const std::string& program);

// Two assessments of one person on one chart.

// "First, tested 2025-11-03 (case 12)", or "... computed 2025-11-03 10:15
// (case 12)" for a case without a date of testing: the legend's name of an
// assessment; `which` is "First" or "Second".
std::string assessmentLabel(const char* which, const ComparedCase& c);

// The person and date of birth, "Change between two assessments" and
// `program`, joined by dashes; the legend gives the two dates.
std::string comparisonChartTitle(const CaseComparison& c, const std::string& program);

// The caption: the confidence method's note, or both methods where the two
// assessments used different ones.
std::string comparisonCaption(const IndexResults& first, const IndexResults& second);

// The comparison table's cells under an Index: a score with its limits,
// "108 (102\u2013113)"; a change or RCI signed, with a true minus and no
// sign for zero; and the verdict short enough for the column.
inline constexpr std::array<const char*, 5> ComparisonTableHeads = {"First", "Second", "Change", "RCI", "Verdict"};
std::string profileCell(const IndexResult& r);
std::string signedCell(double value, int decimals);
std::string verdictCell(ChangeVerdict verdict);

// A line per Index as a screen reader reads a chart of two assessments:
// each one's score and limits, the change, its RCI and verdict; then the
// caption.
std::vector<std::string> comparisonDescription(const IndexResults& first, const IndexResults& second,
                                               const ReliableChange& change, const std::string& firstLabel,
                                               const std::string& secondLabel);

// The page's chart of two assessments: as appendChartJson's, with the
// scale holding both profiles, per Index both profiles' places and the
// comparison table's five cells, and the two assessments' labels.
void appendComparisonChartJson(std::string& out, const CaseComparison& c, const std::string& program);

} // namespace kalden
