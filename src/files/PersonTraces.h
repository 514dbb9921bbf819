#pragma once

#include <array>
#include <string>
#include <vector>

#include "files/ChangeSettingsFile.h"
#include "worksheet/ProgramConfig.h"

namespace kalden {

// The files beside the case records that may hold what was typed about a
// person, by their names in the data folder.
struct DataFileNames {
    std::string lastInputs = DataFileName;
    std::string session = "session.txt";
    std::string changeSettings = ChangeSettingsFileName;
};

// Whom an erasure is of: the persons with these keys (personKey), or
// everyone, and the score fields of their recorded cases as typed.
struct ErasedPeople {
    bool everyone = false;
    std::vector<std::string> keys;
    // The keys their names had before a correction: a file written before
    // it still names them so.
    std::vector<std::string> formerKeys;
    std::vector<std::array<std::string, 7>> inputs;

    // Whether `person` (as typed) is one of them.
    bool names(const std::string& person) const;
    // Whether `text` (a file name the user typed, say) holds one of their
    // names however typed; any text for everyone.
    bool namedIn(const std::string& text) const;
    // Whether the score fields `typed` are those of one of their cases (or,
    // for everyone, hold anything at all).
    bool typed(const std::array<std::string, 7>& fields) const;
};

// A place beside the records that holds something of an erased person.
enum class TracePlace { Session, LastInputs, ChangeSettings };

// "the person and session remembered for the next start (session.txt)" and
// the like, for a question that names every place an erasure clears.
std::string tracePlaceText(TracePlace place, const DataFileNames& names);

// The places in `folder` that hold something of `erased`: the remembered
// session when it names them, the last inputs when the session names them or
// they are one of their cases', and a retest study's name that names them.
std::vector<TracePlace> findPersonTraces(const std::string& folder, const DataFileNames& names,
                                         const ErasedPeople& erased);

// Clears the places: the session keeps only its examiner, the last inputs
// are deleted as Clear Data deletes them, the study's name is emptied.
// Nothing is copied to a temporary or backup file on the way. False with the
// failing file and the reason.
bool clearPersonTraces(const std::string& folder, const DataFileNames& names, const std::vector<TracePlace>& places,
                       std::string& path, std::string& error);

} // namespace kalden
