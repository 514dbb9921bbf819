#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalden {

// Correlation-matrix files, as the worksheet's matrix help describes them:
// plain text with an optional first line beginning "Title:", then the lower
// triangle row by row (row i holds i values, the last of them the diagonal
// 1), values separated by blanks or tabs, the zero before the decimal point
// optional. Lines end in CR LF, LF or a lone CR; blank lines after the last
// row are ignored. Files carry the extension ".mtx" or ".txt".

inline constexpr const char* MatrixFileFilter = "*.mtx;*.txt";
inline constexpr const char* MatrixTitlePrefix = "Title:";
// A file holds at most this many rows, whatever the window's order.
inline constexpr int MatrixFileMaxRows = 20;
// Nothing larger is read: a 20-row matrix needs a few kilobytes.
inline constexpr std::size_t MatrixFileMaxBytes = 1u << 20;

struct MatrixFileContents {
    // The title line as written (without its line end), empty when the file
    // has none.
    std::string title;
    // rows[i - 1] holds the i values of row i; the last is the diagonal 1.
    std::vector<std::vector<double>> rows;
};

// Either the whole matrix or a message naming what is wrong (and, for a
// fault inside the file, its line number); never a part of a matrix.
struct MatrixFileReading {
    std::optional<MatrixFileContents> matrix;
    std::string error;
    bool ok() const { return matrix.has_value(); }
};

// Reads a matrix of exactly `order` rows (the window's order, 1 to 50) from
// the text of a file. Off the diagonal a value must lie strictly between -1
// and 1, the rule the window applies to its cells; the diagonal must be 1.
// More rows than `order` or than 20, fewer rows than `order`, a row with the
// wrong count of values and a value that is no number are errors.
MatrixFileReading readMatrixText(std::string_view text, int order);

// The same from the file at `path` (UTF-8). Every error names the file:
// "Could not read the matrix file <path>: " and then the system's description
// of the failure or the fault readMatrixText found.
MatrixFileReading readMatrixFile(const std::string& path, int order);

} // namespace kalden
