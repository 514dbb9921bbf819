#pragma once

#include <string>
#include <vector>

#include "files/CaseStore.h"

namespace kalden {

// Where a user's case store lives: beside the last-case file in the data
// folder under `dataHome`.
std::string caseStorePath(const std::string& dataHome, const std::string& fileName = CaseStoreFileName);

// Stored cases as a batch CSV file that kalden-report --batch reads back:
// the case's number as id, the seven fields as typed, the options by name and
// the notes, one line each; lines end in LF.
std::string casesBatchCsv(const std::vector<StoredCase>& cases);

// One CSV cell, quoted when it holds a comma, a quote, a line break or
// leading or trailing blanks.
std::string csvCell(const std::string& text);

} // namespace kalden
