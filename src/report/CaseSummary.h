#pragma once

#include <array>
#include <string>
#include <vector>

#include "report/CaseRecord.h"
#include "scoring/IndexResults.h"

namespace kalden {

// A case's results as a clinician quotes them in a letter: one row per
// Index with its score, confidence limits, percentile and descriptive
// classification, the reliable differences and the profile distance. Every
// number is the report's own string (the same digits, rounded the same way).

struct SummaryRow {
    std::string index; // "Verbal Comprehension"
    std::string score; // "108"
    std::string lowerLimit;
    std::string upperLimit;
    std::string percentile; // "70.3"
    std::string classification;
};

struct CaseSummary {
    std::string title;      // the notes' first line, when there is one
    std::string limitsHead; // "95% confidence limits (traditional method)"
    std::array<SummaryRow, IndexCount> rows;
    std::vector<std::string> differences; // the reliable ones, or one line saying there are none
    std::string profileDistance;          // the report's Mahalanobis line
};

// The test's published bands: 130 and above Very Superior, 120-129 Superior,
// 110-119 High Average, 90-109 Average, 80-89 Low Average, 70-79 Borderline,
// 69 and below Extremely Low. `score` is the score as printed.
const char* descriptiveClassification(int score);

std::array<SummaryRow, IndexCount> summaryRows(const IndexResults& results);
std::string limitsHeading(ConfidenceMethod method);
CaseSummary summarizeCase(const CaseRecord& c);

// The summary as plain text, the table's cells separated by tabs.
std::string summaryText(const CaseSummary& s);
// The same as an HTML document (UTF-8) holding one table.
std::string summaryHtml(const CaseSummary& s);

} // namespace kalden
