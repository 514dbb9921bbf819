#pragma once

#include <string>

namespace kalden {

// What stands at a case store's path, checked before SQLite is let near it,
// and the ways the store is opened for reading without writing anything.

// Whose the store must be: the user's own store (the default one, where
// Compute records) must belong to the user, as the data folder must; a
// backup named on the command line may be anyone's the user may read.
enum class StoreOwner { Anyone, User };

// Refuses, with a reason that says what it met, anything but a regular file
// at `path`: a symbolic link, a folder, a FIFO, a device, a socket; a file of
// another user where `owner` is User; and, where `mustExist`, no file at all
// ("no case has been recorded there yet"). Never opens the file, so a FIFO
// cannot hang it.
bool checkStoreFile(const std::string& path, bool mustExist, StoreOwner owner, std::string& error);

// "belongs to user ann (uid 1001)", or to "uid 1001" alone when the user has
// no name.
std::string ownerText(unsigned uid);

// The store's path as an SQLite URI with `query` ("immutable=1"), so that
// the reading can be told how to open it.
std::string sqliteUri(const std::string& path, const std::string& query);

// Whether a write-ahead log or shared-memory index stands beside the store:
// a program has it open, or one ended before it could tidy up. Without them
// the store file holds every committed case, and it can be read as an
// immutable snapshot that creates no file.
bool storeHasJournalFiles(const std::string& path);
// A log without its index: no program has the store open (SQLite keeps the
// index while one has), and one ended before it could tidy up.
bool storeHasLogWithoutIndex(const std::string& path);

// KALDEN's writers and its snapshot readers of one store take turns. A
// writer holds the store alone from before SQLite opens it until SQLite has
// closed it, for SQLite copies the log into the store file while it writes
// and when it closes; a reader of the file itself as a snapshot shares it
// with other such readers. The lock is not one of SQLite's (theirs do not
// keep a log's writer from the file), and it holds between threads of one
// program as between programs. (Windows: nothing is locked.)
class StoreLock {
public:
    enum class Kind { Read, Write };
    StoreLock() = default;
    ~StoreLock() { release(); }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    // Waits a few seconds for the other side to finish; false with `error`
    // saying so when it has not. A writer's store is made first if there is
    // none, and made the user's alone (0600, so that its log and index take
    // that mode too); one that others may read is tightened.
    bool take(const std::string& path, Kind kind, std::string& error);
    void release();

private:
    int fd_ = -1;
};

} // namespace kalden
