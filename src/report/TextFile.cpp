#include "report/TextFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

} // namespace

bool writeFileReplacing(const std::string& path, const std::string& content, std::string& error) {
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) return fail(error, EISDIR);

    std::string temp = folderOf(path) + "/.kalden-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return fail(error, errno);

    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            const int code = errno;
            ::close(fd);
            ::unlink(temp.c_str());
            return fail(error, code);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    const mode_t mode = exists ? (existing.st_mode & 07777) : static_cast<mode_t>(0644 & ~[] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return mask;
    }());
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) {
        const int code = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        return fail(error, code);
    }
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(temp.c_str());
        return fail(error, code);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int code = errno;
        ::unlink(temp.c_str());
        return fail(error, code);
    }
    return true;
}

namespace {

constexpr std::size_t kWriteChunk = 1 << 16;

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

bool writeAll(int fd, const char* data, std::size_t size, int& code) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            code = errno;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

FileReplacement::~FileReplacement() { discard(); }

void FileReplacement::discard() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
    fd_ = -1;
    temp_.clear();
}

bool FileReplacement::open(const std::string& path, std::string& error) {
    discard();
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) return fail(error, EISDIR);
    mode_ = exists ? (existing.st_mode & 07777) : (0644 & ~currentUmask());

    std::string temp = folderOf(path) + "/.kalden-XXXXXX";
    fd_ = ::mkstemp(temp.data());
    if (fd_ < 0) return fail(error, errno);
    temp_ = temp;
    path_ = path;
    failure_ = 0;
    buffer_.clear();
    buffer_.reserve(kWriteChunk);
    return true;
}

bool FileReplacement::flushBuffer() {
    if (failure_ == 0 && !writeAll(fd_, buffer_.data(), buffer_.size(), failure_)) {
        buffer_.clear();
        return false;
    }
    buffer_.clear();
    return failure_ == 0;
}

bool FileReplacement::write(std::string_view data) {
    if (fd_ < 0 || failure_ != 0) return false;
    if (buffer_.size() + data.size() > kWriteChunk && !flushBuffer()) return false;
    if (data.size() >= kWriteChunk) return writeAll(fd_, data.data(), data.size(), failure_);
    buffer_.append(data);
    return true;
}

bool FileReplacement::commit(std::string& error) {
    if (fd_ < 0) return fail(error, EBADF);
    int code = 0;
    if (!flushBuffer()) code = failure_;
    else if (::fchmod(fd_, static_cast<mode_t>(mode_)) != 0 || ::fsync(fd_) != 0) code = errno;
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

} // namespace kalden
