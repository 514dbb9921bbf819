#pragma once

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "batch/BatchRows.h"

namespace kalden::cli {

// Reads the rows after the header, scores them on `jobs` threads (1: on
// this one, row by row) and writes them in input order, with no more than a
// fixed number of rows in flight whatever the input's length. Reading stops
// when a write fails; returns false then.
bool scoreRows(CsvReader& reader, const BatchJob& job, unsigned jobs, RowWriter& writer);

// The processors this process may run on (at least 1).
unsigned availableProcessors();

} // namespace kalden::cli
