#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "batch/BatchOutput.h"
#include "report/ChangeReport.h"

namespace kalden::cli {

// kalden-report --cases list|show|export|compare: the case records the
// desktop program keeps, read and never written.
struct CasesSettings {
    std::string action;               // "list", "show", "export" or "compare"
    std::vector<std::string> ids;     // show: one; export: any, none for every case; compare: two
    std::optional<std::string> since; // list: "2026-03-01"
    std::string match;                // list: text in the notes
    BatchFormat format = BatchFormat::Text;
    std::optional<std::string> output;   // export: the CSV file (else standard output)
    std::optional<std::string> database; // else the user's own store
    ChangeSettings change;               // compare: --level, --practice, --practice-source
};

// What is wrong with the settings for their action, or nothing.
std::string casesUsageProblem(const CasesSettings& settings);

int runCases(const CasesSettings& settings, std::ostream& out, std::ostream& err);

// Refuses (ExitUsage, with a message naming the store) to write `output`, or
// standard output when `out` is std::cout and `output` is not given, when
// that is the user's case store, the store `database`, or one of their
// files; ExitOk otherwise. A typing slip must not destroy the records.
int refuseCaseStoreTarget(const std::optional<std::string>& output, const std::ostream& out,
                          const std::optional<std::string>& database, std::ostream& err);

} // namespace kalden::cli
