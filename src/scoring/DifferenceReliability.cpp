#include "scoring/DifferenceReliability.h"

#include <cmath>

#include "report/NumberFormat.h"
#include "stats/NormalDistribution.h"

namespace kalden {

namespace {

const char* const kLabels[PairCount] = {"VC versus PO", "VC versus WM", "VC versus PS",
                                        "PO versus WM", "PO versus PS", "WM versus PS"};

// Verdict rows differ in their trailing blanks.
const char* const kVerdictTails[PairCount] = {"   ", " ", "  ", " ", "  ", " "};

struct Variant {
    const char* heading;
    int openingRule;
    bool verdicts;
    bool extraEmptyLine;
    int closingRule;
};

Variant variantFor(DifferenceBasis basis, bool bonferroni) {
    if (basis == DifferenceBasis::Observed) {
        if (!bonferroni) return {" RELIABLITY of differences between Short-Form Indices:", 100, false, false, 100};
        return {" RELIABLITY of differences between Short-Form Indices after Bonferroni correction:", 100, true, false,
                100};
    }
    if (!bonferroni)
        return {" RELIABLITY of differences between true scores for Short-Form Indices:", 101, false, false, 102};
    return {" RELIABLITY of differences between true scores for Short-Form Indices after Bonferroni correction:", 100,
            true, true, 101};
}

} // namespace

const char* pairLabel(IndexPair pair) { return kLabels[static_cast<std::size_t>(pair)]; }

void computeDifferenceTests(IndexResults& results, DifferenceBasis basis, MessageService& messages) {
    results.differenceBasis = basis;
    for (std::size_t i = 0; i < PairCount; ++i) {
        const PairMembers m = pairMembers(pairAt(i));
        const IndexResult& a = results[m.first];
        const IndexResult& b = results[m.second];
        PairResult& p = results.pairs[i];
        p.seDifference = std::sqrt(a.standardError * a.standardError + b.standardError * b.standardError);
        p.difference = basis == DifferenceBasis::Observed ? a.score - b.score : a.trueScore - b.trueScore;
        // An exact zero would make the integration run all twenty steps.
        p.oneTailedP = p.difference == 0.0 ? 0.5 : 1.0 - normalCdf(std::fabs(p.difference) / p.seDifference, messages);
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

void writeReliabilitySection(const IndexResults& results, ReportLines& report) {
    const Variant v = variantFor(results.differenceBasis, results.sequentialBonferroni);
    report.push_back(v.heading);
    report.push_back(rule(v.openingRule));
    report.push_back(v.verdicts ? " Index Pair          Difference              Bonferroni p"
                                : " Index Pair           Difference          Two-tailed p          One-tailed p");
    report.push_back(rule(v.openingRule));
    if (v.extraEmptyLine) report.push_back("");
    for (std::size_t i = 0; i < PairCount; ++i) {
        const PairResult& p = results.pairs[i];
        const std::string label = kLabels[i];
        if (v.verdicts) {
            report.push_back(formatText(" " + label + "        %5.0f                     %s" + kVerdictTails[i],
                                        {p.difference, std::string(p.bonferroniSignificant ? " p < .05" : " not sig")}));
        } else {
            report.push_back(formatText(" " + label + "          %5.0f                %6.3f               %6.3f",
                                        {p.difference, p.twoTailedP, p.oneTailedP}));
        }
        const IndexPair pair = pairAt(i);
        if (pair == IndexPair::VC_PS || pair == IndexPair::PO_PS) report.push_back("");
    }
    report.push_back(rule(v.closingRule));
}

} // namespace kalden
