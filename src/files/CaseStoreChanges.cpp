#include <algorithm>
#include <functional>

#include "files/CaseStatement.h"
#include "files/CaseStore.h"

// The case store's changes after a case is added: deletions, which leave
// nothing of what they delete behind, and corrections of the person and
// session, which are kept with the case.

namespace kalden {

using store::exec;
using store::fail;
using store::Statement;

namespace {

// The database's column of each session field.
const char* columnOf(SessionField field) {
    switch (field) {
    case SessionField::Person: return "person";
    case SessionField::BirthDate: return "birth_date";
    case SessionField::TestingDate: return "testing_date";
    case SessionField::Examiner: return "examiner";
    case SessionField::Referral: break;
    }
    return "referral";
}

// Runs each statement of `sql` once for every binding `bind` gives (its
// count), in one transaction. Deleting leaves nothing of a case behind:
// secure deletion zeroes its cells and freed pages as the deletion writes
// them, and the log is emptied before the deletion returns.
bool deleteWhere(sqlite3* db, std::initializer_list<const char*> sql,
                 const std::function<void(Statement&, std::size_t)>& bind, std::size_t count, std::string& error) {
    error.clear();
    if (!exec(db, "BEGIN IMMEDIATE", error)) return false;
    bool ok = true;
    for (const char* text : sql) {
        Statement s(db, text);
        ok = s.ok() || fail(db, error);
        for (std::size_t i = 0; ok && i < count; ++i) {
            bind(s, i);
            ok = s.step() == SQLITE_DONE || fail(db, error);
            s.reset();
        }
        if (!ok) break;
    }
    if (!ok || !exec(db, "COMMIT", error)) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    return true;
}

} // namespace

// The log still holds the pages as they were before a deletion: it is
// copied into the database and emptied. SQLite waits for readers up to the
// busy timeout; a reader of another program that outlasts it keeps the
// erasure pending, and that is said, not passed over.
bool CaseStore::finishErasure(std::string& error) {
    Statement s(db_, "PRAGMA wal_checkpoint(TRUNCATE)");
    if (s.step() != SQLITE_ROW) return fail(db_, error);
    erasurePending_ = s.integer(0) != 0;
    if (erasurePending_)
        error =
            "the cases are deleted from the records, but another program is reading them, so their text stays "
            "in the file " +
            path_ + " or its log until that program closes it and the erasure is finished";
    return !erasurePending_;
}

bool CaseStore::erased(bool deleted, std::string& error) {
    if (deleted) finishErasure(error);
    return deleted;
}

bool CaseStore::remove(const std::vector<std::int64_t>& ids, std::string& error) {
    return erased(deleteWhere(
                      db_, {"DELETE FROM corrections WHERE case_id = ?1", "DELETE FROM cases WHERE id = ?1"},
                      [&ids](Statement& s, std::size_t i) { s.bind(1, ids[i]); }, ids.size(), error),
                  error);
}

bool CaseStore::removeAll(std::string& error) {
    return erased(deleteWhere(
                      db_, {"DELETE FROM corrections", "DELETE FROM cases"}, [](Statement&, std::size_t) {}, 1, error),
                  error);
}

bool CaseStore::removePeople(const std::vector<std::string>& keys, std::string& error) {
    return erased(deleteWhere(
                      db_,
                      {"DELETE FROM corrections WHERE case_id IN (SELECT id FROM cases WHERE person_key = ?1)",
                       "DELETE FROM cases WHERE person_key = ?1"},
                      [&keys](Statement& s, std::size_t i) { s.bind(1, keys[i]); }, keys.size(), error),
                  error);
}

namespace {

// The key of each case's person: stored since schema 3, made as it is read
// before that.
std::string keyColumn(int version) {
    return version >= 3 ? "person_key" : version == 2 ? "kalden_person_key(person)" : "''";
}

} // namespace

bool CaseStore::persons(std::vector<RecordedPerson>& out, std::string& error) const {
    out.clear();
    // The name of the newest case of each key stands for the person.
    const std::string key = keyColumn(version_);
    const std::string sql = "SELECT " + key + " AS k, " + (version_ >= 2 ? "person" : "''") +
                            ", count(*), max(id) FROM cases WHERE k != '' GROUP BY k ORDER BY k";
    Statement s(db_, sql.c_str());
    if (!s.ok()) return fail(db_, error);
    int status = SQLITE_ROW;
    while ((status = s.step()) == SQLITE_ROW) out.push_back({s.text(0), s.text(1), s.integer(2)});
    return status == SQLITE_DONE || fail(db_, error);
}

bool CaseStore::casesOfPerson(const std::string& key, std::vector<std::int64_t>& ids, std::string& error) const {
    ids.clear();
    const std::string sql =
        "SELECT id FROM cases WHERE " + keyColumn(version_) + " = ?1 AND ?1 != '' ORDER BY computed_utc, id";
    Statement s(db_, sql.c_str());
    if (!s.ok()) return fail(db_, error);
    s.bind(1, key);
    int status = SQLITE_ROW;
    while ((status = s.step()) == SQLITE_ROW) ids.push_back(s.integer(0));
    return status == SQLITE_DONE || fail(db_, error);
}

bool CaseStore::correct(const std::vector<std::int64_t>& ids, const std::vector<SessionChange>& changes,
                        std::int64_t utc, int utcOffsetMinutes, std::int64_t& corrected, std::string& error) {
    corrected = 0;
    if (!exec(db_, "BEGIN IMMEDIATE", error)) return false;
    bool ok = true;
    for (const std::int64_t id : ids) {
        bool changed = false;
        for (const SessionChange& c : changes) {
            const std::string column = columnOf(c.field);
            Statement read(db_, ("SELECT " + column + " FROM cases WHERE id = ?1").c_str());
            read.bind(1, id);
            const int status = read.step();
            if (status == SQLITE_DONE) break; // no such case
            ok = status == SQLITE_ROW || fail(db_, error);
            if (!ok) break;
            const std::string old = read.text(0);
            if (old == c.value) continue;
            Statement keep(db_,
                           "INSERT INTO corrections (case_id, field, old_value, new_value, corrected_utc,"
                           " utc_offset_minutes) VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
            keep.bind(1, id).bind(2, std::string(column)).bind(3, old).bind(4, c.value);
            keep.bind(5, utc).bind(6, std::int64_t{utcOffsetMinutes});
            Statement set(db_, ("UPDATE cases SET " + column + " = ?2, person_key = " +
                                (c.field == SessionField::Person ? "kalden_person_key(?2)" : "person_key") +
                                " WHERE id = ?1")
                                   .c_str());
            set.bind(1, id).bind(2, c.value);
            ok = (keep.step() == SQLITE_DONE && set.step() == SQLITE_DONE) || fail(db_, error);
            if (!ok) break;
            changed = true;
        }
        if (!ok) break;
        corrected += changed ? 1 : 0;
    }
    if (ok && exec(db_, "COMMIT", error)) return true;
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    corrected = 0;
    return false;
}

bool CaseStore::formerPersonKeys(const std::vector<std::string>& keys, std::vector<std::string>& out,
                                 std::string& error) const {
    out.clear();
    if (version_ < 3) return true;
    Statement s(db_,
                "SELECT DISTINCT kalden_person_key(old_value) FROM corrections WHERE field = 'person' AND case_id IN"
                " (SELECT id FROM cases WHERE person_key = ?1)");
    if (!s.ok()) return fail(db_, error);
    for (const std::string& key : keys) {
        s.bind(1, key);
        int status = SQLITE_ROW;
        while ((status = s.step()) == SQLITE_ROW)
            if (std::find(out.begin(), out.end(), s.text(0)) == out.end()) out.push_back(s.text(0));
        if (status != SQLITE_DONE) return fail(db_, error);
        s.reset();
    }
    return true;
}

bool CaseStore::corrections(std::int64_t id, std::vector<Correction>& out, std::string& error) const {
    out.clear();
    if (version_ < 3) return true;
    Statement s(db_,
                "SELECT field, old_value, new_value, corrected_utc, utc_offset_minutes FROM corrections"
                " WHERE case_id = ?1 ORDER BY id");
    if (!s.ok()) return fail(db_, error);
    s.bind(1, id);
    int status = SQLITE_ROW;
    while ((status = s.step()) == SQLITE_ROW) {
        Correction c;
        for (const SessionField f : SessionFields)
            if (s.text(0) == columnOf(f)) c.field = f;
        c.oldValue = s.text(1);
        c.newValue = s.text(2);
        c.correctedUtc = s.integer(3);
        c.utcOffsetMinutes = static_cast<int>(s.integer(4));
        out.push_back(std::move(c));
    }
    return status == SQLITE_DONE || fail(db_, error);
}

} // namespace kalden
