#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "batch/BatchOutput.h"
#include "cli/CasesCommand.h"
#include "cli/ExitStatus.h"
#include "scoring/InputRecord.h"

namespace kalden::cli {

struct Arguments {
    Options options;
    std::vector<std::string> notes;
    std::optional<std::string> output;
    std::vector<std::string> fieldTexts; // the seven scores as typed
    bool help = false;
    std::optional<std::string> batch; // --batch FILE: score every row of FILE ("-": standard input)
    BatchFormat format = BatchFormat::Text;
    std::optional<unsigned> jobs;        // --jobs N: threads that score the batch's rows
    std::optional<CasesSettings> cases;  // --cases ACTION: the case records
    std::optional<std::string> caseFile; // --case-file FILE: print the reports of a case file
};

// The most threads --jobs may ask for.
inline constexpr unsigned MaxJobs = 64;

// Parses the arguments (without the program name). On a usage error returns
// nothing and puts the problem into `problem`.
std::optional<Arguments> parseArguments(const std::vector<std::string>& args, std::string& problem);

std::string usageText();

// The whole command: parse, validate, compute, write. Returns the exit status.
// Standard input (read by --batch -) is `in`, or std::cin when not given.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

} // namespace kalden::cli
