#include "scoring/InputRecord.h"

#include <stdexcept>

namespace kalden {

namespace {
double InputRecord::*const ScoreFields[7] = {
    &InputRecord::vocabulary, &InputRecord::digitSymbol, &InputRecord::similarities,    &InputRecord::blockDesign,
    &InputRecord::arithmetic, &InputRecord::digitSpan,   &InputRecord::matrixReasoning,
};
} // namespace

double InputRecord::score(int k) const {
    if (k < 1 || k > 7) throw std::out_of_range("score number outside 1 to 7");
    return this->*ScoreFields[k - 1];
}

void InputRecord::setScore(int k, double value) {
    if (k < 1 || k > 7) throw std::out_of_range("score number outside 1 to 7");
    this->*ScoreFields[k - 1] = value;
}

Options InputRecord::options() const {
    return Options{confidenceMethod, differenceBasis, sequentialBonferroni, abnormalityCriterion};
}

void InputRecord::setOptions(const Options& o) {
    confidenceMethod = o.confidenceMethod;
    differenceBasis = o.differenceBasis;
    sequentialBonferroni = o.sequentialBonferroni;
    abnormalityCriterion = o.abnormalityCriterion;
}

ConfidenceMethod confidenceMethodFromItem(int itemIndex) {
    switch (itemIndex) {
    case 1: return ConfidenceMethod::Traditional90;
    case 2: return ConfidenceMethod::Glutting95;
    case 3: return ConfidenceMethod::Glutting90;
    default: return ConfidenceMethod::Traditional95;
    }
}

// Any position other than 0 means estimated true scores.
DifferenceBasis differenceBasisFromItem(int itemIndex) {
    return itemIndex == 0 ? DifferenceBasis::Observed : DifferenceBasis::EstimatedTrue;
}

// Only position 1 switches the correction on.
bool sequentialBonferroniFromItem(int itemIndex) { return itemIndex == 1; }

} // namespace kalden
