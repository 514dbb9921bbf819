#pragma once

#include <string>
#include <vector>

#include "files/CaseStore.h"

namespace kalden {

// Where a user's case store lives: beside the last-case file in the data
// folder under `dataHome`.
std::string caseStorePath(const std::string& dataHome, const std::string& fileName = CaseStoreFileName);
// The user's own store, in the data home that every KALDEN program uses.
std::string defaultCaseStorePath();

// Stored cases as a batch CSV file that kalden-report --batch reads back:
// the case's number as id, the seven fields as typed, the options by name and
// the notes, one line each; lines end in LF. A text that a spreadsheet would
// run as a formula is written with the apostrophe guard, which --batch drops.
std::string casesBatchCsv(const std::vector<StoredCase>& cases);

} // namespace kalden
