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
// letter prints them: "70", "0.4", "<0.1") and descriptive classification;
// then short paragraphs in plain words: the reliable differences with their
// direction, size, significance and rarity, the abnormally low Index scores
// by name and how common that many are, and the profile as a whole. Scores
// are the report's printed digits; rarer figures are rounded as a letter
// prints them. The wording states measures, not diagnoses.

struct SummaryRow {
    std::string index; // "Verbal Comprehension"
    std::string score; // "108"
    std::string lowerLimit;
    std::string upperLimit;
    std::string percentile; // "70", "0.4", "<0.1", ">99.9"
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

// A percentage or percentile as a letter prints it: a whole number from 1 to
// 99, one decimal below 1 and above 99, "<0.1" and ">99.9" beyond.
std::string letterPercent(double percent);
// How many people a percentage is: "about 4 in 100 people", "about 1 in 850
// people" below 1%, "fewer than 1 in 1,000 people" below 0.1%, "more than 99
// in 100 people" above 99%.
std::string peopleInWords(double percent);
// A probability as a letter writes it: three decimals below .1 ("p = .009"),
// two from .1 up ("p = .95"), "p < .001" and "p > .99" at the ends.
std::string letterProbability(double p);
// "18.5% of people", or "fewer than 1 in 1,000 people" under 0.1%.
std::string howCommonAmongPeople(double percentOfPeople, int decimals);

std::array<SummaryRow, IndexCount> summaryRows(const IndexResults& results);
std::string limitsHeading(ConfidenceMethod method);
CaseSummary summarizeCase(const CaseRecord& c);

// The summary as plain text, the table's cells separated by tabs.
std::string summaryText(const CaseSummary& s);
// The same as an HTML document (UTF-8).
std::string summaryHtml(const CaseSummary& s);

} // namespace kalden
