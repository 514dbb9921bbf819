#include "files/TextFile.h"

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kalden {

std::string joinCrLf(const ReportLines& lines) {
    std::string out;
    for (const std::string& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

namespace {
constexpr std::size_t WriteChunk = 1 << 16;
} // namespace

bool FileReplacement::flushBuffer() {
    if (failure_ == 0 && !writeAll(buffer_.data(), buffer_.size())) {
        buffer_.clear();
        return false;
    }
    buffer_.clear();
    return failure_ == 0;
}

bool FileReplacement::write(std::string_view data) {
    if (temp_.empty() || failure_ != 0) return false;
    if (buffer_.size() + data.size() > WriteChunk && !flushBuffer()) return false;
    if (data.size() >= WriteChunk) return writeAll(data.data(), data.size());
    buffer_.append(data);
    return true;
}

bool writeFileReplacing(const std::string& path, const std::string& content, std::string& error, unsigned forcedMode) {
    FileReplacement file;
    if (!file.open(path, error, forcedMode)) return false;
    file.write(content);
    return file.commit(error);
}

#ifndef _WIN32

std::string systemErrorText(int code) { return std::strerror(code); }

namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
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
    }
    return true;
}

FileReplacement::~FileReplacement() { discard(); }

void FileReplacement::discard() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
    fd_ = -1;
    temp_.clear();
}

// The file that saving at `path` really replaces: a symbolic link is
// followed, so the link stays and its target gets the new content.
std::string replacedFile(const std::string& path) {
    std::string target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat link {};
        if (::lstat(target.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return target;
        std::string next(static_cast<std::size_t>(link.st_size > 0 ? link.st_size : 4096), '\0');
        const ssize_t n = ::readlink(target.c_str(), next.data(), next.size());
        if (n < 0) return target;
        next.resize(static_cast<std::size_t>(n));
        target = (next.empty() || next[0] == '/') ? next : folderOf(target) + "/" + next;
    }
    return target;
}

bool FileReplacement::open(const std::string& path, std::string& error, unsigned forcedMode) {
    discard();
    const std::string target = replacedFile(path);
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) return fail(error, EISDIR);
    // A file that may not be written keeps its protection: it is not
    // replaced behind the user's back just because its folder is writable.
    if (exists && ::access(target.c_str(), W_OK) != 0) return fail(error, errno);
    mode_ = forcedMode != 0 ? forcedMode : exists ? (existing.st_mode & 07777) : (0644 & ~currentUmask());

    std::string temp = folderOf(target) + "/.kalden-XXXXXX";
    fd_ = ::mkstemp(temp.data());
    if (fd_ < 0) return fail(error, errno);
    temp_ = temp;
    path_ = target;
    failure_ = 0;
    buffer_.clear();
    buffer_.reserve(WriteChunk);
    return true;
}

bool FileReplacement::commit(std::string& error) {
    if (fd_ < 0) return fail(error, EBADF);
    int code = 0;
    if (!flushBuffer())
        code = failure_;
    else if (::fchmod(fd_, static_cast<mode_t>(mode_)) != 0 || ::fsync(fd_) != 0)
        code = errno;
    if (code == 0) {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) code = errno;
    }
    if (code == 0 && ::rename(temp_.c_str(), path_.c_str()) != 0) code = errno;
    if (code != 0) {
        discard();
        return fail(error, code);
    }
    temp_.clear();
    return true;
}

#endif // !_WIN32

} // namespace kalden
