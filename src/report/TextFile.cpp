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

} // namespace kalden
