#pragma once

#include <array>
#include <string>
#include <vector>

#include "matrix/StoredMatrix.h"
#include "report/ReportLines.h"
#include "scoring/InputRecord.h"
#include "scoring/MessageService.h"
#include "scoring/ScoringEngine.h"

namespace kalden {

// What the report echoes besides the scores and results: the user's notes
// and, when the template switches them on, the data grid and the matrix.
struct ReportContext {
    std::vector<std::string> notes;
    std::string notesLabel = "User's Notes:";

    bool useDataGrid = false;
    int gridColumns = 0;
    int gridRows = 0;
    std::string gridColumnsTitle = "Column names";
    // cellText(row, column): row 0 .. rows-1, column 1 .. columns.
    std::vector<std::vector<std::string>> gridCells; // [row][column - 1]

    bool useCorrelationMatrix = false;
    int matrixSize = 0;
    StoredMatrixValues storedMatrix{};
};

// The option note on the confidence method, as the report prints it.
const char* confidenceNote(ConfidenceMethod method);

// Appends one complete report after whatever `report` already holds, with
// the separator lines when it is not empty.
void composeReport(ReportLines& report, const InputRecord& input, const ComputationResults& results,
                   const ReportContext& context, MessageService& messages);

// Validated scores in, report lines out: the whole road of one Compute
// without a window.
void computeAndCompose(ReportLines& report, const InputRecord& input, const ReportContext& context,
                       MessageService& messages);

} // namespace kalden
