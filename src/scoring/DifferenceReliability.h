#pragma once

#include "scoring/IndexResults.h"
#include "stats/Warnings.h"

namespace kalden {

// Reliability of the six differences between the short-form Indexes: normal
// p values on observed or estimated true scores, and the sequential
// Bonferroni verdicts at the .05 level.

inline constexpr double SignificanceLevel = 0.05;

const char* pairLabel(IndexPair pair); // "VC versus PO", ...

// Fills difference, seDifference and the p values of the six pairs. The
// standard errors are those the confidence method gave each Index.
void computeDifferenceTests(IndexResults& results, DifferenceBasis basis, Warnings& warnings);

// Marks the pairs the sequential (step-down) Bonferroni procedure finds
// significant: passes in pair order, each unmarked pair compared with
// .05 / k for the k pairs still unmarked, until a pass marks nothing.
void applySequentialBonferroni(IndexResults& results);

} // namespace kalden
