#pragma once

#include "report/ScoreCase.h"

namespace kalden::testing {

// Appends `report` to the accumulated `text` as the results window does.
inline void appendReport(ReportLines& text, const ReportLines& report) {
    const ReportLines lines = reportAfter(!text.empty(), report);
    text.insert(text.end(), lines.begin(), lines.end());
}

// Appends the report of `input` to `text`, as successive Computes append
// their reports, the separator between them.
inline void appendReportOf(ReportLines& text, const InputRecord& input, const ReportContext& context = {}) {
    appendReport(text, scoreCase(input, context).report);
}

} // namespace kalden::testing
