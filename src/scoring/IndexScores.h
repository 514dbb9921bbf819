#pragma once

#include <array>

#include "scoring/IndexResults.h"
#include "scoring/NormativeTables.h"
#include "stats/Warnings.h"

namespace kalden {

// Short-form Index scores, their estimated true scores, confidence limits by
// the traditional or the Glutting method, and percentile ranks.

const IndexDefinition& indexDefinition(IndexId id);

bool isTraditional(ConfidenceMethod method);
double confidenceDeviate(ConfidenceMethod method);
// The percentile rank of an Index-scale value (mean 100, SD 15).
double percentileOf(double value, Warnings& warnings);

// Fills the five Index entries of `results` (and its confidence method).
void computeIndexScores(const InputRecord& input, ConfidenceMethod method, IndexResults& results, Warnings& warnings);

} // namespace kalden
