// The page's way into the scoring and report library: a few C functions that
// take plain texts and answer in JSON, so that the page needs no binding
// library. Every answer stays valid until the next call.

#include <emscripten/emscripten.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "batch/BatchRows.h"
#include "format/JsonText.h"
#include "format/NumberFormat.h"
#include "report/CaseFile.h"
#include "report/CaseSummary.h"
#include "report/ChangeReport.h"
#include "report/ChartData.h"
#include "report/ScoreCase.h"
#include "worksheet/OptionNames.h"
#include "worksheet/ProgramConfig.h"
#include "worksheet/TextAreaLines.h"

using namespace kalden;

namespace {

std::string g_answer;

// The request's fields, each as its length in bytes, a colon and the
// bytes: any byte may stand in a field, a NUL or a unit separator included,
// and none can change another field. A request that does not parse ends at
// the last whole field.
std::vector<std::string> requestFields(const char* request, int size) {
    std::vector<std::string> fields;
    const std::string_view text(request, size > 0 ? static_cast<std::size_t>(size) : 0);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t colon = text.find(':', at);
        std::size_t length = 0;
        const auto [stop, error] = std::from_chars(text.data() + at, text.data() + text.size(), length);
        if (colon == std::string_view::npos || error != std::errc() || stop != text.data() + colon ||
            length > text.size() - colon - 1)
            break;
        fields.emplace_back(text.substr(colon + 1, length));
        at = colon + 1 + length;
    }
    return fields;
}

// A whole number the page made (a moment, an offset); 0 when there is none.
std::int64_t integerAt(const std::vector<std::string>& fields, std::size_t i) {
    std::int64_t value = 0;
    if (i < fields.size()) std::from_chars(fields[i].data(), fields[i].data() + fields[i].size(), value);
    return value;
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

// The batch file's bytes, read where they lie (no copy), with the
// position that tells the progress.
class BytesBuffer : public std::streambuf {
public:
    BytesBuffer(char* bytes, std::size_t size) { setg(bytes, bytes, bytes + size); }

protected:
    pos_type seekoff(off_type offset, std::ios_base::seekdir dir, std::ios_base::openmode) override {
        if (offset != 0 || dir != std::ios_base::cur) return pos_type(off_type(-1));
        return pos_type(gptr() - eback());
    }
};

// One batch in the making: the file's bytes (the module's to free), its
// reader, and the output and messages of the last step, which the page
// takes before the next.
struct WebBatch {
    WebBatch(char* data, std::size_t n) : bytes(data, &std::free), buffer(data, n), input(&buffer), size(n) {}
    std::unique_ptr<char, void (*)(void*)> bytes;
    BytesBuffer buffer;
    std::istream input;
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
    bool done = false;
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

// The cases on the page since its last Clear Results, computed or opened
// from a case file, in the order shown: case 1 is the first.
std::vector<FiledCase> g_cases;

// What the page shows of one case: its report, summary and chart, and how
// a list names it ("2: Carl Dunn, tested 2026-03-30").
void appendCaseJson(std::string& out, const CaseRecord& c, std::size_t number) {
    out += "{\"report\":";
    appendJsonStrings(out, c.report);
    out += ",\"summary\":";
    appendJsonString(out, summaryText(summarizeCase(c)));
    out += ",\"chart\":";
    appendChartJson(out, c, "KALDEN " KALDEN_VERSION);
    std::string name = std::to_string(number) + ": " + (c.session.person.empty() ? "no person" : c.session.person);
    if (!c.session.testingDate.empty()) name += ", tested " + c.session.testingDate;
    out += ",\"name\":";
    appendJsonString(out, name + ", computed " + computedAtText(c));
    out += '}';
}

std::string problemJson(const std::string& key, const std::string& problem) {
    std::string out = "{\"" + key + "\":";
    appendJsonString(out, problem);
    return out + '}';
}

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
// 1970 UTC) and the local offset in minutes, then the person, date of birth,
// date of testing, examiner and reason for referral, each as its length, a
// colon and its bytes (requestFields). The answer:
// {"field":k,"message":...} for a rejected field (1 to 7),
// {"session":...} for a session the Person and Session dialog would refuse,
// else the case as appendCaseJson gives it with the warnings; the case is
// kept on the page.
EMSCRIPTEN_KEEPALIVE const char* kalden_compute(const char* request, int size) {
    const std::vector<std::string> f = requestFields(request, size);
    TypedCase typed;
    for (std::size_t i = 0; i < 7; ++i) typed.fieldTexts[i] = i < f.size() ? f[i] : std::string();
    typed.options = optionsFrom(f, 7);
    // The notes' lines as the worksheet's notes have them.
    if (f.size() > 11) typed.notes = textAreaLines(f[11]);
    Session session{fieldAt(f, 14), fieldAt(f, 15), fieldAt(f, 16), fieldAt(f, 17), fieldAt(f, 18)};
    g_answer.clear();
    if (const std::string problem = sessionProblem(session); !problem.empty() && !(session == Session{})) {
        g_answer = problemJson("session", problem);
        return g_answer.c_str();
    }
    const CaseOutcome outcome = runCase(typed);
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
    record.session = std::move(session);
    record.results = scored.results;
    record.report = scored.report;
    record.computedUtc = integerAt(f, 12);
    record.utcOffsetMinutes = static_cast<int>(integerAt(f, 13));
    g_cases.push_back({KALDEN_VERSION, record});
    appendCaseJson(g_answer, record, g_cases.size());
    g_answer.pop_back();
    g_answer += ",\"warnings\":";
    appendJsonStrings(g_answer, scored.warnings());
    g_answer += '}';
    return g_answer.c_str();
}

// Clear Results: no case is kept.
EMSCRIPTEN_KEEPALIVE void kalden_clear_cases() { g_cases.clear(); }

// The page's cases as a case file.
EMSCRIPTEN_KEEPALIVE const char* kalden_case_file() {
    g_answer = caseFileText(g_cases, KALDEN_VERSION);
    return g_answer.c_str();
}

// A case file's `size` bytes at `bytes` (the page's to free): each case
// checked and kept after the page's own, or none with {"problem":...}.
// The answer: {"cases":[...]}, each as appendCaseJson gives it.
EMSCRIPTEN_KEEPALIVE const char* kalden_open_case_file(const char* bytes, int size) {
    CaseFileReading reading = readCaseFile(std::string_view(bytes, size > 0 ? static_cast<std::size_t>(size) : 0));
    if (!reading.problem.empty()) {
        g_answer = problemJson("problem", reading.problem);
        return g_answer.c_str();
    }
    g_answer = "{\"cases\":[";
    for (FiledCase& c : reading.cases) {
        g_cases.push_back(std::move(c));
        if (g_answer.back() != '[') g_answer += ',';
        appendCaseJson(g_answer, g_cases.back().record, g_cases.size());
    }
    g_answer += "]}";
    return g_answer.c_str();
}

// The change between two of the page's cases. The request: their numbers,
// the level (95 or 90), the five practice gains VC to FSIQ as typed and
// their source. The answer: {"problem":...}, or the change section's lines
// and the paragraph for a letter, as kalden-report --cases compare gives
// them for the same two cases numbered so, and the chart of both.
EMSCRIPTEN_KEEPALIVE const char* kalden_compare(const char* request, int size) {
    const std::vector<std::string> f = requestFields(request, size);
    const std::int64_t first = integerAt(f, 0);
    const std::int64_t second = integerAt(f, 1);
    const auto caseNumbered = [](std::int64_t n) {
        const bool there = n >= 1 && static_cast<std::size_t>(n) <= g_cases.size();
        return there ? ComparedCase{n, g_cases[static_cast<std::size_t>(n - 1)].record} : ComparedCase{n, {}};
    };
    ChangeSettings settings;
    settings.level = fieldAt(f, 2) == "90" ? ChangeLevel::Percent90 : ChangeLevel::Percent95;
    for (std::size_t i = 0; i < IndexCount; ++i) {
        const std::optional<double> gain = practiceGainOf(fieldAt(f, 3 + i));
        if (!gain) {
            g_answer = problemJson("problem",
                                   "A practice gain is a number of Index points from -30 to 30, or blank, "
                                   "not '" +
                                       fieldAt(f, 3 + i) + "'.");
            return g_answer.c_str();
        }
        settings.practice.points[i] = *gain;
    }
    settings.practice.source = fieldAt(f, 3 + IndexCount);
    const ComparedCase a = caseNumbered(first);
    const ComparedCase b = caseNumbered(second);
    if (first < 1 || second < 1 || static_cast<std::size_t>(std::max(first, second)) > g_cases.size()) {
        g_answer = problemJson("problem", "Choose two cases on the page.");
        return g_answer.c_str();
    }
    if (const std::string refusal = comparisonRefusal(a, b); !refusal.empty()) {
        g_answer = problemJson("problem", refusal);
        return g_answer.c_str();
    }
    const CaseComparison comparison = compareCases(a, b, settings);
    g_answer = "{\"section\":";
    appendJsonStrings(g_answer, changeSection(comparison));
    g_answer += ",\"summary\":";
    appendJsonString(g_answer, changeSummaryText(comparison));
    g_answer += ",\"warnings\":";
    appendJsonStrings(g_answer, comparison.change.warnings);
    g_answer += ",\"chart\":";
    appendComparisonChartJson(g_answer, comparison, "KALDEN " KALDEN_VERSION);
    g_answer += '}';
    return g_answer.c_str();
}

// Begins a batch over `size` bytes of a CSV file at `bytes`, which the
// module frees when the batch ends (kalden_batch_end): format 0 text, 1 csv,
// 2 JSON; the request holds the options for rows that leave theirs empty,
// as in kalden_compute. Answers {"problem":...} when the header cannot be
// used, else {"rows":0}; the header's output is then ready to be taken.
EMSCRIPTEN_KEEPALIVE const char* kalden_batch_begin(char* bytes, int size, int format, const char* request,
                                                    int requestSize) {
    g_batch = std::make_unique<WebBatch>(bytes, static_cast<std::size_t>(size));
    WebBatch& b = *g_batch;
    const std::vector<std::string> f = requestFields(request, requestSize);
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

// Scores up to `rows` more rows, dropping the output and messages of the
// step before (the page has taken them). Answers how far the batch has
// come: {"rows":n,"rejected":r,"done":false,"fraction":0.42}.
EMSCRIPTEN_KEEPALIVE const char* kalden_batch_step(int rows) {
    g_answer.clear();
    if (!g_batch) return "{\"done\":true,\"rows\":0,\"rejected\":0,\"fraction\":1}";
    WebBatch& b = *g_batch;
    b.output.clear();
    b.messages.str({});
    CsvRecord record;
    RowOutput out;
    bool more = true;
    for (int i = 0; i < rows && (more = b.reader.next(record)); ++i) {
        b.scorer->score(record, ++b.row, out);
        b.writer->write(out);
    }
    b.done = !more;
    const std::streamoff at = b.input.tellg();
    const double fraction =
        !more || at < 0 || b.size == 0 ? 1.0 : static_cast<double>(at) / static_cast<double>(b.size);
    g_answer = "{\"rows\":" + std::to_string(b.writer->rows()) +
               ",\"rejected\":" + std::to_string(b.writer->rejected()) + ",\"done\":" + (more ? "false" : "true") +
               ",\"fraction\":" + std::to_string(fraction) + "}";
    return g_answer.c_str();
}

// The output of the last step (or of the header) and its length in bytes
// (kalden_batch_length).
EMSCRIPTEN_KEEPALIVE const char* kalden_batch_output() { return g_batch ? g_batch->output.data() : ""; }
EMSCRIPTEN_KEEPALIVE int kalden_batch_length() { return g_batch ? static_cast<int>(g_batch->output.size()) : 0; }

// The messages about the last step's rows, one per line, and once the batch
// is done the closing count.
EMSCRIPTEN_KEEPALIVE const char* kalden_batch_messages() {
    g_answer.clear();
    if (!g_batch) return "";
    g_answer = g_batch->messages.str();
    if (g_batch->done)
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
