#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "batch/BatchInput.h"
#include "scoring/ScoringEngine.h"

namespace kalden {

enum class BatchFormat { Text, Csv, Json };

// Where batch output goes: a stream or a file being replaced.
class OutputSink {
public:
    virtual ~OutputSink() = default;
    // False once the output can no longer be written.
    virtual bool write(std::string_view data) = 0;
    // As write(), where the caller leaves `data` as it is until the next
    // flush(): a sink may then hand it on later without copying it.
    virtual bool writeKept(std::string_view data) { return write(data); }
    // Passes on whatever write() held back, so that a message on standard
    // error comes after the rows before it; false as write().
    virtual bool flush() { return true; }
};

// One computed value of a row: nothing (a rejected row, or the Bonferroni
// verdict when the correction is off), a number, a count or a truth value.
// The chi-square and its p keep their extended precision.
using ResultValue = std::variant<std::monostate, double, Extended, int, bool>;

// Names of the computed values in output order: per Index, per pair, then
// the counts and the profile distance ("vc_score" ... "p_profile").
const std::vector<std::string>& resultNames();
// The values of one computation in the order of resultNames().
void resultValues(const ComputationResults& results, std::vector<ResultValue>& out);

// What one row adds to the output and to standard error, made ready apart
// from every other row so that rows can be scored on several threads and
// still be written in input order.
struct RowOutput {
    std::string text;          // the row's share of the output
    std::size_t separator = 0; // leading bytes of `text` written only after an earlier row wrote something
    std::string messages;      // the row's lines on standard error
    bool rejected = false;
};

// Turns scored rows into their output, one call per row; a rejected row
// comes with its error and no results.
class RowFormatter {
public:
    virtual ~RowFormatter() = default;
    // Whatever precedes the first row (the csv header).
    virtual std::string header() const = 0;
    // Appends the row's output to `out.text` (which comes in empty).
    virtual void formatRow(const BatchCase& row, const ComputationResults* results, RowOutput& out) = 0;
};

// `lineEnd` is used by the text format only: csv rows always end in CR LF,
// JSON lines in LF. The formatter keeps no state between rows that the
// output depends on, so one per thread gives the same bytes as one for all.
std::unique_ptr<RowFormatter> makeRowFormatter(BatchFormat format, std::string_view lineEnd);

} // namespace kalden
