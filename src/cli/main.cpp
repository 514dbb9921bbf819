#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "format/NumberFormat.h"

#ifdef _WIN32
#include <filesystem>

#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>

// The arguments as UTF-8, like everywhere else: Windows hands main() the
// ANSI code page's rendering, which loses every character outside it.
static std::vector<std::string> utf8Arguments() {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i) {
        const std::u8string utf8 = std::filesystem::path(wide[i]).u8string();
        args.emplace_back(utf8.begin(), utf8.end());
    }
    if (wide) ::LocalFree(wide);
    return args;
}
#endif

int main(int argc, char** argv) {
#ifndef _WIN32
    // A closed pipe or a file size limit turns into a failed write that is
    // reported, not into a death that loses the output and its message.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    kalden::initDecimalSeparatorFromLocale();
    std::ios::sync_with_stdio(false);
#ifdef _WIN32
    (void)argc;
    (void)argv;
    const std::vector<std::string> args = utf8Arguments();
#else
    std::vector<std::string> args(argv + 1, argv + argc);
#endif
    return kalden::cli::run(args, std::cout, std::cerr);
}
