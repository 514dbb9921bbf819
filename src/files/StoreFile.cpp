#include "files/StoreFile.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
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

bool StoreLock::take(const std::string&, Kind, std::string&) { return true; }
void StoreLock::release() {}

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

namespace {

// POSIX drops every lock a program holds on a file when any one of its
// descriptors of that file is closed, SQLite's own locks included. A
// descriptor opened for the store lock is therefore not closed but kept for
// the next lock on the same file, until that file has been deleted.
std::mutex idleMutex;
std::vector<int> idleDescriptors;

int idleDescriptorOf(const struct stat& file) {
    const std::lock_guard<std::mutex> guard(idleMutex);
    int found = -1;
    std::vector<int> kept;
    for (const int fd : idleDescriptors) {
        struct stat st {};
        if (::fstat(fd, &st) != 0 || st.st_nlink == 0) {
            ::close(fd);
        } else if (found < 0 && st.st_dev == file.st_dev && st.st_ino == file.st_ino) {
            found = fd;
        } else {
            kept.push_back(fd);
        }
    }
    idleDescriptors = std::move(kept);
    return found;
}

void keepIdle(int fd) {
    const std::lock_guard<std::mutex> guard(idleMutex);
    idleDescriptors.push_back(fd);
}

int descriptorOf(const std::string& path, bool create, std::string& error) {
    struct stat file {};
    if (::stat(path.c_str(), &file) == 0) {
        if (const int fd = idleDescriptorOf(file); fd >= 0) return fd;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | (create ? O_CREAT : 0) | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) refuse(error, std::strerror(errno));
    return fd;
}

// The user's own store is the user's alone.
bool makePrivate(int fd, std::string& error) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return refuse(error, std::strerror(errno));
    if (!S_ISREG(st.st_mode)) return refuse(error, "it is not a regular file");
    if (st.st_uid != ::geteuid()) return refuse(error, "it " + ownerText(st.st_uid) + ", not to you");
    if ((st.st_mode & 077) != 0 && ::fchmod(fd, 0600) != 0) return refuse(error, std::strerror(errno));
    return true;
}

} // namespace

bool StoreLock::take(const std::string& path, Kind kind, std::string& error) {
    release();
    const bool write = kind == Kind::Write;
    const int fd = descriptorOf(path, write, error);
    if (fd < 0) return false;
    if (write && !makePrivate(fd, error)) {
        keepIdle(fd);
        return false;
    }
    // A writer waits for the readers that read now, a reader for the writer;
    // a file system without such locks is read and written as SQLite can.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        if (::flock(fd, (write ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) break;
        if (errno != EWOULDBLOCK && errno != EINTR) break;
        if (std::chrono::steady_clock::now() >= giveUp) {
            keepIdle(fd);
            return refuse(error, write ? "another program is reading or writing the case records just now; try "
                                         "again in a moment"
                                       : "another program is writing the case records just now; try again in a "
                                         "moment");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    fd_ = fd;
    return true;
}

void StoreLock::release() {
    if (fd_ < 0) return;
    ::flock(fd_, LOCK_UN);
    keepIdle(fd_);
    fd_ = -1;
}

#endif

bool storeHasJournalFiles(const std::string& path) {
    std::error_code failed;
    return std::filesystem::exists(pathFromUtf8(path + "-wal"), failed) ||
           std::filesystem::exists(pathFromUtf8(path + "-shm"), failed);
}

bool storeHasLogWithoutIndex(const std::string& path) {
    std::error_code failed;
    return std::filesystem::exists(pathFromUtf8(path + "-wal"), failed) &&
           !std::filesystem::exists(pathFromUtf8(path + "-shm"), failed);
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
