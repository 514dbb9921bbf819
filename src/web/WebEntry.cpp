// The page's way into the scoring and report library: a few C functions that
// take plain texts and answer in JSON, so that the page needs no binding
// library. Every answer stays valid until the next call.

#include <emscripten/emscripten.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "batch/BatchRows.h"
#include "format/JsonText.h"
#include "format/NumberFormat.h"
#include "report/CaseSummary.h"
#include "report/ChartData.h"
#include "report/ScoreCase.h"
#include "worksheet/OptionNames.h"
#include "worksheet/ProgramConfig.h"
#include "worksheet/TextAreaLines.h"

using namespace kalden;

namespace {

std::string g_answer;

// The request's fields, split at the unit separator (0x1F), which no typed
// text can hold.
std::vector<std::string> requestFields(const char* request) {
    std::vector<std::string> fields(1);
    for (const char* p = request; *p != '\0'; ++p) {
        if (*p == '\x1f')
            fields.emplace_back();
        else
            fields.back().push_back(*p);
    }
    return fields;
}

int numberAt(const std::vector<std::string>& fields, std::size_t i) {
    return i < fields.size() ? std::atoi(fields[i].c_str()) : 0;
}

const std::string& fieldAt(const std::vector<std::string>& fields, std::size_t i) {
    static const std::string none;
    return i < fields.size() ? fields[i] : none;
}

// The options by the names the command line and batch files use; a name
// that is not one of them leaves the worksheet's default.
Options optionsFrom(const std::vector<std::string>& f, std::size_t at) {
    Options o;
    parseConfidenceName(fieldAt(f, at), o.confidenceMethod);
    parseBasisName(fieldAt(f, at + 1), o.differenceBasis);
    parseBonferroniName(fieldAt(f, at + 2), o.sequentialBonferroni);
    parseCriterionName(fieldAt(f, at + 3), o.abnormalityCriterion);
    return o;
}

// One batch in the making: the file's bytes, its reader, and the output and
// messages so far.
struct WebBatch {
    std::istringstream input;
    CsvReader reader{input};
    BatchLayout layout;
    BatchDefaults defaults;
    BatchFormat format = BatchFormat::Csv;
    std::unique_ptr<BatchJob> job;
    std::unique_ptr<RowScorer> scorer;
    std::string output;
    std::ostringstream messages;
    std::unique_ptr<RowWriter> writer;
    std::size_t row = 0;
    std::size_t size = 0;
};

class StringSink : public OutputSink {
public:
    explicit StringSink(std::string& out) : out_(out) {}
    bool write(std::string_view data) override {
        out_.append(data);
        return true;
    }

private:
    std::string& out_;
};

std::unique_ptr<WebBatch> g_batch;
std::unique_ptr<StringSink> g_sink;

} // namespace

extern "C" {

// The decimal separator of reports and messages: '.' or ','.
EMSCRIPTEN_KEEPALIVE void kalden_set_decimal_separator(int separator) {
    setDecimalSeparator(separator == ',' ? ',' : '.');
}

// The lines between two reports.
EMSCRIPTEN_KEEPALIVE const char* kalden_separator() {
    g_answer.clear();
    appendJsonStrings(g_answer, reportSeparator());
    return g_answer.c_str();
}

// One case. The request: the seven score texts as typed, the four options
// by their names (traditional95, observed, no, 5), the notes
// (lines separated by line feeds), the moment of Compute (seconds since
// 1970 UTC) and the local offset in minutes, separated by 0x1F. The answer:
// {"field":k,"message":...} for a rejected field (1 to 7), else the report's
// lines, the warnings, the summary as text and the chart's data.
EMSCRIPTEN_KEEPALIVE const char* kalden_compute(const char* request) {
    const std::vector<std::string> f = requestFields(request);
    TypedCase typed;
    for (std::size_t i = 0; i < 7; ++i) typed.fieldTexts[i] = i < f.size() ? f[i] : std::string();
    typed.options = optionsFrom(f, 7);
    // The notes' lines as the worksheet's notes have them.
    if (f.size() > 11) typed.notes = textAreaLines(f[11]);
    const CaseOutcome outcome = runCase(typed);
    g_answer.clear();
    if (outcome.rejection) {
        g_answer += "{\"field\":" + std::to_string(outcome.rejection->field) + ",\"message\":";
        appendJsonString(g_answer, outcome.rejection->message);
        g_answer += '}';
        return g_answer.c_str();
    }
    const ScoredCase& scored = *outcome.scored;
    CaseRecord record;
    record.fieldTexts = typed.fieldTexts;
    record.input = scored.input;
    record.context.notes = typed.notes;
    record.results = scored.results;
    record.report = scored.report;
    record.computedUtc = f.size() > 12 ? std::strtoll(f[12].c_str(), nullptr, 10) : 0;
    record.utcOffsetMinutes = numberAt(f, 13);
    g_answer += "{\"report\":";
    appendJsonStrings(g_answer, scored.report);
    g_answer += ",\"warnings\":";
    appendJsonStrings(g_answer, scored.warnings());
    g_answer += ",\"summary\":";
    appendJsonString(g_answer, summaryText(summarizeCase(record)));
    g_answer += ",\"chart\":";
    appendChartJson(g_answer, record, "KALDEN " KALDEN_VERSION);
    g_answer += '}';
    return g_answer.c_str();
}

// Begins a batch over `size` bytes of a CSV file at `bytes`: format 0 text,
// 1 csv, 2 JSON; the request holds the options for rows that leave theirs
// empty, as in kalden_compute. Answers {"problem":...} when the
// header cannot be used, else {"rows":0}.
EMSCRIPTEN_KEEPALIVE const char* kalden_batch_begin(const char* bytes, int size, int format, const char* request) {
    g_batch = std::make_unique<WebBatch>();
    WebBatch& b = *g_batch;
    b.input.str(std::string(bytes, static_cast<std::size_t>(size)));
    b.size = static_cast<std::size_t>(size);
    const std::vector<std::string> f = requestFields(request);
    b.defaults.options = optionsFrom(f, 0);
    b.format = format == 0 ? BatchFormat::Text : format == 2 ? BatchFormat::Json : BatchFormat::Csv;
    g_answer.clear();
    CsvRecord header;
    std::string problem;
    if (!b.reader.next(header)) {
        problem = std::string("the file ") + EmptyBatchFile;
    } else if (std::optional<BatchLayout> layout = readBatchLayout(header.cells, problem)) {
        b.layout = *layout;
    }
    if (!problem.empty()) {
        g_answer = "{\"problem\":";
        appendJsonString(g_answer, problem);
        g_answer += '}';
        g_batch.reset();
        return g_answer.c_str();
    }
    // A downloaded text report has CR LF line ends, as Save Output writes it.
    b.job = std::make_unique<BatchJob>(BatchJob{b.layout, b.defaults, b.format, "\r\n", ""});
    b.scorer = std::make_unique<RowScorer>(*b.job);
    g_sink = std::make_unique<StringSink>(b.output);
    b.writer = std::make_unique<RowWriter>(*g_sink, b.messages);
    b.writer->begin(b.scorer->header());
    g_answer = "{\"rows\":0}";
    return g_answer.c_str();
}

// Scores up to `rows` more rows. Answers how far the batch has come:
// {"rows":n,"rejected":r,"done":false,"fraction":0.42}.
EMSCRIPTEN_KEEPALIVE const char* kalden_batch_step(int rows) {
    g_answer.clear();
    if (!g_batch) return "{\"done\":true,\"rows\":0,\"rejected\":0,\"fraction\":1}";
    WebBatch& b = *g_batch;
    CsvRecord record;
    RowOutput out;
    bool more = true;
    for (int i = 0; i < rows && (more = b.reader.next(record)); ++i) {
        b.scorer->score(record, ++b.row, out);
        b.writer->write(out);
    }
    const std::streamoff at = b.input.tellg();
    const double fraction =
        !more || at < 0 || b.size == 0 ? 1.0 : static_cast<double>(at) / static_cast<double>(b.size);
    g_answer = "{\"rows\":" + std::to_string(b.writer->rows()) +
               ",\"rejected\":" + std::to_string(b.writer->rejected()) + ",\"done\":" + (more ? "false" : "true") +
               ",\"fraction\":" + std::to_string(fraction) + "}";
    return g_answer.c_str();
}

// The batch's output so far and its length in bytes (kalden_batch_length).
EMSCRIPTEN_KEEPALIVE const char* kalden_batch_output() { return g_batch ? g_batch->output.data() : ""; }
EMSCRIPTEN_KEEPALIVE int kalden_batch_length() { return g_batch ? static_cast<int>(g_batch->output.size()) : 0; }

// The messages about the batch's rows, one per line, and the closing count.
EMSCRIPTEN_KEEPALIVE const char* kalden_batch_messages() {
    g_answer.clear();
    if (!g_batch) return "";
    g_answer = g_batch->messages.str();
    if (const std::string count = g_batch->writer->rejectedText(); !count.empty()) g_answer += count + '\n';
    return g_answer.c_str();
}

EMSCRIPTEN_KEEPALIVE void kalden_batch_end() {
    g_batch.reset();
    g_sink.reset();
}

// The program's title line, for the page's heading.
EMSCRIPTEN_KEEPALIVE const char* kalden_title() { return ProgramTitle.c_str(); }

} // extern "C"
