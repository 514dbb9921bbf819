// The matrix file reader on arbitrary text: it either returns a whole
// matrix of the asked order that obeys every rule of the window (row i holds
// i values, a diagonal of 1, off-diagonal values strictly between -1 and 1)
// or a message, never a part of a matrix; a matrix it returns, written out
// again with twelve decimals, reads back to within the last of them.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "FuzzCheck.h"
#include "files/MatrixFile.h"

using kalden::fuzz::quoted;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte chooses the window's order, 1 to 50.
    const int order = 1 + data[0] % 50;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const kalden::MatrixFileReading reading = kalden::readMatrixText(text, order);
    if (!reading.ok()) {
        FUZZ_CHECK(!reading.error.empty(), quoted(text));
        return 0;
    }
    FUZZ_CHECK(reading.error.empty(), reading.error);
    const kalden::MatrixFileContents& m = *reading.matrix;
    FUZZ_CHECK(static_cast<int>(m.rows.size()) == order && order <= kalden::MatrixFileMaxRows, quoted(text));
    std::string again = m.title.empty() ? "" : m.title + "\n";
    for (std::size_t i = 0; i < m.rows.size(); ++i) {
        FUZZ_CHECK(m.rows[i].size() == i + 1, quoted(text));
        for (std::size_t j = 0; j < m.rows[i].size(); ++j) {
            const double v = m.rows[i][j];
            if (j == i)
                FUZZ_CHECK(v == 1.0, quoted(text));
            else
                FUZZ_CHECK(std::isfinite(v) && v > -1.0 && v < 1.0, quoted(text));
            char number[40];
            std::snprintf(number, sizeof number, "%.12f", v);
            again += (j == 0 ? "" : " ") + std::string(number);
        }
        again += "\n";
    }
    // A value within half a unit of the twelfth decimal of -1 or 1 would be
    // written as -1 or 1, which the file may not hold off the diagonal.
    for (const auto& row : m.rows)
        for (std::size_t j = 0; j + 1 < row.size(); ++j)
            if (std::fabs(row[j]) >= 1.0 - 5e-13) return 0;
    const kalden::MatrixFileReading back = kalden::readMatrixText(again, order);
    FUZZ_CHECK(back.ok(), quoted(again) + ": " + back.error);
    FUZZ_CHECK(back.matrix->title == m.title, quoted(again));
    for (std::size_t i = 0; i < m.rows.size(); ++i)
        for (std::size_t j = 0; j <= i; ++j)
            FUZZ_CHECK(std::fabs(back.matrix->rows[i][j] - m.rows[i][j]) <= 1e-12, quoted(again));
    return 0;
}
