#include "batch/BatchRows.h"

#include <ostream>

#include "format/CountText.h"
#include "format/VisibleText.h"
#include "scoring/ScoringEngine.h"

namespace kalden {

RowScorer::RowScorer(const BatchJob& job) : job_(job), formatter_(makeRowFormatter(job.format, job.lineEnd)) {}

RowScorer::~RowScorer() = default;

// A message about a row (its rejection, or a warning raised while it was
// scored) as single-case scoring shows it, a carriage return as a line
// break, but naming the row first; the writer puts it on stderr in row order.
void RowScorer::addMessage(std::size_t row, std::size_t line, const std::string& text, std::string& out) const {
    out += std::string(job_.messagePrefix) + "row " + std::to_string(row) + " (line " + std::to_string(line) + ")";
    if (!case_.id.empty()) out += ", id \"" + visibleText(case_.id) + "\"";
    out += ": " + messageText(text) + '\n';
}

std::string RowScorer::header() const { return formatter_->header(); }

void RowScorer::score(const CsvRecord& record, std::size_t row, RowOutput& out) {
    out.text.clear();
    out.messages.clear();
    out.separator = 0;
    readBatchCase(record, job_.layout, job_.defaults, case_);
    out.rejected = !case_.record;
    if (out.rejected) {
        // Text reports have no place for the reason; csv and JSON carry it.
        if (job_.format == BatchFormat::Text) addMessage(row, record.line, case_.error, out.messages);
        formatter_->formatRow(case_, nullptr, out);
        return;
    }
    const ComputationResults results = computeAll(*case_.record);
    for (const std::string& warning : results.warnings) addMessage(row, record.line, warning, out.messages);
    formatter_->formatRow(case_, &results, out);
}

std::string RowWriter::rejectedText() const {
    if (rejected_ == 0) return {};
    return std::to_string(rejected_) + " of " + countOf(static_cast<std::int64_t>(rows_), "row", "rows") + " rejected";
}

bool RowWriter::begin(const std::string& header) { return header.empty() || sink_.write(header); }

bool RowWriter::write(const RowOutput& row) { return write(row, false); }

bool RowWriter::writeKept(const RowOutput& row) { return write(row, true); }

bool RowWriter::write(const RowOutput& row, bool kept) {
    if (!row.messages.empty()) {
        if (!sink_.flush()) return false;
        err_.write(row.messages.data(), static_cast<std::streamsize>(row.messages.size()));
    }
    ++rows_;
    if (row.rejected) ++rejected_;
    if (row.text.empty()) return true;
    std::string_view text = row.text;
    if (!anyWritten_) text.remove_prefix(row.separator);
    anyWritten_ = true;
    return kept ? sink_.writeKept(text) : sink_.write(text);
}

} // namespace kalden
