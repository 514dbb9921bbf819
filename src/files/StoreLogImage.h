#pragma once

#include <string>

namespace kalden {

// The database a crash left behind as its file and write-ahead log, without
// the log's index: the file's pages with every committed frame of the log
// written over them, in memory, and marked as a database without a log, so
// that it can be read without writing anything beside the file (SQLite would
// create the index). Frames after the last commit, or whose salt or checksum
// does not follow on, are not part of the database and are left out, as
// SQLite leaves them out. False with the reason when the log is damaged in
// its header or names pages the database cannot have.
bool databaseWithLog(const std::string& database, const std::string& log, std::string& image, std::string& error);

} // namespace kalden
