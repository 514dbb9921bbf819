#pragma once

#include <array>

#include "scoring/IndexResults.h"
#include "stats/Extended.h"

namespace kalden {

// Every published number the scoring rests on, in one place: the values the
// test's normative sample gives for the Index composites (means, standard
// deviations, reliabilities, intercorrelations), the base rates of abnormal
// scores and differences in that sample, and the normal deviates the
// scoring method uses. Each is typed with exactly the published digits: the
// printed results are checked digit for digit against that method, so none
// of these may be recomputed, rounded or given more precision.

// Spells a list of decimal literals through `spell`: KALDEN_DOUBLE gives the
// double literals, KALDEN_EXTENDED the extended ones. An extended copy made
// this way is the extended value nearest to the published decimal, which a
// widened double is not.
#define KALDEN_DOUBLE(literal) literal
#define KALDEN_INDEX_MEAN(spell) spell(100.0)
#define KALDEN_INDEX_SD(spell) spell(15.0)
#define KALDEN_INDEX_CORRELATIONS(spell) \
    spell(0.626), spell(0.618), spell(0.448), spell(0.609), spell(0.453), spell(0.453)

// The Index scale: mean 100 and standard deviation 15 in the population.
inline constexpr double IndexMean = KALDEN_INDEX_MEAN(KALDEN_DOUBLE);
inline constexpr double IndexSd = KALDEN_INDEX_SD(KALDEN_DOUBLE);
inline const Extended IndexMeanExtended = KALDEN_INDEX_MEAN(KALDEN_EXTENDED);
inline const Extended IndexSdExtended = KALDEN_INDEX_SD(KALDEN_EXTENDED);

// The composite sum of each Index: its subtests' population mean and
// standard deviation, and the composite's reliability, in IndexId order.
struct IndexDefinition {
    const char* label; // as printed in the report rows
    double mean;       // of the composite sum
    double sd;         // of the composite sum
    double reliability;
};
inline constexpr std::array<IndexDefinition, IndexCount> IndexDefinitions = {{
    {"Verbal Comprehension", 20, 5.628, 0.94},
    {"Perceptual Organization", 20, 5.367, 0.925},
    {"Working Memory", 20, 5.231, 0.928},
    {"Processing Speed", 10, 3.0, 0.84},
    {"Full Scale IQ", 70, 15.784, 0.97},
}};

// Correlations between the Indexes in the normal population, in IndexPair
// order; the profile distance works in extended precision and takes the
// extended copy.
inline constexpr std::array<double, PairCount> INDEX_CORRELATIONS = {KALDEN_INDEX_CORRELATIONS(KALDEN_DOUBLE)};
inline const std::array<Extended, PairCount> IndexCorrelationsExtended = {KALDEN_INDEX_CORRELATIONS(KALDEN_EXTENDED)};

// Percentage of the normal population with N or more abnormally low Index
// scores (N = 1 to 4), one row per AbnormalityCriterion; as published, to
// two decimals.
inline constexpr std::array<std::array<double, 4>, 3> LOW_SCORE_BASE_RATES = {{
    {13.98, 4.34, 1.43, 0.31},
    {25.10, 9.96, 3.95, 1.06},
    {34.77, 16.01, 7.13, 2.21},
}};

// Percentage of the normal population with N or more abnormal Index
// differences (N = 1 to 6), one row per AbnormalityCriterion; as published,
// to two decimals.
inline constexpr std::array<std::array<double, 6>, 3> DIFFERENCE_BASE_RATES = {{
    {20.15, 7.72, 1.99, 0.16, 0.00, 0.00},
    {35.10, 17.74, 6.33, 0.79, 0.04, 0.00},
    {47.22, 28.08, 12.37, 2.14, 0.15, 0.00},
}};

// Standard normal deviates named by the central percentage they enclose
// (Z95: 2.5% in each tail). They carry the method's own digits, seven
// significant for the 95%, 90% and 80% points and eight for the 85% and 70%
// points; a score on a cut-off's edge is classified by exactly these.
inline constexpr double Z95 = 1.959964;  // 95% confidence limits; 5% two-tailed difference cut-off
inline constexpr double Z90 = 1.644854;  // 90% confidence limits; 5% low score, 10% difference cut-off
inline constexpr double Z85 = 1.4395315; // 15% two-tailed difference cut-off
inline constexpr double Z80 = 1.281552;  // 10% one-tailed low-score cut-off
inline constexpr double Z70 = 1.0364334; // 15% one-tailed low-score cut-off

} // namespace kalden
