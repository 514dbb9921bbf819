#include "files/FileErrors.h"

namespace kalden {

namespace {

// The words before the path.
std::string_view actionPhrase(FileAction action) {
    switch (action) {
    case FileAction::SaveLastCase: return "save the last case to";
    case FileAction::ReadLastCase: return "read the last case from";
    case FileAction::DeleteLastCase: return "delete the last case in";
    case FileAction::SaveResults: return "save the results to";
    case FileAction::ReadResults: return "read the results from";
    case FileAction::ReadMatrixFile: return "read the matrix file";
    case FileAction::RecordCase: return "record the case in";
    case FileAction::ReadCases: return "read the case records in";
    case FileAction::DeleteCases: return "delete the cases in";
    case FileAction::SaveSession: return "remember the person and session in";
    case FileAction::SaveChangeSettings: return "remember the practice gains in";
    case FileAction::CorrectCases: return "correct the cases in";
    case FileAction::ClearPerson: return "clear the erased person from";
    case FileAction::ImportCases: return "add the imported cases to";
    case FileAction::ReadCaseFile: return "read the case file";
    }
    return "use";
}

} // namespace

std::string fileErrorMessage(FileAction action, std::string_view path, std::string_view reason) {
    std::string text = "Could not ";
    text += actionPhrase(action);
    text += ' ';
    text += path;
    text += ": ";
    text += reason;
    return text;
}

} // namespace kalden
