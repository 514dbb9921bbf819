#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "report/ReportComposer.h"
#include "report/Session.h"
#include "scoring/ScoringEngine.h"

namespace kalden {

// One computed case as the windows keep it: what went in (the scores as
// typed, the options, the notes and the rest of the report's context), what
// came out, the report lines that Compute appended for it, and when.
struct CaseRecord {
    std::array<std::string, 7> fieldTexts; // the seven score fields as typed
    InputRecord input;                     // the validated scores and the options
    ReportContext context;
    Session session; // who, when, by whom, why: kept with the case, never in the report
    ComputationResults results;
    ReportLines report;           // the lines appended for this case, separators included
    std::int64_t computedUtc = 0; // seconds since 1970-01-01 00:00 UTC
    int utcOffsetMinutes = 0;     // the local offset at that moment

    // The first line of the notes, or nothing.
    std::string notesHeadline() const { return context.notes.empty() ? std::string() : context.notes.front(); }
};

// "2026-12-09 10:31": the local date and time of the Compute.
std::string localTimeText(std::int64_t utcSeconds, int utcOffsetMinutes);
inline std::string computedAtText(const CaseRecord& c) { return localTimeText(c.computedUtc, c.utcOffsetMinutes); }

} // namespace kalden
