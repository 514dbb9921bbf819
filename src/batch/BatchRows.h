#pragma once

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "batch/BatchInput.h"
#include "batch/BatchOutput.h"

namespace kalden {

// What every thread needs to know to score the rows of one batch.
struct BatchJob {
    const BatchLayout& layout;
    const BatchDefaults& defaults;
    BatchFormat format;
    std::string_view lineEnd;
    // Begins every message about a row ("kalden-report: "), or nothing.
    std::string_view messagePrefix;
};

// Scores rows one at a time into their output; each thread has its own.
class RowScorer {
public:
    explicit RowScorer(const BatchJob& job);
    ~RowScorer();
    RowScorer(const RowScorer&) = delete;
    RowScorer& operator=(const RowScorer&) = delete;

    // `row` is the record's place among the data rows, from 1.
    void score(const CsvRecord& record, std::size_t row, RowOutput& out);
    std::string header() const;

private:
    void addMessage(std::size_t row, std::size_t line, const std::string& text, std::string& out) const;

    const BatchJob& job_;
    std::unique_ptr<RowFormatter> formatter_;
    BatchCase case_;
};

// Writes the rows' output in input order: their text to the sink, their
// messages to `err`, and counts them.
class RowWriter {
public:
    RowWriter(OutputSink& sink, std::ostream& err) : sink_(sink), err_(err) {}
    bool begin(const std::string& header);
    // False once the output can no longer be written.
    bool write(const RowOutput& row);
    // As write(), where `row` stays as it is until the next flush().
    bool writeKept(const RowOutput& row);
    // Passes on what the output holds back; false as write().
    bool flush() { return sink_.flush(); }
    std::size_t rows() const { return rows_; }
    std::size_t rejected() const { return rejected_; }
    // The closing count, "3 of 2000 rows rejected"; empty when none was.
    std::string rejectedText() const;

private:
    bool write(const RowOutput& row, bool kept);

    OutputSink& sink_;
    std::ostream& err_;
    bool anyWritten_ = false;
    std::size_t rows_ = 0;
    std::size_t rejected_ = 0;
};

// What follows the batch file's name when it holds not even a header row.
inline constexpr const char* EmptyBatchFile = "is empty: it needs a header row naming the columns";

} // namespace kalden
