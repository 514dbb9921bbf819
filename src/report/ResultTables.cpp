#include "report/ResultTables.h"

#include <array>
#include <string>

#include "format/NumberFormat.h"
#include "scoring/DifferenceReliability.h"
#include "scoring/IndexScores.h"

namespace kalden {

namespace {

struct TableLayout {
    const char* heading;
    int ruleLength;
    const char* columnHead;
};

TableLayout layoutFor(ConfidenceMethod method) {
    switch (method) {
    case ConfidenceMethod::Traditional95:
        return {" Short-Form Index scores plus confidence limits (scores are also expressed as a percentile plus CIs):",
                99,
                "  Index                       Score  (95% CI Traditional)      Percentile  (95% CI on percentile)"};
    case ConfidenceMethod::Traditional90:
        return {" Short-Form Index scores plus confidence limits (scores are also expressed as a percentile plus CIs):",
                99,
                "  Index                       Score  (90% CI Traditonal)       Percentile  (90% CI on percentile)"};
    case ConfidenceMethod::Glutting95:
        return {" Short-Form Index scores plus confidence limits (scores are also expressed as a percentile):", 98,
                "  Index                       Score  (  95% CI Glutting  )       Percentile    "};
    case ConfidenceMethod::Glutting90:
        return {" Short-Form Index scores plus confidence limits (scores are also expressed as a percentile):", 98,
                "  Index                       Score  (  90% CI Glutting  )       Percentile       "};
    }
    return {"", 0, ""};
}

// Row formats, in IndexId order.
const char* const TraditionalRows[IndexCount] = {
    "  Verbal Comprehension    : %6.0f      ( %3.0f to %3.0f )    %13.1f      (%6.1f to %6.1f )",
    "  Perceptual Organization : %6.0f      ( %3.0f to %3.0f )    %13.1f      (%6.1f to %6.1f )",
    "  Working Memory          : %6.0f      ( %3.0f to %3.0f )    %13.1f      (%6.1f to %6.1f )",
    "  Processing Speed        : %6.0f      ( %3.0f to %3.0f )    %13.1f      (%6.1f to %6.1f )",
    "  Full Scale IQ           : %6.0f      ( %3.0f to %3.0f )    %13.1f      (%6.1f to %6.1f )",
};
const char* const GluttingRows[IndexCount] = {
    "  Verbal Comprehension    : %6.0f      ( %3.0f to %3.0f )    %13.1f     ",
    "  Perceptual Organization : %6.0f      ( %3.0f to %3.0f )    %13.1f      ",
    "  Working Memory          : %6.0f      ( %3.0f to %3.0f )    %13.1f      ",
    "  Processing Speed        : %6.0f      ( %3.0f to %3.0f )    %13.1f      ",
    "  Full Scale IQ           : %6.0f      ( %3.0f to %3.0f )    %13.1f      ",
};

// Verdict rows differ in their trailing blanks.
const char* const VerdictTails[PairCount] = {"   ", " ", "  ", " ", "  ", " "};

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

// A row's pattern for each pair, in pair order: " VC versus PO", the
// columns, and what `tail` gives for the pair. Made once: every report
// prints them.
using PairPatterns = std::array<std::string, PairCount>;
template <typename Tail>
PairPatterns pairPatterns(const char* columns, Tail tail) {
    PairPatterns patterns;
    for (std::size_t i = 0; i < PairCount; ++i)
        patterns[i] = std::string(" ") + pairLabel(pairAt(i)) + columns + tail(i);
    return patterns;
}

} // namespace

void writeIndexSection(const IndexResults& results, LineSink report) {
    const TableLayout layout = layoutFor(results.confidenceMethod);
    const bool traditional = isTraditional(results.confidenceMethod);
    report.add(layout.heading);
    report.addRule(layout.ruleLength);
    report.add(layout.columnHead);
    report.addRule(layout.ruleLength);
    report.add("");
    for (std::size_t i = 0; i < IndexCount; ++i) {
        if (indexAt(i) == IndexId::FSIQ) report.add("");
        const IndexResult& r = results.indexes[i];
        if (traditional) {
            report.addFormatted(TraditionalRows[i], {r.score, r.lowerLimit, r.upperLimit, r.percentile,
                                                     r.percentileLower, r.percentileUpper});
        } else {
            report.addFormatted(GluttingRows[i], {r.score, r.lowerLimit, r.upperLimit, r.percentile});
        }
    }
    report.addRule(99);
}

void writeLowScoreLines(const AbnormalityResults& a, LineSink report) {
    report.addFormatted(" NUMBER of case's Index scores classified as abnormally low = %2d", {a.lowScoreCount});
    report.add(" PERCENTAGE of normal population expected to exhibit this number or more of abnormally low scores:");
    report.addFormatted(" Percentage = %3.2f%%", {a.lowScorePopulationPercent});
}

void writeAbnormalitySection(const AbnormalityResults& a, LineSink report) {
    static const PairPatterns rows =
        pairPatterns("       %5.0f                    %6.3f%%                     ( %6.3f%% )",
                     [](std::size_t) { return ""; });
    report.add(" ABNORMALITY of differences between Short-Form Indices, i.e., percentage of population estimated to");
    report.add(
        " obtain a larger difference in same direction (figure in brackets is percentage regardless of sign ) :");
    report.addRule(100);
    report.add(" Index Pair           Difference          %age of population        (%age regardless of sign)");
    report.addRule(100);
    for (std::size_t i = 0; i < PairCount; ++i) {
        const PairAbnormality& p = a.pairs[i];
        report.addFormatted(rows[i], {p.observedDifference, p.abnormalityPercent, 2.0 * p.abnormalityPercent});
        const IndexPair pair = pairAt(i);
        if (pair == IndexPair::VC_PS || pair == IndexPair::PO_PS) report.add("");
    }
    report.addRule(100);
    report.addFormatted(
        " NUMBER of case's pairwise differences (regardless of sign) that meet criterion for abnormality = %2d ",
        {a.abnormalDifferenceCount});
    if (a.abnormalDifferenceCount == 0) {
        // Added unformatted: the percent sign stands before the 100.
        report.add(
            " PERCENTAGE of normal population expected to exhibit this number or more of abnormal differences= %100%");
    } else {
        report.addFormatted(
            " PERCENTAGE of normal population expected to exhibit this number or more of abnormal differences=%3.2f%%",
            {a.differencePopulationPercent});
    }
}

void writeReliabilitySection(const IndexResults& results, LineSink report) {
    static const PairPatterns verdictRows =
        pairPatterns("        %5.0f                     %s", [](std::size_t i) { return VerdictTails[i]; });
    static const PairPatterns probabilityRows =
        pairPatterns("          %5.0f                %6.3f               %6.3f", [](std::size_t) { return ""; });
    const Variant v = variantFor(results.differenceBasis, results.sequentialBonferroni);
    report.add(v.heading);
    report.addRule(v.openingRule);
    report.add(v.verdicts ? " Index Pair          Difference              Bonferroni p"
                          : " Index Pair           Difference          Two-tailed p          One-tailed p");
    report.addRule(v.openingRule);
    if (v.extraEmptyLine) report.add("");
    for (std::size_t i = 0; i < PairCount; ++i) {
        const PairResult& p = results.pairs[i];
        if (v.verdicts) {
            report.addFormatted(verdictRows[i],
                                {p.difference, std::string(p.bonferroniSignificant ? " p < .05" : " not sig")});
        } else {
            report.addFormatted(probabilityRows[i], {p.difference, p.twoTailedP, p.oneTailedP});
        }
        const IndexPair pair = pairAt(i);
        if (pair == IndexPair::VC_PS || pair == IndexPair::PO_PS) report.add("");
    }
    report.addRule(v.closingRule);
}

void writeProfileDistanceLines(const ProfileDistanceResult& distance, LineSink report) {
    report.add(" MAHALANOBIS DISTANCE Index of the overall abnormality of the case's Index score profile: ");
    report.addFormatted(" Chi-square = %3.3f,  p value = %2.5f", {distance.chiSquare, distance.p});
}

} // namespace kalden
