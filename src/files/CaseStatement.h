#pragma once

#include <cstdint>
#include <string>

#include <sqlite3.h>

// The case store's statements and the two helpers every query of it uses;
// for the store's own sources only.

namespace kalden::store {

class Statement {
public:
    Statement(sqlite3* db, const char* sql) : db_(db) { sqlite3_prepare_v2(db, sql, -1, &s_, nullptr); }
    ~Statement() { sqlite3_finalize(s_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return s_ != nullptr; }
    Statement& bind(int i, std::int64_t v) {
        sqlite3_bind_int64(s_, i, v);
        return *this;
    }
    Statement& bind(int i, double v) {
        sqlite3_bind_double(s_, i, v);
        return *this;
    }
    Statement& bind(int i, const std::string& v) {
        sqlite3_bind_text(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bindBlob(int i, const std::string& v) {
        sqlite3_bind_blob(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return s_ ? sqlite3_step(s_) : sqlite3_errcode(db_); }
    void reset() {
        sqlite3_reset(s_);
        sqlite3_clear_bindings(s_);
    }
    std::int64_t integer(int i) const { return sqlite3_column_int64(s_, i); }
    double real(int i) const { return sqlite3_column_double(s_, i); }
    std::string text(int i) const {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_blob(s_, i));
        return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(s_, i))) : std::string();
    }

private:
    sqlite3* db_;
    sqlite3_stmt* s_ = nullptr;
};

inline bool fail(sqlite3* db, std::string& error) {
    error = sqlite3_errmsg(db);
    return false;
}

inline bool exec(sqlite3* db, const char* sql, std::string& error) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK || fail(db, error);
}

} // namespace kalden::store
