#include "report/ChartScale.h"

#include <cmath>

#include "scoring/IndexScores.h"

namespace kalden {

ChartScale chartScaleFor(const IndexResults& results) {
    ChartScale s;
    for (const IndexResult& r : results.indexes) {
        for (const double v : {r.score, r.lowerLimit, r.upperLimit}) {
            if (!std::isfinite(v)) continue;
            // Scores lie between 40 and 160 and limits a few points beyond,
            // so a few steps always do; the bound only guards the loops.
            for (int step = 0; step < 20 && v < s.low + ChartLabelRoom; ++step) s.low -= 10;
            for (int step = 0; step < 20 && v > s.high - ChartLabelRoom; ++step) s.high += 10;
        }
    }
    return s;
}

// No warning can arise at the scale's points, and 100 is the mean itself.
double scalePercentile(double score) {
    if (score == IndexMean) return 50;
    Warnings none;
    return percentileOf(score, none);
}

} // namespace kalden
