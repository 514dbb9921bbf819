#include <gtest/gtest.h>

#include "files/FileErrors.h"

namespace kalden {
namespace {

TEST(FileErrorMessages, NameTheActionAndTheFileThenTheReason) {
    const std::string data = "/home/ann/.local/share/kalden/kalden.txt";
    EXPECT_EQ(fileErrorMessage(FileAction::SaveLastCase, data, "No space left on device"),
              "Could not save the last case to /home/ann/.local/share/kalden/kalden.txt: No space left on device");
    EXPECT_EQ(fileErrorMessage(FileAction::ReadLastCase, data, "Is a directory"),
              "Could not read the last case from /home/ann/.local/share/kalden/kalden.txt: Is a directory");
    EXPECT_EQ(fileErrorMessage(FileAction::DeleteLastCase, data, "Permission denied"),
              "Could not delete the last case in /home/ann/.local/share/kalden/kalden.txt: Permission denied");
    EXPECT_EQ(fileErrorMessage(FileAction::SaveResults, "/tmp/results.txt", "Read-only file system"),
              "Could not save the results to /tmp/results.txt: Read-only file system");
    EXPECT_EQ(fileErrorMessage(FileAction::ReadResults, "/tmp/old.txt", "No such file or directory"),
              "Could not read the results from /tmp/old.txt: No such file or directory");
    EXPECT_EQ(fileErrorMessage(FileAction::ReadMatrixFile, "/tmp/four.mtx", "Is a directory"),
              "Could not read the matrix file /tmp/four.mtx: Is a directory");
}

} // namespace
} // namespace kalden
