#pragma once

#include <string>
#include <string_view>

#include "report/ReportLines.h"

namespace kalden {

// The report text as a saved file holds it: every line, the last included,
// ends in a carriage return and a line feed.
std::string joinCrLf(const ReportLines& lines);

// Replaces the file at `path` with `content` so that the old file survives
// any failure: the new content is written completely to a temporary file in
// the same folder and flushed to the device, then renamed over the old one.
// An existing file keeps its permissions; a symbolic link is followed (the
// link stays and its target gets the content); a file the user may not
// write is refused, not replaced. A `forcedMode` other than 0 gives the file
// exactly that mode instead (0600 for a file private to the user). On failure
// returns false with the system's description of what went wrong in `error`.
//
// `path` is UTF-8 on every system. On Windows either slash separates folders,
// a drive letter may lead, the existing file keeps its attributes (a
// read-only file is refused) and the system's replace call swaps the files.
bool writeFileReplacing(const std::string& path, const std::string& content, std::string& error,
                        unsigned forcedMode = 0);

// The same replacement for content produced piece by piece (batch output of
// any length in constant memory): the pieces go to a temporary file in the
// same folder, and commit flushes it to the device and renames it over the
// old file. Until commit succeeds the old file is untouched; a replacement
// destroyed without commit, or failing at any step, leaves no temporary
// file behind.
class FileReplacement {
public:
    FileReplacement() = default;
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool open(const std::string& path, std::string& error, unsigned forcedMode = 0);
    // Buffered; false once a write has failed (commit then reports why).
    bool write(std::string_view data);
    bool commit(std::string& error);
    // The temporary file's path while one is open (empty otherwise).
    const std::string& temporaryPath() const { return temp_; }

private:
    bool flushBuffer();
    bool writeAll(const char* data, std::size_t size); // records failure_
    void discard();

    std::string path_;
    std::string temp_;
#ifdef _WIN32
    void* handle_ = nullptr; // the temporary file's HANDLE
    bool replacesExisting_ = false;
#else
    int fd_ = -1;
    unsigned mode_ = 0;
#endif
    int failure_ = 0; // system error code of the first failed write
    std::string buffer_;
};

// The system's description of one of its error codes: strerror's text for an
// errno value; on Windows the text of a GetLastError code.
std::string systemErrorText(int code);

} // namespace kalden
