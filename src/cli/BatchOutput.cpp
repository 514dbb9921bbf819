#include "cli/BatchOutput.h"

#include <charconv>
#include <nlohmann/json.hpp>

#include "report/ReportComposer.h"

namespace kalden::cli {

namespace {

const char* const kIndexNames[IndexCount] = {"vc", "po", "wm", "ps", "fsiq"};
const char* const kPairNames[PairCount] = {"vc_po", "vc_wm", "vc_ps", "po_wm", "po_ps", "wm_ps"};
const char* const kIndexValueNames[] = {"score",      "true_score",       "se",
                                        "lower",      "upper",            "percentile",
                                        "percentile_lower", "percentile_upper"};
const char* const kPairValueNames[] = {"difference",           "se_difference",         "p_two_tailed",
                                       "p_one_tailed",         "bonferroni_significant", "abnormality_difference",
                                       "abnormality_percent",  "abnormal"};
const char* const kProfileValueNames[] = {"low_score_count",           "low_score_percent", "abnormal_difference_count",
                                          "abnormal_difference_percent", "chi_square",        "p_profile"};

std::vector<std::string> makeResultNames() {
    std::vector<std::string> names;
    for (const char* index : kIndexNames)
        for (const char* value : kIndexValueNames) names.push_back(std::string(index) + "_" + value);
    for (const char* pair : kPairNames)
        for (const char* value : kPairValueNames) names.push_back(std::string(pair) + "_" + value);
    for (const char* value : kProfileValueNames) names.emplace_back(value);
    return names;
}

template <typename T>
void appendChars(std::string& out, T value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

// CSV quoting: a cell holding a comma, a quote or a line break is quoted,
// its quotes doubled.
void appendCsvCell(std::string& out, std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        out.append(text);
        return;
    }
    out.push_back('"');
    for (const char c : text) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

// The csv and JSON spelling of a value; `null` is what stands for nothing.
void appendValue(std::string& out, const ResultValue& value, std::string_view null) {
    if (std::holds_alternative<std::monostate>(value)) out.append(null);
    else if (const double* d = std::get_if<double>(&value)) appendShortest(out, *d);
    else if (const long double* l = std::get_if<long double>(&value)) appendShortest(out, *l);
    else if (const int* i = std::get_if<int>(&value)) appendChars(out, *i);
    else out.append(std::get<bool>(value) ? "true" : "false");
}

// A JSON string literal; bytes that are not UTF-8 become U+FFFD, since
// JSON text must be Unicode.
std::string jsonString(const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

class CsvWriter : public BatchWriter {
public:
    explicit CsvWriter(OutputSink& sink) : sink_(sink) {}

    bool begin() override {
        line_ = "id";
        for (const std::string& name : resultNames()) line_ += "," + name;
        line_ += ",error\r\n";
        return sink_.write(line_);
    }

    bool writeRow(const BatchCase& row, const ComputationResults* results) override {
        line_.clear();
        appendCsvCell(line_, row.id);
        fillValues(results, values_);
        for (const ResultValue& value : values_) {
            line_.push_back(',');
            appendValue(line_, value, "");
        }
        line_.push_back(',');
        appendCsvCell(line_, row.error);
        line_.append("\r\n");
        return sink_.write(line_);
    }

    static void fillValues(const ComputationResults* results, std::vector<ResultValue>& values) {
        if (results) {
            resultValues(*results, values);
        } else {
            values.assign(resultNames().size(), std::monostate{});
        }
    }

private:
    OutputSink& sink_;
    std::string line_;
    std::vector<ResultValue> values_;
};

class JsonWriter : public BatchWriter {
public:
    explicit JsonWriter(OutputSink& sink) : sink_(sink) {
        for (const std::string& name : resultNames()) keys_.push_back("," + jsonString(name) + ":");
    }

    bool begin() override { return true; }

    bool writeRow(const BatchCase& row, const ComputationResults* results) override {
        line_ = "{\"id\":";
        line_ += jsonString(row.id);
        CsvWriter::fillValues(results, values_);
        for (std::size_t i = 0; i < values_.size(); ++i) {
            line_ += keys_[i];
            appendValue(line_, values_[i], "null");
        }
        line_ += ",\"error\":";
        line_ += results ? "null" : jsonString(row.error);
        line_ += "}\n";
        return sink_.write(line_);
    }

private:
    OutputSink& sink_;
    std::vector<std::string> keys_;
    std::string line_;
    std::vector<ResultValue> values_;
};

// The reports one after another, as successive Computes append them to the
// results window: only whether a report came before decides the separator,
// so nothing earlier is kept.
class TextWriter : public BatchWriter {
public:
    TextWriter(OutputSink& sink, std::string_view lineEnd, MessageService& messages)
        : sink_(sink), lineEnd_(lineEnd), messages_(messages) {}

    bool begin() override { return true; }

    bool writeRow(const BatchCase& row, const ComputationResults* results) override {
        if (!results) return true; // a rejected row appends nothing, as a rejected Compute
        lines_.clear();
        // One stand-in line makes composeReport write the separator.
        if (anyWritten_) lines_.emplace_back();
        ReportContext context;
        context.notes = row.notes;
        composeReport(lines_, *row.record, *results, context, messages_);
        text_.clear();
        for (std::size_t i = anyWritten_ ? 1 : 0; i < lines_.size(); ++i) {
            text_ += lines_[i];
            text_ += lineEnd_;
        }
        anyWritten_ = true;
        return sink_.write(text_);
    }

private:
    OutputSink& sink_;
    std::string lineEnd_;
    MessageService& messages_;
    bool anyWritten_ = false;
    ReportLines lines_;
    std::string text_;
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
                               abnormality.observedDifference, abnormality.abnormalityPercent,
                               abnormality.isAbnormal});
    }
    const AbnormalityResults& a = results.abnormality;
    // With no abnormal difference every member of the population shows as many.
    const double differencePercent = a.abnormalDifferenceCount == 0 ? 100.0 : a.differencePopulationPercent;
    out.insert(out.end(), {a.lowScoreCount, a.lowScorePopulationPercent, a.abnormalDifferenceCount, differencePercent,
                           results.profile.chiSquare, results.profile.p});
}

void appendShortest(std::string& out, double value) { appendChars(out, value); }
void appendShortest(std::string& out, long double value) { appendChars(out, value); }

std::unique_ptr<BatchWriter> makeBatchWriter(BatchFormat format, OutputSink& sink, std::string_view lineEnd,
                                             MessageService& messages) {
    switch (format) {
    case BatchFormat::Csv: return std::make_unique<CsvWriter>(sink);
    case BatchFormat::Json: return std::make_unique<JsonWriter>(sink);
    case BatchFormat::Text: break;
    }
    return std::make_unique<TextWriter>(sink, lineEnd, messages);
}

} // namespace kalden::cli
