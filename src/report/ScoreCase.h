#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "report/ReportComposer.h"
#include "report/ReportLines.h"
#include "scoring/ScoringEngine.h"
#include "worksheet/InputValidation.h"

namespace kalden {

// The road of one case, the same for every front end: the texts as typed go
// in; out comes either the first bad field with its message, or the record,
// the results, the report's own lines and the warnings raised on the way.
// The worksheet walks it in its two halves (readInputRecord, then
// scoreCase), because the matrix window and the last-case file stand
// between them; kalden-report and its batch rows take it whole.

// A validated case, scored and its report composed.
struct ScoredCase {
    InputRecord input;
    ComputationResults results; // its `warnings` are the numerical routines'
    ReportLines report;         // the report's own lines, without a separator
    Warnings echoWarnings;      // grid cells that did not scan, echoed as zero

    // Every warning in the order raised: the numbers', then the echo's.
    Warnings warnings() const;
};

ScoredCase scoreCase(const InputRecord& input, const ReportContext& context);

// A case as a front end has it: the seven score texts as typed, the options
// and the lines of the notes.
struct TypedCase {
    std::array<std::string, 7> fieldTexts;
    Options options;
    std::vector<std::string> notes;
};

// The first bad field, or the scored case: exactly one of the two is set.
struct CaseOutcome {
    std::optional<FieldRejection> rejection;
    std::optional<ScoredCase> scored;
};

CaseOutcome runCase(const TypedCase& typed);

// The typed scores as the validation pass takes them (the age field empty).
FieldTexts fieldTextsOf(const std::array<std::string, 7>& scores);

} // namespace kalden
