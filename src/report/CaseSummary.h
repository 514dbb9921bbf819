#pragma once

#include <array>
#include <string>
#include <vector>

#include "report/CaseRecord.h"
#include "scoring/IndexResults.h"

namespace kalden {

// A case's results as a clinician puts them in a letter, as they stand:
// who was tested, when and by whom, and that the scores are short-form
// estimates; a table of the five scores with their limits, percentiles (as a
// letter writes them: "<0.1", ">99.9") and descriptive classification; then
// short paragraphs in plain words: the reliable differences with their
// direction, size, significance and rarity, the abnormally low Index scores
// and how common that many are, and the profile as a whole. Every number is
// the report's own (the same digits, rounded the same way). The wording
// states measures, not diagnoses.

struct SummaryRow {
    std::string index; // "Verbal Comprehension"
    std::string score; // "108"
    std::string lowerLimit;
    std::string upperLimit;
    std::string percentile; // "70.3", "<0.1", ">99.9"
    std::string classification;
};

struct CaseSummary {
    std::string heading;    // the person and session, else the notes' first line, else when it was computed
    std::string details;    // date of birth, reason for referral, examiner: what the heading leaves out
    std::string basis;      // that the scores are estimated from seven subtests
    std::string limitsHead; // "95% confidence limits (traditional method)"
    std::array<SummaryRow, IndexCount> rows;
    std::vector<std::string> paragraphs; // differences, low scores, the profile
};

// The test's published bands: 130 and above Very Superior, 120-129 Superior,
// 110-119 High Average, 90-109 Average, 80-89 Low Average, 70-79 Borderline,
// 69 and below Extremely Low. `score` is the score as printed.
const char* descriptiveClassification(int score);

// A percentile as a letter writes it: the report's one decimal, but "<0.1"
// and ">99.9" where the report's digits would say 0.0 or 100.0.
std::string letterPercentile(double percentile);
// "p = .009" for 0.009: a probability as a letter writes it, with the
// report's digits; "p < .001" where those digits are all zeros.
std::string letterProbability(double p, int decimals);
// "1.4% of people", or "fewer than 1 in 1,000 people" under 0.1%.
std::string howCommonAmongPeople(double percentOfPeople, int decimals);

std::array<SummaryRow, IndexCount> summaryRows(const IndexResults& results);
std::string limitsHeading(ConfidenceMethod method);
CaseSummary summarizeCase(const CaseRecord& c);

// The summary as plain text, the table's cells separated by tabs.
std::string summaryText(const CaseSummary& s);
// The same as an HTML document (UTF-8).
std::string summaryHtml(const CaseSummary& s);

} // namespace kalden
