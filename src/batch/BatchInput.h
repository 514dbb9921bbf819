#pragma once

#include <array>
#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "scoring/InputRecord.h"

namespace kalden {

// One record of a CSV file: its cells, unquoted, and where it began.
struct CsvRecord {
    std::vector<std::string> cells;
    std::size_t line = 0;           // line of the file on which it begins, from 1
    bool unterminatedQuote = false; // the input ended inside a quoted cell
    bool oversized = false;         // longer than the reader keeps; cells are cut short
};

// Reads CSV records one at a time in constant memory: quoted cells with
// doubled quotes, commas and line breaks inside them, CR LF, LF or CR line
// ends, a UTF-8 byte-order mark at the very start, and lines holding
// nothing but blanks skipped. A quote that does not open a cell is an
// ordinary character; text after a closing quote is kept as it stands.
class CsvReader {
public:
    // A record longer than this is kept only up to it and flagged oversized,
    // so that one runaway quote cannot swallow the memory.
    static constexpr std::size_t DefaultRecordLimit = 1 << 20;

    explicit CsvReader(std::istream& in, std::size_t recordLimit = DefaultRecordLimit);

    // The next record into `record` (its buffers are reused); false at the end.
    bool next(CsvRecord& record);
    // The stream failed for a reason other than its end.
    bool readFailed() const { return readFailed_; }

private:
    int peek();
    int get();
    bool refill();
    void append(std::string& cell, char c, CsvRecord& record);
    void readRecord(CsvRecord& record);

    std::istream& in_;
    std::size_t recordLimit_;
    std::size_t recordBytes_ = 0;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
    std::size_t line_ = 1;
    bool atStart_ = true;
    bool readFailed_ = false;
};

// The columns a batch file may have, found by name in its header row.
enum class BatchColumn {
    Id,
    Vocabulary,
    DigitSymbol,
    Similarities,
    BlockDesign,
    Arithmetic,
    DigitSpan,
    MatrixReasoning,
    Ci,
    Basis,
    Bonferroni,
    Criterion,
    Notes,
};
inline constexpr std::size_t BatchColumnCount = 13;

// Header name of a column: "id", "vocabulary", ..., "notes".
const char* batchColumnName(BatchColumn column);

// Where each known column sits in the rows; other columns are ignored.
struct BatchLayout {
    std::array<std::optional<std::size_t>, BatchColumnCount> position{};
    std::size_t width = 0; // cells in the header row
};

// Reads the header row: names compared without regard to case or
// surrounding blanks. Nothing when a score column is missing or a known
// column appears twice, with the reason in `problem`.
std::optional<BatchLayout> readBatchLayout(const std::vector<std::string>& header, std::string& problem);

// What the command line gives every row that does not say otherwise.
struct BatchDefaults {
    Options options;
    std::vector<std::string> notes;
};

// One row made ready for scoring, or the reason it cannot be scored.
struct BatchCase {
    std::string id;
    std::optional<InputRecord> record; // empty when the row was rejected
    std::vector<std::string> notes;
    std::string error; // the rejection message, carriage returns shown as blanks
};

// Validates a row as the worksheet validates its fields: the seven score
// cells in field order, stopping at the first bad one with its message; then
// the option cells, each falling back to the default when absent or blank.
void readBatchCase(const CsvRecord& row, const BatchLayout& layout, const BatchDefaults& defaults, BatchCase& out);

} // namespace kalden
