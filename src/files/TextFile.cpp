#include "files/TextFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "files/Utf8Path.h"

namespace kalden {

std::string joinCrLf(const ReportLines& lines) {
    std::string out;
    for (const std::string& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

bool FileReplacement::flushBuffer() {
    if (failure_ == 0 && !writeAll(buffer_.data(), buffer_.size())) {
        buffer_.clear();
        return false;
    }
    buffer_.clear();
    return failure_ == 0;
}

bool FileReplacement::write(std::string_view data) {
    if (!open_ || failure_ != 0) return false;
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

bool readWholeFile(const std::string& path, std::string& content, std::string& error) {
    content.clear();
    std::FILE* f = openFileUtf8(path, "rb");
    if (!f) {
        error = std::strerror(errno);
        return false;
    }
    char buffer[8192];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) content.append(buffer, got);
    const bool failed = std::ferror(f) != 0;
    const int code = errno;
    std::fclose(f);
    if (failed) error = std::strerror(code);
    return !failed;
}

bool sameFile(const std::string& a, const std::string& b) {
    const auto pathOf = [](const std::string& name) {
#ifndef _WIN32
        if (name == "-") return std::filesystem::path("/dev/stdin");
#endif
        return pathFromUtf8(name);
    };
    std::error_code failed;
    const bool same = std::filesystem::equivalent(pathOf(a), pathOf(b), failed);
    return !failed && same;
}

namespace {

// What tells one open file from every other: the device (volume) and the
// file's number on it; nothing for a descriptor that is not a regular file.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    bool operator==(const FileIdentity&) const = default;
};

#ifdef _WIN32
std::optional<FileIdentity> identityOfHandle(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(handle, &info))
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

std::optional<FileIdentity> identityOf(int fd) {
    return identityOfHandle(reinterpret_cast<HANDLE>(_get_osfhandle(fd)));
}

std::optional<FileIdentity> identityOf(const std::string& path) {
    const HANDLE h = CreateFileW(pathFromUtf8(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    const std::optional<FileIdentity> identity = identityOfHandle(h);
    CloseHandle(h);
    return identity;
}
#else
std::optional<FileIdentity> identityOf(const struct stat& st) {
    if (!S_ISREG(st.st_mode)) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::optional<FileIdentity> identityOf(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? identityOf(st) : std::nullopt;
}

std::optional<FileIdentity> identityOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? identityOf(st) : std::nullopt;
}
#endif

} // namespace

bool descriptorIsFile(int fd, const std::string& path) {
    const std::optional<FileIdentity> open = identityOf(fd);
    return open && open == identityOf(path);
}

bool descriptorsAreSameFile(int a, int b) {
    const std::optional<FileIdentity> first = identityOf(a);
    return first && first == identityOf(b);
}

} // namespace kalden
