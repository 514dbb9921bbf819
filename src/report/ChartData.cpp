#include "report/ChartData.h"

#include "format/VisibleText.h"

#include "format/JsonText.h"
#include "format/NumberFormat.h"
#include "format/VisibleText.h"
#include "report/CaseSummary.h"
#include "report/ChartScale.h"
#include "report/ReportComposer.h"
#include "report/Session.h"
#include "scoring/IndexScores.h"

namespace kalden {

namespace {

const char* const Dash = " \u2014 ";

std::string trimmed(const std::string& text) {
    const char* const blanks = " \t\r\v\f";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

void appendField(std::string& out, const char* name, const std::string& text) {
    out += '"';
    out += name;
    out += "\":";
    appendJsonString(out, text);
}

} // namespace

std::string averageBandLabel() {
    return "Average range " + std::to_string(AverageBandLow) + "\u2013" + std::to_string(AverageBandHigh);
}

std::string chartTitle(const CaseRecord& c, const std::string& program) {
    std::string title;
    if (!c.session.person.empty()) title += sessionLine(c.session) + Dash;
    if (const std::string note = trimmed(oneLineText(c.notesHeadline())); !note.empty()) title += note + Dash;
    return title + "Computed " + computedAtText(c) + Dash + program;
}

std::string chartCaption(ConfidenceMethod method) { return trimmed(confidenceNote(method)); }

std::vector<std::string> chartDescription(const IndexResults& results) {
    const std::string level = confidenceDeviate(results.confidenceMethod) == Z95 ? "95%" : "90%";
    const std::array<SummaryRow, IndexCount> rows = summaryRows(results);
    std::vector<std::string> lines;
    for (const SummaryRow& r : rows)
        lines.push_back(r.index + ' ' + r.score + ", " + level + " confidence limits " + r.lowerLimit + " to " +
                        r.upperLimit + ", percentile " + r.percentile);
    lines.push_back(chartCaption(results.confidenceMethod));
    return lines;
}

void appendChartJson(std::string& out, const CaseRecord& c, const std::string& program) {
    const IndexResults& results = c.results.index;
    out += '{';
    appendField(out, "title", chartTitle(c, program));
    const ChartScale scale = chartScaleFor(results);
    out += ",\"low\":" + formatFixed(scale.low, 0, 0, '.') + ",\"high\":" + formatFixed(scale.high, 0, 0, '.');
    out += ",\"bandLow\":" + std::to_string(AverageBandLow) + ",\"bandHigh\":" + std::to_string(AverageBandHigh) + ',';
    appendField(out, "bandLabel", averageBandLabel());
    out += ",\"marks\":[";
    for (std::size_t i = 0; i < ChartPercentileMarks.size(); ++i) {
        if (i > 0) out += ',';
        out += "{\"score\":" + formatFixed(ChartPercentileMarks[i], 0, 0, '.') + ',';
        appendField(out, "percentile", formatFixed(scalePercentile(ChartPercentileMarks[i]), 0, 1));
        out += '}';
    }
    out += "],\"indexes\":[";
    const std::array<SummaryRow, IndexCount> rows = summaryRows(results);
    for (std::size_t i = 0; i < IndexCount; ++i) {
        const IndexResult& r = results.indexes[i];
        if (i > 0) out += ',';
        out += '{';
        appendField(out, "name", rows[i].index);
        // Plain numbers for placing the marks; the texts are the printed ones.
        out += ",\"at\":" + formatFixed(r.score, 0, 6, '.') + ",\"top\":" + formatFixed(r.upperLimit, 0, 6, '.') +
               ",\"bottom\":" + formatFixed(r.lowerLimit, 0, 6, '.') + ',';
        appendField(out, "score", rows[i].score);
        out += ',';
        appendField(out, "limits", rows[i].lowerLimit + "\u2013" + rows[i].upperLimit);
        out += ',';
        appendField(out, "percentile", rows[i].percentile);
        out += '}';
    }
    out += "],";
    appendField(out, "limitsHeading", limitsHeading(results.confidenceMethod));
    out += ',';
    appendField(out, "caption", chartCaption(results.confidenceMethod));
    out += ",\"description\":";
    appendJsonStrings(out, chartDescription(results));
    out += '}';
}

} // namespace kalden
