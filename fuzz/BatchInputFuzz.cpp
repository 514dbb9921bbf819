// The batch command's CSV reader and row checks on arbitrary bytes. Every
// record the reader returns, written out again with every cell quoted,
// reads back as the same cells; every data row is either made ready for
// scoring or rejected with a message, and a row made ready scores without
// trouble.
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "batch/BatchInput.h"
#include "report/ReportComposer.h"
#include "report/ScoreCase.h"

using kalden::fuzz::quoted;
using namespace kalden;

namespace {

std::string quotedCsv(const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) line += ',';
        line += '"';
        for (char c : cells[i]) {
            if (c == '"') line += '"';
            line += c;
        }
        line += '"';
    }
    return line + "\r\n";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    // A small record limit, so that runaway quotes are met within small inputs.
    CsvReader reader(in, 512);
    std::vector<CsvRecord> records;
    CsvRecord record;
    std::size_t lastLine = 0;
    while (reader.next(record)) {
        FUZZ_CHECK(record.line >= 1 && record.line >= lastLine, quoted(text));
        lastLine = record.line;
        records.push_back(record);
        if (records.size() > 64) break;
    }

    // Round trip of the records read whole.
    std::string again;
    std::vector<std::vector<std::string>> whole;
    for (const CsvRecord& r : records) {
        if (r.oversized || r.unterminatedQuote) continue;
        whole.push_back(r.cells);
        again += quotedCsv(r.cells);
    }
    std::istringstream backIn(again);
    CsvReader backReader(backIn, 1 << 20);
    std::vector<std::vector<std::string>> back;
    while (backReader.next(record)) back.push_back(record.cells);
    FUZZ_CHECK(back == whole, quoted(text) + " written again as " + quoted(again));

    if (records.empty()) return 0;
    std::string problem;
    const auto layout = readBatchLayout(records.front().cells, problem);
    if (!layout) {
        FUZZ_CHECK(!problem.empty(), quoted(text));
        return 0;
    }
    BatchDefaults defaults;
    BatchCase row;
    for (std::size_t i = 1; i < records.size() && i <= 4; ++i) {
        readBatchCase(records[i], *layout, defaults, row);
        FUZZ_CHECK(row.record.has_value() != !row.error.empty(), quoted(text) + ": " + row.error);
        FUZZ_CHECK(row.error.find_first_of("\r\n") == std::string::npos, row.error);
        if (row.record) {
            kalden::ReportContext context;
            context.notes = row.notes;
            const kalden::ReportLines report = kalden::scoreCase(*row.record, context).report;
            FUZZ_CHECK(!report.empty() && report.back().rfind(" Chi-square = ", 0) == 0, quoted(text));
        }
    }
    return 0;
}
