#include "cli/BatchOutput.h"

#include <charconv>
#include <nlohmann/json.hpp>

#include "report/ReportComposer.h"

namespace kalden::cli {

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

// A text cell that a spreadsheet would take for a formula: one beginning
// with '=', '+', '-', '@', a tab or a carriage return.
bool looksLikeFormula(std::string_view text) {
    return !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
}

// CSV quoting: a cell holding a comma, a quote or a line break is quoted,
// its quotes doubled. A text that looks like a formula gets a leading
// apostrophe, which spreadsheets show as text, and is quoted as well. Only
// texts from the input come here; the numbers are written elsewhere.
void appendCsvCell(std::string& out, std::string_view text) {
    const bool formula = looksLikeFormula(text);
    if (!formula && text.find_first_of(",\"\r\n") == std::string_view::npos) {
        out.append(text);
        return;
    }
    out.push_back('"');
    if (formula) out.push_back('\'');
    for (const char c : text) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

// The csv and JSON spelling of a value; `null` is what stands for nothing.
void appendValue(std::string& out, const ResultValue& value, std::string_view null) {
    if (std::holds_alternative<std::monostate>(value))
        out.append(null);
    else if (const double* d = std::get_if<double>(&value))
        appendShortest(out, *d);
    else if (const long double* l = std::get_if<long double>(&value))
        appendShortest(out, *l);
    else if (const int* i = std::get_if<int>(&value))
        appendChars(out, *i);
    else
        out.append(std::get<bool>(value) ? "true" : "false");
}

// A JSON string literal; bytes that are not UTF-8 become U+FFFD, since
// JSON text must be Unicode.
std::string jsonString(const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

class CsvFormatter : public RowFormatter {
public:
    std::string header() const override {
        std::string line = "id";
        for (const std::string& name : resultNames()) line += "," + name;
        line += ",error\r\n";
        return line;
    }

    void formatRow(const BatchCase& row, const ComputationResults* results, MessageService&, RowOutput& out) override {
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

    void formatRow(const BatchCase& row, const ComputationResults* results, MessageService&, RowOutput& out) override {
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

class DiscardedMessages : public MessageService {
public:
    void warn(const std::string&) override {}
    void beep() override {}
};

// How many lines composeReport puts before a report when the text area
// already holds something: the difference one line already there makes.
std::size_t separatorLineCount() {
    static const std::size_t count = [] {
        InputRecord input;
        for (int k = 1; k <= 7; ++k) input.setScore(k, 10);
        DiscardedMessages none;
        const ComputationResults results = computeAll(input, none);
        ReportLines first;
        ReportLines later(1);
        composeReport(first, input, results, {}, none);
        composeReport(later, input, results, {}, none);
        return later.size() - 1 - first.size();
    }();
    return count;
}

// The reports one after another, as successive Computes append them to the
// results window: only whether a report came before decides the separator,
// so every report is composed with it and the writer drops it from the
// first one written.
class TextFormatter : public RowFormatter {
public:
    explicit TextFormatter(std::string_view lineEnd) : lineEnd_(lineEnd), separatorLines_(separatorLineCount()) {}

    std::string header() const override { return {}; }

    void formatRow(const BatchCase& row, const ComputationResults* results, MessageService& messages,
                   RowOutput& out) override {
        if (!results) return; // a rejected row appends nothing, as a rejected Compute
        lines_.resize(1);     // one stand-in line makes composeReport write the separator
        lines_[0].clear();
        context_.notes = row.notes;
        composeReport(lines_, *row.record, *results, context_, messages);
        std::string& text = out.text;
        for (std::size_t i = 1; i < lines_.size(); ++i) {
            text += lines_[i];
            text += lineEnd_;
            if (i == separatorLines_) out.separator = text.size();
        }
    }

private:
    std::string lineEnd_;
    std::size_t separatorLines_;
    ReportContext context_;
    ReportLines lines_;
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

void appendShortest(std::string& out, double value) { appendChars(out, value); }
void appendShortest(std::string& out, long double value) { appendChars(out, value); }

std::unique_ptr<RowFormatter> makeRowFormatter(BatchFormat format, std::string_view lineEnd) {
    switch (format) {
    case BatchFormat::Csv: return std::make_unique<CsvFormatter>();
    case BatchFormat::Json: return std::make_unique<JsonFormatter>();
    case BatchFormat::Text: break;
    }
    return std::make_unique<TextFormatter>(lineEnd);
}

} // namespace kalden::cli
