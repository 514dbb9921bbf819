#include "web/ChartData.h"

#include "format/JsonText.h"
#include "format/NumberFormat.h"
#include "report/CaseSummary.h"
#include "report/ChartScale.h"
#include "scoring/IndexScores.h"

namespace kalden {

namespace {

void appendField(std::string& out, const char* name, const std::string& text) {
    out += '"';
    out += name;
    out += "\":";
    appendJsonString(out, text);
}

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

void appendChartJson(std::string& out, const CaseRecord& c) {
    const IndexResults& results = c.results.index;
    std::string title;
    if (!c.notesHeadline().empty()) title = trimmed(c.notesHeadline()) + " \u2014 ";
    title += "Computed " + computedAtText(c) + " \u2014 KALDEN " KALDEN_VERSION;
    out += '{';
    appendField(out, "title", title);
    const ChartScale scale = chartScaleFor(results);
    out += ",\"low\":" + formatFixed(scale.low, 0, 0, '.') + ",\"high\":" + formatFixed(scale.high, 0, 0, '.');
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
        appendField(out, "name", indexDefinition(static_cast<IndexId>(i)).label);
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
    appendField(out, "caption", trimmed(confidenceNote(results.confidenceMethod)));
    out += '}';
}

} // namespace kalden
