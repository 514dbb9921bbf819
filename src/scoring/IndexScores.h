#pragma once

#include <array>

#include "scoring/IndexResults.h"
#include "scoring/MessageService.h"
#include "scoring/NormativeTables.h"

namespace kalden {

// Short-form Index scores, their estimated true scores, confidence limits by
// the traditional or the Glutting method, and percentile ranks.

const IndexDefinition& indexDefinition(IndexId id);

bool isTraditional(ConfidenceMethod method);
double confidenceDeviate(ConfidenceMethod method);

// Fills the five Index entries of `results` (and its confidence method).
void computeIndexScores(const InputRecord& input, ConfidenceMethod method, IndexResults& results,
                        MessageService& messages);

} // namespace kalden
