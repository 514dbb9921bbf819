#include "files/CaseColumns.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include <zlib.h>

#include "files/ReportDictionary.h"
#include "format/ShortestText.h"

namespace kalden {

namespace {

// ---- Packing the report --------------------------------------------------------

const Bytef* dictionaryBytes() { return reinterpret_cast<const Bytef*>(ReportDictionary); }
uInt dictionarySize() { return static_cast<uInt>(sizeof ReportDictionary - 1); }

std::string joinLines(const ReportLines& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += '\n';
        text += lines[i];
    }
    return text;
}

} // namespace

std::string packReport(const ReportLines& lines) {
    const std::string text = joinLines(lines);
    z_stream z{};
    deflateInit(&z, Z_BEST_COMPRESSION);
    deflateSetDictionary(&z, dictionaryBytes(), dictionarySize());
    std::string packed(deflateBound(&z, static_cast<uLong>(text.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(packed.data());
    z.avail_out = static_cast<uInt>(packed.size());
    deflate(&z, Z_FINISH);
    packed.resize(z.total_out);
    deflateEnd(&z);
    return packed;
}

bool unpackReport(const std::string& packed, ReportLines& lines) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    z.avail_in = static_cast<uInt>(packed.size());
    std::string text;
    char chunk[16384];
    int status = Z_OK;
    while (status == Z_OK || status == Z_NEED_DICT) {
        z.next_out = reinterpret_cast<Bytef*>(chunk);
        z.avail_out = sizeof chunk;
        status = inflate(&z, Z_NO_FLUSH);
        if (status == Z_NEED_DICT) status = inflateSetDictionary(&z, dictionaryBytes(), dictionarySize());
        text.append(chunk, sizeof chunk - z.avail_out);
        if (status == Z_BUF_ERROR && z.avail_in > 0) status = Z_OK; // the output chunk was full
    }
    inflateEnd(&z);
    if (status != Z_STREAM_END) return false;
    lines.clear();
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    lines.push_back(text.substr(start));
    return true;
}

std::string notesText(const std::vector<std::string>& notes) {
    std::string text;
    for (const std::string& line : notes) text += line + '\n';
    return text;
}

std::vector<std::string> splitTerminated(const std::string& text, char end) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find(end); at != std::string::npos; at = text.find(end, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    if (start < text.size()) parts.push_back(text.substr(start));
    return parts;
}

std::string gridText(const ReportContext& c) {
    if (!c.useDataGrid) return {};
    std::string text =
        std::to_string(c.gridColumns) + '\t' + std::to_string(c.gridRows) + '\t' + c.gridColumnsTitle + '\n';
    for (const std::vector<std::string>& row : c.gridCells) {
        for (std::size_t i = 0; i < row.size(); ++i) text += (i > 0 ? "\t" : "") + row[i];
        text += '\n';
    }
    return text;
}

void readGrid(const std::string& text, ReportContext& c) {
    std::vector<std::string> rows = splitTerminated(text, '\n');
    if (rows.empty()) return;
    c.useDataGrid = true;
    const std::vector<std::string> shape = splitTerminated(rows.front() + '\t', '\t');
    if (shape.size() >= 3) {
        // A shape that is no number (or too large for one) reads as 0.
        for (const auto& [text, count] : {std::pair{&shape[0], &c.gridColumns}, std::pair{&shape[1], &c.gridRows}})
            if (std::from_chars(text->data(), text->data() + text->size(), *count).ec != std::errc()) *count = 0;
        c.gridColumnsTitle = shape[2];
    }
    for (std::size_t r = 1; r < rows.size(); ++r) {
        std::vector<std::string> cells;
        std::size_t start = 0;
        for (std::size_t at = rows[r].find('\t'); at != std::string::npos; at = rows[r].find('\t', start)) {
            cells.push_back(rows[r].substr(start, at - start));
            start = at + 1;
        }
        cells.push_back(rows[r].substr(start));
        c.gridCells.push_back(std::move(cells));
    }
}

// The numbers in their shortest exact text with '.' whatever the user's
// locale (the desktop runs with the user's LC_NUMERIC, under which printf
// would write "0,5").
std::string matrixText(const ReportContext& c) {
    if (!c.useCorrelationMatrix && c.matrixSize == 0) return {};
    std::string text = std::string(c.useCorrelationMatrix ? "1 " : "0 ") + std::to_string(c.matrixSize);
    for (const double v : c.storedMatrix) {
        text += ' ';
        appendShortest(text, v);
    }
    return text;
}

namespace {

// One number of a stored matrix, read as the C locale reads it. Versions
// that printed with the user's locale may have stored "0,5": the separator
// is taken as the decimal point, since blanks alone part the numbers.
double storedNumber(std::string token) {
    std::replace(token.begin(), token.end(), ',', '.');
    double value = 0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    return error == std::errc() && end == token.data() + token.size() ? value : 0;
}

} // namespace

void readMatrix(const std::string& text, ReportContext& c) {
    if (text.empty()) return;
    std::istringstream in(text);
    int use = 0;
    in >> use >> c.matrixSize;
    c.useCorrelationMatrix = use != 0;
    std::string token;
    for (double& v : c.storedMatrix) v = in >> token ? storedNumber(token) : 0;
}

} // namespace kalden
