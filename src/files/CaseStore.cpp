#include "files/CaseStore.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <sqlite3.h>
#include <zlib.h>

#include "files/ReportDictionary.h"
#include "format/NumberFormat.h"
#include "scoring/ScoringEngine.h"

namespace kalden {

namespace {

// ---- Packing the report --------------------------------------------------------

const Bytef* dictionaryBytes() { return reinterpret_cast<const Bytef*>(ReportDictionary); }
uInt dictionarySize() { return static_cast<uInt>(sizeof ReportDictionary - 1); }

std::string joinLines(const ReportLines& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += '\n';
        text += lines[i];
    }
    return text;
}

} // namespace

std::string packReport(const ReportLines& lines) {
    const std::string text = joinLines(lines);
    z_stream z{};
    deflateInit(&z, Z_BEST_COMPRESSION);
    deflateSetDictionary(&z, dictionaryBytes(), dictionarySize());
    std::string packed(deflateBound(&z, static_cast<uLong>(text.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(packed.data());
    z.avail_out = static_cast<uInt>(packed.size());
    deflate(&z, Z_FINISH);
    packed.resize(z.total_out);
    deflateEnd(&z);
    return packed;
}

bool unpackReport(const std::string& packed, ReportLines& lines) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    z.avail_in = static_cast<uInt>(packed.size());
    std::string text;
    char chunk[16384];
    int status = Z_OK;
    while (status == Z_OK || status == Z_NEED_DICT) {
        z.next_out = reinterpret_cast<Bytef*>(chunk);
        z.avail_out = sizeof chunk;
        status = inflate(&z, Z_NO_FLUSH);
        if (status == Z_NEED_DICT) status = inflateSetDictionary(&z, dictionaryBytes(), dictionarySize());
        text.append(chunk, sizeof chunk - z.avail_out);
        if (status == Z_BUF_ERROR && z.avail_in > 0) status = Z_OK; // the output chunk was full
    }
    inflateEnd(&z);
    if (status != Z_STREAM_END) return false;
    lines.clear();
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    lines.push_back(text.substr(start));
    return true;
}

namespace {

// ---- Statements ----------------------------------------------------------------

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

bool fail(sqlite3* db, std::string& error) {
    error = sqlite3_errmsg(db);
    return false;
}

bool exec(sqlite3* db, const char* sql, std::string& error) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK || fail(db, error);
}

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
};

// ---- The report's context as text ------------------------------------------------

std::string notesText(const std::vector<std::string>& notes) {
    std::string text;
    for (const std::string& line : notes) text += line + '\n';
    return text;
}

std::vector<std::string> splitTerminated(const std::string& text, char end) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find(end); at != std::string::npos; at = text.find(end, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    if (start < text.size()) parts.push_back(text.substr(start));
    return parts;
}

std::string gridText(const ReportContext& c) {
    if (!c.useDataGrid) return {};
    std::string text =
        std::to_string(c.gridColumns) + '\t' + std::to_string(c.gridRows) + '\t' + c.gridColumnsTitle + '\n';
    for (const std::vector<std::string>& row : c.gridCells) {
        for (std::size_t i = 0; i < row.size(); ++i) text += (i > 0 ? "\t" : "") + row[i];
        text += '\n';
    }
    return text;
}

void readGrid(const std::string& text, ReportContext& c) {
    std::vector<std::string> rows = splitTerminated(text, '\n');
    if (rows.empty()) return;
    c.useDataGrid = true;
    const std::vector<std::string> shape = splitTerminated(rows.front() + '\t', '\t');
    if (shape.size() >= 3) {
        c.gridColumns = std::atoi(shape[0].c_str());
        c.gridRows = std::atoi(shape[1].c_str());
        c.gridColumnsTitle = shape[2];
    }
    for (std::size_t r = 1; r < rows.size(); ++r) {
        std::vector<std::string> cells;
        std::size_t start = 0;
        for (std::size_t at = rows[r].find('\t'); at != std::string::npos; at = rows[r].find('\t', start)) {
            cells.push_back(rows[r].substr(start, at - start));
            start = at + 1;
        }
        cells.push_back(rows[r].substr(start));
        c.gridCells.push_back(std::move(cells));
    }
}

// "1 3 v v v ...": whether the matrix is echoed, its order, then every
// value of the stored square, exactly (%.17g).
std::string matrixText(const ReportContext& c) {
    if (!c.useCorrelationMatrix && c.matrixSize == 0) return {};
    std::string text = std::string(c.useCorrelationMatrix ? "1 " : "0 ") + std::to_string(c.matrixSize);
    char number[32];
    for (const double v : c.storedMatrix) {
        std::snprintf(number, sizeof number, " %.17g", v);
        text += number;
    }
    return text;
}

void readMatrix(const std::string& text, ReportContext& c) {
    if (text.empty()) return;
    const char* p = text.c_str();
    char* end = nullptr;
    c.useCorrelationMatrix = std::strtol(p, &end, 10) != 0;
    c.matrixSize = static_cast<int>(std::strtol(end, &end, 10));
    for (double& v : c.storedMatrix) v = std::strtod(end, &end);
}

#ifndef _WIN32
// The file is made 0600 before SQLite opens it (its journal files take the
// same mode); an existing one that others may read is tightened.
bool preparePrivateFile(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && !S_ISREG(st.st_mode)) {
        error = "not a regular file";
        ok = false;
    } else if (ok && (st.st_mode & 077) != 0 && ::fchmod(fd, 0600) != 0) {
        error = std::strerror(errno);
        ok = false;
    }
    ::close(fd);
    return ok;
}
#endif

} // namespace

// ---- The store ---------------------------------------------------------------------

CaseStore::~CaseStore() { sqlite3_close(db_); }

CaseStore::CaseStore(CaseStore&& other) noexcept : db_(std::exchange(other.db_, nullptr)) {}

CaseStore& CaseStore::operator=(CaseStore&& other) noexcept {
    if (this != &other) {
        sqlite3_close(db_);
        db_ = std::exchange(other.db_, nullptr);
    }
    return *this;
}

bool CaseStore::open(const std::string& path, Access access, std::string& error) {
    sqlite3_close(db_);
    db_ = nullptr;
#ifndef _WIN32
    if (access == Access::ReadWrite && !preparePrivateFile(path, error)) return false;
#endif
    const int flags =
        (access == Access::ReadWrite ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY) |
        SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_FULLMUTEX;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        return false;
    }
    db_ = db;
    if (configure(access, error)) return true;
    sqlite3_close(db_);
    db_ = nullptr;
    return false;
}

bool CaseStore::configure(Access access, std::string& error) {
    sqlite3_busy_timeout(db_, 2000);
    sqlite3_extended_result_codes(db_, 1);
    int version = 0;
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
    return exec(db_, "PRAGMA journal_mode=WAL", error) && exec(db_, "PRAGMA synchronous=FULL", error) && migrate(error);
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
                " notes, notes_label, grid, matrix, full_scale, report, report_dictionary)"
                " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18,"
                " ?19, ?20, ?21, ?22, ?23, ?24, ?25, ?26, ?27, ?28, ?29)");
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
    if (s.step() != SQLITE_DONE) return fail(db_, error);
    id = sqlite3_last_insert_rowid(db_);
    return true;
}

bool CaseStore::addAll(const std::vector<CaseRecord>& cases, const std::string& version, std::string& error) {
    if (!exec(db_, "BEGIN IMMEDIATE", error)) return false;
    std::int64_t id = 0;
    bool ok = true;
    for (std::size_t i = 0; ok && i < cases.size(); ++i) ok = add(cases[i], version, id, error);
    if (ok) return exec(db_, "COMMIT", error);
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

bool CaseStore::list(const CaseQuery& query, std::vector<CaseListRow>& rows, std::string& error) const {
    Statement s(db_,
                "SELECT id, computed_utc, utc_offset_minutes,"
                " substr(notes, 1, instr(notes || char(10), char(10)) - 1),"
                " field1, field2, field3, field4, field5, field6, field7, full_scale FROM cases"
                " WHERE (?1 = '' OR local_time >= ?1) AND (?2 = '' OR instr(lower(notes), lower(?2)) > 0)"
                " ORDER BY computed_utc DESC, id DESC");
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
        rows.push_back(std::move(row));
    }
    return status == SQLITE_DONE || fail(db_, error);
}

bool CaseStore::get(std::int64_t id, std::optional<StoredCase>& found, std::string& error) const {
    found.reset();
    Statement s(db_,
                "SELECT computed_utc, utc_offset_minutes, version,"
                " field1, field2, field3, field4, field5, field6, field7,"
                " score1, score2, score3, score4, score5, score6, score7,"
                " confidence_method, difference_basis, sequential_bonferroni, abnormality_criterion,"
                " notes, notes_label, grid, matrix, report, report_dictionary FROM cases WHERE id = ?1");
    if (!s.ok()) return fail(db_, error);
    s.bind(1, id);
    const int status = s.step();
    if (status == SQLITE_DONE) return true;
    if (status != SQLITE_ROW) return fail(db_, error);
    StoredCase c;
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
    if (s.integer(26) != ReportDictionaryNumber || !unpackReport(s.text(25), r.report)) {
        error = "the report of case " + std::to_string(id) + " cannot be unpacked";
        return false;
    }
    r.results = computeAll(r.input);
    found = std::move(c);
    return true;
}

bool CaseStore::remove(const std::vector<std::int64_t>& ids, std::string& error) {
    if (!exec(db_, "BEGIN IMMEDIATE", error)) return false;
    Statement s(db_, "DELETE FROM cases WHERE id = ?1");
    bool ok = s.ok() || fail(db_, error);
    for (std::size_t i = 0; ok && i < ids.size(); ++i) {
        s.bind(1, ids[i]);
        ok = s.step() == SQLITE_DONE || fail(db_, error);
        s.reset();
    }
    if (ok) return exec(db_, "COMMIT", error);
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

bool CaseStore::removeAll(std::string& error) { return exec(db_, "DELETE FROM cases", error); }

bool CaseStore::count(std::int64_t& n, std::string& error) const {
    Statement s(db_, "SELECT count(*) FROM cases");
    if (s.step() != SQLITE_ROW) return fail(db_, error);
    n = s.integer(0);
    return true;
}

} // namespace kalden
