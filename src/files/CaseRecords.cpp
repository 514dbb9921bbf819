#include "files/CaseRecords.h"

#include "files/CaseExport.h"
#include "files/PreviousDataFile.h"
#include "files/PrivateFolder.h"

namespace kalden {

CaseRecords::CaseRecords(const std::string& dataHome, const std::string& fileName)
    : folder_(userDataFolder(dataHome)), path_(caseStorePath(dataHome, fileName)) {}

std::optional<CaseStore> CaseRecords::open(std::string& error) const {
    PrivateFolder folder;
    if (folder.open(folder_, true, error) != PrivateFolder::Outcome::Open) {
        if (error.empty()) error = "the data folder could not be made";
        return std::nullopt;
    }
    CaseStore store;
    if (!store.open(path_, CaseStore::Access::ReadWrite, error, StoreOwner::User)) return std::nullopt;
    return store;
}

} // namespace kalden
