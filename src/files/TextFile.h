#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "report/ReportLines.h"

namespace kalden {

// The report text as a saved file holds it: every line, the last included,
// ends in a carriage return and a line feed.
std::string joinCrLf(const ReportLines& lines);

// Writes `content` to the file at `path` so that the old file survives any
// failure. Every file the program writes goes through here (or through
// FileReplacement below), by these rules:
// - A regular file (or none) is replaced atomically: the new content is
//   written completely to a temporary file in the same folder, flushed to the
//   device and renamed over the old one. The old file's mode, group and
//   access control list stay; a symbolic link is followed (the link stays and
//   its target gets the content); a file the user may not write is refused.
// - A file that the new one could not stand in for is written in place once
//   the new content is complete in the temporary file: one with more than one
//   hard link, one owned by another user, one whose group or access control
//   list the new file could not take. Its owner, links and permissions stay;
//   only a failure half-way through that copy can leave it incomplete.
// - A FIFO, a device, a socket or an open descriptor named as /dev/stdout,
//   /dev/fd/N or /proc/self/fd/N is written in place as it stands, never
//   renamed over (an appending descriptor keeps its earlier content). A
//   folder is refused.
// - The temporary file cannot outlive the process: on Linux it has no name
//   until it is complete; where the file system cannot make such a file, a
//   named one is removed on SIGINT, SIGTERM, SIGHUP, SIGQUIT and SIGXFSZ.
// A `forcedMode` other than 0 gives the file exactly that mode instead (0600
// for a file private to the user). On failure returns false with the system's
// description of what went wrong in `error`.
//
// `path` is UTF-8 on every system. On Windows either slash separates folders,
// a drive letter may lead, the existing file keeps its attributes (a
// read-only file is refused) and the system's replace call swaps the files.
bool writeFileReplacing(const std::string& path, const std::string& content, std::string& error,
                        unsigned forcedMode = 0);

// The same writing for content produced piece by piece (batch output of any
// length in constant memory). Until commit succeeds a replaced file is
// untouched; a replacement destroyed without commit, or failing at any step,
// leaves no temporary file behind.
class FileReplacement {
public:
    FileReplacement() = default;
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool open(const std::string& path, std::string& error, unsigned forcedMode = 0);
#ifndef _WIN32
    // A file private to the user: `name` in the folder open as `folder`
    // (which the caller has checked), mode 0600, always replaced by renaming,
    // so that a symbolic link or anything else in its place is never
    // followed or written into.
    bool openPrivate(int folder, const std::string& name, std::string& error);
#endif
    // Buffered; false once a write has failed (commit then reports why).
    bool write(std::string_view data);
    bool commit(std::string& error);

    // How an open target is written (see writeFileReplacing).
    enum class Way { Replace, InPlace, Stream };
    Way way() const { return way_; }

private:
    static constexpr std::size_t WriteChunk = std::size_t{1} << 20;

    bool flushBuffer();
    bool writeAll(const char* data, std::size_t size); // records failure_
    void discard();

    bool open_ = false;
    Way way_ = Way::Replace;
    std::string path_;
    std::string temp_; // a named temporary file, while there is one
#ifdef _WIN32
    void* handle_ = nullptr; // the temporary file's HANDLE
    bool replacesExisting_ = false;
#else
    bool openTarget(const std::string& path, std::string& error);
    bool openTemporary(std::string& error);
    bool keepOwnerAndAcl();
    // Each gives 0 or the system's error code.
    int finish();
    int copyIntoTarget();
    int linkIntoPlace();
    void startWriteBack();

    int folder_ = -1;        // the target's folder
    std::string name_;       // the target's name in it
    int fd_ = -1;            // where the writes go: the temporary file, or the target itself (Stream)
    bool anonymous_ = false; // the temporary file has no name yet
    bool private_ = false;
    unsigned mode_ = 0;
    bool exists_ = false;
    unsigned owner_ = 0, group_ = 0;
    std::string acl_;              // the old file's access control list, as its extended attribute
    std::uint64_t written_ = 0;    // bytes written to fd_
    std::uint64_t handedOver_ = 0; // of which handed to the device
    std::uint64_t released_ = 0;   // of which on the device and out of the cache
#endif
    int failure_ = 0; // system error code of the first failed write
    std::string buffer_;
};

// Reads the whole file at `path` into `content`. False with the system's
// description in `error` when it cannot be opened or a read fails; `content`
// then holds what was read before the failure.
bool readWholeFile(const std::string& path, std::string& content, std::string& error);

// True when `a` and `b` name the same existing file, however each is spelt
// (links followed); "-" stands for standard input.
bool sameFile(const std::string& a, const std::string& b);

// The descriptors of standard input and standard output.
inline constexpr int StandardInput = 0;
inline constexpr int StandardOutput = 1;

// True when the open descriptor `fd` (standard output, say) is the existing
// regular file at `path`, links followed.
bool descriptorIsFile(int fd, const std::string& path);
// True when two open descriptors are one regular file (standard input and
// standard output both redirected to it).
bool descriptorsAreSameFile(int a, int b);

// Writes the pieces to the open descriptor `fd` one after another, as few
// calls as the system allows; 0, or the system's code for the failure.
int writePieces(int fd, std::span<const std::string_view> pieces);

// The system's description of one of its error codes: strerror's text for an
// errno value; on Windows the text of a GetLastError code.
std::string systemErrorText(int code);

} // namespace kalden
