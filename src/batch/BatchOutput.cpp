#include "batch/BatchOutput.h"

#include <charconv>

#include "format/CsvText.h"
#include "format/JsonText.h"
#include "format/ShortestText.h"
#include "report/ReportComposer.h"

namespace kalden {

namespace {

const char* const IndexNames[IndexCount] = {"vc", "po", "wm", "ps", "fsiq"};
const char* const PairNames[PairCount] = {"vc_po", "vc_wm", "vc_ps", "po_wm", "po_ps", "wm_ps"};
const char* const IndexValueNames[] = {
    "score", "true_score", "se", "lower", "upper", "percentile", "percentile_lower", "percentile_upper"};
const char* const PairValueNames[] = {"difference",
                                      "se_difference",
                                      "p_two_tailed",
                                      "p_one_tailed",
                                      "bonferroni_significant",
                                      "abnormality_difference",
                                      "abnormality_percent",
                                      "abnormal"};
const char* const ProfileValueNames[] = {
    "low_score_count", "low_score_percent", "abnormal_difference_count", "abnormal_difference_percent",
    "chi_square",      "p_profile"};

std::vector<std::string> makeResultNames() {
    std::vector<std::string> names;
    for (const char* index : IndexNames)
        for (const char* value : IndexValueNames) names.push_back(std::string(index) + "_" + value);
    for (const char* pair : PairNames)
        for (const char* value : PairValueNames) names.push_back(std::string(pair) + "_" + value);
    for (const char* value : ProfileValueNames) names.emplace_back(value);
    return names;
}

template <typename T>
void appendChars(std::string& out, T value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

// The csv and JSON spelling of a value; `null` is what stands for nothing.
void appendValue(std::string& out, const ResultValue& value, std::string_view null) {
    if (std::holds_alternative<std::monostate>(value))
        out.append(null);
    else if (const double* d = std::get_if<double>(&value))
        appendShortest(out, *d);
    else if (const Extended* l = std::get_if<Extended>(&value))
        appendShortest(out, *l);
    else if (const int* i = std::get_if<int>(&value))
        appendChars(out, *i);
    else
        out.append(std::get<bool>(value) ? "true" : "false");
}

class CsvFormatter : public RowFormatter {
public:
    std::string header() const override {
        std::string line = "id";
        for (const std::string& name : resultNames()) line += "," + name;
        line += ",error\r\n";
        return line;
    }

    void formatRow(const BatchCase& row, const ComputationResults* results, RowOutput& out) override {
        std::string& line = out.text;
        appendCsvCell(line, row.id);
        fillValues(results, values_);
        for (const ResultValue& value : values_) {
            line.push_back(',');
            appendValue(line, value, "");
        }
        line.push_back(',');
        appendCsvCell(line, row.error);
        line.append("\r\n");
    }

    static void fillValues(const ComputationResults* results, std::vector<ResultValue>& values) {
        if (results) {
            resultValues(*results, values);
        } else {
            values.assign(resultNames().size(), std::monostate{});
        }
    }

private:
    std::vector<ResultValue> values_;
};

class JsonFormatter : public RowFormatter {
public:
    JsonFormatter() {
        for (const std::string& name : resultNames()) keys_.push_back("," + jsonString(name) + ":");
    }

    std::string header() const override { return {}; }

    void formatRow(const BatchCase& row, const ComputationResults* results, RowOutput& out) override {
        std::string& line = out.text;
        line += "{\"id\":";
        line += jsonString(row.id);
        CsvFormatter::fillValues(results, values_);
        for (std::size_t i = 0; i < values_.size(); ++i) {
            line += keys_[i];
            appendValue(line, values_[i], "null");
        }
        line += ",\"error\":";
        line += results ? "null" : jsonString(row.error);
        line += "}\n";
    }

private:
    std::vector<std::string> keys_;
    std::vector<ResultValue> values_;
};

// The reports one after another, as successive Computes append them to the
// results window: every report is written with the separator before it,
// and the writer drops the separator from the first one written.
class TextFormatter : public RowFormatter {
public:
    explicit TextFormatter(std::string_view lineEnd) : lineEnd_(lineEnd) {}

    std::string header() const override { return {}; }

    void formatRow(const BatchCase& row, const ComputationResults* results, RowOutput& out) override {
        if (!results) return; // a rejected row appends nothing, as a rejected Compute
        context_.notes = row.notes;
        Warnings none; // a batch row has no grid to echo
        std::string& text = out.text;
        for (const std::string& line : reportSeparator()) text.append(line).append(lineEnd_);
        out.separator = text.size();
        writeReport(*row.record, *results, context_, none, LineSink(text, lineEnd_));
    }

private:
    std::string lineEnd_;
    ReportContext context_;
};

} // namespace

const std::vector<std::string>& resultNames() {
    static const std::vector<std::string> names = makeResultNames();
    return names;
}

void resultValues(const ComputationResults& results, std::vector<ResultValue>& out) {
    out.clear();
    for (const IndexResult& index : results.index.indexes) {
        out.insert(out.end(), {index.score, index.trueScore, index.standardError, index.lowerLimit, index.upperLimit,
                               index.percentile, index.percentileLower, index.percentileUpper});
    }
    const bool bonferroni = results.index.sequentialBonferroni;
    for (std::size_t p = 0; p < PairCount; ++p) {
        const PairResult& pair = results.index.pairs[p];
        const PairAbnormality& abnormality = results.abnormality.pairs[p];
        out.insert(out.end(), {pair.difference, pair.seDifference, pair.twoTailedP, pair.oneTailedP,
                               bonferroni ? ResultValue(pair.bonferroniSignificant) : ResultValue(),
                               abnormality.observedDifference, abnormality.abnormalityPercent, abnormality.isAbnormal});
    }
    const AbnormalityResults& a = results.abnormality;
    // With no abnormal difference every member of the population shows as many.
    const double differencePercent = a.abnormalDifferenceCount == 0 ? 100.0 : a.differencePopulationPercent;
    out.insert(out.end(), {a.lowScoreCount, a.lowScorePopulationPercent, a.abnormalDifferenceCount, differencePercent,
                           results.profile.chiSquare, results.profile.p});
}

std::unique_ptr<RowFormatter> makeRowFormatter(BatchFormat format, std::string_view lineEnd) {
    switch (format) {
    case BatchFormat::Csv: return std::make_unique<CsvFormatter>();
    case BatchFormat::Json: return std::make_unique<JsonFormatter>();
    case BatchFormat::Text: break;
    }
    return std::make_unique<TextFormatter>(lineEnd);
}

} // namespace kalden
