#include "files/TextFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

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

} // namespace kalden
