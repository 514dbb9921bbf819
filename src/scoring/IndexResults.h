#pragma once

#include <array>
#include <cstddef>

#include "scoring/InputRecord.h"

namespace kalden {

enum class IndexId { VC, PO, WM, PS, FSIQ };
inline constexpr std::size_t IndexCount = 5;

// The six pairs of short-form Indexes, in the order of every table.
enum class IndexPair { VC_PO, VC_WM, VC_PS, PO_WM, PO_PS, WM_PS };
inline constexpr std::size_t PairCount = 6;

struct PairMembers {
    IndexId first;
    IndexId second;
};
PairMembers pairMembers(IndexPair pair);
inline IndexPair pairAt(std::size_t i) { return static_cast<IndexPair>(i); }
inline IndexId indexAt(std::size_t i) { return static_cast<IndexId>(i); }

// One Index score with its estimated true score, confidence limits and
// percentile ranks; everything unrounded.
struct IndexResult {
    double compositeSum = 0;
    double score = 0;
    double trueScore = 0;
    double standardError = 0;
    double lowerLimit = 0;
    double upperLimit = 0;
    double percentile = 0;
    double percentileLower = 0;
    double percentileUpper = 0;
};

// The test of one difference between two Indexes.
struct PairResult {
    double difference = 0;   // first minus second, sign kept
    double seDifference = 0; // standard error of the difference
    double oneTailedP = 0;
    double twoTailedP = 0;
    bool bonferroniSignificant = false; // set only when the correction is on
};

// Everything one computation knows about the Indexes and their differences.
struct IndexResults {
    std::array<IndexResult, IndexCount> indexes{};
    std::array<PairResult, PairCount> pairs{};
    ConfidenceMethod confidenceMethod = ConfidenceMethod::Traditional95;
    DifferenceBasis differenceBasis = DifferenceBasis::Observed;
    bool sequentialBonferroni = false;

    const IndexResult& operator[](IndexId id) const { return indexes[static_cast<std::size_t>(id)]; }
    IndexResult& operator[](IndexId id) { return indexes[static_cast<std::size_t>(id)]; }
    const PairResult& operator[](IndexPair p) const { return pairs[static_cast<std::size_t>(p)]; }
    PairResult& operator[](IndexPair p) { return pairs[static_cast<std::size_t>(p)]; }
};

} // namespace kalden
