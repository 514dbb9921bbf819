#pragma once

#include <string>

namespace kalden {

// The user's own data folder, checked rather than trusted. It is opened from
// its parent without following a symbolic link in its place, so that nobody
// who may write the parent can swap in a folder of theirs; a folder that is a
// link or belongs to another user is refused; one that others may enter is
// tightened to 0700. Files in it are then reached through the open folder
// (openat), never by name again.
class PrivateFolder {
public:
    PrivateFolder() = default;
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    enum class Outcome { Open, Missing, Refused };
    // Opens the folder at `path`; with `create` it is made first when missing,
    // with any missing folder above it, each with mode 0700. Refused gives the
    // reason in `error`, naming the folder.
    Outcome open(const std::string& path, bool create, std::string& error);
    // The open folder (-1 on Windows, where the user's profile guards it).
    int descriptor() const { return fd_; }

private:
    int fd_ = -1;
};

// Creates `folder` and any missing folder above it with mode 0700; true when
// it exists afterwards, otherwise false with the system's reason.
bool createPrivateFolder(const std::string& folder, std::string& error);

} // namespace kalden
