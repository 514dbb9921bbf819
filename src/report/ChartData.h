#pragma once

#include <string>
#include <vector>

#include "report/CaseRecord.h"

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

} // namespace kalden
