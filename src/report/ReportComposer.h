#pragma once

#include <array>
#include <string>
#include <vector>

#include "matrix/StoredMatrix.h"
#include "report/ReportLines.h"
#include "scoring/InputRecord.h"
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
    // The cell texts: gridCells[row][column - 1] for row 0 .. rows - 1 and
    // column 1 .. columns; a missing cell reads as empty.
    std::vector<std::vector<std::string>> gridCells;

    bool useCorrelationMatrix = false;
    int matrixSize = 0;
    StoredMatrixValues storedMatrix{};
};

// The option note on the confidence method, as the report prints it.
const char* confidenceNote(ConfidenceMethod method);

// One complete report: header, notes, inputs, option notes, the grid and
// matrix echoes, and the result sections. The lines are the report's own;
// where reports accumulate, reportAfter puts the separator before them. A
// grid cell that does not scan is echoed as zero and its message added to
// `warnings`, in cell order.
ReportLines composeReport(const InputRecord& input, const ComputationResults& results, const ReportContext& context,
                          Warnings& warnings);
// The same lines, put where `report` sends them.
void writeReport(const InputRecord& input, const ComputationResults& results, const ReportContext& context,
                 Warnings& warnings, LineSink report);

// The lines between two reports: an empty line, two rules of 103 hyphens,
// an empty line.
const ReportLines& reportSeparator();

// A report's lines as they are appended where reports accumulate: after the
// separator when the text there already holds something (an earlier report,
// an opened file, the user's own typing).
ReportLines reportAfter(bool textHoldsSomething, const ReportLines& report);

} // namespace kalden
