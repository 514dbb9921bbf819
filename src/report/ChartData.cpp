#include "report/ChartData.h"

#include <algorithm>

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

// The title, the scale, the average band and the percentile ranks of the
// right-hand scale's marks: what every chart of the page has.
void appendChartFrame(std::string& out, const std::string& title, const ChartScale& scale) {
    appendField(out, "title", title);
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
    out += ']';
}

// Plain numbers for placing an Index's marker and bar; the texts beside them
// are the printed ones.
void appendPlace(std::string& out, const IndexResult& r) {
    out += "\"at\":" + formatFixed(r.score, 0, 6, '.') + ",\"top\":" + formatFixed(r.upperLimit, 0, 6, '.') +
           ",\"bottom\":" + formatFixed(r.lowerLimit, 0, 6, '.');
}

void appendDescription(std::string& out, const std::string& caption, const std::vector<std::string>& lines) {
    appendField(out, "caption", caption);
    out += ",\"description\":";
    appendJsonStrings(out, lines);
}

std::string whole(double value) { return formatFixed(value, 0, 0); }

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
    appendChartFrame(out, chartTitle(c, program), chartScaleFor(results));
    out += ",\"indexes\":[";
    const std::array<SummaryRow, IndexCount> rows = summaryRows(results);
    for (std::size_t i = 0; i < IndexCount; ++i) {
        if (i > 0) out += ',';
        out += '{';
        appendField(out, "name", rows[i].index);
        out += ',';
        appendPlace(out, results.indexes[i]);
        out += ',';
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
    appendDescription(out, chartCaption(results.confidenceMethod), chartDescription(results));
    out += '}';
}

std::string assessmentLabel(const char* which, const ComparedCase& c) {
    const std::string& tested = c.record.session.testingDate;
    return std::string(which) + ", " + (tested.empty() ? "computed " + computedAtText(c.record) : "tested " + tested) +
           " (case " + std::to_string(c.id) + ')';
}

std::string comparisonChartTitle(const CaseComparison& c, const std::string& program) {
    const Session& s = c.second.record.session;
    return sessionLine(Session{s.person, s.birthDate, {}, {}, {}}) + Dash + "Change between two assessments" + Dash +
           program;
}

std::string comparisonCaption(const IndexResults& first, const IndexResults& second) {
    if (second.confidenceMethod != first.confidenceMethod)
        return "First: " + limitsHeading(first.confidenceMethod) +
               "; second: " + limitsHeading(second.confidenceMethod);
    return chartCaption(first.confidenceMethod);
}

std::string profileCell(const IndexResult& r) {
    return whole(r.score) + " (" + whole(r.lowerLimit) + "\u2013" + whole(r.upperLimit) + ')';
}

std::string signedCell(double value, int decimals) {
    const std::string cell = formatFixed(value, 0, decimals);
    if (cell.front() == '-') return "\u2212" + cell.substr(1);
    return cell == formatFixed(0, 0, decimals) ? cell : '+' + cell;
}

std::string verdictCell(ChangeVerdict verdict) {
    switch (verdict) {
    case ChangeVerdict::Improvement: return "reliable rise";
    case ChangeVerdict::Decline: return "reliable fall";
    case ChangeVerdict::NoChange: break;
    }
    return "not reliable";
}

std::vector<std::string> comparisonDescription(const IndexResults& first, const IndexResults& second,
                                               const ReliableChange& change, const std::string& firstLabel,
                                               const std::string& secondLabel) {
    const auto profile = [](const IndexResult& r) {
        return whole(r.score) + " (limits " + whole(r.lowerLimit) + " to " + whole(r.upperLimit) + ')';
    };
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < IndexCount; ++i) {
        const IndexId id = static_cast<IndexId>(i);
        const ChangeRow& row = change.rows[i];
        lines.push_back(std::string(indexDefinition(id).label) + ": " + firstLabel + ' ' + profile(first[id]) + ", " +
                        secondLabel + ' ' + profile(second[id]) + "; change " + whole(row.change) + ", RCI " +
                        formatFixed(row.rci, 0, 2) + ", " + verdictText(row.verdict));
    }
    lines.push_back(comparisonCaption(first, second));
    return lines;
}

void appendComparisonChartJson(std::string& out, const CaseComparison& c, const std::string& program) {
    const IndexResults& first = c.first.record.results.index;
    const IndexResults& second = c.second.record.results.index;
    const ChartScale a = chartScaleFor(first);
    const ChartScale b = chartScaleFor(second);
    const std::string firstLabel = assessmentLabel("First", c.first);
    const std::string secondLabel = assessmentLabel("Second", c.second);
    out += '{';
    appendChartFrame(out, comparisonChartTitle(c, program),
                     ChartScale{std::min(a.low, b.low), std::max(a.high, b.high)});
    out += ',';
    appendField(out, "firstLabel", firstLabel);
    out += ',';
    appendField(out, "secondLabel", secondLabel);
    out += ",\"heads\":";
    appendJsonStrings(out, std::vector<std::string>(ComparisonTableHeads.begin(), ComparisonTableHeads.end()));
    out += ",\"indexes\":[";
    for (std::size_t i = 0; i < IndexCount; ++i) {
        const ChangeRow& row = c.change.rows[i];
        if (i > 0) out += ',';
        out += '{';
        appendField(out, "name", indexDefinition(static_cast<IndexId>(i)).label);
        out += ",\"first\":{";
        appendPlace(out, first.indexes[i]);
        out += ',';
        appendField(out, "score", whole(first.indexes[i].score));
        out += "},\"second\":{";
        appendPlace(out, second.indexes[i]);
        out += ',';
        appendField(out, "score", whole(second.indexes[i].score));
        out += "},\"cells\":";
        appendJsonStrings(out, {profileCell(first.indexes[i]), profileCell(second.indexes[i]),
                                signedCell(row.change, 0), signedCell(row.rci, 2), verdictCell(row.verdict)});
        out += '}';
    }
    out += "],";
    appendDescription(out, comparisonCaption(first, second),
                      comparisonDescription(first, second, c.change, firstLabel, secondLabel));
    out += '}';
}

} // namespace kalden
