#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"

namespace kalden::testing {

// One kalden-report command run in process: its status and what it wrote.
struct CliRun {
    int status;
    std::string out;
    std::string err;
};

inline CliRun runReport(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = cli::run(args, out, err);
    return {status, out.str(), err.str()};
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace kalden::testing
