#pragma once

#include <array>

#include "scoring/IndexResults.h"
#include "stats/Warnings.h"

namespace kalden {

// Whether one person's Index scores changed between two assessments by more
// than the scores' own unreliability would make them: the reliable change
// index of each Index, with an expected practice gain taken off, and how
// often chance alone makes that many of the four Indexes change.
//
// For an Index of reliability r the standard error of measurement is
// 15·√(1 − r), and the difference of two independent measurements has the
// standard error √2 times that. RCI = (second − first − practice) / SEdiff,
// and its two-tailed probability is 2·(1 − Φ(|RCI|)).

enum class ChangeLevel { Percent95, Percent90 };
enum class ChangeVerdict { NoChange, Improvement, Decline };

// The two-sided deviate of the level: 1.959964 or 1.644854.
double changeDeviate(ChangeLevel level);
// The two-tailed probability the level stands for: 0.05 or 0.10.
double changeAlpha(ChangeLevel level);
// "reliable improvement" when rci >= z, "reliable decline" when rci <= -z,
// otherwise "no reliable change".
ChangeVerdict changeVerdict(double rci, ChangeLevel level);
const char* verdictText(ChangeVerdict verdict);

struct ChangeRow {
    double first = 0;    // the first assessment's score, unrounded
    double second = 0;   // the second's
    double change = 0;   // second minus first
    double practice = 0; // the expected practice gain taken off
    double seDifference = 0;
    double rci = 0;
    double pTwoTailed = 1;
    ChangeVerdict verdict = ChangeVerdict::NoChange;
};

struct ReliableChange {
    ChangeLevel level = ChangeLevel::Percent95;
    std::array<ChangeRow, IndexCount> rows{}; // VC, PO, WM, PS, FSIQ
    int reliableIndexes = 0;                  // of the four Indexes (not FSIQ), either way
    double chancePercent = 100;               // of people with that many or more by chance alone
    Warnings warnings;                        // raised by the normal distribution function
};

// The probability, as a percentage, that chance alone gives `k` or more
// reliable changes among the four Indexes, whose measurement errors are
// independent (they share no subtest): the binomial tail of four trials at
// the level's two-tailed alpha.
double chanceOfReliableChanges(int k, ChangeLevel level);

// `practice` holds the expected gains in Index points, VC to FSIQ.
ReliableChange computeReliableChange(const IndexResults& first, const IndexResults& second, ChangeLevel level,
                                     const std::array<double, IndexCount>& practice);

} // namespace kalden
