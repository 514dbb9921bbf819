#pragma once

#include <array>

#include "scoring/IndexResults.h"

namespace kalden {

// The score scale of the profile chart: 40 to 160 in steps of 10, widened
// by tens until every score and limit lies at least ChartLabelRoom points
// inside it.
struct ChartScale {
    double low = 40;
    double high = 160;
};
inline constexpr double ChartLabelRoom = 5;
ChartScale chartScaleFor(const IndexResults& results);

// The scores whose percentile ranks the chart's right-hand scale shows.
inline constexpr std::array<double, 5> ChartPercentileMarks = {70, 85, 100, 115, 130};
// The percentile rank of a score on that scale, as the report computes it.
double scalePercentile(double score);

} // namespace kalden
