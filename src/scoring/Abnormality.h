#pragma once

#include <array>

#include "scoring/IndexResults.h"
#include "scoring/NormativeTables.h"
#include "stats/Warnings.h"

namespace kalden {

// How unusual the case is in the normal population: abnormally low Index
// scores, the abnormality of each Index difference, and how common the
// case's counts of both are.

double lowScoreCutoff(AbnormalityCriterion criterion);   // one-tailed z
double differenceCutoff(AbnormalityCriterion criterion); // two-tailed z

struct PairAbnormality {
    double observedDifference = 0;
    double differenceSd = 0;
    double abnormalityPercent = 0; // larger difference in the same direction
    bool isAbnormal = false;
};

struct AbnormalityResults {
    std::array<bool, 4> lowScores{}; // VC, PO, WM, PS: which are abnormally low
    int lowScoreCount = 0;
    double lowScorePopulationPercent = 100;
    std::array<PairAbnormality, PairCount> pairs{};
    int abnormalDifferenceCount = 0;
    double differencePopulationPercent = 0; // meaningful only when the count is at least 1
};

// `scores` are the unrounded observed VC, PO, WM and PS scores.
AbnormalityResults computeAbnormality(const std::array<double, 4>& scores, AbnormalityCriterion criterion,
                                      Warnings& warnings);
AbnormalityResults computeIndexAbnormality(const IndexResults& results, AbnormalityCriterion criterion,
                                           Warnings& warnings);

} // namespace kalden
