#pragma once

#include <string>
#include <string_view>

namespace kalden {

// What the program was doing with a file when it failed; each names the file
// the way a user thinks of it.
enum class FileAction {
    SaveLastCase,       // the previous-data file, written by Compute
    ReadLastCase,       // the previous-data file, read at the start
    DeleteLastCase,     // the previous-data file, deleted by Clear Data
    SaveResults,        // Save Output
    ReadResults,        // Open Results File
    ReadMatrixFile,     // the matrix window's Open
    RecordCase,         // the case store, written by Compute
    ReadCases,          // the case store, read by the Cases window
    DeleteCases,        // the case store, by Delete and Delete All Cases
    SaveSession,        // the person and session remembered for the next start
    SaveChangeSettings, // the level and practice gains remembered for the next comparison
    CorrectCases,       // the case store, by a correction of the person and session
    ClearPerson,        // a file beside the store that held an erased person
    ImportCases,        // the case store, by the Cases window's Import
    ReadCaseFile,       // a case file, read by the Cases window's Import
};

// The error box's text for a failed file operation: the action, the file's
// full path, then the system's description (or the reader's own reason), e.g.
// "Could not save the last case to /home/ann/.local/share/kalden/kalden.txt:
// No space left on device".
std::string fileErrorMessage(FileAction action, std::string_view path, std::string_view reason);

} // namespace kalden
