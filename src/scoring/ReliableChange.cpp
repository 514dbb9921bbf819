#include "scoring/ReliableChange.h"

#include <cmath>

#include "scoring/IndexScores.h"
#include "scoring/NormativeTables.h"
#include "stats/NormalDistribution.h"

namespace kalden {

double changeDeviate(ChangeLevel level) { return level == ChangeLevel::Percent95 ? Z95 : Z90; }

double changeAlpha(ChangeLevel level) { return level == ChangeLevel::Percent95 ? 0.05 : 0.10; }

ChangeVerdict changeVerdict(double rci, ChangeLevel level) {
    const double z = changeDeviate(level);
    if (rci >= z) return ChangeVerdict::Improvement;
    if (rci <= -z) return ChangeVerdict::Decline;
    return ChangeVerdict::NoChange;
}

const char* verdictText(ChangeVerdict verdict) {
    switch (verdict) {
    case ChangeVerdict::Improvement: return "reliable improvement";
    case ChangeVerdict::Decline: return "reliable decline";
    case ChangeVerdict::NoChange: return "no reliable change";
    }
    return "";
}

double chanceOfReliableChanges(int k, ChangeLevel level) {
    static constexpr int Trials = 4;
    static constexpr double Ways[Trials + 1] = {1, 4, 6, 4, 1}; // C(4, j)
    const double alpha = changeAlpha(level);
    double tail = 0;
    for (int j = k < 0 ? 0 : k; j <= Trials; ++j)
        tail += Ways[j] * std::pow(alpha, j) * std::pow(1 - alpha, Trials - j);
    return tail * 100.0;
}

ReliableChange computeReliableChange(const IndexResults& first, const IndexResults& second, ChangeLevel level,
                                     const std::array<double, IndexCount>& practice) {
    ReliableChange out;
    out.level = level;
    for (std::size_t i = 0; i < IndexCount; ++i) {
        const IndexId id = indexAt(i);
        ChangeRow& row = out.rows[i];
        row.first = first[id].score;
        row.second = second[id].score;
        row.change = row.second - row.first;
        row.practice = practice[i];
        const double sem = IndexSd * std::sqrt(1 - indexDefinition(id).reliability);
        row.seDifference = std::sqrt(2.0) * sem;
        row.rci = (row.change - row.practice) / row.seDifference;
        // No change at all is certain to arise by chance; the integral from
        // 0 to 0 would only warn.
        row.pTwoTailed = row.rci == 0 ? 1.0 : 2 * (1 - normalCdf(std::fabs(row.rci), out.warnings));
        row.verdict = changeVerdict(row.rci, level);
        if (id != IndexId::FSIQ && row.verdict != ChangeVerdict::NoChange) ++out.reliableIndexes;
    }
    out.chancePercent = chanceOfReliableChanges(out.reliableIndexes, level);
    return out;
}

} // namespace kalden
