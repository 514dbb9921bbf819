#include "format/CsvText.h"

namespace kalden {

bool looksLikeFormula(std::string_view text) {
    return !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
}

namespace {

// The guard goes before a formula, and before a text that a spreadsheet
// would show as one once its first apostrophe is taken for a guard
// ("'=1+1"): so on reading, an apostrophe before a formula after any
// further apostrophes is always the guard, and the text comes back as typed.
bool needsGuard(std::string_view text) {
    const std::size_t first = text.find_first_not_of('\'');
    return first != std::string_view::npos && looksLikeFormula(text.substr(first));
}

} // namespace

void appendCsvCell(std::string& out, std::string_view text) {
    const bool formula = needsGuard(text);
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
    if (cell.size() >= 2 && cell.front() == '\'' && needsGuard(cell.substr(1))) cell.remove_prefix(1);
    return std::string(cell);
}

} // namespace kalden
