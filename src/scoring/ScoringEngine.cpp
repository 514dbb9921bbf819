#include "scoring/ScoringEngine.h"

#include "scoring/DifferenceReliability.h"
#include "scoring/IndexScores.h"

namespace kalden {

ComputationResults computeAll(const InputRecord& input) {
    ComputationResults out;
    computeIndexScores(input, input.confidenceMethod, out.index, out.warnings);
    computeDifferenceTests(out.index, input.differenceBasis, out.warnings);
    out.index.sequentialBonferroni = input.sequentialBonferroni;
    if (input.sequentialBonferroni) applySequentialBonferroni(out.index);
    out.abnormality = computeIndexAbnormality(out.index, input.abnormalityCriterion, out.warnings);
    out.profile = indexProfileDistance(out.index);
    return out;
}

} // namespace kalden
