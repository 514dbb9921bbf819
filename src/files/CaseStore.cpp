#include "files/CaseStore.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <utility>

#include <sqlite3.h>
#include "files/CaseColumns.h"
#include "files/CaseStatement.h"
#include "files/ReportDictionary.h"
#include "files/StoreFile.h"
#include "files/StoreLogImage.h"
#include "files/TextFile.h"
#include "format/NumberFormat.h"
#include "report/PersonMatch.h"
#include "scoring/ScoringEngine.h"

namespace kalden {

using store::exec;
using store::fail;
using store::Statement;

namespace {

bool userVersion(sqlite3* db, int& version, std::string& error) {
    Statement s(db, "PRAGMA user_version");
    if (s.step() != SQLITE_ROW) return fail(db, error);
    version = static_cast<int>(s.integer(0));
    return true;
}

// Step k brings the schema from version k to version k + 1.
const char* const Migrations[CaseStoreSchemaVersion] = {
    "CREATE TABLE cases ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " computed_utc INTEGER NOT NULL, utc_offset_minutes INTEGER NOT NULL,"
    " local_time TEXT NOT NULL," // "2026-12-09 10:31", what the user sees and filters on
    " version TEXT NOT NULL,"
    " field1 TEXT NOT NULL, field2 TEXT NOT NULL, field3 TEXT NOT NULL, field4 TEXT NOT NULL,"
    " field5 TEXT NOT NULL, field6 TEXT NOT NULL, field7 TEXT NOT NULL,"
    " score1 REAL NOT NULL, score2 REAL NOT NULL, score3 REAL NOT NULL, score4 REAL NOT NULL,"
    " score5 REAL NOT NULL, score6 REAL NOT NULL, score7 REAL NOT NULL,"
    " confidence_method INTEGER NOT NULL, difference_basis INTEGER NOT NULL,"
    " sequential_bonferroni INTEGER NOT NULL, abnormality_criterion INTEGER NOT NULL,"
    " notes TEXT NOT NULL," // each line followed by a line feed
    " notes_label TEXT NOT NULL,"
    " grid TEXT NOT NULL,"   // empty, or the grid's shape and title, then its rows
    " matrix TEXT NOT NULL," // empty, or the matrix's order and values
    " full_scale TEXT NOT NULL,"
    " report BLOB NOT NULL, report_dictionary INTEGER NOT NULL);"
    "CREATE INDEX cases_by_time ON cases (computed_utc);",
    // 2: who was tested, when, by whom and why; older cases have none.
    "ALTER TABLE cases ADD COLUMN person TEXT NOT NULL DEFAULT '';"
    "ALTER TABLE cases ADD COLUMN birth_date TEXT NOT NULL DEFAULT '';"
    "ALTER TABLE cases ADD COLUMN testing_date TEXT NOT NULL DEFAULT '';"
    "ALTER TABLE cases ADD COLUMN examiner TEXT NOT NULL DEFAULT '';"
    "ALTER TABLE cases ADD COLUMN referral TEXT NOT NULL DEFAULT '';"
    "CREATE INDEX cases_by_person ON cases (person);",
    // 3: one person however the name was typed, and what was corrected.
    "ALTER TABLE cases ADD COLUMN person_key TEXT NOT NULL DEFAULT '';"
    "UPDATE cases SET person_key = kalden_person_key(person);"
    "DROP INDEX cases_by_person;"
    "CREATE INDEX cases_by_person_key ON cases (person_key);"
    "CREATE TABLE corrections ("
    " id INTEGER PRIMARY KEY, case_id INTEGER NOT NULL, field TEXT NOT NULL,"
    " old_value TEXT NOT NULL, new_value TEXT NOT NULL,"
    " corrected_utc INTEGER NOT NULL, utc_offset_minutes INTEGER NOT NULL);"
    "CREATE INDEX corrections_by_case ON corrections (case_id);",
};

// personKey for the store's SQL: the key of a store brought up to date, and
// of one only read.
void personKeyFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const std::string key =
        text ? personKey(std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(argv[0])))) : "";
    sqlite3_result_text(context, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
}

// The session's columns, or empty texts in their place in a store of
// schema 1 that is only read (and so not brought up to date).
std::string sessionColumns(int version) {
    return version >= 2 ? "person, birth_date, testing_date, examiner, referral" : "'', '', '', '', ''";
}

Session readSession(const Statement& s, int first) {
    return Session{s.text(first), s.text(first + 1), s.text(first + 2), s.text(first + 3), s.text(first + 4)};
}

} // namespace

// ---- The store ---------------------------------------------------------------------

CaseStore::~CaseStore() { close(); }

CaseStore::CaseStore(CaseStore&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)),
      path_(std::move(other.path_)),
      version_(other.version_),
      erasurePending_(other.erasurePending_),
      lock_(std::move(other.lock_)) {}

CaseStore& CaseStore::operator=(CaseStore&& other) noexcept {
    if (this != &other) {
        close();
        db_ = std::exchange(other.db_, nullptr);
        path_ = std::move(other.path_);
        version_ = other.version_;
        erasurePending_ = other.erasurePending_;
        lock_ = std::move(other.lock_);
    }
    return *this;
}

// The connection goes first: the lock must outlive every read and the
// writer's last copy of its log into the store.
void CaseStore::close() {
    sqlite3_close(db_);
    db_ = nullptr;
    lock_.reset();
}

// Reading writes nothing. Where a log or index stands beside the store
// while no writer of KALDEN's holds it, another program is at work, and the
// store is read through them as SQLite reads it; otherwise the file itself
// holds every committed case, and it is read as an immutable snapshot, which
// creates no file beside it (so that a backup in a read-only folder or on a
// read-only medium, or another user's store, can be read), under a lock that
// keeps KALDEN's writers from changing it meanwhile.
std::string CaseStore::readingName(const std::string& path, std::string& error) {
    auto lock = std::make_unique<StoreLock>();
    if (!lock->take(path, StoreLock::Kind::Read, error)) return {};
    if (storeHasJournalFiles(path)) return sqliteUri(path, "mode=ro");
    lock_ = std::move(lock);
    return sqliteUri(path, "immutable=1");
}

// A log without its index is what a crash (or a copy taken while the store
// was open) leaves: no program has the store open, and SQLite, to read the
// log, would create the index beside it, which a read-only medium refuses.
// The store is read from memory instead, the log's committed changes in it.
bool CaseStore::openLeftByACrash(const std::string& path, std::string& error) {
    StoreLock lock;
    if (!lock.take(path, StoreLock::Kind::Read, error)) return false;
    std::string database;
    std::string log;
    std::string image;
    if (!readWholeFile(path, database, error) || !readWholeFile(path + "-wal", log, error)) return false;
    if (!databaseWithLog(database, log, image, error)) return false;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr) != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        return false;
    }
    auto* bytes = static_cast<unsigned char*>(sqlite3_malloc64(image.size()));
    if (bytes == nullptr && !image.empty()) {
        sqlite3_close(db);
        error = "out of memory";
        return false;
    }
    std::memcpy(bytes, image.data(), image.size());
    const auto size = static_cast<sqlite3_int64>(image.size());
    if (sqlite3_deserialize(db, "main", bytes, size, size,
                            SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_READONLY) != SQLITE_OK) {
        error = sqlite3_errmsg(db);
        sqlite3_close(db);
        return false;
    }
    db_ = db;
    path_ = path;
    return true;
}

bool CaseStore::open(const std::string& path, Access access, std::string& error, StoreOwner owner) {
    close();
    if (!checkStoreFile(path, access == Access::ReadOnly, owner, error)) return false;
    if (access == Access::ReadOnly && storeHasLogWithoutIndex(path)) {
        if (openLeftByACrash(path, error) && configure(access, error)) return true;
        close();
        return false;
    }
    if (access == Access::ReadWrite) {
        lock_ = std::make_unique<StoreLock>();
        if (!lock_->take(path, StoreLock::Kind::Write, error)) {
            lock_.reset();
            return false;
        }
    }
    std::string name = path;
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_FULLMUTEX;
    if (access == Access::ReadOnly) {
        name = readingName(path, error);
        if (name.empty()) return false;
        flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_FULLMUTEX;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(name.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        close();
        return false;
    }
    db_ = db;
    path_ = path;
    erasurePending_ = false;
    if (configure(access, error)) return true;
    close();
    return false;
}

bool CaseStore::configure(Access access, std::string& error) {
    sqlite3_busy_timeout(db_, 2000);
    sqlite3_extended_result_codes(db_, 1);
    if (sqlite3_create_function(db_, "kalden_person_key", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                personKeyFunction, nullptr, nullptr) != SQLITE_OK)
        return fail(db_, error);
    int& version = version_;
    if (!userVersion(db_, version, error)) return false;
    if (version > CaseStoreSchemaVersion) {
        error = "the database was written by a newer version of KALDEN (its schema is version " +
                std::to_string(version) + "; this version knows up to " + std::to_string(CaseStoreSchemaVersion) + ")";
        return false;
    }
    if (access == Access::ReadOnly) {
        if (version == 0) {
            error = "the file holds no case records of KALDEN";
            return false;
        }
        return true;
    }
    // A deleted case is overwritten with zeros, not merely unlinked.
    if (!exec(db_, "PRAGMA secure_delete=ON", error) || !exec(db_, "PRAGMA journal_mode=WAL", error) ||
        !exec(db_, "PRAGMA synchronous=FULL", error) || !migrate(error))
        return false;
    version_ = CaseStoreSchemaVersion;
    return true;
}

// All steps in one transaction, with the version read again inside it, so two
// programs starting at once cannot both migrate.
bool CaseStore::migrate(std::string& error) {
    if (!exec(db_, "BEGIN IMMEDIATE", error)) return false;
    int version = 0;
    bool ok = userVersion(db_, version, error);
    for (; ok && version < CaseStoreSchemaVersion; ++version) ok = exec(db_, Migrations[version], error);
    if (ok) ok = exec(db_, ("PRAGMA user_version=" + std::to_string(version)).c_str(), error);
    if (ok) return exec(db_, "COMMIT", error);
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

bool CaseStore::add(const CaseRecord& c, const std::string& version, std::int64_t& id, std::string& error) {
    Statement s(db_,
                "INSERT INTO cases (computed_utc, utc_offset_minutes, local_time, version,"
                " field1, field2, field3, field4, field5, field6, field7,"
                " score1, score2, score3, score4, score5, score6, score7,"
                " confidence_method, difference_basis, sequential_bonferroni, abnormality_criterion,"
                " notes, notes_label, grid, matrix, full_scale, report, report_dictionary,"
                " person, birth_date, testing_date, examiner, referral, person_key)"
                " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18,"
                " ?19, ?20, ?21, ?22, ?23, ?24, ?25, ?26, ?27, ?28, ?29, ?30, ?31, ?32, ?33, ?34, ?35)");
    if (!s.ok()) return fail(db_, error);
    s.bind(1, c.computedUtc).bind(2, std::int64_t{c.utcOffsetMinutes});
    s.bind(3, localTimeText(c.computedUtc, c.utcOffsetMinutes)).bind(4, version);
    for (int k = 1; k <= 7; ++k) {
        s.bind(4 + k, c.fieldTexts[static_cast<std::size_t>(k - 1)]);
        s.bind(11 + k, c.input.score(k));
    }
    s.bind(19, std::int64_t{static_cast<int>(c.input.confidenceMethod)});
    s.bind(20, std::int64_t{static_cast<int>(c.input.differenceBasis)});
    s.bind(21, std::int64_t{c.input.sequentialBonferroni ? 1 : 0});
    s.bind(22, std::int64_t{static_cast<int>(c.input.abnormalityCriterion)});
    s.bind(23, notesText(c.context.notes)).bind(24, c.context.notesLabel);
    s.bind(25, gridText(c.context)).bind(26, matrixText(c.context));
    s.bind(27, formatFixed(c.results.index[IndexId::FSIQ].score, 0, 0));
    s.bindBlob(28, packReport(c.report)).bind(29, std::int64_t{ReportDictionaryNumber});
    s.bind(30, c.session.person).bind(31, c.session.birthDate).bind(32, c.session.testingDate);
    s.bind(33, c.session.examiner).bind(34, c.session.referral).bind(35, personKey(c.session.person));
    if (s.step() != SQLITE_DONE) return fail(db_, error);
    id = sqlite3_last_insert_rowid(db_);
    return true;
}

bool CaseStore::addAll(const std::vector<CaseRecord>& cases, const std::string& version, std::string& error) {
    std::vector<StoredCase> versioned;
    versioned.reserve(cases.size());
    for (const CaseRecord& c : cases) versioned.push_back({0, version, c});
    return addAll(versioned, error);
}

bool CaseStore::addAll(const std::vector<StoredCase>& cases, std::string& error) {
    if (!exec(db_, "BEGIN IMMEDIATE", error)) return false;
    std::int64_t id = 0;
    bool ok = true;
    for (std::size_t i = 0; ok && i < cases.size(); ++i) ok = add(cases[i].record, cases[i].version, id, error);
    if (ok) return exec(db_, "COMMIT", error);
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

bool CaseStore::list(const CaseQuery& query, std::vector<CaseListRow>& rows, std::string& error) const {
    const std::string sql =
        "SELECT id, computed_utc, utc_offset_minutes,"
        " substr(notes, 1, instr(notes || char(10), char(10)) - 1),"
        " field1, field2, field3, field4, field5, field6, field7, full_scale,"
        " confidence_method, difference_basis, sequential_bonferroni, abnormality_criterion, " +
        sessionColumns(version_) +
        " FROM cases WHERE (?1 = '' OR local_time >= ?1) AND (?2 = '' OR instr(lower(notes || char(10) || " +
        (version_ >= 2 ? std::string("person") : std::string("''")) +
        "), lower(?2)) > 0) ORDER BY computed_utc DESC, id DESC";
    Statement s(db_, sql.c_str());
    if (!s.ok()) return fail(db_, error);
    s.bind(1, query.since).bind(2, query.match);
    rows.clear();
    int status = SQLITE_ROW;
    while ((status = s.step()) == SQLITE_ROW) {
        CaseListRow row;
        row.id = s.integer(0);
        row.computedUtc = s.integer(1);
        row.utcOffsetMinutes = static_cast<int>(s.integer(2));
        row.notesHeadline = s.text(3);
        for (int k = 0; k < 7; ++k) row.fieldTexts[static_cast<std::size_t>(k)] = s.text(4 + k);
        row.fullScale = s.text(11);
        row.options = Options{static_cast<ConfidenceMethod>(s.integer(12)), static_cast<DifferenceBasis>(s.integer(13)),
                              s.integer(14) != 0, static_cast<AbnormalityCriterion>(s.integer(15))};
        row.session = readSession(s, 16);
        rows.push_back(std::move(row));
    }
    return status == SQLITE_DONE || fail(db_, error);
}

namespace {

std::string selectCase(int version) {
    return "SELECT computed_utc, utc_offset_minutes, version,"
           " field1, field2, field3, field4, field5, field6, field7,"
           " score1, score2, score3, score4, score5, score6, score7,"
           " confidence_method, difference_basis, sequential_bonferroni, abnormality_criterion,"
           " notes, notes_label, grid, matrix, report, report_dictionary, " +
           sessionColumns(version) + " FROM cases WHERE id = ?1";
}

// The case in the statement's current row, whole: its results computed again
// from the stored input. False with the reason when its report cannot be
// unpacked.
bool readCaseRow(const Statement& s, std::int64_t id, StoredCase& c, std::string& reason) {
    c.id = id;
    CaseRecord& r = c.record;
    r.computedUtc = s.integer(0);
    r.utcOffsetMinutes = static_cast<int>(s.integer(1));
    c.version = s.text(2);
    for (int k = 1; k <= 7; ++k) {
        r.fieldTexts[static_cast<std::size_t>(k - 1)] = s.text(2 + k);
        r.input.setScore(k, s.real(9 + k));
    }
    r.input.confidenceMethod = static_cast<ConfidenceMethod>(s.integer(17));
    r.input.differenceBasis = static_cast<DifferenceBasis>(s.integer(18));
    r.input.sequentialBonferroni = s.integer(19) != 0;
    r.input.abnormalityCriterion = static_cast<AbnormalityCriterion>(s.integer(20));
    r.context.notes = splitTerminated(s.text(21), '\n');
    r.context.notesLabel = s.text(22);
    readGrid(s.text(23), r.context);
    readMatrix(s.text(24), r.context);
    r.session = readSession(s, 27);
    if (s.integer(26) != ReportDictionaryNumber) {
        reason = "its report was packed with dictionary " + std::to_string(s.integer(26)) +
                 ", which this version does not know";
        return false;
    }
    if (!unpackReport(s.text(25), r.report)) {
        reason = "its report cannot be unpacked";
        return false;
    }
    r.results = computeAll(r.input);
    return true;
}

} // namespace

bool CaseStore::get(std::int64_t id, std::optional<StoredCase>& found, std::string& error) const {
    found.reset();
    Statement s(db_, selectCase(version_).c_str());
    if (!s.ok()) return fail(db_, error);
    s.bind(1, id);
    const int status = s.step();
    if (status == SQLITE_DONE) return true;
    if (status != SQLITE_ROW) return fail(db_, error);
    StoredCase c;
    std::string reason;
    if (!readCaseRow(s, id, c, reason)) {
        error = "case " + std::to_string(id) + ": " + reason;
        return false;
    }
    found = std::move(c);
    return true;
}

// One read transaction: the cases listed are the cases read, whatever
// another program deletes meanwhile.
bool CaseStore::snapshot(const std::vector<std::int64_t>& ids, CaseSnapshot& out, std::string& error) const {
    out = {};
    if (!exec(db_, "BEGIN", error)) return false;
    const auto finish = [this](bool ok) {
        sqlite3_exec(db_, ok ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
        return ok;
    };
    std::vector<std::int64_t> wanted = ids;
    if (wanted.empty()) {
        Statement all(db_, "SELECT id FROM cases ORDER BY computed_utc, id");
        int status = SQLITE_ROW;
        while ((status = all.step()) == SQLITE_ROW) wanted.push_back(all.integer(0));
        if (status != SQLITE_DONE) return finish(fail(db_, error));
    }
    Statement s(db_, selectCase(version_).c_str());
    if (!s.ok()) return finish(fail(db_, error));
    for (const std::int64_t id : wanted) {
        s.bind(1, id);
        const int status = s.step();
        if (status == SQLITE_DONE) {
            out.missing.push_back(id);
        } else if (status != SQLITE_ROW) {
            return finish(fail(db_, error));
        } else {
            StoredCase c;
            std::string reason;
            if (readCaseRow(s, id, c, reason))
                out.cases.push_back(std::move(c));
            else
                out.unreadable.push_back({id, reason});
        }
        s.reset();
    }
    return finish(true);
}

bool CaseStore::count(std::int64_t& n, std::string& error) const {
    Statement s(db_, "SELECT count(*) FROM cases");
    if (s.step() != SQLITE_ROW) return fail(db_, error);
    n = s.integer(0);
    return true;
}

} // namespace kalden
