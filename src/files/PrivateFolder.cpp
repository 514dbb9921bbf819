#include "files/PrivateFolder.h"

#include "files/StoreFile.h"
#include "files/Utf8Path.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#endif

namespace kalden {

bool createPrivateFolder(const std::string& folder, std::string& error) {
    FileStatus st{};
    if (folder.empty() || statUtf8(folder, st) == 0) return true; // what is there is reported by the writing
    if (errno != ENOENT) {
        error = std::strerror(errno);
        return false;
    }
#ifdef _WIN32
    const auto slash = folder.find_last_of("/\\"); // both of Windows' separators
#else
    const auto slash = folder.find_last_of('/');
#endif
    if (slash != std::string::npos && slash > 0 && !createPrivateFolder(folder.substr(0, slash), error)) return false;
#ifdef _WIN32
    const int made = mkdirUtf8(folder); // access follows the user's profile folder
#else
    const int made = ::mkdir(folder.c_str(), 0700);
#endif
    if (made != 0 && errno != EEXIST) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

#ifdef _WIN32

PrivateFolder::~PrivateFolder() = default;

PrivateFolder::Outcome PrivateFolder::open(const std::string& path, bool create, std::string& error) {
    if (create && !createPrivateFolder(path, error)) return Outcome::Refused;
    FileStatus st{};
    if (statUtf8(path, st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return Outcome::Missing;
        error = std::strerror(errno);
        return Outcome::Refused;
    }
    if (!S_ISDIR(st.st_mode)) {
        error = std::strerror(ENOTDIR);
        return Outcome::Refused;
    }
    return Outcome::Open;
}

#else

PrivateFolder::~PrivateFolder() {
    if (fd_ >= 0) ::close(fd_);
}

namespace {

PrivateFolder::Outcome refuse(std::string& error, std::string text) {
    error = std::move(text);
    return PrivateFolder::Outcome::Refused;
}

} // namespace

PrivateFolder::Outcome PrivateFolder::open(const std::string& path, bool create, std::string& error) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    const auto slash = path.find_last_of('/');
    const std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (create && !createPrivateFolder(parent, error)) return Outcome::Refused;
    const int above = ::open(parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (above < 0) {
        if ((errno == ENOENT || errno == ENOTDIR) && !create) return Outcome::Missing;
        return refuse(error, std::strerror(errno));
    }
    if (create && ::mkdirat(above, name.c_str(), 0700) != 0 && errno != EEXIST) {
        const int code = errno;
        ::close(above);
        return refuse(error, std::strerror(code));
    }
    struct stat st {};
    const bool exists = ::fstatat(above, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    const int code = errno;
    if (exists && S_ISDIR(st.st_mode))
        fd_ = ::openat(above, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int openCode = errno;
    ::close(above);
    if (!exists) {
        if (code == ENOENT) return Outcome::Missing;
        return refuse(error, std::strerror(code));
    }
    if (S_ISLNK(st.st_mode)) return refuse(error, path + " is a symbolic link, not a folder of your own");
    if (!S_ISDIR(st.st_mode)) return refuse(error, std::strerror(ENOTDIR));
    if (fd_ < 0) return refuse(error, std::strerror(openCode));
    // What was opened is checked, not what the name showed a moment before.
    if (::fstat(fd_, &st) != 0 || st.st_uid != ::geteuid()) {
        const unsigned owner = st.st_uid;
        ::close(fd_);
        fd_ = -1;
        return refuse(error, path + " " + ownerText(owner) + ", not to you");
    }
    if ((st.st_mode & 077) != 0 && ::fchmod(fd_, 0700) != 0) {
        const int chmodCode = errno;
        ::close(fd_);
        fd_ = -1;
        return refuse(error, std::strerror(chmodCode));
    }
    return Outcome::Open;
}

#endif // _WIN32

} // namespace kalden
