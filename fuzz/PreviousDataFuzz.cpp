// Fuzz target: the reader of the previous-data file on arbitrary content.
// Input layout: the first byte picks the worksheet configuration (how many
// values are stored, 0 to 8, and whether the grid and the matrix are on);
// the rest is the file's content.
//
// Besides not failing on any content, the reading must stay inside the
// content, fill nothing it has not read, and give back in "%1.6g" form what a
// well-formed file of field texts holds: a file written from texts that
// passed validation must read back without an error.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "files/PreviousDataFile.h"
#include "worksheet/InputValidation.h"

using kalden::fuzz::quoted;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kalden;
    if (size < 1) return 0;
    TemplateConfig config;
    config.StoredValueCount = data[0] % 9;
    config.UseDataGrid = (data[0] & 0x10) != 0;
    config.UseCorrelationMatrix = (data[0] & 0x20) != 0;
    const std::string content(reinterpret_cast<const char*>(data) + 1, size - 1);

    const PreviousDataReading r = readPreviousDataContent(content, config);
    FUZZ_CHECK(r.offset <= content.size(), quoted(content));
    FUZZ_CHECK(r.fieldsRead >= 0 && r.fieldsRead <= 8, quoted(content));
    for (int k = r.fieldsRead; k < 8; ++k) FUZZ_CHECK(r.fieldTexts[k].empty(), "field " + std::to_string(k + 1));
    for (int k = 0; k < r.fieldsRead; ++k) {
        double v = 0.0;
        FUZZ_CHECK(convertDecimal(r.fieldTexts[k], v) && std::isfinite(v),
                   "restored field " + std::to_string(k + 1) + " " + quoted(r.fieldTexts[k]));
    }
    if (r.ok()) {
        const int expected = config.StoredValueCount == 8 ? 8 : std::min(config.StoredValueCount, 7);
        FUZZ_CHECK(r.fieldsRead == expected, quoted(content));
        FUZZ_CHECK(r.gridRestored == config.UseDataGrid, quoted(content));
        FUZZ_CHECK(r.matrixRestored == config.UseCorrelationMatrix, quoted(content));
    } else {
        FUZZ_CHECK(!r.matrixRestored, quoted(content));
    }
    if (r.gridRestored) {
        FUZZ_CHECK(r.gridRows >= 0 && r.gridRows <= MaxGridRows && r.gridColumns >= 0 &&
                       r.gridColumns <= MaxGridColumns,
                   quoted(content));
        FUZZ_CHECK(r.gridCells.size() == static_cast<std::size_t>(r.gridRows), quoted(content));
        for (const auto& row : r.gridCells)
            FUZZ_CHECK(row.size() == static_cast<std::size_t>(r.gridColumns), quoted(content));
    }
    if (r.matrixRestored) {
        FUZZ_CHECK(r.matrixOrder >= 0 && r.matrixOrder <= MAX_ORDER, quoted(content));
        for (int i = 1; i <= r.matrixOrder; ++i)
            FUZZ_CHECK(r.storedMatrix[static_cast<std::size_t>((i - 1) * MAX_ORDER + (i - 1))] == 1.0,
                       "diagonal " + std::to_string(i));
    }

    // Round trip: the content split at NUL bytes as seven field texts; when
    // all of them pass validation, the file written from them reads back
    // with each value as the scan gave it, to six significant digits.
    FieldTexts fields;
    std::size_t from = 0;
    for (int k = 0; k < 7 && from <= content.size(); ++k) {
        const std::size_t nul = content.find('\0', from);
        const std::size_t to = nul == std::string::npos ? content.size() : nul;
        fields[static_cast<std::size_t>(k)] = content.substr(from, to - from);
        from = to + 1;
    }
    if (!readInputRecord(fields, {}, 7).record) return 0;
    PreviousData saved;
    for (int k = 0; k < 7; ++k) saved.fieldTexts[static_cast<std::size_t>(k)] = fields[static_cast<std::size_t>(k)];
    const TemplateConfig shipped;
    const std::string file = composePreviousDataContent(saved, shipped);
    const PreviousDataReading back = readPreviousDataContent(file, shipped);
    FUZZ_CHECK(back.ok() && back.fieldsRead == 7, quoted(file) + ": " + back.error);
    for (int k = 0; k < 7; ++k) {
        double restored = 0.0;
        convertDecimal(back.fieldTexts[static_cast<std::size_t>(k)], restored);
        const double typed = scanNumber(fields[static_cast<std::size_t>(k)]).value;
        FUZZ_CHECK(std::fabs(restored - typed) <= 5e-6 * std::fabs(typed),
                   quoted(fields[static_cast<std::size_t>(k)]) + " came back as " +
                       back.fieldTexts[static_cast<std::size_t>(k)]);
    }
    return 0;
}
