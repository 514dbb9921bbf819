#include "scoring/Abnormality.h"

#include <cmath>

#include "scoring/DifferenceReliability.h"
#include "scoring/IndexScores.h"
#include "stats/NormalDistribution.h"

namespace kalden {

const std::array<double, PairCount> INDEX_CORRELATIONS = {0.626, 0.618, 0.448, 0.609, 0.453, 0.453};

const std::array<std::array<double, 4>, 3> LOW_SCORE_BASE_RATES = {{
    {13.98, 4.34, 1.43, 0.31},
    {25.10, 9.96, 3.95, 1.06},
    {34.77, 16.01, 7.13, 2.21},
}};

const std::array<std::array<double, 6>, 3> DIFFERENCE_BASE_RATES = {{
    {20.15, 7.72, 1.99, 0.16, 0.00, 0.00},
    {35.10, 17.74, 6.33, 0.79, 0.04, 0.00},
    {47.22, 28.08, 12.37, 2.14, 0.15, 0.00},
}};

namespace {

std::size_t criterionRow(AbnormalityCriterion criterion) { return static_cast<std::size_t>(criterion); }

// 2 * 15^2: the variance of the difference of two Indexes before the
// correlation is taken off.
constexpr double kTwiceIndexVariance = 450.0;

} // namespace

double lowScoreCutoff(AbnormalityCriterion criterion) {
    switch (criterion) {
    case AbnormalityCriterion::Percent5: return -1.644854;
    case AbnormalityCriterion::Percent10: return -1.281552;
    case AbnormalityCriterion::Percent15: return -1.0364334;
    }
    return -1.644854;
}

double differenceCutoff(AbnormalityCriterion criterion) {
    switch (criterion) {
    case AbnormalityCriterion::Percent5: return 1.959964;
    case AbnormalityCriterion::Percent10: return 1.644854;
    case AbnormalityCriterion::Percent15: return 1.4395315;
    }
    return 1.959964;
}

AbnormalityResults computeAbnormality(const std::array<double, 4>& scores, AbnormalityCriterion criterion,
                                      MessageService& messages) {
    AbnormalityResults out;
    const std::size_t row = criterionRow(criterion);
    for (double score : scores) {
        if ((score - IndexMean) / IndexSd < lowScoreCutoff(criterion)) ++out.lowScoreCount;
    }
    out.lowScorePopulationPercent =
        out.lowScoreCount == 0 ? 100.0 : LOW_SCORE_BASE_RATES[row][static_cast<std::size_t>(out.lowScoreCount - 1)];

    for (std::size_t i = 0; i < PairCount; ++i) {
        const PairMembers m = pairMembers(pairAt(i));
        PairAbnormality& p = out.pairs[i];
        p.observedDifference = scores[static_cast<std::size_t>(m.first)] - scores[static_cast<std::size_t>(m.second)];
        p.differenceSd = std::sqrt(kTwiceIndexVariance - kTwiceIndexVariance * INDEX_CORRELATIONS[i]);
        p.abnormalityPercent = p.observedDifference == 0.0
                                   ? 50.0
                                   : (1.0 - normalCdf(std::fabs(p.observedDifference) / p.differenceSd, messages)) * 100.0;
        p.isAbnormal = std::fabs(p.observedDifference / p.differenceSd) > differenceCutoff(criterion);
        if (p.isAbnormal) ++out.abnormalDifferenceCount;
    }
    if (out.abnormalDifferenceCount > 0)
        out.differencePopulationPercent =
            DIFFERENCE_BASE_RATES[row][static_cast<std::size_t>(out.abnormalDifferenceCount - 1)];
    return out;
}

AbnormalityResults computeIndexAbnormality(const IndexResults& results, AbnormalityCriterion criterion,
                                      MessageService& messages) {
    return computeAbnormality(std::array<double, 4>{results[IndexId::VC].score, results[IndexId::PO].score, results[IndexId::WM].score,
                               results[IndexId::PS].score},
                              criterion, messages);
}


} // namespace kalden
