#include "report/CaseSummary.h"

#include <chrono>
#include <cstdio>

#include "format/NumberFormat.h"
#include "scoring/DifferenceReliability.h"
#include "scoring/IndexScores.h"

namespace kalden {

std::string localTimeText(std::int64_t utcSeconds, int utcOffsetMinutes) {
    using namespace std::chrono;
    const sys_seconds local{seconds{utcSeconds + std::int64_t{utcOffsetMinutes} * 60}};
    const sys_days day = floor<days>(local);
    const year_month_day ymd{day};
    const hh_mm_ss<seconds> time{local - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()));
    return text;
}

const char* descriptiveClassification(int score) {
    if (score >= 130) return "Very Superior";
    if (score >= 120) return "Superior";
    if (score >= 110) return "High Average";
    if (score >= 90) return "Average";
    if (score >= 80) return "Low Average";
    if (score >= 70) return "Borderline";
    return "Extremely Low";
}

std::array<SummaryRow, IndexCount> summaryRows(const IndexResults& results) {
    std::array<SummaryRow, IndexCount> rows;
    for (std::size_t i = 0; i < IndexCount; ++i) {
        const IndexResult& r = results.indexes[i];
        SummaryRow& row = rows[i];
        row.index = indexDefinition(indexAt(i)).label;
        // The report's row formats: the score %6.0f, the limits %3.0f, the
        // percentile %13.1f; the same digits without the padding.
        row.score = formatFixed(r.score, 0, 0);
        row.lowerLimit = formatFixed(r.lowerLimit, 0, 0);
        row.upperLimit = formatFixed(r.upperLimit, 0, 0);
        row.percentile = formatFixed(r.percentile, 0, 1);
        row.classification = descriptiveClassification(std::stoi(row.score));
    }
    return rows;
}

std::string limitsHeading(ConfidenceMethod method) {
    switch (method) {
    case ConfidenceMethod::Traditional95: return "95% confidence limits (traditional method)";
    case ConfidenceMethod::Traditional90: return "90% confidence limits (traditional method)";
    case ConfidenceMethod::Glutting95: return "95% confidence limits (Glutting method)";
    case ConfidenceMethod::Glutting90: return "90% confidence limits (Glutting method)";
    }
    return "";
}

namespace {

std::vector<std::string> reliableDifferences(const IndexResults& results) {
    const bool bonferroni = results.sequentialBonferroni;
    const std::string scores =
        results.differenceBasis == DifferenceBasis::Observed ? "observed scores" : "estimated true scores";
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < PairCount; ++i) {
        const PairResult& p = results.pairs[i];
        const bool reliable = bonferroni ? p.bonferroniSignificant : p.twoTailedP < 0.05;
        if (!reliable) continue;
        std::string line = std::string(pairLabel(pairAt(i))) + ": difference " + formatFixed(p.difference, 0, 0);
        line += bonferroni ? ", p < .05 after sequential Bonferroni correction"
                           : ", two-tailed p = " + formatFixed(p.twoTailedP, 0, 3);
        lines.push_back(line + " (" + scores + ")");
    }
    if (lines.empty())
        lines.push_back(std::string("No difference between Indexes is reliable at p < .05 (") + scores +
                        (bonferroni ? ", sequential Bonferroni correction)" : ", two-tailed)"));
    return lines;
}

std::string escapeHtml(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

const char* const LimitsDash = "\u2013"; // an en dash, as in "101–115"

} // namespace

CaseSummary summarizeCase(const CaseRecord& c) {
    CaseSummary s;
    s.title = c.notesHeadline();
    s.limitsHead = limitsHeading(c.results.index.confidenceMethod);
    s.rows = summaryRows(c.results.index);
    s.differences = reliableDifferences(c.results.index);
    s.profileDistance = "Mahalanobis distance: " + formatText("Chi-square = %3.3f,  p value = %2.5f",
                                                              {c.results.profile.chiSquare, c.results.profile.p});
    return s;
}

std::string summaryText(const CaseSummary& s) {
    std::string out;
    if (!s.title.empty()) out += s.title + "\n";
    out += "Index\tScore\t" + s.limitsHead + "\tPercentile\tClassification\n";
    for (const SummaryRow& r : s.rows)
        out += r.index + "\t" + r.score + "\t" + r.lowerLimit + LimitsDash + r.upperLimit + "\t" + r.percentile + "\t" +
               r.classification + "\n";
    out += "\nReliable differences:\n";
    for (const std::string& d : s.differences) out += d + "\n";
    out += "\n" + s.profileDistance + "\n";
    return out;
}

std::string summaryHtml(const CaseSummary& s) {
    std::string out = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>";
    out += escapeHtml(s.title.empty() ? std::string("Index scores") : s.title) + "</title></head>\n<body>\n";
    if (!s.title.empty()) out += "<p><b>" + escapeHtml(s.title) + "</b></p>\n";
    out += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\">\n<tr><th>Index</th><th>Score</th><th>" +
           escapeHtml(s.limitsHead) + "</th><th>Percentile</th><th>Classification</th></tr>\n";
    for (const SummaryRow& r : s.rows)
        out += "<tr><td>" + escapeHtml(r.index) + "</td><td align=\"right\">" + r.score + "</td><td align=\"center\">" +
               r.lowerLimit + LimitsDash + r.upperLimit + "</td><td align=\"right\">" + r.percentile + "</td><td>" +
               r.classification + "</td></tr>\n";
    out += "</table>\n<p>Reliable differences:</p>\n<ul>\n";
    for (const std::string& d : s.differences) out += "<li>" + escapeHtml(d) + "</li>\n";
    out += "</ul>\n<p>" + escapeHtml(s.profileDistance) + "</p>\n</body></html>\n";
    return out;
}

} // namespace kalden
