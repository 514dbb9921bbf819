// kalden-report --output when the file cannot be written: the message on
// stderr names the file and gives the system's description, the exit status
// is 1, and a file that was there before is left exactly as it was.
//
// The faults are made for real: a read-only folder (a read-only bind mount
// when running as root, whom permissions do not stop), a folder that has
// gone, a full device (a tiny tmpfs) and a directory in the file's place.
// Where mounting is not permitted the test is skipped and says why.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "support/Unprivileged.h"

namespace fs = std::filesystem;

namespace {

const std::string OldReport = "An older report\r\nthat must survive.\r\n";

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// The entries of a folder, by name, sorted.
std::vector<std::string> entriesOf(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome reportTo(const fs::path& output) {
    const std::vector<std::string> args = {"--output", output.string(), "12", "7", "11", "9", "8", "10", "13"};
    std::ostringstream out, err;
    const int status = kalden::cli::run(args, out, err);
    return {status, out.str(), err.str()};
}

std::string cannotWrite(const fs::path& output, const std::string& description) {
    return "kalden-report: cannot write " + output.string() + ": " + description + "\n";
}

// A fresh folder of the test's own, removed afterwards with anything mounted
// on it unmounted first.
class OutputFault : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kalden-output-fault-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr) << std::strerror(errno);
        folder_ = pattern;
    }
    void TearDown() override {
        for (auto it = mounts_.rbegin(); it != mounts_.rend(); ++it) ::umount2(it->c_str(), MNT_DETACH);
        if (!folder_.empty()) {
            ::chmod(folder_.c_str(), 0700);
            std::error_code ec;
            fs::remove_all(folder_, ec);
        }
    }

    // mount(2) with `what` on `where`; on failure returns the reason, which
    // the caller turns into a skip.
    std::string mountOn(const char* source, const fs::path& where, const char* type, unsigned long flags,
                        const char* options) {
        if (::mount(source, where.c_str(), type, flags, options) != 0)
            return std::string("mounting is not permitted here (") + std::strerror(errno) + ")";
        if ((flags & MS_REMOUNT) == 0) mounts_.push_back(where);
        return "";
    }

    fs::path folder_;
    std::vector<fs::path> mounts_;
};

TEST_F(OutputFault, ReadOnlyFolderKeepsTheOldReport) {
    const fs::path output = folder_ / "results.txt";
    writeBytes(output, OldReport);
    std::string description;
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(folder_.c_str(), 0555), 0);
        description = "Permission denied";
    } else {
        // Root writes into any folder whatever its mode: make the folder a
        // read-only bind mount of itself instead.
        const std::string bindFailed = mountOn(folder_.c_str(), folder_, nullptr, MS_BIND, nullptr);
        if (!bindFailed.empty()) GTEST_SKIP() << "running as root and " << bindFailed;
        const std::string roFailed = mountOn(nullptr, folder_, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr);
        if (!roFailed.empty()) GTEST_SKIP() << "running as root and read-only re" << roFailed;
        description = "Read-only file system";
    }

    const Outcome outcome = reportTo(output);

    EXPECT_EQ(outcome.status, kalden::cli::ExitWriteFailed);
    EXPECT_EQ(outcome.err, cannotWrite(output, description));
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(readBytes(output), OldReport);
    EXPECT_EQ(entriesOf(folder_), std::vector<std::string>{"results.txt"});
}

TEST_F(OutputFault, VanishedFolderIsReportedAndNothingIsCreated) {
    const fs::path gone = folder_ / "gone";
    fs::create_directory(gone);
    fs::remove(gone);
    const fs::path output = gone / "results.txt";

    const Outcome outcome = reportTo(output);

    EXPECT_EQ(outcome.status, kalden::cli::ExitWriteFailed);
    EXPECT_EQ(outcome.err, cannotWrite(output, "No such file or directory"));
    EXPECT_FALSE(fs::exists(gone));
    EXPECT_TRUE(entriesOf(folder_).empty());
}

TEST_F(OutputFault, FullDeviceKeepsTheOldReportAndLeavesNoPartialFile) {
    const std::string failed = mountOn("tmpfs", folder_, "tmpfs", 0, "size=64k");
    if (!failed.empty()) GTEST_SKIP() << failed;
    const fs::path output = folder_ / "results.txt";
    writeBytes(output, OldReport);
    // Fill every remaining block.
    {
        const int fd = ::open((folder_ / "filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0) << std::strerror(errno);
        const std::string block(4096, 'x');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        while (::write(fd, block.data(), 1) > 0) {
        }
        EXPECT_EQ(errno, ENOSPC);
        ::close(fd);
    }

    const Outcome outcome = reportTo(output);

    EXPECT_EQ(outcome.status, kalden::cli::ExitWriteFailed);
    EXPECT_EQ(outcome.err, cannotWrite(output, "No space left on device"));
    EXPECT_EQ(readBytes(output), OldReport);
    EXPECT_EQ(entriesOf(folder_), (std::vector<std::string>{"filler", "results.txt"}));
}

TEST_F(OutputFault, DirectoryInThePlaceOfTheFileIsLeftAsItWas) {
    const fs::path output = folder_ / "results.txt";
    fs::create_directory(output);
    writeBytes(output / "inside.txt", OldReport);

    const Outcome outcome = reportTo(output);

    EXPECT_EQ(outcome.status, kalden::cli::ExitWriteFailed);
    EXPECT_EQ(outcome.err, cannotWrite(output, "Is a directory"));
    EXPECT_TRUE(fs::is_directory(output));
    EXPECT_EQ(entriesOf(output), std::vector<std::string>{"inside.txt"});
    EXPECT_EQ(readBytes(output / "inside.txt"), OldReport);
    EXPECT_EQ(entriesOf(folder_), std::vector<std::string>{"results.txt"});
}

// The counterpart of the faults: with room to write, the old report is
// replaced by the whole new one and nothing else is left in the folder.
TEST_F(OutputFault, WritableFolderGetsTheWholeNewReport) {
    const fs::path output = folder_ / "results.txt";
    writeBytes(output, OldReport);
    ASSERT_EQ(::chmod(output.c_str(), 0640), 0);

    const Outcome outcome = reportTo(output);

    EXPECT_EQ(outcome.status, kalden::cli::ExitOk);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out, "");
    // The same report as printed, each line ending in CR LF.
    std::ostringstream printed, ignored;
    ASSERT_EQ(kalden::cli::run({"12", "7", "11", "9", "8", "10", "13"}, printed, ignored), kalden::cli::ExitOk);
    std::string expected;
    for (char c : printed.str()) {
        if (c == '\n') expected += '\r';
        expected += c;
    }
    EXPECT_EQ(readBytes(output), expected);
    struct stat st {};
    ASSERT_EQ(::stat(output.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(entriesOf(folder_), std::vector<std::string>{"results.txt"});
}

TEST_F(OutputFault, SymbolicLinkKeepsPointingAtTheNewReport) {
    const fs::path target = folder_ / "kept";
    fs::create_directory(target);
    const fs::path real = target / "results.txt";
    writeBytes(real, OldReport);
    const fs::path link = folder_ / "latest.txt";
    fs::create_symlink(fs::path("kept") / "results.txt", link);

    const Outcome outcome = reportTo(link);

    EXPECT_EQ(outcome.status, kalden::cli::ExitOk) << outcome.err;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readBytes(real).substr(0, 2), "\r\n");
    EXPECT_NE(readBytes(real), OldReport);
    EXPECT_EQ(entriesOf(target), std::vector<std::string>{"results.txt"});
}

// Run as "nobody" when the suite runs as root, whom permissions do not stop.
TEST_F(OutputFault, ReadOnlyFileIsNotReplacedBehindTheUsersBack) {
    const fs::path output = folder_ / "results.txt";
    writeBytes(output, OldReport);
    ASSERT_EQ(::chmod(output.c_str(), 0444), 0);
    if (kalden::testing::runningAsRoot()) {
        const auto user = kalden::testing::unprivilegedUser();
        ASSERT_EQ(::chown(folder_.c_str(), user.uid, user.gid), 0);
        ASSERT_EQ(::chown(output.c_str(), user.uid, user.gid), 0);
    }

    const std::string err = kalden::testing::runUnprivileged([&] {
        const Outcome outcome = reportTo(output);
        return std::to_string(outcome.status) + " " + outcome.err;
    });

    EXPECT_EQ(err, std::to_string(kalden::cli::ExitWriteFailed) + " " + cannotWrite(output, std::strerror(EACCES)));
    EXPECT_EQ(readBytes(output), OldReport);
}

} // namespace
