#include "format/CsvText.h"

namespace kalden {

bool looksLikeFormula(std::string_view text) {
    return !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
}

void appendCsvCell(std::string& out, std::string_view text) {
    const bool formula = looksLikeFormula(text);
    const bool quoted = formula || text.find_first_of(",\"\r\n") != std::string_view::npos;
    if (!quoted) {
        out.append(text);
        return;
    }
    out.push_back('"');
    if (formula) out.push_back('\'');
    for (const char c : text) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

std::string csvCell(std::string_view text) {
    std::string cell;
    appendCsvCell(cell, text);
    return cell;
}

std::string withoutFormulaGuard(std::string_view cell) {
    if (cell.size() >= 2 && cell.front() == '\'' && looksLikeFormula(cell.substr(1))) cell.remove_prefix(1);
    return std::string(cell);
}

} // namespace kalden
