#include "batch/BatchInput.h"

#include <algorithm>
#include <istream>

#include "format/CsvText.h"
#include "worksheet/InputValidation.h"
#include "worksheet/OptionNames.h"
#include "worksheet/TextAreaLines.h"

namespace kalden {

namespace {

constexpr std::size_t ReadChunk = 1 << 16;
constexpr int EndOfInput = -1;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string trimmed(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isBlank(text[first])) ++first;
    while (last > first && isBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

std::string lowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool isBlankLine(const CsvRecord& record, bool quoted) {
    if (quoted || record.cells.size() != 1) return false;
    const std::string& cell = record.cells.front();
    return std::all_of(cell.begin(), cell.end(), isBlank);
}

const std::string* cellOf(const CsvRecord& row, const BatchLayout& layout, BatchColumn column) {
    const auto& position = layout.position[static_cast<std::size_t>(column)];
    if (!position || *position >= row.cells.size()) return nullptr;
    return &row.cells[*position];
}

// An option cell's value, or nothing when the row leaves it to the default.
std::optional<std::string> optionCell(const CsvRecord& row, const BatchLayout& layout, BatchColumn column) {
    const std::string* cell = cellOf(row, layout, column);
    if (!cell) return std::nullopt;
    std::string value = lowerCase(trimmed(*cell));
    if (value.empty()) return std::nullopt;
    return value;
}

template <typename T, typename Parser>
bool readOption(const CsvRecord& row, const BatchLayout& layout, BatchColumn column, Parser parse,
                const std::string& allowed, T& out, std::string& error) {
    const std::optional<std::string> value = optionCell(row, layout, column);
    if (!value || parse(*value, out)) return true;
    error = std::string(batchColumnName(column)) + " must be " + allowed + ", not '" +
            trimmed(*cellOf(row, layout, column)) + "'";
    return false;
}

bool readOptions(const CsvRecord& row, const BatchLayout& layout, Options& options, std::string& error) {
    return readOption(row, layout, BatchColumn::Ci, parseConfidenceName, ConfidenceNames, options.confidenceMethod,
                      error) &&
           readOption(row, layout, BatchColumn::Basis, parseBasisName, BasisNames, options.differenceBasis, error) &&
           readOption(row, layout, BatchColumn::Bonferroni, parseBonferroniName, BonferroniNames,
                      options.sequentialBonferroni, error) &&
           readOption(row, layout, BatchColumn::Criterion, parseCriterionName, CriterionNames,
                      options.abnormalityCriterion, error);
}

// Problems of the row's shape, which make its cells untrustworthy.
std::string shapeProblem(const CsvRecord& row, const BatchLayout& layout) {
    if (row.unterminatedQuote) return "a quoted cell is not closed before the end of the input";
    if (row.oversized) return "the row is longer than " + std::to_string(CsvReader::DefaultRecordLimit) + " bytes";
    for (std::size_t i = layout.width; i < row.cells.size(); ++i) {
        if (!row.cells[i].empty())
            return "the row has " + std::to_string(row.cells.size()) + " cells but the header has " +
                   std::to_string(layout.width);
    }
    return "";
}

} // namespace

CsvReader::CsvReader(std::istream& in, std::size_t recordLimit)
    : in_(in), recordLimit_(recordLimit), buffer_(ReadChunk) {}

bool CsvReader::refill() {
    if (readFailed_ || !in_) return false;
    in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    filled_ = static_cast<std::size_t>(in_.gcount());
    position_ = 0;
    if (in_.bad()) readFailed_ = true;
    return filled_ > 0;
}

int CsvReader::peek() {
    if (position_ == filled_ && !refill()) return EndOfInput;
    return static_cast<unsigned char>(buffer_[position_]);
}

int CsvReader::get() {
    const int c = peek();
    if (c != EndOfInput) ++position_;
    return c;
}

void CsvReader::append(std::string& cell, char c, CsvRecord& record) {
    if (recordBytes_ >= recordLimit_) {
        record.oversized = true;
        return;
    }
    cell.push_back(c);
    ++recordBytes_;
}

// One record from the current position: a small state machine over the
// characters, with line ends counted inside quoted cells too.
void CsvReader::readRecord(CsvRecord& record) {
    std::size_t cellCount = 1;
    auto cell = [&]() -> std::string& {
        if (record.cells.size() < cellCount) record.cells.emplace_back();
        return record.cells[cellCount - 1];
    };
    cell().clear();
    recordBytes_ = 0;
    bool quoted = false;    // inside a quoted part of a cell
    bool anyQuoted = false; // some cell of the record was quoted
    bool atCellStart = true;
    for (;;) {
        const int c = get();
        if (c == EndOfInput) {
            record.unterminatedQuote = quoted;
            break;
        }
        const char ch = static_cast<char>(c);
        if (quoted) {
            if (ch == '"') {
                if (peek() == '"') {
                    get();
                    append(cell(), '"', record);
                } else {
                    quoted = false;
                }
                continue;
            }
            if (ch == '\n' || (ch == '\r' && peek() != '\n')) ++line_;
            append(cell(), ch, record);
            continue;
        }
        if (ch == '"' && atCellStart) {
            quoted = anyQuoted = true;
            atCellStart = false;
            continue;
        }
        if (ch == ',') {
            // Cells count against the limit too: a million commas are no lighter.
            if (recordBytes_ >= recordLimit_) {
                record.oversized = true;
                continue;
            }
            ++recordBytes_;
            ++cellCount;
            cell().clear();
            atCellStart = true;
            continue;
        }
        if (ch == '\r' || ch == '\n') {
            if (ch == '\r' && peek() == '\n') get();
            ++line_;
            break;
        }
        atCellStart = false;
        append(cell(), ch, record);
    }
    record.cells.resize(cellCount);
    if (isBlankLine(record, anyQuoted)) record.cells.clear();
}

bool CsvReader::next(CsvRecord& record) {
    if (atStart_) {
        atStart_ = false;
        // A UTF-8 byte-order mark is skipped; the three bytes sit in one chunk.
        if (peek() == 0xEF && filled_ - position_ >= 3 && static_cast<unsigned char>(buffer_[position_ + 1]) == 0xBB &&
            static_cast<unsigned char>(buffer_[position_ + 2]) == 0xBF)
            position_ += 3;
    }
    for (;;) {
        if (peek() == EndOfInput) return false;
        record.line = line_;
        record.unterminatedQuote = false;
        record.oversized = false;
        readRecord(record);
        if (!record.cells.empty()) return true;
    }
}

const char* batchColumnName(BatchColumn column) {
    static const char* const names[BatchColumnCount] = {
        "id",         "vocabulary",       "digit_symbol", "similarities", "block_design", "arithmetic",
        "digit_span", "matrix_reasoning", "ci",           "basis",        "bonferroni",   "criterion",
        "notes",
    };
    return names[static_cast<std::size_t>(column)];
}

std::optional<BatchLayout> readBatchLayout(const std::vector<std::string>& header, std::string& problem) {
    BatchLayout layout;
    layout.width = header.size();
    for (std::size_t i = 0; i < header.size(); ++i) {
        const std::string name = lowerCase(trimmed(header[i]));
        for (std::size_t c = 0; c < BatchColumnCount; ++c) {
            if (name != batchColumnName(static_cast<BatchColumn>(c))) continue;
            if (layout.position[c]) {
                problem = "the header names column " + name + " twice";
                return std::nullopt;
            }
            layout.position[c] = i;
        }
    }
    std::string missing;
    for (int k = 1; k <= 7; ++k) {
        if (layout.position[static_cast<std::size_t>(k)]) continue;
        if (!missing.empty()) missing += ", ";
        missing += batchColumnName(static_cast<BatchColumn>(k));
    }
    if (!missing.empty()) {
        problem = "the header lacks the score column(s) " + missing;
        return std::nullopt;
    }
    return layout;
}

namespace {

void checkBatchCase(const CsvRecord& row, const BatchLayout& layout, const BatchDefaults& defaults, BatchCase& out) {
    const std::string* id = cellOf(row, layout, BatchColumn::Id);
    out.id = id ? *id : std::string();
    out.record.reset();
    out.error.clear();

    out.error = shapeProblem(row, layout);
    if (!out.error.empty()) return;

    FieldTexts texts;
    for (int k = 1; k <= 7; ++k) {
        const std::string* cell = cellOf(row, layout, static_cast<BatchColumn>(k));
        if (cell) texts[static_cast<std::size_t>(k - 1)] = *cell;
    }
    Options options = defaults.options;
    InputCheck check = readInputRecord(texts, options, 7);
    if (!check.record) {
        out.error = check.rejection.message;
        return;
    }
    if (!readOptions(row, layout, options, out.error)) return;
    check.record->setOptions(options);
    out.record = check.record;

    const std::string* notes = cellOf(row, layout, BatchColumn::Notes);
    // A note that the export guarded against spreadsheets comes back as typed.
    out.notes = notes && !notes->empty() ? textAreaLines(withoutFormulaGuard(*notes)) : defaults.notes;
}

} // namespace

void readBatchCase(const CsvRecord& row, const BatchLayout& layout, const BatchDefaults& defaults, BatchCase& out) {
    checkBatchCase(row, layout, defaults, out);
    // A message is one line wherever it is shown: the worksheet's carriage
    // returns, and any line break of a quoted cell it repeats, become blanks.
    std::replace(out.error.begin(), out.error.end(), '\r', ' ');
    std::replace(out.error.begin(), out.error.end(), '\n', ' ');
}

} // namespace kalden
