// Saving a report on Windows: the system's rename refuses to replace a file,
// names come with drive letters and backslashes, and saved lines end in CR LF.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <windows.h>

#include "cli/CommandLine.h"
#include "files/TextFile.h"
#include "format/NumberFormat.h"

using namespace kalden;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> CaseScores = {"12", "7", "11", "9", "8", "10", "13"};

class SavedReport : public ::testing::Test {
protected:
    void SetUp() override {
        setDecimalSeparator('.');
        dir_ = fs::temp_directory_path() / ("kalden-win-" + std::to_string(std::random_device{}()));
        ASSERT_TRUE(fs::create_directory(dir_));
    }
    void TearDown() override {
        for (const auto& entry : fs::directory_iterator(dir_))
            ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(dir_);
    }
    static std::string get(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void put(const fs::path& file, const std::string& content) {
        std::ofstream(file, std::ios::binary) << content;
    }
    int run(std::vector<std::string> args) {
        args.insert(args.end(), CaseScores.begin(), CaseScores.end());
        out_.str("");
        err_.str("");
        return cli::run(args, out_, err_);
    }
    // The report as standard output shows it, with every line end CR LF.
    std::string reportWithCrLf() {
        run({});
        std::string text;
        for (const char c : out_.str()) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
        return text;
    }
    std::size_t entries() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {})); }

    fs::path dir_;
    std::ostringstream out_, err_;
};

TEST_F(SavedReport, OutputReplacesAnExistingFileGivenWithDriveLetterAndBackslashes) {
    const std::string expected = reportWithCrLf();
    const fs::path file = dir_ / "results.txt";
    put(file, "an older report that is longer than nothing");
    std::string backslashed = file.string();
    ASSERT_EQ(backslashed[1], ':') << "a drive letter leads";
    ASSERT_NE(backslashed.find('\\'), std::string::npos);

    EXPECT_EQ(run({"--output", backslashed}), cli::ExitOk) << err_.str();
    EXPECT_EQ(err_.str(), "");
    EXPECT_EQ(get(file), expected);

    std::string slashed = backslashed;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    put(file, "old");
    EXPECT_EQ(run({"--output", slashed}), cli::ExitOk) << err_.str();
    EXPECT_EQ(get(file), expected);
    EXPECT_EQ(entries(), 1u) << "no temporary file left";
}

TEST_F(SavedReport, FailedReplacementLeavesTheOldFileIntact) {
    const fs::path file = dir_ / "signed.txt";
    put(file, "signed report\r\n");
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(run({"--output", file.string()}), cli::ExitWriteFailed);
    EXPECT_EQ(err_.str(),
              "kalden-report: cannot write " + file.string() + ": " + systemErrorText(ERROR_ACCESS_DENIED) + "\n");
    EXPECT_EQ(get(file), "signed report\r\n");

    const fs::path folder = dir_ / "folder.txt";
    fs::create_directory(folder);
    EXPECT_EQ(run({"--output", folder.string()}), cli::ExitWriteFailed);
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(entries(), 2u) << "no temporary file left";
}

TEST_F(SavedReport, NamesOutsideTheAnsiCodePageAreKept) {
    const std::string name = "Bericht \xC3\xBC\xE2\x82\xAC.txt"; // "Bericht ü€.txt" in UTF-8
    const fs::path file = dir_ / fs::path(std::u8string(name.begin(), name.end()));
    const std::string utf8 = (dir_.string() + "\\" + name);
    EXPECT_EQ(run({"--output", utf8}), cli::ExitOk) << err_.str();
    EXPECT_EQ(get(file), reportWithCrLf());
}

} // namespace
