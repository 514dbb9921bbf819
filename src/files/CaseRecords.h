#pragma once

#include <string>

#include "files/CaseStore.h"

namespace kalden {

// The user's own case store, opened on first use: the data folder is made
// (0700, checked as for the last-case file) and the database created in it.
class CaseRecords {
public:
    explicit CaseRecords(const std::string& dataHome);

    const std::string& path() const { return path_; }
    // The open store, or nothing with the reason in `error`.
    CaseStore* store(std::string& error);

private:
    std::string folder_;
    std::string path_;
    CaseStore store_;
};

} // namespace kalden
