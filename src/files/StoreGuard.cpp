#include "files/StoreGuard.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

#include "files/TextFile.h"
#include "files/Utf8Path.h"

namespace kalden {

namespace fs = std::filesystem;

std::vector<std::string> caseStoreFiles(const std::string& store) {
    return {store, store + "-wal", store + "-shm", store + "-journal"};
}

namespace {

// The path as the system resolves it: links and ".." in the part that
// exists, the rest as written.
fs::path resolved(const std::string& path) {
    std::error_code failed;
    fs::path p = fs::weakly_canonical(fs::absolute(pathFromUtf8(path), failed), failed);
    return failed ? fs::path() : p;
}

bool sameName(const fs::path& a, const fs::path& b) {
#ifdef _WIN32
    const std::wstring x = a.native();
    const std::wstring y = b.native();
    return CompareStringOrdinal(x.c_str(), static_cast<int>(x.size()), y.c_str(), static_cast<int>(y.size()), TRUE) ==
           CSTR_EQUAL;
#else
    return a == b;
#endif
}

bool sameExistingFile(const fs::path& a, const fs::path& b) {
    std::error_code failed;
    const bool same = fs::equivalent(a, b, failed);
    return !failed && same;
}

} // namespace

bool writesCaseStore(const std::string& target, const std::string& store) {
    const fs::path where = resolved(target);
    if (where.empty()) return false;
    for (const std::string& file : caseStoreFiles(store)) {
        const fs::path storeFile = pathFromUtf8(file);
        if (sameExistingFile(pathFromUtf8(target), storeFile)) return true;
        const fs::path home = resolved(file);
        if (home.empty()) continue;
        if (sameName(where.filename(), home.filename()) &&
            (sameExistingFile(where.parent_path(), home.parent_path()) || sameName(where, home)))
            return true;
    }
    return false;
}

bool descriptorIsCaseStore(int fd, const std::string& store) {
    for (const std::string& file : caseStoreFiles(store))
        if (descriptorIsFile(fd, file)) return true;
    return false;
}

std::string caseStoreTargetReason(const std::string& store) {
    return "it is the case records' database " + store + " or one of its files, which must not be overwritten";
}

} // namespace kalden
