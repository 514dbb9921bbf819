#pragma once

#include <sys/stat.h>
#ifdef _WIN32
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#endif

#include <cstdio>
#include <filesystem>
#include <string>

namespace kalden {

// File names travel through the program as UTF-8 text. POSIX systems take
// those bytes as they are; Windows needs them as UTF-16, or every name
// outside the ANSI code page fails to open.

inline std::filesystem::path pathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// std::fopen for a UTF-8 file name; sets errno on failure as fopen does.
inline std::FILE* openFileUtf8(const std::string& utf8, const char* mode) {
#ifdef _WIN32
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return ::_wfopen(pathFromUtf8(utf8).c_str(), wideMode.c_str());
#else
    return std::fopen(utf8.c_str(), mode);
#endif
}

// stat(2) and friends for a UTF-8 file name: the wide calls on Windows.
#ifdef _WIN32
using FileStatus = struct _stat64;
inline int statUtf8(const std::string& utf8, FileStatus& st) { return ::_wstat64(pathFromUtf8(utf8).c_str(), &st); }
inline int openUtf8(const std::string& utf8, int flags) { return ::_wopen(pathFromUtf8(utf8).c_str(), flags); }
inline int unlinkUtf8(const std::string& utf8) { return ::_wunlink(pathFromUtf8(utf8).c_str()); }
inline int mkdirUtf8(const std::string& utf8) { return ::_wmkdir(pathFromUtf8(utf8).c_str()); }
inline bool readableUtf8(const std::string& utf8) { return ::_waccess(pathFromUtf8(utf8).c_str(), 4) == 0; }
#else
using FileStatus = struct stat;
inline int statUtf8(const std::string& utf8, FileStatus& st) { return ::stat(utf8.c_str(), &st); }
#endif

} // namespace kalden
