#pragma once

#include <optional>
#include <string>

#include "files/CaseStore.h"

namespace kalden {

// The user's own case store. Each use opens it afresh and closes it when
// done, so that the program never holds the file between Computes: the
// data folder can be moved, backed up or deleted meanwhile, and a folder
// made again is written to, never a file that is no longer there. Opening
// makes the data folder (0700, checked as for the last-case file) and the
// database in it when they are missing.
class CaseRecords {
public:
    CaseRecords(const std::string& dataHome, const std::string& fileName);

    const std::string& path() const { return path_; }
    const std::string& folder() const { return folder_; }
    // The open store, or nothing with the reason in `error`.
    std::optional<CaseStore> open(std::string& error) const;

private:
    std::string folder_;
    std::string path_;
};

} // namespace kalden
