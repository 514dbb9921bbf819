#pragma once

#include <array>

#include "scoring/IndexResults.h"
#include "scoring/MessageService.h"

namespace kalden {

// Short-form Index scores, their estimated true scores, confidence limits by
// the traditional or the Glutting method, and percentile ranks.

struct IndexDefinition {
    const char* label; // as printed in the report rows
    double mean;       // of the composite sum
    double sd;         // of the composite sum
    double reliability;
};
const IndexDefinition& indexDefinition(IndexId id);

inline constexpr double IndexMean = 100.0;
inline constexpr double IndexSd = 15.0;
inline constexpr double Z95 = 1.959964;
inline constexpr double Z90 = 1.644854;

bool isTraditional(ConfidenceMethod method);
double confidenceDeviate(ConfidenceMethod method);

// Fills the five Index entries of `results` (and its confidence method).
void computeIndexScores(const InputRecord& input, ConfidenceMethod method, IndexResults& results,
                        MessageService& messages);

} // namespace kalden
