#pragma once

#include <string>
#include <string_view>

namespace kalden {

// The one CSV cell writer of the program, for every text it writes to CSV
// (batch output, the case list, the case export). A cell is quoted, its
// quotes doubled, when it holds a comma, a quote, a carriage return or a line
// feed; blanks at either end are part of the cell and stay as they are. A text that a spreadsheet would run as
// a formula (one beginning with '=', '+', '-', '@', a tab or a carriage
// return) gets a leading apostrophe, which spreadsheets show as text, and is
// quoted as well; so does a text whose apostrophes at the start come before
// such a character ("'=1+1" is written "''=1+1"), so that the guard can
// always be told from a typed apostrophe. Numbers never come here: they are written as they are.
void appendCsvCell(std::string& out, std::string_view text);
std::string csvCell(std::string_view text);

// Whether `text` would be taken for a formula.
bool looksLikeFormula(std::string_view text);

// A cell as written above, read back: the apostrophe before a formula (or
// before apostrophes and a formula) is dropped again, so that a text
// survives the round trip unchanged.
std::string withoutFormulaGuard(std::string_view cell);

} // namespace kalden
