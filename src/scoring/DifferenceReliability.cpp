#include "scoring/DifferenceReliability.h"

#include <cmath>

#include "stats/NormalDistribution.h"

namespace kalden {

namespace {

const char* const PairLabels[PairCount] = {"VC versus PO", "VC versus WM", "VC versus PS",
                                           "PO versus WM", "PO versus PS", "WM versus PS"};

} // namespace

const char* pairLabel(IndexPair pair) { return PairLabels[static_cast<std::size_t>(pair)]; }

void computeDifferenceTests(IndexResults& results, DifferenceBasis basis, Warnings& warnings) {
    results.differenceBasis = basis;
    for (std::size_t i = 0; i < PairCount; ++i) {
        const PairMembers m = pairMembers(pairAt(i));
        const IndexResult& a = results[m.first];
        const IndexResult& b = results[m.second];
        PairResult& p = results.pairs[i];
        p.seDifference = std::sqrt(a.standardError * a.standardError + b.standardError * b.standardError);
        p.difference = basis == DifferenceBasis::Observed ? a.score - b.score : a.trueScore - b.trueScore;
        // An exact zero would make the integration run all twenty steps.
        p.oneTailedP = p.difference == 0.0 ? 0.5 : 1.0 - normalCdf(std::fabs(p.difference) / p.seDifference, warnings);
        p.twoTailedP = 2.0 * p.oneTailedP;
        p.bonferroniSignificant = false;
    }
}

void applySequentialBonferroni(IndexResults& results) {
    results.sequentialBonferroni = true;
    for (PairResult& p : results.pairs) p.bonferroniSignificant = false;
    int remaining = static_cast<int>(PairCount);
    bool markedInPass = true;
    while (markedInPass && remaining > 0) {
        markedInPass = false;
        for (PairResult& p : results.pairs) {
            if (p.bonferroniSignificant || remaining == 0) continue;
            if (p.twoTailedP < SignificanceLevel / remaining) {
                p.bonferroniSignificant = true;
                --remaining;
                markedInPass = true;
            }
        }
    }
}

} // namespace kalden
