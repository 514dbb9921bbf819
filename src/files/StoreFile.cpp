#include "files/StoreFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "files/Utf8Path.h"

namespace kalden {

namespace {

bool refuse(std::string& error, std::string reason) {
    error = std::move(reason);
    return false;
}

} // namespace

#ifdef _WIN32

std::string ownerText(unsigned uid) { return "belongs to user " + std::to_string(uid); }

// Windows has no FIFOs or devices among files; a link, a folder and a
// missing file are told apart, and the user's profile guards ownership.
bool checkStoreFile(const std::string& path, bool mustExist, StoreOwner, std::string& error) {
    std::error_code failed;
    const std::filesystem::file_status st = std::filesystem::symlink_status(pathFromUtf8(path), failed);
    if (st.type() == std::filesystem::file_type::not_found) {
        return !mustExist || refuse(error, "no case has been recorded there yet");
    }
    if (failed) return refuse(error, failed.message());
    if (std::filesystem::is_symlink(st)) return refuse(error, "it is a symbolic link");
    if (std::filesystem::is_directory(st)) return refuse(error, "it is a folder");
    if (!std::filesystem::is_regular_file(st)) return refuse(error, "it is not a regular file");
    return true;
}

StoreReadLock::StoreReadLock(const std::string&) : held_(true) {}
StoreReadLock::~StoreReadLock() = default;

#else

std::string ownerText(unsigned uid) {
    const passwd* user = ::getpwuid(uid);
    if (user && user->pw_name)
        return "belongs to user " + std::string(user->pw_name) + " (uid " + std::to_string(uid) + ")";
    return "belongs to uid " + std::to_string(uid);
}

bool checkStoreFile(const std::string& path, bool mustExist, StoreOwner owner, std::string& error) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return !mustExist || refuse(error, "no case has been recorded there yet");
        return refuse(error, std::strerror(errno));
    }
    if (S_ISLNK(st.st_mode)) return refuse(error, "it is a symbolic link");
    if (S_ISDIR(st.st_mode)) return refuse(error, "it is a folder");
    if (S_ISFIFO(st.st_mode)) return refuse(error, "it is a FIFO (named pipe)");
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return refuse(error, "it is a device");
    if (S_ISSOCK(st.st_mode)) return refuse(error, "it is a socket");
    if (!S_ISREG(st.st_mode)) return refuse(error, "it is not a regular file");
    if (owner == StoreOwner::User && st.st_uid != ::geteuid())
        return refuse(error, "it " + ownerText(st.st_uid) + ", not to you");
    return true;
}

bool preparePrivateFile(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) return refuse(error, std::strerror(errno));
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 || refuse(error, std::strerror(errno));
    if (ok && !S_ISREG(st.st_mode))
        ok = refuse(error, "it is not a regular file");
    else if (ok && st.st_uid != ::geteuid())
        ok = refuse(error, "it " + ownerText(st.st_uid) + ", not to you");
    else if (ok && (st.st_mode & 077) != 0 && ::fchmod(fd, 0600) != 0)
        ok = refuse(error, std::strerror(errno));
    ::close(fd);
    return ok;
}

// SQLite's own layout of the lock bytes: the shared range starts two bytes
// after the pending byte at 1 GiB and is 510 bytes long.
constexpr off_t PendingByte = 0x40000000;
constexpr off_t SharedFirst = PendingByte + 2;
constexpr off_t SharedSize = 510;

StoreReadLock::StoreReadLock(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return;
    struct flock lock {};
    lock.l_type = F_RDLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = SharedFirst;
    lock.l_len = SharedSize;
    held_ = ::fcntl(fd_, F_SETLK, &lock) == 0;
}

// Closing the descriptor releases the lock.
StoreReadLock::~StoreReadLock() {
    if (fd_ >= 0) ::close(fd_);
}

#endif

bool storeHasJournalFiles(const std::string& path) {
    std::error_code failed;
    return std::filesystem::exists(pathFromUtf8(path + "-wal"), failed) ||
           std::filesystem::exists(pathFromUtf8(path + "-shm"), failed);
}

std::string sqliteUri(const std::string& path, const std::string& query) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string p = path;
#ifdef _WIN32
    for (char& c : p)
        if (c == '\\') c = '/';
#endif
    std::string uri = "file:";
#ifdef _WIN32
    // A drive or a network path needs the empty authority before it.
    const bool drive = p.size() >= 2 && p[1] == ':';
    if (drive || p.rfind("//", 0) == 0) uri += "//";
    if (drive) uri += '/';
#endif
    for (const char ch : p) {
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '.' || c == '_' || c == '~' || c == '/' || c == ':';
        if (plain) {
            uri.push_back(ch);
        } else {
            uri.push_back('%');
            uri.push_back(Hex[c >> 4]);
            uri.push_back(Hex[c & 0xF]);
        }
    }
    return uri + "?" + query;
}

} // namespace kalden
