#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "report/CaseRecord.h"
#include "report/ReportLines.h"
#include "scoring/ReliableChange.h"

namespace kalden {

// Two recorded cases of one person compared: which came first, the change of
// each Index with its reliable change index, and the section, the paragraph
// for a letter, the CSV and the JSON that say so.

// The gains a retest study expects from practice alone, in Index points, VC
// to FSIQ, and the study they come from. KALDEN ships none.
struct PracticeGains {
    std::array<double, IndexCount> points{};
    std::string source;

    bool operator==(const PracticeGains&) const = default;
};

// A practice gain as typed: blank is none (0); otherwise a number of Index
// points from -30 to 30, '.' as the decimal point. Nothing when the text is
// not one.
inline constexpr double PracticeGainLimit = 30;
std::optional<double> practiceGainOf(std::string_view text);

struct ChangeSettings {
    ChangeLevel level = ChangeLevel::Percent95;
    PracticeGains practice;

    bool operator==(const ChangeSettings&) const = default;
};

struct ComparedCase {
    std::int64_t id = 0;
    CaseRecord record;
};

struct CaseComparison {
    ComparedCase first; // the earlier assessment
    ComparedCase second;
    ChangeSettings settings;
    ReliableChange change;
    std::optional<long> days; // between the dates of testing, when both cases have one
    bool optionsDiffer = false;
};

// Whether `a` was assessed before `b`: by the dates of testing where both
// have one, then by when they were computed, then by number.
bool assessedBefore(const ComparedCase& a, const ComparedCase& b);

// Why two cases cannot be compared, or nothing: they must be two different
// cases of one person (one key, however the name was typed), and name that
// person. `samePerson` is the user's word that two persons whose names
// differ are one.
std::string comparisonRefusal(const ComparedCase& a, const ComparedCase& b, bool samePerson = false);

// An Index score as a report prints it: the whole number of its "%1.0f".
double printedIndexScore(double score);

// The comparison of `a` and `b` in the order they were assessed, of the Index
// scores as the two reports print them. The cases must pass
// comparisonRefusal.
CaseComparison compareCases(const ComparedCase& a, const ComparedCase& b, const ChangeSettings& settings);

// The change section as a report prints it: the two assessments, one row per
// Index, the count of reliable changes and its chance, the practice gains
// used (even when none), the method and, where the cases' options differ,
// that they do.
ReportLines changeSection(const CaseComparison& c);

// The change in plain words for a letter: each Index that changed reliably,
// how often chance alone gives that many, the others, the level, and what a
// reader must weigh: short-form estimates, practice, regression to the mean.
std::string changeSummaryText(const CaseComparison& c);

// index,first,second,change,practice,se_difference,rci,p_two_tailed,verdict:
// one row for each of VC, PO, WM, PS and FSIQ, numbers in their shortest
// exact text.
std::string changeCsv(const CaseComparison& c);
// One JSON object: the two cases, the level, the practice gains, the rows,
// the count and its chance.
std::string changeJson(const CaseComparison& c);

// "VC", "PO", "WM", "PS", "FSIQ".
const char* indexCode(IndexId id);

} // namespace kalden
