#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "batch/BatchOutput.h"
#include "scoring/InputRecord.h"

namespace kalden::cli {

// What `kalden-report --batch` was asked to do.
struct BatchSettings {
    std::string input; // a file name, or "-" for standard input
    BatchFormat format = BatchFormat::Text;
    BatchDefaults defaults;
    std::optional<std::string> output;
    unsigned jobs = 1; // threads that score rows; 1 scores them on the calling thread
};

// Scores every row of the batch file, streaming: rows are read in order,
// scored on `settings.jobs` threads and written in input order, the output
// and the messages being the same whatever the number of threads. Returns
// the exit status: 0 when every row was scored, 2 when any row was rejected
// (known only after the last row), 1 when the output could not be written,
// 64 when the header is unusable and 66 when the input cannot be read. `in` stands for standard input.
int runBatch(const BatchSettings& settings, std::istream& in, std::ostream& out, std::ostream& err);

} // namespace kalden::cli
