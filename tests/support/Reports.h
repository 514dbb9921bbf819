#pragma once

#include "report/ScoreCase.h"

namespace kalden::testing {

// Appends the report of `input` to `text`, as successive Computes append
// their reports, the separator between them.
inline void appendReportOf(ReportLines& text, const InputRecord& input, const ReportContext& context = {}) {
    appendReport(text, scoreCase(input, context).report);
}

} // namespace kalden::testing
