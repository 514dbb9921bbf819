#include "report/ScoreCase.h"

namespace kalden {

Warnings ScoredCase::warnings() const {
    Warnings all = results.warnings;
    all.insert(all.end(), echoWarnings.begin(), echoWarnings.end());
    return all;
}

ScoredCase scoreCase(const InputRecord& input, const ReportContext& context) {
    ScoredCase scored;
    scored.input = input;
    scored.results = computeAll(input);
    scored.report = composeReport(input, scored.results, context, scored.echoWarnings);
    return scored;
}

FieldTexts fieldTextsOf(const std::array<std::string, 7>& scores) {
    FieldTexts texts;
    for (std::size_t i = 0; i < scores.size(); ++i) texts[i] = scores[i];
    return texts;
}

CaseOutcome runCase(const TypedCase& typed) {
    CaseOutcome outcome;
    const InputCheck check = readInputRecord(fieldTextsOf(typed.fieldTexts), typed.options, 7);
    if (!check.record) {
        outcome.rejection = check.rejection;
        return outcome;
    }
    ReportContext context;
    context.notes = typed.notes;
    outcome.scored = scoreCase(*check.record, context);
    return outcome;
}

} // namespace kalden
