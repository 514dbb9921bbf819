#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/BatchInput.h"
#include "scoring/ScoringEngine.h"
#include "scoring/MessageService.h"

namespace kalden::cli {

enum class BatchFormat { Text, Csv, Json };

// Where batch output goes: a stream or a file being replaced.
class OutputSink {
public:
    virtual ~OutputSink() = default;
    // False once the output can no longer be written.
    virtual bool write(std::string_view data) = 0;
};

// One computed value of a row: nothing (a rejected row, or the Bonferroni
// verdict when the correction is off), a number, a count or a truth value.
// The chi-square and its p keep their extended precision.
using ResultValue = std::variant<std::monostate, double, long double, int, bool>;

// Names of the computed values in output order: per Index, per pair, then
// the counts and the profile distance ("vc_score" ... "p_profile").
const std::vector<std::string>& resultNames();
// The values of one computation in the order of resultNames().
void resultValues(const ComputationResults& results, std::vector<ResultValue>& out);

// A number in the shortest form that reads back to the same value, with
// '.' as decimal point whatever the locale.
void appendShortest(std::string& out, double value);
void appendShortest(std::string& out, long double value);

// Writes the rows of a batch, one call per input row in input order; a
// rejected row comes with its error and no results.
class BatchWriter {
public:
    virtual ~BatchWriter() = default;
    // Whatever precedes the first row (the csv header).
    virtual bool begin() = 0;
    virtual bool writeRow(const BatchCase& row, const ComputationResults* results) = 0;
};

// `lineEnd` is used by the text format only: csv rows always end in CR LF,
// JSON lines in LF. `messages` receives what report composition reports.
std::unique_ptr<BatchWriter> makeBatchWriter(BatchFormat format, OutputSink& sink, std::string_view lineEnd,
                                             MessageService& messages);

} // namespace kalden::cli
