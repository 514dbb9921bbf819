#pragma once

#include <string>
#include <vector>

#include "report/ReportComposer.h"

namespace kalden {

// How a case's parts are kept in the store's columns as text: the notes, each
// line followed by a line feed; the data grid's shape, title and cells; the
// matrix's echo flag, order and values; the report packed with zlib against
// the fixed dictionary of ReportDictionary.h.

// The report's lines packed as the store keeps them, and back.
std::string packReport(const ReportLines& lines);
bool unpackReport(const std::string& packed, ReportLines& lines);

std::string notesText(const std::vector<std::string>& notes);
// The parts of `text` that each end in `end`; a last part without one too.
std::vector<std::string> splitTerminated(const std::string& text, char end);

// Empty without a grid, else "columns<TAB>rows<TAB>title" and the rows.
std::string gridText(const ReportContext& c);
void readGrid(const std::string& text, ReportContext& c);

// "1 3 v v v ...": whether the matrix is echoed, its order, then every value
// of the stored square, exactly (%.17g).
std::string matrixText(const ReportContext& c);
void readMatrix(const std::string& text, ReportContext& c);

} // namespace kalden
