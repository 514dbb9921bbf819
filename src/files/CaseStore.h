#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files/StoreFile.h"
#include "report/CaseRecord.h"

struct sqlite3;

namespace kalden {

// Every computed case, kept in the user's own SQLite database beside the
// last-case file: when, by which version, the seven fields as typed, the
// options, the notes, the grid and matrix, and the report exactly as it was
// appended (packed with zlib against a fixed dictionary, so that 100,000
// cases take some 60 MB). The schema's version is the database's
// user_version; an older one is brought up to date when the store is opened
// for writing, a newer one is refused. WAL journal, synchronous=FULL, and
// every write is one transaction, so a killed program never leaves a
// damaged database or loses an earlier case.
//
// A case's results are not stored: computeAll on its input gives them again,
// digit for digit, and the store hands every case back whole, with them.

inline constexpr const char* CaseStoreFileName = "cases.sqlite";
inline constexpr int CaseStoreSchemaVersion = 3;

// One row of the cases table.
struct CaseListRow {
    std::int64_t id = 0;
    std::int64_t computedUtc = 0;
    int utcOffsetMinutes = 0;
    std::string notesHeadline;
    std::array<std::string, 7> fieldTexts;
    std::string fullScale; // the Full Scale IQ as the report prints it
    Options options;
    Session session;
};

struct StoredCase {
    std::int64_t id = 0;
    std::string version; // of the program that computed it
    CaseRecord record;   // its results computed again from the stored input
};

// Which cases to list: computed on or after the local date `since`
// ("2026-03-01"), and with `match` in their notes or the person (any case).
struct CaseQuery {
    std::string since;
    std::string match;
};

// Cases read together in one read transaction: those found whole, the
// numbers asked for that are not there, and those whose report cannot be
// read, each with the reason.
struct UnreadableCase {
    std::int64_t id = 0;
    std::string reason;
};
struct CaseSnapshot {
    std::vector<StoredCase> cases;
    std::vector<std::int64_t> missing;
    std::vector<UnreadableCase> unreadable;
};

// A person as recorded: the key the cases are matched by, the name as last
// typed, and how many cases the person has.
struct RecordedPerson {
    std::string key;
    std::string person;
    std::int64_t cases = 0;
};

// A correction of a recorded case's person or session: the field, its value
// before and after, and when it was made.
struct Correction {
    SessionField field = SessionField::Person;
    std::string oldValue;
    std::string newValue;
    std::int64_t correctedUtc = 0;
    int utcOffsetMinutes = 0;
};

class CaseStore {
public:
    enum class Access { ReadOnly, ReadWrite };

    CaseStore() = default;
    ~CaseStore();
    CaseStore(CaseStore&& other) noexcept;
    CaseStore& operator=(CaseStore&& other) noexcept;
    CaseStore(const CaseStore&) = delete;
    CaseStore& operator=(const CaseStore&) = delete;

    // Opens the database at `path`, which must be a regular file (of the
    // user's own where `owner` says so). ReadWrite creates it (mode 0600)
    // when missing and migrates an older schema; ReadOnly writes nothing,
    // creates no file beside it and fails on a missing file. False with the
    // reason: what stood there, SQLite's message or the system's.
    bool open(const std::string& path, Access access, std::string& error, StoreOwner owner = StoreOwner::Anyone);

    // Adds one case; its number in `id`.
    bool add(const CaseRecord& c, const std::string& version, std::int64_t& id, std::string& error);
    // Adds many cases in one transaction (all or none).
    bool addAll(const std::vector<CaseRecord>& cases, const std::string& version, std::string& error);
    // The same for cases each computed by its own version (its number unused).
    bool addAll(const std::vector<StoredCase>& cases, std::string& error);
    // Newest first.
    bool list(const CaseQuery& query, std::vector<CaseListRow>& rows, std::string& error) const;
    // Nothing (and no error) when there is no case `id`.
    bool get(std::int64_t id, std::optional<StoredCase>& found, std::string& error) const;
    // The cases `ids` (every case, oldest first, when empty), as they all
    // stood at one moment.
    bool snapshot(const std::vector<std::int64_t>& ids, CaseSnapshot& out, std::string& error) const;
    // Deleting leaves no copy of a deleted case (nor of its corrections) in
    // the database or its log once it returns. True once the cases are gone
    // from the records; `error` still says so when another program reading
    // the records kept the log from being emptied (erasurePending), so that
    // their text stays in it until finishErasure succeeds.
    bool remove(const std::vector<std::int64_t>& ids, std::string& error);
    bool removeAll(std::string& error);
    // Every case of the persons with these keys (personKey).
    bool removePeople(const std::vector<std::string>& keys, std::string& error);
    bool count(std::int64_t& n, std::string& error) const;
    // Copies the log into the database and empties it, waiting a bounded
    // time for readers; false with the reason when one still holds it.
    bool finishErasure(std::string& error);
    bool erasurePending() const { return erasurePending_; }

    // Every person named by a case, by key.
    bool persons(std::vector<RecordedPerson>& out, std::string& error) const;
    // The cases of the person with key `key`, oldest first.
    bool casesOfPerson(const std::string& key, std::vector<std::int64_t>& ids, std::string& error) const;
    // Sets the fields `changes` of the cases `ids` (one transaction), keeping
    // each value changed with the case as a correction made at `utc`. The
    // report stays as it was computed. `corrected`: how many cases changed.
    bool correct(const std::vector<std::int64_t>& ids, const std::vector<SessionChange>& changes, std::int64_t utc,
                 int utcOffsetMinutes, std::int64_t& corrected, std::string& error);
    // The keys of the names the persons with keys `keys` had before a
    // correction.
    bool formerPersonKeys(const std::vector<std::string>& keys, std::vector<std::string>& out,
                          std::string& error) const;
    // The corrections of case `id`, oldest first.
    bool corrections(std::int64_t id, std::vector<Correction>& out, std::string& error) const;

    // Lets go of the store at once, so that writers need not wait while
    // what was read is written out.
    void close();

private:
    std::string readingName(const std::string& path, std::string& error);
    bool openLeftByACrash(const std::string& path, std::string& error);
    bool configure(Access access, std::string& error);
    bool migrate(std::string& error);
    bool erased(bool deleted, std::string& error);

    sqlite3* db_ = nullptr;
    std::string path_;
    int version_ = 0;                 // the schema's version, as read when opened
    bool erasurePending_ = false;     // a deletion's text is still in the log
    std::unique_ptr<StoreLock> lock_; // while written, or read as an immutable snapshot
};

} // namespace kalden
