#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "matrix/StoredMatrix.h"
#include "worksheet/ProgramConfig.h"

namespace kalden {

// The previous-data file, "kalden.txt" in the user's own data folder. One
// line of blank-separated field texts (entries 1 to 8), then the grid's cells
// (entry 9, only with UseDataGrid) and the lower triangle of the stored
// matrix (entry 10, only with UseCorrelationMatrix). No line terminator.

// ---- Where the file lives -------------------------------------------------

// The literal scan for executable paths that name an ".exe":
// character by character, remember the last separator seen, and stop at the
// first "." followed by e, x, e in either case; the folder is everything
// before the last separator seen before it. No ".exe" (or no separator
// before it) gives the empty folder, which puts the data file in the root.
// A folder whose name contains ".exe" ends the scan early at that folder.
std::string programFolderByExeScan(std::string_view executablePath, char separator = '\\');

// The folder of the running executable on this platform: everything before
// the last '/' ("" for an executable in the root folder, "." for a bare
// name). The ".exe" scan would put the file in the root folder here, since
// executables carry no extension.
std::string programFolder(std::string_view executablePath);

// folder + separator + file name.
std::string dataFilePath(std::string_view folder, std::string_view fileName = DataFileName, char separator = '/');

// The user's own folder for the program's data: `dataHome` (the user's data
// folder, $XDG_DATA_HOME or ~/.local/share) + "/kalden". Shared by the
// desktop program and the demonstration program, which keep files of
// different names there.
inline constexpr const char* DataFolderName = "kalden";
std::string userDataFolder(std::string_view dataHome);

// Where the previous-data file is kept. Installed programs live in folders a
// user may not write, and the last case is private to whoever typed it, so
// the file is the user's own. A file of the same name beside the executable,
// left by a version that kept it there, is carried over: it is read at the
// start until the user's data folder exists (the first Compute creates it),
// and it is never written or deleted, so Clear Data and a restart still give
// an empty worksheet.
struct PreviousDataLocation {
    std::string userFolder; // created by the first Compute, mode 0700
    std::string userFile;   // written by Compute (mode 0600), deleted by Clear Data
    std::string legacyFile; // beside the executable: read only
    // The file the start reads: the user's own, unless neither it nor its
    // folder exists yet and a readable regular file lies beside the executable.
    std::string startFile() const;
};

// An empty `dataHome` (no home folder known) keeps the file beside the
// executable, as the only place left.
PreviousDataLocation previousDataLocation(std::string_view dataHome, std::string_view executablePath,
                                          std::string_view fileName = DataFileName);

// ---- Writing ---------------------------------------------------------------

// What SaveCurrentData takes from the worksheet.
struct PreviousData {
    std::array<std::string, 8> fieldTexts; // fields 1 to 8, as typed
    // The grid's data cells, [row][column - 1]; a missing cell counts as empty.
    std::vector<std::vector<std::string>> gridCells;
    int matrixSize = 0; // order of the lower triangle written as entry 10
    StoredMatrixValues storedMatrix{};
};

// A text as the file stores it: without its blanks. The number scan
// skips blanks, so the value is the same, and a pasted "1 2" can no longer
// come back as two numbers and shift the later fields.
std::string withoutBlanks(std::string_view text);

// The file's content: entries 1 to 8, each text followed by one blank (a
// text that is no single number the reading could take back, such as a
// pasted one of more than 64 digits, is written as its value); entry
// 9 with UseDataGrid; entry 10 with UseCorrelationMatrix (" %1.3f" per
// element of rows 1 to matrixSize, columns 1 to the row, '.' as the decimal
// separator).
// Entry 9 holds exactly the cells the reading takes back: rows 0 to R - 1,
// within a row columns 1 to C, where C and R are the whole numbers that
// fields 1 and 2 come back as (normally GridColumns and GridRows). Each cell
// is one number followed by one blank: its text without blanks when that is
// a number, otherwise its value by the program's scan (0 for an empty cell).
// So an empty or unfinished grid can no longer shift the matrix that follows.
std::string composePreviousDataContent(const PreviousData& data, const TemplateConfig& config);

// ---- Reading ---------------------------------------------------------------

inline constexpr const char* InvalidNumericInput = "Invalid numeric input";
inline constexpr std::size_t MaxNumberTokenLength = 64;
// Bounds on a restored grid (a file naming a larger one is refused) and on
// how much of the file is looked at.
inline constexpr int MaxGridColumns = 100;
inline constexpr int MaxGridRows = 1000;
inline constexpr std::size_t MaxPreviousDataBytes = 16u << 20;

// Reads the numbers of the file one after another: blanks, tabs, line ends
// and other control characters are skipped; a number is the characters up to
// the next blank or control character (at most 64); it converts as an
// optional sign, digits, an optional point with fraction digits and an
// optional exponent, whatever the locale. The end of the content reads as 0
// without an error.
class NumberReader {
public:
    explicit NumberReader(std::string_view content) : content_(content) {}
    // False when the next token does not convert; `value` is then 0.
    bool read(double& value);
    std::size_t offset() const { return offset_; }

private:
    std::string_view content_;
    std::size_t offset_ = 0;
};

// Converts one token by the grammar above; false for anything else
// (including "inf", "nan", hexadecimal and out-of-range values).
bool convertDecimal(std::string_view token, double& value);

struct PreviousDataReading {
    // Field texts restored in "%1.6g" form; empty where not read.
    std::array<std::string, 8> fieldTexts{};
    int fieldsRead = 0;     // fields given a value before any failure
    int valuesRead = 0;     // numbers taken from the file, all entries
    std::size_t offset = 0; // how far into the content the reading got
    std::string error;      // empty when the whole reading succeeded
    bool ok() const { return error.empty(); }

    // Entry 9 (only with UseDataGrid): the grid's size from
    // fields 1 and 2 and its cells [row][column - 1] in "%1.6g" form.
    bool gridRestored = false;
    int gridColumns = 0;
    int gridRows = 0;
    std::vector<std::vector<std::string>> gridCells;

    // Entry 10 (only with UseCorrelationMatrix; step 6): n is the whole
    // number in field 8's text (0 when it is empty); the j-th number of file
    // row i goes to element (j, i) and every diagonal element (i, i) is 1.
    // `storedMatrix` holds every element read, also those before a failure;
    // `matrixRestored` (Compute's caption becomes "Continue") only when the
    // whole reading succeeded.
    bool matrixRestored = false;
    int matrixOrder = 0;
    StoredMatrixValues storedMatrix{};
};

// The grid size the reading takes from fields 1 and 2 (columns, rows):
// false, with the reason, when either is not a whole number or the size is
// beyond MaxGridColumns x MaxGridRows.
bool restoredGridSize(const PreviousDataReading& reading, int& columns, int& rows, std::string& error);

// Reading the fields, the grid and the matrix from the file's content.
PreviousDataReading readPreviousDataContent(std::string_view content, const TemplateConfig& config);

// ---- The file itself ------------------------------------------------------

struct PreviousDataFileResult {
    bool found = false;          // a file (or something) exists at the path
    bool unreadable = false;     // it could not be opened or read (not a content fault)
    PreviousDataReading reading; // its error holds the system's reason when it could not be read
};

// Reads the file at `path`: no file gives found false and no error. A
// symbolic link in the file's place is not followed.
PreviousDataFileResult loadPreviousDataFile(const std::string& path, const TemplateConfig& config);

// LoadPreviousData's file steps: the location's start file, the user's own
// read through its checked folder (a folder that is refused reads as a file
// that cannot be read, with the reason naming the folder).
PreviousDataFileResult loadPreviousData(const PreviousDataLocation& where, const TemplateConfig& config);

// SaveCurrentData's file steps, mended so that the previous file is never
// lost: the new content is written completely beside it and then replaces
// it. The file is private to the user (mode 0600) and its folder, created
// when missing, too (0700); the folder is checked as PrivateFolder says, and
// whatever stands in the file's place (a symbolic link included) is replaced,
// never followed. On failure the old file stays and `error` holds the reason.
bool savePreviousDataFile(const std::string& path, const std::string& content, std::string& error);

// Clear Data's deletion: true when no file is left at `path` (also when there
// was none); otherwise false with the reason.
bool deletePreviousDataFile(const std::string& path, std::string& error);

} // namespace kalden
