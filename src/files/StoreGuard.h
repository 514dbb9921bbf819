#pragma once

#include <string>
#include <vector>

namespace kalden {

// Keeps the program's writes away from a case store: one slip of a file name
// (an export named like the store, a link to it, a path through "..", its
// journal) must never replace the file that holds every recorded case.

// The store at `store` and the files SQLite keeps beside it: its write-ahead
// log, shared-memory index and rollback journal.
std::vector<std::string> caseStoreFiles(const std::string& store);

// True when writing `target` would write the store at `store` or one of the
// files beside it, however either is spelt: existing files are compared as
// files (links followed, hard links included), others by their folder, found
// as the system finds it, and their name (on Windows without regard to
// case).
bool writesCaseStore(const std::string& target, const std::string& store);

// True when the open descriptor `fd` (standard output, say) is the store or
// one of its files.
bool descriptorIsCaseStore(int fd, const std::string& store);

// The reason a write to the store is refused, naming it.
std::string caseStoreTargetReason(const std::string& store);

} // namespace kalden
