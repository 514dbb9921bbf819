#include "scoring/Abnormality.h"

#include <cmath>

#include "scoring/DifferenceReliability.h"
#include "stats/NormalDistribution.h"

namespace kalden {

namespace {

std::size_t criterionRow(AbnormalityCriterion criterion) { return static_cast<std::size_t>(criterion); }

// 2 * 15^2 = 450: the variance of the difference of two Indexes before the
// correlation is taken off.
constexpr double TwiceIndexVariance = 2 * IndexSd * IndexSd;

} // namespace

double lowScoreCutoff(AbnormalityCriterion criterion) {
    switch (criterion) {
    case AbnormalityCriterion::Percent5: return -Z90;
    case AbnormalityCriterion::Percent10: return -Z80;
    case AbnormalityCriterion::Percent15: return -Z70;
    }
    return -Z90;
}

double differenceCutoff(AbnormalityCriterion criterion) {
    switch (criterion) {
    case AbnormalityCriterion::Percent5: return Z95;
    case AbnormalityCriterion::Percent10: return Z90;
    case AbnormalityCriterion::Percent15: return Z85;
    }
    return Z95;
}

AbnormalityResults computeAbnormality(const std::array<double, 4>& scores, AbnormalityCriterion criterion,
                                      Warnings& warnings) {
    AbnormalityResults out;
    const std::size_t row = criterionRow(criterion);
    for (std::size_t i = 0; i < scores.size(); ++i) {
        out.lowScores[i] = (scores[i] - IndexMean) / IndexSd < lowScoreCutoff(criterion);
        if (out.lowScores[i]) ++out.lowScoreCount;
    }
    out.lowScorePopulationPercent =
        out.lowScoreCount == 0 ? 100.0 : LOW_SCORE_BASE_RATES[row][static_cast<std::size_t>(out.lowScoreCount - 1)];

    for (std::size_t i = 0; i < PairCount; ++i) {
        const PairMembers m = pairMembers(pairAt(i));
        PairAbnormality& p = out.pairs[i];
        p.observedDifference = scores[static_cast<std::size_t>(m.first)] - scores[static_cast<std::size_t>(m.second)];
        p.differenceSd = std::sqrt(TwiceIndexVariance - TwiceIndexVariance * INDEX_CORRELATIONS[i]);
        p.abnormalityPercent =
            p.observedDifference == 0.0
                ? 50.0
                : (1.0 - normalCdf(std::fabs(p.observedDifference) / p.differenceSd, warnings)) * 100.0;
        p.isAbnormal = std::fabs(p.observedDifference / p.differenceSd) > differenceCutoff(criterion);
        if (p.isAbnormal) ++out.abnormalDifferenceCount;
    }
    if (out.abnormalDifferenceCount > 0)
        out.differencePopulationPercent =
            DIFFERENCE_BASE_RATES[row][static_cast<std::size_t>(out.abnormalDifferenceCount - 1)];
    return out;
}

AbnormalityResults computeIndexAbnormality(const IndexResults& results, AbnormalityCriterion criterion,
                                           Warnings& warnings) {
    return computeAbnormality(std::array<double, 4>{results[IndexId::VC].score, results[IndexId::PO].score,
                                                    results[IndexId::WM].score, results[IndexId::PS].score},
                              criterion, warnings);
}

} // namespace kalden
