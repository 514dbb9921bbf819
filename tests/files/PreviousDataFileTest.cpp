#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "files/PreviousDataFile.h"
#include "format/NumberFormat.h"

using namespace kalden;

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
}

// A fresh folder under the test's temporary directory.
std::string freshFolder(const std::string& name) {
    const char* base = std::getenv("TMPDIR");
    std::string folder =
        std::string(base && *base ? base : "/tmp") + "/kalden-pdf-" + name + "-" + std::to_string(::getpid());
    std::string cmd = "rm -rf '" + folder + "'";
    if (std::system(cmd.c_str()) != 0) return folder;
    ::mkdir(folder.c_str(), 0755);
    return folder;
}

PreviousData scores(std::initializer_list<const char*> texts) {
    PreviousData d;
    std::size_t i = 0;
    for (const char* t : texts) d.fieldTexts[i++] = t;
    return d;
}

double element(const StoredMatrixValues& m, int i, int j) {
    return m[static_cast<std::size_t>((i - 1) * MAX_ORDER + (j - 1))];
}

// ---- Where the file lives --------------------------------------------------

TEST(ExeScan, TakesTheFolderBeforeTheExecutableName) {
    EXPECT_EQ(programFolderByExeScan("C:\\Tests\\KALDEN.EXE"), "C:\\Tests");
    EXPECT_EQ(dataFilePath(programFolderByExeScan("C:\\Tests\\KALDEN.EXE"), DataFileName, '\\'),
              "C:\\Tests\\kalden.txt");
}

TEST(ExeScan, MatchesExeInEitherCase) {
    EXPECT_EQ(programFolderByExeScan("D:\\Psych\\Tools\\kalden.Exe"), "D:\\Psych\\Tools");
    EXPECT_EQ(programFolderByExeScan("D:\\x\\k.eXE"), "D:\\x");
}

TEST(ExeScan, WithoutExeTheFolderIsEmptyAndTheFileGoesToTheRoot) {
    EXPECT_EQ(programFolderByExeScan("C:\\Tests\\KALDEN"), "");
    EXPECT_EQ(dataFilePath(programFolderByExeScan("C:\\Tests\\KALDEN"), DataFileName, '\\'), "\\kalden.txt");
    // The Linux executable has no extension: the literal rule would use the root.
    EXPECT_EQ(programFolderByExeScan("/opt/kalden/bin/kalden", '/'), "");
}

TEST(ExeScan, AFolderContainingExeEndsTheScanEarly) {
    EXPECT_EQ(programFolderByExeScan("C:\\old.exe.files\\bin\\KALDEN.EXE"), "C:");
}

TEST(ExeScan, AnExeWithNoSeparatorBeforeItGivesTheEmptyFolder) { EXPECT_EQ(programFolderByExeScan("KALDEN.EXE"), ""); }

TEST(ExeScan, TheDotMustBeFollowedByAllThreeLetters) {
    EXPECT_EQ(programFolderByExeScan("C:\\a\\k.ex"), "");
    EXPECT_EQ(programFolderByExeScan("C:\\a\\k.exf"), "");
}

TEST(ExeScan, WorksWithAnotherSeparator) {
    EXPECT_EQ(programFolderByExeScan("/home/ann/wine/KALDEN.EXE", '/'), "/home/ann/wine");
}

TEST(ProgramFolder, IsTheFolderOfTheRunningExecutable) {
    EXPECT_EQ(programFolder("/opt/kalden/bin/kalden"), "/opt/kalden/bin");
    EXPECT_EQ(dataFilePath(programFolder("/opt/kalden/bin/kalden")), "/opt/kalden/bin/kalden.txt");
    EXPECT_EQ(programFolder("/kalden"), "");
    EXPECT_EQ(dataFilePath(programFolder("/kalden")), "/kalden.txt");
    EXPECT_EQ(programFolder("kalden"), ".");
}

TEST(DataLocation, TheFileIsTheUsersOwnAndTheOldPlaceIsBesideTheExecutable) {
    const PreviousDataLocation kalden = previousDataLocation("/home/ann/.local/share", "/usr/bin/kalden");
    EXPECT_EQ(kalden.userFolder, "/home/ann/.local/share/kalden");
    EXPECT_EQ(kalden.userFile, "/home/ann/.local/share/kalden/kalden.txt");
    EXPECT_EQ(kalden.legacyFile, "/usr/bin/kalden.txt");
    const PreviousDataLocation demo =
        previousDataLocation("/home/ann/.local/share", "/opt/k/kalden-template-demo", "kalden-template-demo.txt");
    EXPECT_EQ(demo.userFile, "/home/ann/.local/share/kalden/kalden-template-demo.txt");
    // No data folder known: beside the executable, the only place left.
    EXPECT_EQ(previousDataLocation("", "/opt/k/kalden").userFile, "/opt/k/kalden.txt");
}

TEST(DataLocation, AnOlderFileIsReadOnlyUntilTheUsersFolderExists) {
    const std::string folder = freshFolder("carry");
    const PreviousDataLocation at = previousDataLocation(folder + "/share", folder + "/kalden");
    EXPECT_EQ(at.startFile(), at.userFile); // nothing anywhere
    ::mkdir(at.legacyFile.c_str(), 0755);
    EXPECT_EQ(at.startFile(), at.userFile); // a folder of that name is no file to carry over
    ::rmdir(at.legacyFile.c_str());
    writeFile(at.legacyFile, "10 12 9 11 8 13 10  ");
    EXPECT_EQ(at.startFile(), at.legacyFile);
    std::string error;
    ASSERT_TRUE(savePreviousDataFile(at.userFile, "1 1 1 1 1 1 1  ", error)) << error;
    EXPECT_EQ(at.startFile(), at.userFile);
    ASSERT_TRUE(deletePreviousDataFile(at.userFile, error)) << error;
    EXPECT_EQ(at.startFile(), at.userFile); // after Clear Data the older file stays forgotten
    EXPECT_EQ(readFile(at.legacyFile), "10 12 9 11 8 13 10  ");
}

TEST(DataLocation, SavingMakesTheFolderAndTheFilePrivate) {
    const std::string folder = freshFolder("private");
    const std::string path = folder + "/home/.local/share/kalden/kalden.txt";
    const mode_t savedMask = ::umask(0);
    std::string error;
    const bool saved = savePreviousDataFile(path, "1 1 1 1 1 1 1  ", error);
    ::umask(savedMask);
    ASSERT_TRUE(saved) << error;
    struct stat st {};
    for (const std::string& made : {folder + "/home", folder + "/home/.local/share/kalden"}) {
        ASSERT_EQ(::stat(made.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0700u) << made;
    }
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0); // as an older copy may have it
    ASSERT_TRUE(savePreviousDataFile(path, "2 2 2 2 2 2 2  ", error)) << error;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(readFile(path), "2 2 2 2 2 2 2  ");
}

// ---- Writing ---------------------------------------------------------------

TEST(DataFileContent, TheSevenScoresAndTheEmptyAgeEntry) {
    const std::string content =
        composePreviousDataContent(scores({"10", "12", "9", "11", "8", "13", "10"}), TemplateConfig{});
    EXPECT_EQ(content, "10 12 9 11 8 13 10  ");
    EXPECT_EQ(content.size(), 20u);
}

TEST(DataFileContent, TextsAreStoredAsTypedWithoutConversion) {
    EXPECT_EQ(composePreviousDataContent(scores({"09", "10.50", "-5", "1.", "19", "7", "12"}), TemplateConfig{}),
              "09 10.50 -5 1. 19 7 12  ");
}

// Fault mended: a pasted blank no longer splits a text into two numbers.
TEST(DataFileContent, BlanksInAFieldTextAreLeftOut) {
    EXPECT_EQ(withoutBlanks(" 1 2 "), "12");
    EXPECT_EQ(composePreviousDataContent(scores({"1 2", " 7", "9", "11", "8", "13", "10"}), TemplateConfig{}),
              "12 7 9 11 8 13 10  ");
}

TEST(DataFileContent, GridCellsFollowWhenTheGridIsOn) {
    TemplateConfig config;
    config.UseDataGrid = true;
    config.GridColumns = 2;
    config.GridRows = 2;
    PreviousData d = scores({"2", "2", "1", "1", "1", "1", "1"});
    d.gridCells = {{"1.5", "2"}, {"3 4"}};
    EXPECT_EQ(composePreviousDataContent(d, config), "2 2 1 1 1 1 1  1.5 2 34 0 ");
}

// Fault mended: a pasted text longer than one token of the reading no longer
// comes back as two numbers that shift the later fields.
TEST(DataFileContent, ATextLongerThanOneTokenIsWrittenAsItsValue) {
    const std::string longOne = "1." + std::string(70, '0');
    const std::string longTen = std::string(60, '0') + "10.5" + std::string(10, '0');
    const std::string content =
        composePreviousDataContent(scores({longOne.c_str(), longTen.c_str(), "9", "11", "8", "13", "10"}),
                                   TemplateConfig{});
    EXPECT_EQ(content, "1 10.5 9 11 8 13 10  ");
    const PreviousDataReading r = readPreviousDataContent(content, TemplateConfig{});
    ASSERT_TRUE(r.ok());
    const std::array<std::string, 8> expected = {"1", "10.5", "9", "11", "8", "13", "10", ""};
    EXPECT_EQ(r.fieldTexts, expected);
}

// Fault mended: every cell the reading takes back is written as one number,
// so the matrix after the grid is read from where it was written.
TEST(DataFileContent, GridCellsAreTheOnesTheReadingTakesEachAsOneNumber) {
    TemplateConfig config;
    config.UseDataGrid = true;
    config.UseCorrelationMatrix = true;
    config.StoredValueCount = 8;
    config.GridColumns = 2;
    config.GridRows = 2;
    struct Case {
        const char* name;
        PreviousData data;
        const char* content;
    };
    PreviousData texts = scores({"2", "2", "1", "1", "1", "1", "1", "2"});
    texts.gridCells = {{"", "abc"}, {"-", " 1 e5"}};
    PreviousData wider = scores({"3", "1.0", "1", "1", "1", "1", "1", "2"});
    wider.gridCells = {{"7", "8"}, {"9", "10"}};
    PreviousData noSize = scores({"2.5", "2", "1", "1", "1", "1", "1", "2"});
    noSize.gridCells = wider.gridCells;
    const Case cases[] = {
        {"empty, not a number, a lone minus, an exponent", texts, "2 2 1 1 1 1 1 2 0 0 0 1e5  1.000 0.500 1.000"},
        {"fields 1 and 2 larger than the grid", wider, "3 1.0 1 1 1 1 1 2 7 8 0  1.000 0.500 1.000"},
        {"field 1 not a whole number: the reading stops before the grid", noSize,
         "2.5 2 1 1 1 1 1 2  1.000 0.500 1.000"},
    };
    for (Case c : cases) {
        c.data.matrixSize = 2;
        c.data.storedMatrix[0] = 1.0;
        c.data.storedMatrix[20] = 0.5;
        c.data.storedMatrix[21] = 1.0;
        const std::string content = composePreviousDataContent(c.data, config);
        EXPECT_EQ(content, c.content) << c.name;
        const PreviousDataReading back = readPreviousDataContent(content, config);
        if (c.data.fieldTexts[0] == std::string("2.5")) continue;
        ASSERT_TRUE(back.ok()) << c.name << ": " << back.error;
        EXPECT_EQ(element(back.storedMatrix, 1, 2), 0.5) << c.name;
        EXPECT_EQ(element(back.storedMatrix, 2, 2), 1.0) << c.name;
    }
}

TEST(DataFileContent, MatrixLowerTriangleWithThreeDecimalsAndAPoint) {
    TemplateConfig config;
    config.UseCorrelationMatrix = true;
    PreviousData d = scores({"1", "1", "1", "1", "1", "1", "1", "3"});
    auto set = [&](int i, int j, double v) { d.storedMatrix[static_cast<std::size_t>((i - 1) * 20 + (j - 1))] = v; };
    set(1, 1, 1);
    set(2, 1, 0.5);
    set(2, 2, 1);
    set(3, 1, -0.25);
    set(3, 2, 0.0625);
    set(3, 3, 1);
    set(1, 2, 9); // the upper triangle is never written
    d.matrixSize = 3;
    const char saved = decimalSeparator();
    setDecimalSeparator(',');
    const std::string content = composePreviousDataContent(d, config);
    setDecimalSeparator(saved);
    EXPECT_EQ(content, "1 1 1 1 1 1 1 3  1.000 0.500 1.000 -0.250 0.063 1.000");
}

// ---- Reading ---------------------------------------------------------------

TEST(NumberReading, ConvertsTheDecimalGrammar) {
    struct Case {
        const char* token;
        bool ok;
        double value;
    } cases[] = {
        {"12", true, 12},    {"-5", true, -5},   {"+7", true, 7},        {"9.50", true, 9.5}, {".5", true, 0.5},
        {"5.", true, 5},     {"1e2", true, 100}, {"2.5E-1", true, 0.25}, {"1e+1", true, 10},  {"", false, 0},
        {".", false, 0},     {"-", false, 0},    {"1e", false, 0},       {"1.5.", false, 0},  {"abc", false, 0},
        {"inf", false, 0},   {"nan", false, 0},  {"0x10", false, 0},     {"1,5", false, 0},   {"5-", false, 0},
        {"1e999", false, 0}, {"--1", false, 0},
    };
    for (const Case& c : cases) {
        double v = -1;
        EXPECT_EQ(convertDecimal(c.token, v), c.ok) << c.token;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.token;
        }
    }
}

TEST(NumberReading, SeparatorsAreBlanksTabsLineEndsAndEndOfFileReadsZero) {
    NumberReader reader(" 1\t2\r\n3\n\n  ");
    double v = -1;
    for (double expected : {1.0, 2.0, 3.0, 0.0, 0.0}) {
        ASSERT_TRUE(reader.read(v));
        EXPECT_EQ(v, expected);
    }
}

TEST(NumberReading, ATokenEndsAtAControlCharacterOrAfterSixtyFourCharacters) {
    NumberReader reader(
        "12\x01"
        "3");
    double v = 0;
    ASSERT_TRUE(reader.read(v));
    EXPECT_EQ(v, 12);
    ASSERT_TRUE(reader.read(v));
    EXPECT_EQ(v, 3);

    const std::string longToken = std::string(64, '1') + "2";
    NumberReader longReader(longToken);
    ASSERT_TRUE(longReader.read(v));
    EXPECT_EQ(longReader.offset(), 64u);
    ASSERT_TRUE(longReader.read(v));
    EXPECT_EQ(v, 2);
}

TEST(PreviousDataReading, RestoresSevenFieldsInGeneralFormat) {
    const PreviousDataReading r = readPreviousDataContent("10 12 9 11 8 13 10  ", TemplateConfig{});
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.fieldsRead, 7);
    const std::array<std::string, 8> expected = {"10", "12", "9", "11", "8", "13", "10", ""};
    EXPECT_EQ(r.fieldTexts, expected);
}

TEST(PreviousDataReading, ValuesComeBackReformatted) {
    const PreviousDataReading r = readPreviousDataContent("09 10.50 12.3456789 -5 1e1 0.000001 7", TemplateConfig{});
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.fieldTexts[0], "9");
    EXPECT_EQ(r.fieldTexts[1], "10.5");
    EXPECT_EQ(r.fieldTexts[2], "12.3457");
    EXPECT_EQ(r.fieldTexts[3], "-5");
    EXPECT_EQ(r.fieldTexts[4], "10");
    EXPECT_EQ(r.fieldTexts[5], "1e-06");
}

TEST(PreviousDataReading, AZeroLengthFileGivesZeroInEveryField) {
    const PreviousDataReading r = readPreviousDataContent("", TemplateConfig{});
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.fieldsRead, 7);
    for (int k = 0; k < 7; ++k) EXPECT_EQ(r.fieldTexts[static_cast<std::size_t>(k)], "0");
    EXPECT_EQ(r.fieldTexts[7], "");
}

TEST(PreviousDataReading, MissingNumbersShowZero) {
    const PreviousDataReading r = readPreviousDataContent("10 12 9", TemplateConfig{});
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.fieldTexts[2], "9");
    EXPECT_EQ(r.fieldTexts[3], "0");
    EXPECT_EQ(r.fieldTexts[6], "0");
}

TEST(PreviousDataReading, NumbersBeyondTheSeventhAreIgnored) {
    const PreviousDataReading r = readPreviousDataContent("1 2 3 4 5 6 7 8 junk", TemplateConfig{});
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.fieldTexts[6], "7");
    EXPECT_EQ(r.fieldTexts[7], "");
    EXPECT_EQ(r.valuesRead, 7);
}

TEST(PreviousDataReading, TheAgeEntryIsReadOnlyWhenEightValuesAreStored) {
    TemplateConfig config;
    config.StoredValueCount = 8;
    const PreviousDataReading r = readPreviousDataContent("1 2 3 4 5 6 7 42", config);
    EXPECT_EQ(r.fieldTexts[7], "42");
    EXPECT_EQ(r.fieldsRead, 8);
}

TEST(PreviousDataReading, FewerStoredValuesReadFewerFields) {
    TemplateConfig config;
    config.StoredValueCount = 3;
    const PreviousDataReading r = readPreviousDataContent("1 2 3 4 5 6 7", config);
    EXPECT_EQ(r.fieldsRead, 3);
    EXPECT_EQ(r.fieldTexts[3], "");
}

TEST(PreviousDataReading, ABadNumberStopsTheReadingWithTheFieldsBeforeItKept) {
    const PreviousDataReading r = readPreviousDataContent("10 12 x9 11 8 13 10", TemplateConfig{});
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.error, "Invalid numeric input");
    EXPECT_EQ(r.fieldsRead, 2);
    EXPECT_EQ(r.fieldTexts[0], "10");
    EXPECT_EQ(r.fieldTexts[1], "12");
    EXPECT_EQ(r.fieldTexts[2], "");
    EXPECT_EQ(r.offset, 8u);
}

TEST(PreviousDataReading, DoesNotDependOnTheLocaleSeparator) {
    const char saved = decimalSeparator();
    setDecimalSeparator(',');
    const PreviousDataReading r = readPreviousDataContent("9.5 1,5", TemplateConfig{});
    setDecimalSeparator(saved);
    EXPECT_EQ(r.fieldTexts[0], "9.5");
    EXPECT_EQ(r.error, "Invalid numeric input");
}

TEST(PreviousDataReading, RoundTripsWhatSaveWrites) {
    PreviousData d = scores({"10.5", "1 9", "09", "-0", "19", "1", "12.25"});
    const PreviousDataReading r =
        readPreviousDataContent(composePreviousDataContent(d, TemplateConfig{}), TemplateConfig{});
    ASSERT_TRUE(r.ok());
    const std::array<std::string, 8> expected = {"10.5", "19", "9", "0", "19", "1", "12.25", ""};
    EXPECT_EQ(r.fieldTexts, expected);
}

TEST(PreviousDataReading, RestoresTheGridSizedByTheFirstTwoFields) {
    TemplateConfig config;
    config.UseDataGrid = true;
    const PreviousDataReading r = readPreviousDataContent("3 2 0 0 0 0 0  1 2 3 4.25 5 6", config);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_TRUE(r.gridRestored);
    EXPECT_EQ(r.gridColumns, 3);
    EXPECT_EQ(r.gridRows, 2);
    const std::vector<std::vector<std::string>> expected = {{"1", "2", "3"}, {"4.25", "5", "6"}};
    EXPECT_EQ(r.gridCells, expected);
}

TEST(PreviousDataReading, AGridSizeThatIsNotAWholeNumberIsAnError) {
    TemplateConfig config;
    config.UseDataGrid = true;
    const PreviousDataReading r = readPreviousDataContent("2.5 2 0 0 0 0 0", config);
    EXPECT_EQ(r.error, "'2.5' is not a valid integer value");
    EXPECT_FALSE(r.gridRestored);
    EXPECT_EQ(r.fieldsRead, 7);
}

TEST(PreviousDataReading, RestoresTheMatrixTransposedWithOnesOnTheDiagonal) {
    TemplateConfig config;
    config.UseCorrelationMatrix = true;
    config.StoredValueCount = 8;
    const PreviousDataReading r = readPreviousDataContent("1 1 1 1 1 1 1 3  0.9 0.5 0.8 -0.25 0.125 7", config);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_TRUE(r.matrixRestored);
    EXPECT_EQ(r.matrixOrder, 3);
    EXPECT_EQ(element(r.storedMatrix, 1, 1), 1);
    EXPECT_EQ(element(r.storedMatrix, 1, 2), 0.5); // file row 2, first number
    EXPECT_EQ(element(r.storedMatrix, 2, 2), 1);
    EXPECT_EQ(element(r.storedMatrix, 1, 3), -0.25);
    EXPECT_EQ(element(r.storedMatrix, 2, 3), 0.125);
    EXPECT_EQ(element(r.storedMatrix, 3, 3), 1);
    EXPECT_EQ(element(r.storedMatrix, 2, 1), 0);
}

TEST(PreviousDataReading, AnEmptyMatrixOrderStillRestoresTheMatrixStep) {
    TemplateConfig config;
    config.UseCorrelationMatrix = true;
    const PreviousDataReading r = readPreviousDataContent("1 1 1 1 1 1 1", config);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.matrixRestored);
    EXPECT_EQ(r.matrixOrder, 0);
}

TEST(PreviousDataReading, AMatrixOrderAboveTwentyIsRefused) {
    TemplateConfig config;
    config.UseCorrelationMatrix = true;
    config.StoredValueCount = 8;
    const PreviousDataReading r = readPreviousDataContent("1 1 1 1 1 1 1 21", config);
    EXPECT_FALSE(r.ok());
    EXPECT_FALSE(r.matrixRestored);
}

// ---- The file itself --------------------------------------------------------

TEST(PreviousDataFile, NoFileIsNotAnError) {
    const std::string folder = freshFolder("none");
    const PreviousDataFileResult r = loadPreviousDataFile(folder + "/kalden.txt", TemplateConfig{});
    EXPECT_FALSE(r.found);
    EXPECT_TRUE(r.reading.ok());
    EXPECT_EQ(r.reading.fieldsRead, 0);
}

TEST(PreviousDataFile, SaveThenLoadRestoresTheFields) {
    const std::string folder = freshFolder("roundtrip");
    const std::string path = dataFilePath(folder);
    std::string error;
    ASSERT_TRUE(savePreviousDataFile(
        path, composePreviousDataContent(scores({"10", "12", "9", "11", "8", "13", "10"}), TemplateConfig{}), error))
        << error;
    EXPECT_EQ(readFile(path), "10 12 9 11 8 13 10  ");
    const PreviousDataFileResult r = loadPreviousDataFile(path, TemplateConfig{});
    EXPECT_TRUE(r.found);
    EXPECT_TRUE(r.reading.ok());
    EXPECT_EQ(r.reading.fieldTexts[6], "10");
}

TEST(PreviousDataFile, SavingReplacesTheWholeOldContent) {
    const std::string folder = freshFolder("replace");
    const std::string path = dataFilePath(folder);
    writeFile(path, "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19");
    std::string error;
    ASSERT_TRUE(savePreviousDataFile(path, "5 5 5 5 5 5 5  ", error));
    EXPECT_EQ(readFile(path), "5 5 5 5 5 5 5  ");
}

// Fault mended: a failed save never loses the previous file.
TEST(PreviousDataFile, AFailedSaveKeepsTheOldFileAndGivesTheReason) {
    const std::string folder = freshFolder("failsave");
    const std::string path = dataFilePath(folder);
    writeFile(path, "10 12 9 11 8 13 10  ");
    // A directory where the temporary file would go cannot be made: make the
    // target itself a directory's child of a regular file instead.
    const std::string blocked = folder + "/plain-file";
    writeFile(blocked, "x");
    std::string error;
    EXPECT_FALSE(savePreviousDataFile(blocked + "/kalden.txt", "1 1 1 1 1 1 1  ", error));
    EXPECT_EQ(error, "Not a directory");
    EXPECT_EQ(readFile(path), "10 12 9 11 8 13 10  ");
    EXPECT_EQ(readFile(blocked), "x");
}

TEST(PreviousDataFile, AnUnreadablePathGivesTheSystemsReason) {
    const std::string folder = freshFolder("dir");
    const std::string path = dataFilePath(folder);
    ::mkdir(path.c_str(), 0755); // a folder named kalden.txt
    const PreviousDataFileResult r = loadPreviousDataFile(path, TemplateConfig{});
    EXPECT_TRUE(r.found);
    EXPECT_TRUE(r.unreadable);
    EXPECT_EQ(r.reading.error, "Is a directory");
    writeFile(folder + "/bad.txt", "10 x");
    const PreviousDataFileResult bad = loadPreviousDataFile(folder + "/bad.txt", TemplateConfig{});
    EXPECT_FALSE(bad.unreadable); // a fault in the content, reported as it stands
    EXPECT_EQ(bad.reading.error, "Invalid numeric input");
    EXPECT_EQ(r.reading.fieldsRead, 0);
}

TEST(PreviousDataFile, DeleteRemovesTheFileAndAMissingFileIsFine) {
    const std::string folder = freshFolder("delete");
    const std::string path = dataFilePath(folder);
    writeFile(path, "1");
    std::string error;
    EXPECT_TRUE(deletePreviousDataFile(path, error));
    EXPECT_NE(::access(path.c_str(), F_OK), 0);
    EXPECT_TRUE(deletePreviousDataFile(path, error));
}

} // namespace
