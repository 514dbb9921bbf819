#include "files/CaseRecords.h"

#include "files/CaseExport.h"
#include "files/PreviousDataFile.h"
#include "files/PrivateFolder.h"

namespace kalden {

CaseRecords::CaseRecords(const std::string& dataHome)
    : folder_(userDataFolder(dataHome)), path_(caseStorePath(dataHome)) {}

CaseStore* CaseRecords::store(std::string& error) {
    if (store_.isOpen()) return &store_;
    PrivateFolder folder;
    if (folder.open(folder_, true, error) != PrivateFolder::Outcome::Open) {
        if (error.empty()) error = "the data folder could not be made";
        return nullptr;
    }
    return store_.open(path_, CaseStore::Access::ReadWrite, error) ? &store_ : nullptr;
}

} // namespace kalden
