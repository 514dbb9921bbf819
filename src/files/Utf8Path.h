#pragma once

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

} // namespace kalden
