#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report/CaseRecord.h"

namespace kalden {

// A case file: cases carried from one KALDEN to another (the desktop
// program, kalden-report, the page) as one JSON text, documented in
// docs/case-file.md. Each case holds the person and session, the seven
// scores as typed, the options, the notes, when and by which version it was
// computed, and its report exactly as computed. The results are not in it:
// they are computed again from the scores, and a case whose report differs
// from the one computed again is refused.
inline constexpr const char* CaseFileFormatName = "kalden-case-file";
inline constexpr int CaseFileVersion = 1;
// More than any clinic keeps, and a bound on what a damaged or hostile file
// can make the reader do.
inline constexpr std::size_t CaseFileMaxBytes = 64u << 20;
inline constexpr std::size_t CaseFileMaxCases = 10000;

struct FiledCase {
    std::string version; // of the program that computed it
    CaseRecord record;   // its results computed again from its scores
};

// The cases as a case file written by KALDEN `programVersion`: UTF-8, lines
// ending in LF. Only the person, session, scores, options, notes and report
// are written; a data grid or correlation matrix is not part of a case file.
std::string caseFileText(const std::vector<FiledCase>& cases, const std::string& programVersion);

// The cases of a case file, each one checked as if typed (its scores and its
// session as the worksheet checks them) and its report computed again; or,
// with no case, the first problem found, saying where ("case 2: ...").
struct CaseFileReading {
    std::vector<FiledCase> cases;
    std::string problem;
};
CaseFileReading readCaseFile(std::string_view text);

} // namespace kalden
