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

#ifndef _WIN32
// Makes the user's own store 0600 before SQLite opens it for writing (its
// journal files take the same mode); an existing one that others may read
// is tightened.
bool preparePrivateFile(const std::string& path, std::string& error);
#endif

// The store's path as an SQLite URI with `query` ("immutable=1"), so that
// the reading can be told how to open it.
std::string sqliteUri(const std::string& path, const std::string& query);

// Whether a write-ahead log or shared-memory index stands beside the store:
// a program has it open, or one ended before it could tidy up. Without them
// the store file holds every committed case, and it can be read as an
// immutable snapshot that creates no file.
bool storeHasJournalFiles(const std::string& path);

// Keeps the store from being changed while it is read as a snapshot: a read
// lock on the store's SQLite shared-lock range, which every writer must clear
// before it copies its log into the file. Taken without waiting; a writer
// that holds the store now makes `held()` false. (Windows: nothing is
// locked, and held() is always true.)
class StoreReadLock {
public:
    explicit StoreReadLock(const std::string& path);
    ~StoreReadLock();
    StoreReadLock(const StoreReadLock&) = delete;
    StoreReadLock& operator=(const StoreReadLock&) = delete;
    bool held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};

} // namespace kalden
