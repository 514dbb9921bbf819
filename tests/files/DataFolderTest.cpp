// The user's data folder and the last case in it, against what another user
// of the machine could plant there.
#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "files/DataHome.h"
#include "files/PreviousDataFile.h"
#include "support/Unprivileged.h"

using namespace kalden;
using namespace kalden::testing;
namespace fs = std::filesystem;

namespace {

const std::string Scores = "12 7 11 9 8 10 13  ";

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

unsigned modeOf(const fs::path& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

class DataFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kalden-data-folder-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        where_ = previousDataLocation((root_ / "share").string(), (root_ / "bin/kalden").string(), DataFileName);
    }
    void TearDown() override { fs::remove_all(root_); }

    bool save(std::string& error) const { return savePreviousDataFile(where_.userFile, Scores, error); }

    fs::path root_;
    PreviousDataLocation where_;
};

} // namespace

TEST_F(DataFolder, IsMadePrivateAndAWiderOneIsTightened) {
    std::string error;
    ASSERT_TRUE(save(error)) << error;
    EXPECT_EQ(modeOf(where_.userFolder), 0700u);
    EXPECT_EQ(modeOf(where_.userFile), 0600u);

    ASSERT_EQ(::chmod(where_.userFolder.c_str(), 0755), 0);
    ASSERT_TRUE(save(error)) << error;
    EXPECT_EQ(modeOf(where_.userFolder), 0700u);
}

// Another user links the data folder's name to a folder of theirs, where
// kalden.txt points at the victim's own file.
TEST_F(DataFolder, ALinkInTheFoldersPlaceIsRefusedByName) {
    const fs::path planted = root_ / "planted", victim = root_ / "bashrc";
    fs::create_directories(planted);
    fs::create_directories(root_ / "share");
    std::ofstream(victim) << "victim's own\n";
    fs::create_symlink(victim, planted / "kalden.txt");
    fs::create_directory_symlink(planted, where_.userFolder);
    const std::string reason = where_.userFolder + " is a symbolic link, not a folder of your own";

    std::string error;
    EXPECT_FALSE(save(error));
    EXPECT_EQ(error, reason);
    const PreviousDataFileResult read = loadPreviousData(where_, TemplateConfig{});
    EXPECT_TRUE(read.found && read.unreadable);
    EXPECT_EQ(read.reading.error, reason);
    EXPECT_EQ(readBytes(victim), "victim's own\n");
}

TEST_F(DataFolder, AnotherUsersFolderIsRefused) {
    if (!runningAsRoot()) GTEST_SKIP() << "making another user's folder needs root";
    fs::create_directories(where_.userFolder);
    ASSERT_EQ(::chown(where_.userFolder.c_str(), unprivilegedUser().uid, unprivilegedUser().gid), 0);

    std::string error;
    EXPECT_FALSE(save(error));
    EXPECT_EQ(error, where_.userFolder + " belongs to user nobody (uid " + std::to_string(unprivilegedUser().uid) +
                         "), not to you");
    EXPECT_FALSE(fs::exists(where_.userFile));
}

TEST_F(DataFolder, ALinkInTheFilesPlaceIsNeitherReadNorFollowed) {
    const fs::path victim = root_ / "bashrc";
    std::ofstream(victim) << "10 10 10 10 10 10 10  ";
    fs::create_directories(where_.userFolder);
    ASSERT_EQ(::chmod(where_.userFolder.c_str(), 0700), 0);
    fs::create_symlink(victim, where_.userFile);

    const PreviousDataFileResult read = loadPreviousData(where_, TemplateConfig{});
    EXPECT_TRUE(read.found && read.unreadable);
    EXPECT_EQ(read.reading.error, "A symbolic link, which is not followed");

    std::string error;
    EXPECT_TRUE(save(error)) << error;
    EXPECT_FALSE(fs::is_symlink(where_.userFile));
    EXPECT_EQ(readBytes(where_.userFile), Scores);
    EXPECT_EQ(readBytes(victim), "10 10 10 10 10 10 10  ");
}

// Sets or unsets an environment variable for the life of the object.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedVariable() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// The one rule both programs follow, read from the real environment. A
// relative XDG_DATA_HOME is invalid and ignored; without HOME the password
// database gives the home.
TEST(DataHome, TheEnvironmentDecidesAsTheXdgRulesSay) {
    const passwd* user = ::getpwuid(::getuid());
    ASSERT_NE(user, nullptr);
    const std::string ownHome = user->pw_dir;
    const struct {
        const char* xdg;
        const char* home;
        std::string expected;
    } cases[] = {
        {"/data/ann", "/home/ann", "/data/ann"},       {"reldata", "/home/ann", "/home/ann/.local/share"},
        {"", "/home/ann", "/home/ann/.local/share"},   {nullptr, "/home/ann", "/home/ann/.local/share"},
        {nullptr, nullptr, ownHome + "/.local/share"}, {nullptr, "", ownHome + "/.local/share"},
        {"/data/ann", nullptr, "/data/ann"},
    };
    for (const auto& c : cases) {
        const ScopedVariable xdg("XDG_DATA_HOME", c.xdg);
        const ScopedVariable home("HOME", c.home);
        EXPECT_EQ(userDataHome(), c.expected) << (c.xdg ? c.xdg : "(unset)") << ", " << (c.home ? c.home : "(unset)");
        EXPECT_EQ(dataHomeFromEnvironment(c.xdg, c.home && *c.home ? c.home : ownHome.c_str()), c.expected);
    }
}
