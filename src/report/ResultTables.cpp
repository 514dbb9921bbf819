#include "report/ResultTables.h"

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

} // namespace

void writeIndexSection(const IndexResults& results, ReportLines& report) {
    const TableLayout layout = layoutFor(results.confidenceMethod);
    const bool traditional = isTraditional(results.confidenceMethod);
    report.push_back(layout.heading);
    report.push_back(rule(layout.ruleLength));
    report.push_back(layout.columnHead);
    report.push_back(rule(layout.ruleLength));
    report.push_back("");
    for (std::size_t i = 0; i < IndexCount; ++i) {
        if (indexAt(i) == IndexId::FSIQ) report.push_back("");
        const IndexResult& r = results.indexes[i];
        if (traditional) {
            report.push_back(formatText(TraditionalRows[i], {r.score, r.lowerLimit, r.upperLimit, r.percentile,
                                                             r.percentileLower, r.percentileUpper}));
        } else {
            report.push_back(formatText(GluttingRows[i], {r.score, r.lowerLimit, r.upperLimit, r.percentile}));
        }
    }
    report.push_back(rule(99));
}

void writeLowScoreLines(const AbnormalityResults& a, ReportLines& report) {
    report.push_back(
        formatText(" NUMBER of case's Index scores classified as abnormally low = %2d", {a.lowScoreCount}));
    report.push_back(
        " PERCENTAGE of normal population expected to exhibit this number or more of abnormally low scores:");
    report.push_back(formatText(" Percentage = %3.2f%%", {a.lowScorePopulationPercent}));
}

void writeAbnormalitySection(const AbnormalityResults& a, ReportLines& report) {
    report.push_back(
        " ABNORMALITY of differences between Short-Form Indices, i.e., percentage of population estimated to");
    report.push_back(
        " obtain a larger difference in same direction (figure in brackets is percentage regardless of sign ) :");
    report.push_back(rule(100));
    report.push_back(" Index Pair           Difference          %age of population        (%age regardless of sign)");
    report.push_back(rule(100));
    for (std::size_t i = 0; i < PairCount; ++i) {
        const PairAbnormality& p = a.pairs[i];
        report.push_back(formatText(std::string(" ") + pairLabel(pairAt(i)) +
                                        "       %5.0f                    %6.3f%%                     ( %6.3f%% )",
                                    {p.observedDifference, p.abnormalityPercent, 2.0 * p.abnormalityPercent}));
        const IndexPair pair = pairAt(i);
        if (pair == IndexPair::VC_PS || pair == IndexPair::PO_PS) report.push_back("");
    }
    report.push_back(rule(100));
    report.push_back(formatText(
        " NUMBER of case's pairwise differences (regardless of sign) that meet criterion for abnormality = %2d ",
        {a.abnormalDifferenceCount}));
    if (a.abnormalDifferenceCount == 0) {
        // Added unformatted: the percent sign stands before the 100.
        report.push_back(
            " PERCENTAGE of normal population expected to exhibit this number or more of abnormal differences= %100%");
    } else {
        report.push_back(formatText(
            " PERCENTAGE of normal population expected to exhibit this number or more of abnormal differences=%3.2f%%",
            {a.differencePopulationPercent}));
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
        const std::string label = pairLabel(pairAt(i));
        if (v.verdicts) {
            report.push_back(
                formatText(" " + label + "        %5.0f                     %s" + VerdictTails[i],
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

void writeProfileDistanceLines(const ProfileDistanceResult& distance, ReportLines& report) {
    report.push_back(" MAHALANOBIS DISTANCE Index of the overall abnormality of the case's Index score profile: ");
    report.push_back(formatText(" Chi-square = %3.3f,  p value = %2.5f", {distance.chiSquare, distance.p}));
}

} // namespace kalden
