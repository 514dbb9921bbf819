// The Windows side of the safe file replacement: the temporary file is made
// with CreateFileW beside the target and swapped in with ReplaceFileW (an
// existing file keeps its attributes and security) or MoveFileExW (a new
// file). Windows' rename never replaces an existing file.
#include "files/TextFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <string>

#include <io.h>
#include <windows.h>

#include "files/Utf8Path.h"

namespace kalden {

std::string systemErrorText(int code) {
    wchar_t* text = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring wide(text ? text : L"", length);
    if (text) ::LocalFree(text);
    while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' ')) wide.pop_back();
    if (wide.empty()) return "system error " + std::to_string(code);
    const std::u8string utf8 = std::filesystem::path(wide).u8string();
    return std::string(utf8.begin(), utf8.end());
}

int writePieces(int fd, std::span<const std::string_view> pieces) {
    for (std::string_view piece : pieces) {
        while (!piece.empty()) {
            const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(piece.size(), 1u << 30));
            const int written = ::_write(fd, piece.data(), chunk);
            if (written < 0) return errno;
            piece.remove_prefix(static_cast<std::size_t>(written));
        }
    }
    return 0;
}

namespace {

bool fail(std::string& error, DWORD code) {
    error = systemErrorText(static_cast<int>(code));
    return false;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    if (slash == std::string::npos) {
        // "C:name" is relative to drive C's current folder.
        return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : ".";
    }
    if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

std::string joinPath(const std::string& folder, const std::string& name) {
    const char last = folder.back();
    return last == '/' || last == '\\' || last == ':' ? folder + name : folder + "\\" + name;
}

// A name that is no valid UTF-8 becomes an empty one, which no file call
// accepts, so it fails with the system's reason like any bad name.
std::wstring wide(const std::string& utf8) {
    try {
        return pathFromUtf8(utf8).wstring();
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace

bool FileReplacement::writeAll(const char* data, std::size_t size) {
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(static_cast<HANDLE>(handle_), data, chunk, &written, nullptr)) {
            failure_ = static_cast<int>(::GetLastError());
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

FileReplacement::~FileReplacement() { discard(); }

void FileReplacement::discard() {
    if (handle_) ::CloseHandle(static_cast<HANDLE>(handle_));
    if (!temp_.empty()) ::DeleteFileW(wide(temp_).c_str());
    handle_ = nullptr;
    temp_.clear();
    open_ = false;
}

// A file's access on Windows follows its folder (the user's profile for the
// data file), so a forced POSIX mode has nothing to set here.
bool FileReplacement::open(const std::string& path, std::string& error, unsigned /*forcedMode*/) {
    discard();
    const DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
    replacesExisting_ = attributes != INVALID_FILE_ATTRIBUTES;
    if (!replacesExisting_) {
        const DWORD code = ::GetLastError();
        if (code != ERROR_FILE_NOT_FOUND) return fail(error, code);
    }
    // A folder opened for writing is what Windows calls access denied.
    if (replacesExisting_ && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return fail(error, ERROR_ACCESS_DENIED);
    // A read-only file keeps its protection: it is not replaced behind the
    // user's back just because its folder is writable.
    if (replacesExisting_ && (attributes & FILE_ATTRIBUTE_READONLY)) return fail(error, ERROR_ACCESS_DENIED);

    static std::atomic<unsigned> serial{0};
    const std::string folder = folderOf(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = ".kalden-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(serial++) +
                                 "-" + std::to_string(::GetTickCount64());
        const std::string temp = joinPath(folder, name);
        const HANDLE handle =
            ::CreateFileW(wide(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD code = ::GetLastError();
            if (code == ERROR_FILE_EXISTS) continue;
            return fail(error, code);
        }
        handle_ = handle;
        temp_ = temp;
        path_ = path;
        failure_ = 0;
        buffer_.clear();
        open_ = true;
        return true;
    }
    return fail(error, ERROR_FILE_EXISTS);
}

bool FileReplacement::commit(std::string& error) {
    if (!handle_) return fail(error, ERROR_INVALID_HANDLE);
    DWORD code = 0;
    if (!flushBuffer())
        code = static_cast<DWORD>(failure_);
    else if (!::FlushFileBuffers(static_cast<HANDLE>(handle_)))
        code = ::GetLastError();
    if (code == 0) {
        const HANDLE handle = static_cast<HANDLE>(handle_);
        handle_ = nullptr;
        if (!::CloseHandle(handle)) code = ::GetLastError();
    }
    if (code == 0) {
        const std::wstring target = wide(path_), temp = wide(temp_);
        const bool moved = replacesExisting_ ? ::ReplaceFileW(target.c_str(), temp.c_str(), nullptr,
                                                              REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                                             : ::MoveFileExW(temp.c_str(), target.c_str(),
                                                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        if (!moved) code = ::GetLastError();
    }
    if (code != 0) {
        discard();
        return fail(error, code);
    }
    temp_.clear();
    open_ = false;
    return true;
}

} // namespace kalden
