#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <vector>

#include "files/InterruptCleanup.h"
#include "files/TextFile.h"

namespace kalden {

std::string systemErrorText(int code) { return std::strerror(code); }

int writePieces(int fd, std::span<const std::string_view> pieces) {
    constexpr std::size_t MostPerCall = 256; // well under any system's IOV_MAX
    iovec vectors[MostPerCall];
    std::size_t next = 0;   // the first piece not yet handed over
    std::size_t offset = 0; // bytes of it already written
    while (next < pieces.size()) {
        std::size_t count = 0;
        for (std::size_t i = next; i < pieces.size() && count < MostPerCall; ++i, ++count) {
            const std::size_t skip = i == next ? offset : 0;
            vectors[count].iov_base = const_cast<char*>(pieces[i].data() + skip);
            vectors[count].iov_len = pieces[i].size() - skip;
        }
        const ssize_t written = ::writev(fd, vectors, static_cast<int>(count));
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        // Past the pieces written whole, and into one written in part.
        auto left = static_cast<std::size_t>(written) + offset;
        while (next < pieces.size() && left >= pieces[next].size()) left -= pieces[next++].size();
        offset = left;
    }
    return 0;
}

namespace {

// Where a file's access control list is kept beyond its mode bits.
constexpr const char* AclAttribute = "system.posix_acl_access";

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool fail(std::string& error, int code) {
    error = std::strerror(code);
    return false;
}

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// The open descriptor a path stands for (/dev/stdout, /dev/fd/1,
// /proc/self/fd/1 ...), or -1 for any other path.
int namedDescriptor(const std::string& path) {
    if (path == "/dev/stdin") return 0;
    if (path == "/dev/stdout") return 1;
    if (path == "/dev/stderr") return 2;
    for (const char* prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        if (!startsWith(path, prefix)) continue;
        const std::string digits = path.substr(std::strlen(prefix));
        if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
            return -1;
        return std::stoi(digits);
    }
    return -1;
}

struct Target {
    std::string path;
    int descriptor = -1; // the path names this open descriptor
};

// What writing at `path` really reaches. Symbolic links are followed, so a
// link stays and its target gets the content; a link to an open descriptor
// is caught on the way, since what that descriptor has open (a pipe, or a file
// the shell opened for appending) must be written through the descriptor.
Target resolve(const std::string& path) {
    std::string target = path;
    for (int hops = 0; hops < 40; ++hops) {
        const int descriptor = namedDescriptor(target);
        if (descriptor >= 0) return {target, descriptor};
        struct stat link {};
        if (::lstat(target.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) break;
        std::string next(static_cast<std::size_t>(link.st_size > 0 ? link.st_size : 4096), '\0');
        const ssize_t n = ::readlink(target.c_str(), next.data(), next.size());
        if (n < 0) break;
        next.resize(static_cast<std::size_t>(n));
        target = (next.empty() || next[0] == '/') ? next : folderOf(target) + "/" + next;
    }
    return {target, -1};
}

// A hidden name for a temporary file beside the target.
std::string temporaryName() {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    static constexpr char Letters[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string name = ".kalden-";
    for (int i = 0; i < 10; ++i) name.push_back(Letters[random() % 36]);
    return name;
}

// The access control list of the file at `path` beyond its mode bits; empty
// when it has none or the file system keeps none.
std::string aclOf(const std::string& path) {
    const ssize_t size = ::getxattr(path.c_str(), AclAttribute, nullptr, 0);
    if (size <= 0) return {};
    std::string value(static_cast<std::size_t>(size), '\0');
    const ssize_t got = ::getxattr(path.c_str(), AclAttribute, value.data(), value.size());
    if (got <= 0) return {};
    value.resize(static_cast<std::size_t>(got));
    return value;
}

} // namespace

bool FileReplacement::writeAll(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd_, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            failure_ = errno;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
        written_ += static_cast<std::uint64_t>(written);
    }
    startWriteBack();
    return true;
}

// Hands what is written so far to the device in the background, so that
// the flush at the end waits only for the last few megabytes instead of all
// of a large file. What was handed over a few strides before is on the
// device by then: its pages leave the cache and are used again for what
// follows, so that a large file does not take fresh memory for every page
// (on a virtual machine each fresh page can cost more than its copy).
void FileReplacement::startWriteBack() {
    constexpr std::uint64_t Stride = std::uint64_t{8} << 20;
    constexpr std::uint64_t CachedStrides = 3;
    if (way_ == Way::Stream || written_ - handedOver_ < Stride) return;
#ifdef __linux__
    ::sync_file_range(fd_, static_cast<off_t>(handedOver_), static_cast<off_t>(written_ - handedOver_),
                      SYNC_FILE_RANGE_WRITE);
    const std::uint64_t settled = handedOver_ > CachedStrides * Stride ? handedOver_ - CachedStrides * Stride : 0;
    if (settled > released_) {
        const auto start = static_cast<off_t>(released_);
        const auto length = static_cast<off_t>(settled - released_);
        ::sync_file_range(fd_, start, length,
                          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
        ::posix_fadvise(fd_, start, length, POSIX_FADV_DONTNEED);
        released_ = settled;
    }
#endif
    handedOver_ = written_;
}

FileReplacement::~FileReplacement() { discard(); }

void FileReplacement::discard() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) {
        ::unlinkat(folder_, temp_.c_str(), 0);
        disarmInterruptCleanup();
    }
    if (folder_ >= 0) ::close(folder_);
    fd_ = -1;
    folder_ = -1;
    temp_.clear();
    open_ = false;
    written_ = 0;
    handedOver_ = 0;
    released_ = 0;
    anonymous_ = false;
    private_ = false;
    exists_ = false;
    acl_.clear();
}

bool FileReplacement::open(const std::string& path, std::string& error, unsigned forcedMode) {
    discard();
    failure_ = 0;
    buffer_.clear();
    const Target target = resolve(path);
    path_ = target.path;
    if (target.descriptor >= 0) {
        fd_ = ::fcntl(target.descriptor, F_DUPFD_CLOEXEC, 3);
        if (fd_ < 0) return fail(error, errno);
        way_ = Way::Stream;
        open_ = true;
        return true;
    }
    if (!openTarget(path_, error)) return false;
    if (way_ == Way::Stream) return true;
    if (forcedMode != 0) {
        mode_ = forcedMode;
        acl_.clear();
    }
    return openTemporary(error);
}

bool FileReplacement::openTarget(const std::string& path, std::string& error) {
    struct stat existing {};
    exists_ = ::stat(path.c_str(), &existing) == 0;
    if (exists_ && S_ISDIR(existing.st_mode)) return fail(error, EISDIR);
    if (exists_ && !S_ISREG(existing.st_mode)) {
        // A FIFO, a device or a socket: written as it stands.
        fd_ = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0) return fail(error, errno);
        way_ = Way::Stream;
        open_ = true;
        return true;
    }
    // A file that may not be written keeps its protection: it is not
    // replaced behind the user's back just because its folder is writable.
    if (exists_ && ::access(path.c_str(), W_OK) != 0) return fail(error, errno);
    mode_ = exists_ ? (existing.st_mode & 07777) : (0644 & ~currentUmask());
    owner_ = existing.st_uid;
    group_ = existing.st_gid;
    if (exists_) acl_ = aclOf(path);
    // A new file would break the other links, or take the file from its owner.
    const bool othersFile = existing.st_uid != ::geteuid() && ::geteuid() != 0;
    way_ = exists_ && (existing.st_nlink > 1 || othersFile) ? Way::InPlace : Way::Replace;
    folder_ = ::open(folderOf(path).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0) return fail(error, errno);
    name_ = nameOf(path);
    return true;
}

bool FileReplacement::openPrivate(int folder, const std::string& name, std::string& error) {
    discard();
    failure_ = 0;
    buffer_.clear();
    folder_ = ::fcntl(folder, F_DUPFD_CLOEXEC, 3);
    if (folder_ < 0) return fail(error, errno);
    name_ = name;
    path_ = name;
    private_ = true;
    mode_ = 0600;
    way_ = Way::Replace;
    return openTemporary(error);
}

// The temporary file in the target's folder: nameless where the file system
// allows, so that nothing is left behind even by SIGKILL; otherwise hidden,
// and removed on the usual signals.
bool FileReplacement::openTemporary(std::string& error) {
    fd_ = ::openat(folder_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd_ >= 0) {
        anonymous_ = true;
        open_ = true;
        return true;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return fail(error, errno);
    for (int tries = 0; tries < 100; ++tries) {
        const std::string name = temporaryName();
        fd_ = ::openat(folder_, name.c_str(), O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ < 0 && errno == EEXIST) continue;
        if (fd_ < 0) return fail(error, errno);
        if (way_ == Way::InPlace) {
            ::unlinkat(folder_, name.c_str(), 0); // only a buffer: it needs no name
        } else {
            temp_ = name;
            armInterruptCleanup(folderOf(path_) + "/" + name);
        }
        open_ = true;
        return true;
    }
    return fail(error, EEXIST);
}

// The new file takes the old one's owner, group and access control list;
// false when it cannot.
bool FileReplacement::keepOwnerAndAcl() {
    struct stat made {};
    if (::fstat(fd_, &made) != 0) return false;
    if ((made.st_uid != owner_ || made.st_gid != group_) && ::fchown(fd_, owner_, group_) != 0) return false;
    if (::fchmod(fd_, static_cast<mode_t>(mode_)) != 0) return false;
    return acl_.empty() || ::fsetxattr(fd_, AclAttribute, acl_.data(), acl_.size(), 0) == 0;
}

// Writes the finished temporary file's content over the target's.
int FileReplacement::copyIntoTarget() {
    way_ = Way::InPlace;
    const int target = ::openat(folder_, name_.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (target < 0) return errno;
    std::vector<char> chunk(WriteChunk);
    int code = 0;
    off_t offset = 0;
    for (;;) {
        const ssize_t got = ::pread(fd_, chunk.data(), chunk.size(), offset);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            if (got < 0) code = errno;
            break;
        }
        for (ssize_t done = 0; done < got && code == 0;) {
            const ssize_t put =
                ::pwrite(target, chunk.data() + done, static_cast<std::size_t>(got - done), offset + done);
            if (put < 0 && errno != EINTR) code = errno;
            if (put > 0) done += put;
        }
        if (code != 0) break;
        offset += got;
    }
    if (code == 0 && ::ftruncate(target, offset) != 0) code = errno;
    if (code == 0 && ::fsync(target) != 0) code = errno;
    if (::close(target) != 0 && code == 0) code = errno;
    return code;
}

// Gives a nameless temporary file a hidden name beside the target, then
// renames it over the target.
int FileReplacement::linkIntoPlace() {
    for (int tries = 0; anonymous_ && tries < 100; ++tries) {
        const std::string name = temporaryName();
        // Linking a descriptor by itself needs a privilege; /proc names it for anyone.
        int linked = ::linkat(fd_, "", folder_, name.c_str(), AT_EMPTY_PATH);
        if (linked != 0 && errno != EEXIST) {
            const std::string self = "/proc/self/fd/" + std::to_string(fd_);
            linked = ::linkat(AT_FDCWD, self.c_str(), folder_, name.c_str(), AT_SYMLINK_FOLLOW);
        }
        if (linked == 0) {
            temp_ = name;
            anonymous_ = false;
        } else if (errno != EEXIST) {
            return errno;
        }
    }
    if (anonymous_) return EEXIST;
    if (::renameat(folder_, temp_.c_str(), folder_, name_.c_str()) != 0) return errno;
    temp_.clear();
    disarmInterruptCleanup();
    return 0;
}

int FileReplacement::finish() {
    switch (way_) {
    case Way::Stream: return 0;
    case Way::InPlace: return copyIntoTarget();
    case Way::Replace: break;
    }
    if (exists_ && !private_) {
        if (!keepOwnerAndAcl()) return copyIntoTarget();
    } else if (::fchmod(fd_, static_cast<mode_t>(mode_)) != 0) {
        return errno;
    }
    if (::fsync(fd_) != 0) return errno;
    return linkIntoPlace();
}

bool FileReplacement::commit(std::string& error) {
    if (!open_) return fail(error, EBADF);
    int code = flushBuffer() ? 0 : failure_;
    if (code == 0) code = finish();
    if (code == 0 && ::close(fd_) != 0) code = errno;
    fd_ = -1;
    discard();
    return code == 0 || fail(error, code);
}

} // namespace kalden
