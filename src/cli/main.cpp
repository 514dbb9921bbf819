#include <iostream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "report/NumberFormat.h"

int main(int argc, char** argv) {
    kalden::initDecimalSeparatorFromLocale();
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    return kalden::cli::run(args, std::cout, std::cerr);
}
