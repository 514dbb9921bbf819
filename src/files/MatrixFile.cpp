#include "files/MatrixFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "files/FileErrors.h"
#include "files/TextLines.h"
#include "files/Utf8Path.h"
#include "matrix/WorkMatrix.h"

namespace kalden {

namespace {

bool isSeparator(char c) { return c == ' ' || c == '\t'; }

bool isBlankLine(std::string_view line) { return std::all_of(line.begin(), line.end(), isSeparator); }

std::vector<std::string_view> splitValues(std::string_view line) {
    std::vector<std::string_view> values;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isSeparator(line[i])) ++i;
        const std::size_t start = i;
        while (i < line.size() && !isSeparator(line[i])) ++i;
        if (i > start) values.push_back(line.substr(start, i - start));
    }
    return values;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// An optional sign, then digits with an optional point and fraction, or a
// point and fraction digits alone (".5"). No exponent, no "inf" or "nan".
bool convertValue(std::string_view token, double& value) {
    bool negative = false;
    if (!token.empty() && (token[0] == '-' || token[0] == '+')) {
        negative = token[0] == '-';
        token.remove_prefix(1);
    }
    int digits = 0;
    int points = 0;
    for (char c : token) {
        if (isDigit(c))
            ++digits;
        else if (c == '.')
            ++points;
        else
            return false;
    }
    if (digits == 0 || points > 1) return false;
    const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value, std::chars_format::fixed);
    if (ec != std::errc() || end != token.data() + token.size()) return false;
    if (negative) value = -value;
    return true;
}

// A value as the messages quote it: unprintable bytes as '?', long texts cut.
std::string quoted(std::string_view token) {
    constexpr std::size_t longest = 20;
    std::string shown;
    for (std::size_t i = 0; i < token.size() && i < longest; ++i) {
        const unsigned char c = static_cast<unsigned char>(token[i]);
        shown += c >= 32 && c < 127 ? static_cast<char>(c) : '?';
    }
    if (token.size() > longest) shown += "...";
    return shown;
}

std::string countOf(std::size_t count, const char* noun) {
    if (count == 0) return std::string("no ") + noun + "s";
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string lineName(std::size_t lineNumber) { return "Line " + std::to_string(lineNumber) + " of the matrix file"; }

MatrixFileReading failure(std::string message) {
    MatrixFileReading reading;
    reading.error = std::move(message);
    return reading;
}

std::string missingRows(int rowsRead, int order) {
    if (rowsRead == 0)
        return "The matrix file holds no rows of the matrix; the matrix needs " + std::to_string(order) + ".";
    const std::string first = std::to_string(rowsRead + 1);
    const std::string last = std::to_string(order);
    std::string missing;
    if (order - rowsRead == 1)
        missing = "row " + first + " of the matrix is missing.";
    else if (order - rowsRead == 2)
        missing = "rows " + first + " and " + last + " of the matrix are missing.";
    else
        missing = "rows " + first + " to " + last + " of the matrix are missing.";
    return "The matrix file ends after row " + std::to_string(rowsRead) + "; " + missing;
}

} // namespace

MatrixFileReading readMatrixText(std::string_view text, int order) {
    if (order < 1 || order > WorkMatrixOrder)
        throw std::invalid_argument("matrix order " + std::to_string(order) + " is outside 1 to " +
                                    std::to_string(WorkMatrixOrder));
    // Notepad may begin a UTF-8 file with a byte-order mark.
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (text.substr(0, bom.size()) == bom) text.remove_prefix(bom.size());

    std::vector<std::string_view> lines = splitLines(text);
    while (!lines.empty() && isBlankLine(lines.back())) lines.pop_back();

    MatrixFileContents contents;
    std::size_t first = 0;
    if (!lines.empty() && lines[0].substr(0, std::strlen(MatrixTitlePrefix)) == MatrixTitlePrefix) {
        contents.title = std::string(lines[0]);
        first = 1;
    }

    const int mostRows = std::min(order, MatrixFileMaxRows);
    for (std::size_t l = first; l < lines.size(); ++l) {
        const std::size_t lineNumber = l + 1;
        const int row = static_cast<int>(contents.rows.size()) + 1;
        if (row > mostRows) {
            const std::string limit =
                order <= MatrixFileMaxRows
                    ? "the matrix has only " + countOf(static_cast<std::size_t>(order), "row")
                    : "a matrix file holds at most " + std::to_string(MatrixFileMaxRows) + " rows";
            return failure(lineName(lineNumber) + " holds row " + std::to_string(row) + ", but " + limit + ".");
        }

        const std::vector<std::string_view> tokens = splitValues(lines[l]);
        std::vector<double> values;
        for (std::string_view token : tokens) {
            double value = 0.0;
            if (!convertValue(token, value))
                return failure(lineName(lineNumber) + " holds \"" + quoted(token) + "\", which is not a number.");
            values.push_back(value);
        }
        if (values.size() != static_cast<std::size_t>(row))
            return failure(lineName(lineNumber) + " holds " + countOf(values.size(), "value") + "; row " +
                           std::to_string(row) + " of the matrix needs " + std::to_string(row) + ".");
        for (int j = 0; j + 1 < row; ++j) {
            if (values[j] > -1.0 && values[j] < 1.0) continue;
            return failure(lineName(lineNumber) + " holds " + quoted(tokens[j]) + " in column " +
                           std::to_string(j + 1) +
                           "; a value off the diagonal must be greater than -1 and less than 1.");
        }
        if (values.back() != 1.0)
            return failure(lineName(lineNumber) + " ends with " + quoted(tokens.back()) +
                           ", but the diagonal value of row " + std::to_string(row) + " must be 1.");
        contents.rows.push_back(std::move(values));
    }

    const int rowsRead = static_cast<int>(contents.rows.size());
    if (rowsRead < order) return failure(missingRows(rowsRead, order));

    MatrixFileReading reading;
    reading.matrix = std::move(contents);
    return reading;
}

MatrixFileReading readMatrixFile(const std::string& path, int order) {
    const auto cannotRead = [&](const std::string& reason) {
        return failure(fileErrorMessage(FileAction::ReadMatrixFile, path, reason));
    };
    std::FILE* file = openFileUtf8(path, "rb");
    if (!file) return cannotRead(std::strerror(errno));
    std::string content;
    char buffer[4096];
    bool tooLarge = false;
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
        content.append(buffer, got);
        if (content.size() > MatrixFileMaxBytes) {
            tooLarge = true;
            break;
        }
        if (got < sizeof buffer) break;
    }
    const bool failed = std::ferror(file) != 0;
    const int code = errno;
    std::fclose(file);
    if (failed) return cannotRead(std::strerror(code));
    if (tooLarge)
        return cannotRead("it is larger than " + std::to_string(MatrixFileMaxBytes / 1024) +
                          " KB and cannot be a matrix file.");
    MatrixFileReading reading = readMatrixText(content, order);
    if (!reading.ok()) reading.error = fileErrorMessage(FileAction::ReadMatrixFile, path, reading.error);
    return reading;
}

} // namespace kalden
