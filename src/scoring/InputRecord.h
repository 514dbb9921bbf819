#pragma once

namespace kalden {

enum class ConfidenceMethod { Traditional95, Traditional90, Glutting95, Glutting90 };
enum class DifferenceBasis { Observed, EstimatedTrue };
enum class AbnormalityCriterion { Percent5, Percent10, Percent15 };

// The options of one computation, as chosen on the worksheet.
struct Options {
    ConfidenceMethod confidenceMethod = ConfidenceMethod::Traditional95;
    DifferenceBasis differenceBasis = DifferenceBasis::Observed;
    bool sequentialBonferroni = false;
    AbnormalityCriterion abnormalityCriterion = AbnormalityCriterion::Percent5;

    bool operator==(const Options&) const = default;
};

// The validated inputs of one Compute: seven scaled scores, each in 1 to 19
// and kept exactly as scanned (10.5 stays 10.5), and the four options.
struct InputRecord {
    double vocabulary = 0;
    double digitSymbol = 0;
    double similarities = 0;
    double blockDesign = 0;
    double arithmetic = 0;
    double digitSpan = 0;
    double matrixReasoning = 0;
    ConfidenceMethod confidenceMethod = ConfidenceMethod::Traditional95;
    DifferenceBasis differenceBasis = DifferenceBasis::Observed;
    bool sequentialBonferroni = false;
    AbnormalityCriterion abnormalityCriterion = AbnormalityCriterion::Percent5;

    // Score k (1 to 7) in field order.
    double score(int k) const;
    void setScore(int k, double value);
    Options options() const;
    void setOptions(const Options& o);
};

// Maps a radio group's item position to its option value, as the worksheet
// reads them: position 0 is the default of each group.
ConfidenceMethod confidenceMethodFromItem(int itemIndex);
DifferenceBasis differenceBasisFromItem(int itemIndex);
bool sequentialBonferroniFromItem(int itemIndex);

} // namespace kalden
