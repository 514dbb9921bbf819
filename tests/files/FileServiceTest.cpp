// The one service every write goes through: what it does with each kind of
// target, and what it keeps of the file it replaces. Another user's file is
// written as the unprivileged user "nobody" (the suite runs as root in CI);
// the read-only case is in OutputFaultTest.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "files/InterruptCleanup.h"
#include "files/TextFile.h"
#include "support/Unprivileged.h"

using namespace kalden;
using namespace kalden::testing;
namespace fs = std::filesystem;

namespace {

const std::string OldText = "old report\r\n";
const std::string NewText = "new report\r\nsecond line\r\n";

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

struct stat statOf(const fs::path& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

// Writes NewText at `path`: "" when it succeeded, else the error.
std::string writeNew(const std::string& path) {
    std::string error;
    return writeFileReplacing(path, NewText, error) ? "" : error;
}

// A POSIX access control list as its extended attribute holds it: owner rw,
// user `uid` rw, group r, mask rw, others nothing.
std::string aclGrantingUser(uid_t uid) {
    std::string value;
    const auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) value.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
    };
    const auto entry = [&](std::uint16_t tag, std::uint16_t perm, std::uint32_t id) {
        put32(tag | (std::uint32_t{perm} << 16));
        put32(id);
    };
    put32(2);            // version
    entry(0x01, 6, ~0u); // owner
    entry(0x02, 6, uid); // named user
    entry(0x04, 4, ~0u); // owning group
    entry(0x10, 6, ~0u); // mask
    entry(0x20, 0, ~0u); // others
    return value;
}

std::string aclOf(const fs::path& path) {
    char buffer[256];
    const ssize_t size = ::getxattr(path.c_str(), "system.posix_acl_access", buffer, sizeof buffer);
    return size > 0 ? std::string(buffer, static_cast<std::size_t>(size)) : std::string();
}

class FileService : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kalden-file-service-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        // A shared folder, as a group's or /tmp: anyone may add files.
        ASSERT_EQ(::chmod(folder_.c_str(), 01777), 0);
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::size_t entries() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder_), {})); }
    fs::path folder_;
};

} // namespace

TEST_F(FileService, AReplacedFileKeepsItsModeGroupAndAccessControlList) {
    const fs::path file = folder_ / "results.txt";
    writeBytes(file, OldText);
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    const gid_t group = runningAsRoot() ? unprivilegedUser().gid : ::getegid();
    ASSERT_EQ(::chown(file.c_str(), static_cast<uid_t>(-1), group), 0);
    const std::string acl = aclGrantingUser(unprivilegedUser().uid);
    if (::setxattr(file.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0)
        GTEST_SKIP() << "this file system keeps no access control lists: " << std::strerror(errno);
    const struct stat before = statOf(file);

    EXPECT_EQ(writeNew(file), "");

    const struct stat after = statOf(file);
    EXPECT_EQ(readBytes(file), NewText);
    EXPECT_NE(after.st_ino, before.st_ino) << "replaced by a new file, not rewritten";
    EXPECT_EQ(after.st_mode & 07777, before.st_mode & 07777);
    EXPECT_EQ(after.st_gid, group);
    EXPECT_EQ(aclOf(file), acl);
    EXPECT_EQ(entries(), 1u);
}

TEST_F(FileService, AnotherUsersFileIsWrittenInPlaceAndStaysTheirs) {
    if (!runningAsRoot()) GTEST_SKIP() << "making another user's file needs root";
    const fs::path file = folder_ / "shared.txt"; // root's, writable by everyone
    writeBytes(file, OldText);
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
    const struct stat before = statOf(file);

    EXPECT_EQ(runUnprivileged([&] { return writeNew(file); }), "");

    const struct stat after = statOf(file);
    EXPECT_EQ(readBytes(file), NewText);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode & 07777, 0666u);
    EXPECT_EQ(entries(), 1u);
}

TEST_F(FileService, AHardLinkedFileIsWrittenInPlaceSoEveryLinkSeesIt) {
    const fs::path file = folder_ / "a.txt", other = folder_ / "b.txt";
    writeBytes(file, OldText);
    fs::create_hard_link(file, other);

    EXPECT_EQ(writeNew(file), "");

    EXPECT_EQ(readBytes(other), NewText);
    EXPECT_EQ(statOf(file).st_nlink, 2u);
}

TEST_F(FileService, AnOpenDescriptorIsWrittenThroughAndKeepsAppending) {
    const fs::path log = folder_ / "log";
    for (const std::string prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        SCOPED_TRACE(prefix);
        writeBytes(log, OldText);
        const int fd = ::open(log.c_str(), O_WRONLY | O_APPEND);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(writeNew(prefix + std::to_string(fd)), "");
        ::close(fd);
        EXPECT_EQ(readBytes(log), OldText + NewText);
        EXPECT_EQ(entries(), 1u);
    }
}

TEST_F(FileService, AFifoIsWrittenAsItStands) {
    const fs::path fifo = folder_ / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = readBytes(fifo); });

    EXPECT_EQ(writeNew(fifo), "");
    reader.join();

    EXPECT_EQ(received, NewText);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(entries(), 1u);
}

TEST_F(FileService, SameFileSeesThroughEverySpelling) {
    const fs::path cases = folder_ / "cases.csv";
    writeBytes(cases, "id\n");
    writeBytes(folder_ / "other.csv", "id\n");
    fs::create_symlink("cases.csv", folder_ / "link.csv");
    const std::string base = cases.string();
    EXPECT_TRUE(sameFile(base, (folder_ / "." / "cases.csv").string()));
    EXPECT_TRUE(sameFile(base, (folder_ / "link.csv").string()));
    EXPECT_FALSE(sameFile(base, (folder_ / "other.csv").string()));
    EXPECT_FALSE(sameFile(base, (folder_ / "missing.csv").string()));
}

// Where the file system has no nameless temporary files the named one must
// go with the process, whichever of these signals ends it.
TEST_F(FileService, ANamedTemporaryFileGoesOnEverySignalThatEndsTheProcess) {
    const fs::path temporary = folder_ / ".kalden-test";
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ}) {
        SCOPED_TRACE(signal);
        writeBytes(temporary, "half");
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const rlimit noCore{0, 0};
            ::setrlimit(RLIMIT_CORE, &noCore);
            armInterruptCleanup(temporary.string());
            ::raise(signal);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_FALSE(fs::exists(temporary));
    }
}
