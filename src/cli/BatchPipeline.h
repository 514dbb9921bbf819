#pragma once

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "batch/BatchRows.h"

namespace kalden::cli {

// Reads the rows after the header, scores them on `jobs` threads (this one
// among them) and writes them in input order, a block of rows at a time,
// with no more than a fixed number of rows in flight whatever the input's
// length. Reading stops when a write fails; returns false then.
bool scoreRows(CsvReader& reader, const BatchJob& job, unsigned jobs, RowWriter& writer);

// The processors this process may run on (at least 1).
unsigned availableProcessors();

} // namespace kalden::cli
