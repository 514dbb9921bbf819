#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "batch/BatchOutput.h"
#include "report/ChangeReport.h"

namespace kalden::cli {

// kalden-report --cases list|show|export|compare|delete|correct: the case
// records the desktop program keeps; only delete and correct write them.
struct CasesSettings {
    std::string action;               // "list", "show", "export", "compare", "delete" or "correct"
    std::vector<std::string> ids;     // show: one; export: any, none for every case; compare: two; delete, correct: any
    std::optional<std::string> since; // list: "2026-03-01"
    std::string match;                // list: text in the notes
    BatchFormat format = BatchFormat::Text;
    bool caseFile = false;                     // export: as a case file rather than batch CSV
    std::optional<std::string> output;         // export: the file (else standard output)
    std::optional<std::string> database;       // else the user's own store
    std::optional<std::string> caseFileSource; // compare: the cases of this case file, by their place
    ChangeSettings change;                     // compare: --level, --practice, --practice-source
    bool wholePerson = false;                  // delete, correct: every case of the cases' persons
    std::vector<SessionChange> corrections; // correct: --person, --birth-date, --testing-date, --examiner, --referral
};

// What is wrong with the settings for their action, or nothing.
std::string casesUsageProblem(const CasesSettings& settings);

int runCases(const CasesSettings& settings, std::ostream& out, std::ostream& err);

// --case-file FILE: the reports of the cases in a case file, each checked and
// computed again; a file refused is named with the reason and prints nothing.
int printCaseFile(const std::string& path, std::ostream& out, std::ostream& err);

// --cases delete: the cases, or with --whole-person every case of their
// persons (matched by key), and then every other place in the data folder
// that holds those persons (the remembered session, the last scores). A
// recorded person whose name differs a little is named, not deleted.
int deleteCases(const CasesSettings& settings, std::ostream& out, std::ostream& err);
// --cases correct: the fields given set on the cases (or every case of their
// persons), each change kept with its case.
int correctCases(const CasesSettings& settings, std::ostream& out, std::ostream& err);
// Empties the records' log of a deletion a reader of another program kept in it.
int finishErasure(const CasesSettings& settings, std::ostream& out, std::ostream& err);

// Refuses (ExitUsage, with a message naming the store) to write `output`, or
// standard output when `out` is std::cout and `output` is not given, when
// that is the user's case store, the store `database`, or one of their
// files; ExitOk otherwise. A typing slip must not destroy the records.
int refuseCaseStoreTarget(const std::optional<std::string>& output, const std::ostream& out,
                          const std::optional<std::string>& database, std::ostream& err);

} // namespace kalden::cli
