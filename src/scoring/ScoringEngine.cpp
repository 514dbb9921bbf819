#include "scoring/ScoringEngine.h"

#include "scoring/DifferenceReliability.h"
#include "scoring/IndexScores.h"

namespace kalden {

ComputationResults computeAll(const InputRecord& input, MessageService& messages) {
    ComputationResults out;
    computeIndexScores(input, input.confidenceMethod, out.index, messages);
    computeDifferenceTests(out.index, input.differenceBasis, messages);
    out.index.sequentialBonferroni = input.sequentialBonferroni;
    if (input.sequentialBonferroni) applySequentialBonferroni(out.index);
    out.abnormality = computeIndexAbnormality(out.index, input.abnormalityCriterion, messages);
    out.profile = indexProfileDistance(out.index);
    return out;
}

} // namespace kalden
