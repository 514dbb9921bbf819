#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/MatrixFile.h"
#include "matrix/WorkMatrix.h"

using namespace kalden;

namespace {

using Rows = std::vector<std::vector<double>>;

const Rows FourVariables = {
    {1.0},
    {0.234, 1.0},
    {0.435, 0.346, 1.0},
    {0.664, 0.564, 0.389, 1.0},
};

// A lower triangle of `order` rows with 0.5 everywhere off the diagonal.
std::string triangle(int order, const char* lineEnd = "\n") {
    std::string text;
    for (int i = 1; i <= order; ++i) {
        for (int j = 1; j < i; ++j) text += "0.5 ";
        text += std::string("1.000") + lineEnd;
    }
    return text;
}

TEST(MatrixFileReader, ReadsTheExampleOfTheMatrixHelpWithItsTitle) {
    const MatrixFileReading reading = readMatrixText(
        "Title: A sample matrix with four variables\n"
        "1.000\n"
        "0.234 1.000\n"
        "0.435 0.346 1.000\n"
        "0.664 0.564 0.389 1.000\n",
        4);
    ASSERT_TRUE(reading.ok()) << reading.error;
    EXPECT_EQ(reading.error, "");
    EXPECT_EQ(reading.matrix->title, "Title: A sample matrix with four variables");
    EXPECT_EQ(reading.matrix->rows, FourVariables);
}

TEST(MatrixFileReader, AcceptsEveryDocumentedVariationOfTheLayout) {
    struct Case {
        const char* name;
        std::string text;
        std::string title;
    };
    const std::vector<Case> cases = {
        {"no title, CR LF, trailing blank lines",
         "1.000\r\n0.234 1.000\r\n0.435 0.346 1.000\r\n0.664 0.564 0.389 1.000\r\n\r\n   \r\n\t\r\n", ""},
        {"leading zeros omitted, tabs and runs of blanks", "1\n.234\t1\n  .435   .346 1.0 \n.664\t\t.564 .389 1.000",
         ""},
        {"title line with CR LF", "Title: r\r\n1\r\n0.234 1\r\n0.435 0.346 1\r\n0.664 0.564 0.389 1\r\n", "Title: r"},
        {"bare title prefix", "Title:\n1\n0.234 1\n0.435 0.346 1\n0.664 0.564 0.389 1\n", "Title:"},
        {"byte-order mark before the title", "\xEF\xBB\xBFTitle: x\n1\n0.234 1\n0.435 0.346 1\n0.664 0.564 0.389 1\n",
         "Title: x"},
        {"lone CR line ends", "1\r0.234 1\r0.435 0.346 1\r0.664 0.564 0.389 1\r", ""},
        {"explicit plus sign", "1\n+0.234 1\n0.435 0.346 1\n0.664 0.564 0.389 1\n", ""},
    };
    for (const Case& c : cases) {
        const MatrixFileReading reading = readMatrixText(c.text, 4);
        ASSERT_TRUE(reading.ok()) << c.name << ": " << reading.error;
        EXPECT_EQ(reading.matrix->title, c.title) << c.name;
        EXPECT_EQ(reading.matrix->rows, FourVariables) << c.name;
    }
}

TEST(MatrixFileReader, ReadsNegativeValuesAndTheLargestOrders) {
    const MatrixFileReading negative = readMatrixText("1\n-.5 1\n-0.999 0.999 1\n", 3);
    ASSERT_TRUE(negative.ok()) << negative.error;
    EXPECT_EQ(negative.matrix->rows, (Rows{{1.0}, {-0.5, 1.0}, {-0.999, 0.999, 1.0}}));

    const MatrixFileReading single = readMatrixText("1.000\n", 1);
    ASSERT_TRUE(single.ok()) << single.error;
    EXPECT_EQ(single.matrix->rows, (Rows{{1.0}}));

    const MatrixFileReading twenty = readMatrixText("Title: twenty\r\n" + triangle(20, "\r\n"), 20);
    ASSERT_TRUE(twenty.ok()) << twenty.error;
    ASSERT_EQ(twenty.matrix->rows.size(), 20u);
    EXPECT_EQ(twenty.matrix->rows[19].size(), 20u);
    EXPECT_EQ(twenty.matrix->rows[19][0], 0.5);
    EXPECT_EQ(twenty.matrix->rows[19][19], 1.0);
}

TEST(MatrixFileReader, RejectsEveryKindOfBadFileWithAMessageNamingTheLine) {
    struct Case {
        const char* name;
        std::string text;
        int order;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"row too short", "1\n0.2\n", 2, "Line 2 of the matrix file holds 1 value; row 2 of the matrix needs 2."},
        {"row too long after a title", "Title: t\n1\n0.2 0.3 1\n", 3,
         "Line 3 of the matrix file holds 3 values; row 2 of the matrix needs 2."},
        {"blank line between rows", "1\n\n0.2 1\n", 2,
         "Line 2 of the matrix file holds no values; row 2 of the matrix needs 2."},
        {"value above 1", "1\n1.2 1\n", 2,
         "Line 2 of the matrix file holds 1.2 in column 1; a value off the diagonal must be greater than -1 and less than 1."},
        {"off-diagonal 1.000", "1\n0.1 1\n0.2 1.000 1\n", 3,
         "Line 3 of the matrix file holds 1.000 in column 2; a value off the diagonal must be greater than -1 and less than 1."},
        {"off-diagonal -1", "Title:\n1\n-1 1\n", 2,
         "Line 3 of the matrix file holds -1 in column 1; a value off the diagonal must be greater than -1 and less than 1."},
        {"diagonal other than 1", "1\n0.5 0.9\n", 2,
         "Line 2 of the matrix file ends with 0.9, but the diagonal value of row 2 must be 1."},
        {"first diagonal zero", "0.000\n", 1,
         "Line 1 of the matrix file ends with 0.000, but the diagonal value of row 1 must be 1."},
        {"more rows than the order", "1\n0.1 1\n0.1 0.1 1\n", 2,
         "Line 3 of the matrix file holds row 3, but the matrix has only 2 rows."},
        {"more rows than an order of 1", "Title: one\n1\n0.1 1\n", 1,
         "Line 3 of the matrix file holds row 2, but the matrix has only 1 row."},
        {"more than 20 rows", triangle(21), 25,
         "Line 21 of the matrix file holds row 21, but a matrix file holds at most 20 rows."},
        {"decimal comma", "1\n0,5 1\n", 2, "Line 2 of the matrix file holds \"0,5\", which is not a number."},
        {"exponent", "1\n1e-1 1\n", 2, "Line 2 of the matrix file holds \"1e-1\", which is not a number."},
        {"two points", "1\n0.1.2 1\n", 2, "Line 2 of the matrix file holds \"0.1.2\", which is not a number."},
        {"lone point", "1\n. 1\n", 2, "Line 2 of the matrix file holds \".\", which is not a number."},
        {"lone minus", "1\n- 1\n", 2, "Line 2 of the matrix file holds \"-\", which is not a number."},
        {"minus after digits", "1\n0.5- 1\n", 2, "Line 2 of the matrix file holds \"0.5-\", which is not a number."},
        {"nan", "1\nnan 1\n", 2, "Line 2 of the matrix file holds \"nan\", which is not a number."},
        {"title in lower case", "title: x\n1\n", 1,
         "Line 1 of the matrix file holds \"title:\", which is not a number."},
        {"title on a later line", "1\nTitle: x\n", 2,
         "Line 2 of the matrix file holds \"Title:\", which is not a number."},
        {"long and unprintable text",
         "1\n0.5\x01"
         "1234567890123456789x 1\n",
         2, "Line 2 of the matrix file holds \"0.5?1234567890123456...\", which is not a number."},
        {"one row missing", triangle(3), 4, "The matrix file ends after row 3; row 4 of the matrix is missing."},
        {"two rows missing", triangle(2), 4,
         "The matrix file ends after row 2; rows 3 and 4 of the matrix are missing."},
        {"several rows missing", triangle(2), 5,
         "The matrix file ends after row 2; rows 3 to 5 of the matrix are missing."},
        {"order above 20", triangle(20), 25,
         "The matrix file ends after row 20; rows 21 to 25 of the matrix are missing."},
        {"empty file", "", 4, "The matrix file holds no rows of the matrix; the matrix needs 4."},
        {"title only", "Title: nothing else\r\n\r\n", 4,
         "The matrix file holds no rows of the matrix; the matrix needs 4."},
    };
    for (const Case& c : cases) {
        const MatrixFileReading reading = readMatrixText(c.text, c.order);
        EXPECT_FALSE(reading.ok()) << c.name;
        EXPECT_FALSE(reading.matrix.has_value()) << c.name;
        EXPECT_EQ(reading.error, c.message) << c.name;
    }
}

TEST(MatrixFileReader, RefusesAnOrderTheWindowCannotHave) {
    EXPECT_THROW(readMatrixText("1\n", 0), std::invalid_argument);
    EXPECT_THROW(readMatrixText("1\n", 51), std::invalid_argument);
}

class MatrixFileOnDisk : public ::testing::Test {
protected:
    std::filesystem::path folder;
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("kalden-matrix-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string write(const std::string& name, const std::string& content) {
        const std::filesystem::path path = folder / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }
};

TEST_F(MatrixFileOnDisk, ReadsAFileWrittenWithCrLf) {
    const std::string path = write("four.mtx",
                                   "Title: A sample matrix with four variables\r\n1.000\r\n0.234 1.000\r\n"
                                   "0.435 0.346 1.000\r\n0.664 0.564 0.389 1.000\r\n");
    const MatrixFileReading reading = readMatrixFile(path, 4);
    ASSERT_TRUE(reading.ok()) << reading.error;
    EXPECT_EQ(reading.matrix->title, "Title: A sample matrix with four variables");
    EXPECT_EQ(reading.matrix->rows, FourVariables);
}

TEST_F(MatrixFileOnDisk, ReportsAFaultInsideTheFileByItsLine) {
    const std::string path = write("bad.txt", "1\r\n0.2 1\r\n0.3 0.4\r\n");
    EXPECT_EQ(readMatrixFile(path, 3).error,
              "Could not read the matrix file " + path +
                  ": Line 3 of the matrix file holds 2 values; row 3 of the matrix needs 3.");
}

// What the C library says when a folder is opened as a file.
#ifdef _WIN32
const std::string FolderReadError = "Permission denied";
#else
const std::string FolderReadError = "Is a directory";
#endif

TEST_F(MatrixFileOnDisk, ReportsTheSystemsReasonWhenTheFileCannotBeRead) {
    const std::string missing = (folder / "missing.mtx").string();
    EXPECT_EQ(readMatrixFile(missing, 2).error,
              "Could not read the matrix file " + missing + ": No such file or directory");
    EXPECT_EQ(readMatrixFile(folder.string(), 2).error,
              "Could not read the matrix file " + folder.string() + ": " + FolderReadError);
}

TEST_F(MatrixFileOnDisk, RefusesAHugeFileWithoutReadingAllOfIt) {
    const std::string path = write("huge.txt", triangle(2) + std::string(MatrixFileMaxBytes, '\n'));
    const MatrixFileReading reading = readMatrixFile(path, 2);
    EXPECT_FALSE(reading.ok());
    EXPECT_EQ(reading.error,
              "Could not read the matrix file " + path + ": it is larger than 1024 KB and cannot be a matrix file.");
}

TEST(WorkMatrixLayout, ElementIJLiesRowAfterRowFifty) {
    WorkMatrix m{};
    workElement(m, 1, 1) = 1;
    workElement(m, 2, 1) = 2;
    workElement(m, 1, 2) = 3;
    workElement(m, 50, 50) = 4;
    EXPECT_EQ(m[0], 1);
    EXPECT_EQ(m[50], 2);
    EXPECT_EQ(m[1], 3);
    EXPECT_EQ(m[2499], 4);
    EXPECT_THROW(workElement(m, 51, 1), std::out_of_range);
}

StoredMatrixValues storedOfOrder3() {
    StoredMatrixValues stored{};
    const double values[3][3] = {{1, 0.2, 0.3}, {0.2, 1, 0.4}, {0.3, 0.4, 1}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) stored[static_cast<std::size_t>(i * MAX_ORDER + j)] = values[i][j];
    stored[3 * MAX_ORDER + 3] = 9; // outside the order in use
    return stored;
}

TEST(WorkMatrixStart, IsTheIdentityWhenNoPreviousDataWasRead) {
    const WorkMatrix work = startingWorkMatrix(storedOfOrder3(), 3, false);
    for (int i = 1; i <= WorkMatrixOrder; ++i)
        for (int j = 1; j <= WorkMatrixOrder; ++j)
            ASSERT_EQ(workElement(work, i, j), i == j && i <= 3 ? 1.0 : 0.0) << i << "," << j;
}

TEST(WorkMatrixStart, IsTheStoredMatrixOnceAPreviousDataFileWasRead) {
    const WorkMatrix work = startingWorkMatrix(storedOfOrder3(), 3, true);
    EXPECT_EQ(workElement(work, 1, 2), 0.2);
    EXPECT_EQ(workElement(work, 3, 2), 0.4);
    EXPECT_EQ(workElement(work, 2, 2), 1.0);
    EXPECT_EQ(workElement(work, 4, 4), 0.0);
}

TEST(WorkMatrixStart, KeepsAUnitDiagonalAfterTheWorksheetClearedTheStore) {
    const WorkMatrix work = startingWorkMatrix(StoredMatrixValues{}, 3, true);
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j) EXPECT_EQ(workElement(work, i, j), i == j ? 1.0 : 0.0) << i << "," << j;
}

TEST(WorkMatrixStore, CopiesOnlyTheLeadingPartAndRefusesOrdersOutsideOneToTwenty) {
    WorkMatrix work{};
    for (int i = 1; i <= 4; ++i)
        for (int j = 1; j <= 4; ++j) workElement(work, i, j) = i * 10 + j;
    StoredMatrixValues stored{};
    stored[3 * MAX_ORDER + 3] = -7;
    storeAcceptedMatrix(work, 3, stored);
    EXPECT_EQ(stored[0], 11);
    EXPECT_EQ(stored[1], 12);
    EXPECT_EQ(stored[MAX_ORDER], 21);
    EXPECT_EQ(stored[2 * MAX_ORDER + 2], 33);
    EXPECT_EQ(stored[3], 0);                  // element (1, 4) not copied
    EXPECT_EQ(stored[3 * MAX_ORDER + 3], -7); // element (4, 4) kept
    EXPECT_THROW(storeAcceptedMatrix(work, 21, stored), std::invalid_argument);
    EXPECT_THROW(startingWorkMatrix(stored, 0, true), std::invalid_argument);
}

} // namespace
