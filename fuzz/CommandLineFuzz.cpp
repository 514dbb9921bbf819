// Fuzz target: kalden-report's whole command (argument handling, validation,
// scoring, reports, batch scoring, saving) on arbitrary arguments. The input
// is split into arguments at NUL bytes.
//
// The fuzzer must never write where it likes, nor read what it likes: every
// --output value is replaced by one file in a fresh temporary folder of this
// process, removed at exit, and every --batch value other than "-" is taken
// as the batch file's content, written to a file in that folder whose name
// replaces it ("-" reads an empty standard input). The output file is set to
// a known old content before each run, so the run also checks that a failed
// command leaves it unchanged.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "cli/CommandLine.h"

using kalden::fuzz::quoted;

namespace {

const std::string OldContent = "an older report\r\n";

class ScratchFolder {
public:
    ScratchFolder() {
        std::error_code ec;
        std::filesystem::path base = "/dev/shm";
        if (!std::filesystem::is_directory(base, ec) || ::access(base.c_str(), W_OK) != 0)
            base = std::filesystem::temp_directory_path();
        std::string pattern = (base / "kalden-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        folder_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    const std::filesystem::path& folder() const { return folder_; }

private:
    std::filesystem::path folder_;
};

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool startsWith(const std::string& text, const std::string& head) { return text.compare(0, head.size(), head) == 0; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ScratchFolder scratch;
    const std::filesystem::path target = scratch.folder() / "report.txt";
    const std::filesystem::path batchFile = scratch.folder() / "batch.csv";

    std::vector<std::string> args;
    const std::string input(reinterpret_cast<const char*>(data), size);
    for (std::size_t from = 0; from <= input.size();) {
        const std::size_t nul = input.find('\0', from);
        const std::size_t to = nul == std::string::npos ? input.size() : nul;
        args.push_back(input.substr(from, to - from));
        from = to + 1;
    }
    if (size == 0) args.clear();

    // Every argument the parser could take as --output or --batch, in either
    // form, and the argument after a bare one, are rewritten.
    bool outputGiven = false;
    bool batchGiven = false;
    std::error_code removed;
    std::filesystem::remove(batchFile, removed);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string name = args[i].substr(0, args[i].find('='));
        if (name != "--output" && name != "--batch") continue;
        const bool joined = args[i].size() > name.size();
        if (!joined && i + 1 == args.size()) break;
        std::string& value = joined ? args[i] : args[++i];
        const std::string prefix = joined ? name + "=" : "";
        if (name == "--output") {
            outputGiven = true;
            value = prefix + target.string();
        } else {
            batchGiven = true;
            const std::string content = value.substr(prefix.size());
            if (content == "-") continue;
            std::ofstream(batchFile, std::ios::binary | std::ios::trunc) << content;
            value = prefix + batchFile.string();
        }
    }

    {
        std::ofstream old(target, std::ios::binary | std::ios::trunc);
        old << OldContent;
    }

    std::istringstream in;
    std::ostringstream out, err;
    const int status = kalden::cli::run(args, in, out, err);

    std::string shown;
    for (const std::string& a : args) shown += quoted(a) + " ";
    FUZZ_CHECK(status == kalden::cli::ExitOk || status == kalden::cli::ExitWriteFailed ||
                   status == kalden::cli::ExitInputRejected || status == kalden::cli::ExitUsage ||
                   status == kalden::cli::ExitNoInput,
               "status " + std::to_string(status) + " for " + shown);
    FUZZ_CHECK(status != kalden::cli::ExitNoInput || batchGiven, "status 66 without --batch: " + shown);

    // Nothing but the two scratch files may appear in the folder (no
    // temporary file left behind).
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(scratch.folder(), ec))
        FUZZ_CHECK(entry.path() == target || entry.path() == batchFile, "left behind: " + entry.path().string());

    // The old file is replaced only by a command that asked for it and got
    // as far as writing; a command that failed leaves it as it was.
    const std::string saved = readAll(target);
    const bool help = status == kalden::cli::ExitOk && out.str() == kalden::cli::usageText();
    if (saved != OldContent) {
        FUZZ_CHECK(outputGiven && !help, "file touched without --output: " + shown);
        FUZZ_CHECK(status == kalden::cli::ExitOk || (batchGiven && status == kalden::cli::ExitInputRejected),
                   "status " + std::to_string(status) + " but the old file was replaced: " + shown);
        FUZZ_CHECK(out.str().empty(), "report printed and saved: " + shown);
    } else if (outputGiven && !help && status == kalden::cli::ExitOk) {
        FUZZ_CHECK(false, "the file was not replaced although the command succeeded: " + shown);
    }
    if (status == kalden::cli::ExitUsage) {
        FUZZ_CHECK(out.str().empty() && startsWith(err.str(), "kalden-report: "), quoted(err.str()));
    }
    if (status == kalden::cli::ExitWriteFailed && outputGiven) {
        FUZZ_CHECK(err.str().find("kalden-report: cannot write " + target.string() + ": ") != std::string::npos,
                   quoted(err.str()));
    }
    if (batchGiven || help) return 0;

    // One case from the command line: a whole report, or one message.
    switch (status) {
    case kalden::cli::ExitOk:
        if (outputGiven) {
            FUZZ_CHECK(saved.size() >= 2 && saved.compare(saved.size() - 2, 2, "\r\n") == 0 &&
                           saved.find("\r\n OUTPUTS:\r\n") != std::string::npos,
                       "saved file " + quoted(saved.substr(0, 80)) + " for " + shown);
        } else {
            FUZZ_CHECK(out.str().find("\n OUTPUTS:\n") != std::string::npos && out.str().back() == '\n',
                       "report " + quoted(out.str().substr(0, 80)) + " for " + shown);
        }
        break;
    case kalden::cli::ExitInputRejected:
        FUZZ_CHECK(out.str().empty() && startsWith(err.str(), "INPUT ERROR\n"), quoted(err.str()) + " for " + shown);
        break;
    case kalden::cli::ExitUsage:
        FUZZ_CHECK(err.str().size() > kalden::cli::usageText().size() &&
                       err.str().compare(err.str().size() - kalden::cli::usageText().size(),
                                         kalden::cli::usageText().size(), kalden::cli::usageText()) == 0,
                   "usage missing after " + quoted(err.str().substr(0, 80)));
        break;
    }
    return 0;
}
