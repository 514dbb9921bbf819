// The case store: what goes in comes back exactly, newest first and
// filtered; a damaged, locked, newer or missing database is named, never
// overwritten; a killed writer loses nothing it had finished.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

#include <filesystem>
#include <fstream>
#include <random>

#include <sqlite3.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

#include "files/CaseColumns.h"
#include "files/CaseStore.h"
#include "files/SessionFile.h"
#include "files/SettingsFile.h"
#include "format/NumberFormat.h"
#include "report/PersonMatch.h"
#include "report/ScoreCase.h"

using namespace kalden;
namespace fs = std::filesystem;

namespace {

CaseRecord computedCase(std::array<double, 7> scores, std::vector<std::string> notes, std::int64_t utc) {
    CaseRecord c;
    for (int k = 1; k <= 7; ++k) {
        c.input.setScore(k, scores[static_cast<std::size_t>(k - 1)]);
        c.fieldTexts[static_cast<std::size_t>(k - 1)] = formatFixed(scores[static_cast<std::size_t>(k - 1)], 0, 1);
    }
    c.input.confidenceMethod = ConfidenceMethod::Glutting90;
    c.input.sequentialBonferroni = true;
    c.input.abnormalityCriterion = AbnormalityCriterion::Percent15;
    c.context.notes = std::move(notes);
    c.computedUtc = utc;
    c.utcOffsetMinutes = 60;
    const ScoredCase scored = scoreCase(c.input, c.context);
    c.report = scored.report;
    c.results = scored.results;
    return c;
}

class CaseStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("kalden-case-store-" + std::to_string(std::random_device{}()));
        ASSERT_TRUE(fs::create_directory(folder_));
        path_ = (folder_ / CaseStoreFileName).string();
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string openError(CaseStore::Access access) {
        CaseStore store;
        std::string error;
        EXPECT_FALSE(store.open(path_, access, error));
        return error;
    }
    void rawSql(const std::string& sql) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }

    fs::path folder_;
    std::string path_;
};

TEST_F(CaseStoreTest, ACaseComesBackExactlyAndListsNewestFirst) {
    CaseStore store;
    std::string error;
    ASSERT_TRUE(store.open(path_, CaseStore::Access::ReadWrite, error)) << error;
    const CaseRecord march = computedCase({12, 7, 11, 9, 8, 10, 13}, {"Ann, March", "", "third"}, 1772352000);
    const CaseRecord april = computedCase({10, 10, 10, 10.5, 10, 10, 10}, {}, 1775030400);
    std::int64_t first = 0, second = 0;
    ASSERT_TRUE(store.add(march, "0.1.0", first, error)) << error;
    ASSERT_TRUE(store.add(april, "0.2.0", second, error)) << error;

    std::optional<StoredCase> got;
    ASSERT_TRUE(store.get(first, got, error)) << error;
    ASSERT_TRUE(got);
    EXPECT_EQ(got->version, "0.1.0");
    EXPECT_EQ(got->record.fieldTexts, march.fieldTexts);
    EXPECT_EQ(got->record.context.notes, march.context.notes);
    EXPECT_EQ(got->record.report, march.report);
    EXPECT_EQ(got->record.input.confidenceMethod, ConfidenceMethod::Glutting90);
    EXPECT_TRUE(got->record.input.sequentialBonferroni);
    EXPECT_EQ(got->record.input.abnormalityCriterion, AbnormalityCriterion::Percent15);
    // The case comes back whole: its results, computed again, are the ones
    // that went in, and they give its report again.
    for (std::size_t i = 0; i < IndexCount; ++i) {
        EXPECT_EQ(got->record.results.index.indexes[i].score, march.results.index.indexes[i].score);
        EXPECT_EQ(got->record.results.index.indexes[i].upperLimit, march.results.index.indexes[i].upperLimit);
    }
    EXPECT_EQ(got->record.results.profile.chiSquare, march.results.profile.chiSquare);
    Warnings none;
    EXPECT_EQ(composeReport(got->record.input, got->record.results, got->record.context, none), march.report);
    ASSERT_TRUE(store.get(99, got, error));
    EXPECT_FALSE(got);

    const struct {
        CaseQuery query;
        std::vector<std::int64_t> ids;
    } queries[] = {{{}, {second, first}},
                   {{"2026-04-01", ""}, {second}},
                   {{"", "ann, MAR"}, {first}},
                   {{"", "third"}, {first}},
                   {{"2026-04-01", "ann"}, {}}};
    for (const auto& q : queries) {
        std::vector<CaseListRow> rows;
        ASSERT_TRUE(store.list(q.query, rows, error)) << error;
        std::vector<std::int64_t> ids;
        for (const CaseListRow& r : rows) ids.push_back(r.id);
        EXPECT_EQ(ids, q.ids) << q.query.since << "|" << q.query.match;
    }
    std::vector<CaseListRow> rows;
    ASSERT_TRUE(store.list({}, rows, error));
    EXPECT_EQ(rows[1].notesHeadline, "Ann, March");
    EXPECT_EQ(rows[1].fullScale, "100");
    EXPECT_EQ(rows[0].fieldTexts[3], "10.5");
    EXPECT_EQ(localTimeText(rows[1].computedUtc, rows[1].utcOffsetMinutes), "2026-03-01 09:00");

    ASSERT_TRUE(store.remove({first}, error));
    std::int64_t n = 0;
    ASSERT_TRUE(store.count(n, error));
    EXPECT_EQ(n, 1);
    ASSERT_TRUE(store.removeAll(error));
    ASSERT_TRUE(store.count(n, error));
    EXPECT_EQ(n, 0);
}

// The desktop runs with the user's LC_NUMERIC; the store is read by
// kalden-report in the C locale and on other machines.
TEST_F(CaseStoreTest, AMatrixRecordedUnderACommaLocaleReadsBackInTheCLocale) {
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
#ifdef _WIN32
        GTEST_SKIP() << "no de_DE.UTF-8 locale here";
#else
        // Debian's images have only C: make one from glibc's locale sources.
        const fs::path locales = folder_ / "locales";
        const std::string make = "localedef -i de_DE -f UTF-8 '" + (locales / "de_DE.utf8").string() + "'";
        fs::create_directory(locales);
        ASSERT_EQ(std::system(make.c_str()), 0) << make;
        setenv("LOCPATH", locales.c_str(), 1);
        ASSERT_TRUE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"));
#endif
    }
    char probe[8];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    EXPECT_STREQ(probe, "0,5"); // the locale is in force
    CaseRecord c = computedCase({12, 7, 11, 9, 8, 10, 13}, {}, 1772352000);
    c.context.useCorrelationMatrix = true;
    c.context.matrixSize = 2;
    c.context.storedMatrix[0] = 1;
    c.context.storedMatrix[1] = 0.3;
    c.context.storedMatrix[20] = -0.125;
    c.context.storedMatrix[21] = 1e-300;
    CaseStore store;
    std::string error;
    std::int64_t id = 0;
    ASSERT_TRUE(store.open(path_, CaseStore::Access::ReadWrite, error)) << error;
    const bool added = store.add(c, "0.1.0", id, error);
    store.close();
    std::setlocale(LC_NUMERIC, "C");
    ASSERT_TRUE(added) << error;

    ASSERT_TRUE(store.open(path_, CaseStore::Access::ReadOnly, error)) << error;
    std::optional<StoredCase> got;
    ASSERT_TRUE(store.get(id, got, error)) << error;
    ASSERT_TRUE(got);
    EXPECT_TRUE(got->record.context.useCorrelationMatrix);
    EXPECT_EQ(got->record.context.matrixSize, 2);
    EXPECT_EQ(got->record.context.storedMatrix, c.context.storedMatrix);
    store.close();

    // A store an earlier version wrote under such a locale still reads.
    rawSql("UPDATE cases SET matrix = '1 2 1 0,3' || replace(hex(zeroblob(18)), '00', ' 0') || ' -0,125 1e-300'");
    ASSERT_TRUE(store.open(path_, CaseStore::Access::ReadOnly, error)) << error;
    ASSERT_TRUE(store.get(id, got, error)) << error;
    ASSERT_TRUE(got);
    EXPECT_EQ(got->record.context.storedMatrix, c.context.storedMatrix);
}

TEST_F(CaseStoreTest, TheFileIsTheUsersAloneAndTheSchemaVersioned) {
    {
        std::ofstream(path_) << "";
#ifndef _WIN32
        ::chmod(path_.c_str(), 0644);
#endif
        CaseStore store;
        std::string error;
        ASSERT_TRUE(store.open(path_, CaseStore::Access::ReadWrite, error)) << error;
        std::int64_t id = 0;
        ASSERT_TRUE(store.add(computedCase({10, 10, 10, 10, 10, 10, 10}, {}, 0), "0.1.0", id, error));
#ifndef _WIN32
        struct stat st {};
        for (const char* suffix : {"", "-wal"}) {
            ASSERT_EQ(::stat((path_ + suffix).c_str(), &st), 0) << suffix;
            EXPECT_EQ(st.st_mode & 0777, 0600u) << suffix;
        }
#endif
    }
    sqlite3* db = nullptr;
    sqlite3_open(path_.c_str(), &db);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &s, nullptr);
    sqlite3_step(s);
    EXPECT_EQ(sqlite3_column_int(s, 0), CaseStoreSchemaVersion);
    sqlite3_finalize(s);
    sqlite3_close(db);

    rawSql("PRAGMA user_version=7");
    for (const auto access : {CaseStore::Access::ReadWrite, CaseStore::Access::ReadOnly})
        EXPECT_EQ(openError(access),
                  "the database was written by a newer version of KALDEN (its schema is "
                  "version 7; this version knows up to 3)");
}

TEST_F(CaseStoreTest, DamagedMissingAndLockedDatabasesAreNamedNotOverwritten) {
    EXPECT_EQ(openError(CaseStore::Access::ReadOnly), "no case has been recorded there yet");
    EXPECT_FALSE(fs::exists(path_)); // reading never creates it

    const std::string garbage(8192, 'x');
    std::ofstream(path_, std::ios::binary) << garbage;
    EXPECT_EQ(openError(CaseStore::Access::ReadWrite), "file is not a database");
    {
        std::ifstream in(path_, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), garbage);
    }

    fs::remove(path_);
    CaseStore store;
    std::string error;
    ASSERT_TRUE(store.open(path_, CaseStore::Access::ReadWrite, error)) << error;
    sqlite3* other = nullptr;
    sqlite3_open(path_.c_str(), &other);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    std::int64_t id = 0;
    EXPECT_FALSE(store.add(computedCase({10, 10, 10, 10, 10, 10, 10}, {}, 0), "0.1.0", id, error));
    EXPECT_EQ(error, "database is locked");
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
}

// A store written by the version before the person and session existed:
// read as it is (the session empty), brought up to date when written, and
// no case lost either way.
TEST_F(CaseStoreTest, AStoreOfTheFirstSchemaKeepsItsCasesAndGainsTheSession) {
    {
        CaseStore store;
        std::string error;
        ASSERT_TRUE(store.open(path_, CaseStore::Access::ReadWrite, error)) << error;
        std::int64_t id = 0;
        ASSERT_TRUE(store.add(computedCase({12, 7, 11, 9, 8, 10, 13}, {"old case"}, 1772352000), "0.1.0", id, error));
    }
    // As the first version left it: without the five columns and at version 1.
    rawSql(
        "DROP TABLE corrections; DROP INDEX cases_by_person_key; ALTER TABLE cases DROP COLUMN person_key; "
        "ALTER TABLE cases DROP COLUMN person; ALTER TABLE cases DROP COLUMN "
        "birth_date; ALTER TABLE cases DROP COLUMN testing_date; ALTER TABLE cases DROP COLUMN examiner; "
        "ALTER TABLE cases DROP COLUMN referral; PRAGMA user_version=1");
    std::string error;
    for (const auto access : {CaseStore::Access::ReadOnly, CaseStore::Access::ReadWrite}) {
        CaseStore store;
        ASSERT_TRUE(store.open(path_, access, error)) << error;
        std::vector<CaseListRow> rows;
        ASSERT_TRUE(store.list({}, rows, error)) << error;
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].notesHeadline, "old case");
        EXPECT_EQ(rows[0].session, Session{});
        std::optional<StoredCase> got;
        ASSERT_TRUE(store.get(1, got, error)) << error;
        EXPECT_EQ(got->record.context.notes, std::vector<std::string>{"old case"});
    }
    CaseStore store;
    ASSERT_TRUE(store.open(path_, CaseStore::Access::ReadWrite, error)) << error;
    CaseRecord next = computedCase({10, 10, 10, 10, 10, 10, 10}, {}, 1772352100);
    next.session = {"Ann B.", "1961-04-12", "2026-03-01", "Dr C. Diaz", "memory complaints"};
    std::int64_t id = 0;
    ASSERT_TRUE(store.add(next, "0.2.0", id, error)) << error;
    std::optional<StoredCase> got;
    ASSERT_TRUE(store.get(id, got, error)) << error;
    EXPECT_EQ(got->record.session, next.session);
}

// A store of the second schema names its persons as typed: read as it is,
// its persons are matched by key all the same; written, it keeps the key
// beside each name.
TEST_F(CaseStoreTest, AStoreOfTheSecondSchemaMatchesItsPersonsByKey) {
    {
        CaseStore store;
        std::string error;
        ASSERT_TRUE(store.open(path_, CaseStore::Access::ReadWrite, error)) << error;
        for (const char* person : {"Bob C.", "bob  c", "Bob D."}) {
            CaseRecord c = computedCase({12, 7, 11, 9, 8, 10, 13}, {}, 1772352000);
            c.session.person = person;
            std::int64_t id = 0;
            ASSERT_TRUE(store.add(c, "0.2.0", id, error)) << error;
        }
    }
    rawSql(
        "DROP TABLE corrections; DROP INDEX cases_by_person_key; ALTER TABLE cases DROP COLUMN person_key; "
        "CREATE INDEX cases_by_person ON cases (person); PRAGMA user_version=2");
    for (const auto access : {CaseStore::Access::ReadOnly, CaseStore::Access::ReadWrite}) {
        CaseStore store;
        std::string error;
        ASSERT_TRUE(store.open(path_, access, error)) << error;
        std::vector<RecordedPerson> persons;
        ASSERT_TRUE(store.persons(persons, error)) << error;
        ASSERT_EQ(persons.size(), 2u);
        EXPECT_EQ(persons[0].key, "bobc");
        EXPECT_EQ(persons[0].person, "bob  c"); // the name typed last stands for the person
        EXPECT_EQ(persons[0].cases, 2);
        EXPECT_EQ(persons[1].person, "Bob D.");
        std::vector<std::int64_t> ids;
        ASSERT_TRUE(store.casesOfPerson("bobc", ids, error)) << error;
        EXPECT_EQ(ids, (std::vector<std::int64_t>{1, 2}));
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT group_concat(person_key, '|') FROM cases ORDER BY id", -1, &s, nullptr);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), "bobc|bobc|bobd");
    sqlite3_finalize(s);
    sqlite3_close(db);
}

// A correction sets the field, keeps the report, and is kept with the case
// (old value, new value, when); a field that already holds the value is no
// correction.
TEST_F(CaseStoreTest, ACorrectionIsKeptWithTheCaseAndTheReportStays) {
    CaseStore store;
    std::string error;
    ASSERT_TRUE(store.open(path_, CaseStore::Access::ReadWrite, error)) << error;
    CaseRecord c = computedCase({12, 7, 11, 9, 8, 10, 13}, {}, 1772352000);
    c.session = {"Bob C", "1961-04-12", "2026-03-01", "Dr C. Diaz", ""};
    std::int64_t first = 0;
    std::int64_t second = 0;
    ASSERT_TRUE(store.add(c, "0.2.0", first, error)) << error;
    ASSERT_TRUE(store.add(c, "0.2.0", second, error)) << error;
    std::int64_t corrected = 0;
    ASSERT_TRUE(store.correct({first, second, 99},
                              {{SessionField::Person, "Bob C."}, {SessionField::Examiner, "Dr C. Diaz"}}, 1772400000,
                              60, corrected, error))
        << error;
    EXPECT_EQ(corrected, 2);
    std::optional<StoredCase> got;
    ASSERT_TRUE(store.get(first, got, error)) << error;
    EXPECT_EQ(got->record.session.person, "Bob C.");
    EXPECT_EQ(got->record.report, c.report);
    std::vector<Correction> kept;
    ASSERT_TRUE(store.corrections(first, kept, error)) << error;
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].field, SessionField::Person);
    EXPECT_EQ(kept[0].oldValue, "Bob C");
    EXPECT_EQ(kept[0].newValue, "Bob C.");
    EXPECT_EQ(kept[0].correctedUtc, 1772400000);
    EXPECT_EQ(kept[0].utcOffsetMinutes, 60);
    std::vector<std::int64_t> ids;
    ASSERT_TRUE(store.casesOfPerson("bobc", ids, error)) << error;
    EXPECT_EQ(ids.size(), 2u);
}

// Another program reading the records keeps the log from being emptied:
// the deletion is done, says that its text stays in the log, naming it, and
// the erasure is finished once the reader has gone.
TEST_F(CaseStoreTest, AReaderThatKeepsTheLogFullIsSaidNotPassedOver) {
    CaseStore store;
    std::string error;
    ASSERT_TRUE(store.open(path_, CaseStore::Access::ReadWrite, error)) << error;
    std::int64_t id = 0;
    ASSERT_TRUE(store.add(computedCase({12, 7, 11, 9, 8, 10, 13}, {"held note"}, 0), "0.2.0", id, error)) << error;
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &reader), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM cases;", nullptr, nullptr, nullptr), SQLITE_OK);
    const std::string pending =
        "the cases are deleted from the records, but another program is reading them, so "
        "their text stays in the file " +
        path_ + " or its log until that program closes it and the erasure is finished";
    EXPECT_TRUE(store.remove({id}, error));
    EXPECT_EQ(error, pending);
    EXPECT_TRUE(store.erasurePending());
    const auto logHolds = [this] {
        std::ifstream in(path_ + "-wal", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {}).find("held note") != std::string::npos;
    };
    EXPECT_TRUE(logHolds());
    error.clear();
    EXPECT_FALSE(store.finishErasure(error));
    EXPECT_EQ(error, pending);
    sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(reader);
    error.clear();
    EXPECT_TRUE(store.finishErasure(error));
    EXPECT_EQ(error, "");
    EXPECT_FALSE(store.erasurePending());
    EXPECT_FALSE(logHolds());
}

// Nothing of a deleted case can be read in the database or its log once
// the deletion has returned: not its notes, not its person, not a value it
// held before a correction.
TEST_F(CaseStoreTest, ADeletedCaseLeavesNoTraceInTheFile) {
    CaseStore store;
    std::string error;
    ASSERT_TRUE(store.open(path_, CaseStore::Access::ReadWrite, error)) << error;
    const auto addCase = [&](const std::string& person, const std::string& note) {
        CaseRecord c = computedCase({12, 7, 11, 9, 8, 10, 13}, {note}, 1772352000);
        c.session.person = person;
        std::int64_t id = 0;
        EXPECT_TRUE(store.add(c, "0.1.0", id, error)) << error;
        return id;
    };
    const std::int64_t keep = addCase("Kept Keeper", "kept note");
    const std::int64_t first = addCase("Zebedee Quartermain", "secret note alpha");
    addCase("Xanthe Wolstenholme", "secret note beta");
    addCase("XANTHE wolstenholme.", "secret note gamma");
    const auto fileHolds = [&](const std::string& text) {
        for (const std::string suffix : {"", "-wal"}) {
            std::ifstream in(path_ + suffix, std::ios::binary);
            const std::string bytes(std::istreambuf_iterator<char>(in), {});
            if (bytes.find(text) != std::string::npos) return true;
        }
        return false;
    };
    std::int64_t corrected = 0;
    ASSERT_TRUE(
        store.correct({first}, {{SessionField::Person, "Zebedee Quartermaine"}}, 1772400000, 0, corrected, error));
    ASSERT_TRUE(fileHolds("Zebedee Quartermain") && fileHolds("secret note alpha"));

    ASSERT_TRUE(store.remove({first}, error)) << error;
    EXPECT_FALSE(fileHolds("Zebedee Quartermain"));
    EXPECT_FALSE(fileHolds("secret note alpha"));
    ASSERT_TRUE(store.removePeople({personKey("xanthe wolstenholme")}, error)) << error;
    EXPECT_FALSE(fileHolds("Xanthe Wolstenholme") || fileHolds("XANTHE wolstenholme."));
    EXPECT_FALSE(fileHolds("secret note beta") || fileHolds("secret note gamma"));
    EXPECT_TRUE(fileHolds("Kept Keeper")); // what stays is still there
    std::optional<StoredCase> got;
    ASSERT_TRUE(store.get(keep, got, error));
    ASSERT_TRUE(got);
    ASSERT_TRUE(store.removeAll(error)) << error;
    EXPECT_FALSE(fileHolds("Kept Keeper") || fileHolds("kept note"));
}

#ifndef _WIN32
// A writer killed at any moment: the database passes SQLite's integrity
// check and holds every case whose add had returned.
TEST_F(CaseStoreTest, AKilledWriterLeavesASoundDatabaseWithEveryFinishedCase) {
    const CaseRecord c = computedCase({12, 7, 11, 9, 8, 10, 13}, {"killed"}, 0);
    for (int round = 0; round < 3; ++round) {
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipeFds[0]);
            CaseStore store;
            std::string error;
            if (!store.open(path_, CaseStore::Access::ReadWrite, error)) ::_exit(1);
            for (;;) {
                std::int64_t id = 0;
                if (!store.add(c, "0.1.0", id, error)) ::_exit(2);
                if (::write(pipeFds[1], &id, sizeof id) != sizeof id) ::_exit(3);
            }
        }
        ::close(pipeFds[1]);
        std::vector<std::int64_t> finished;
        std::int64_t id = 0;
        while (finished.size() < static_cast<std::size_t>(5 + 7 * round) &&
               ::read(pipeFds[0], &id, sizeof id) == sizeof id)
            finished.push_back(id);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        while (::read(pipeFds[0], &id, sizeof id) == sizeof id) finished.push_back(id);
        ::close(pipeFds[0]);

        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr);
        ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
        EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), "ok");
        sqlite3_finalize(s);
        sqlite3_close(db);
        CaseStore store;
        std::string error;
        ASSERT_TRUE(store.open(path_, CaseStore::Access::ReadOnly, error)) << error;
        for (const std::int64_t done : finished) {
            std::optional<StoredCase> got;
            ASSERT_TRUE(store.get(done, got, error)) << error;
            ASSERT_TRUE(got) << "case " << done << " lost";
            EXPECT_EQ(got->record.report, c.report);
        }
    }
}

#endif

TEST(ReportPacking, RoundTripsAnyTextAndRefusesDamage) {
    const ReportLines lines = {"", "  unusual \xc3\xa9 text\t", std::string(70000, 'q'), ""};
    const std::string packed = packReport(lines);
    ReportLines back;
    ASSERT_TRUE(unpackReport(packed, back));
    EXPECT_EQ(back, lines);
    EXPECT_FALSE(unpackReport(packed.substr(0, packed.size() / 2), back));
    EXPECT_FALSE(unpackReport("not packed", back));
}

} // namespace

namespace {

// Every per-user settings file: values stay on their line, the first '='
// parts key from value, a key set twice keeps its place and its last value.
TEST(SettingsFile, ValuesStayOnTheirLineAndKeysKeepTheirPlace) {
    SettingsFile file;
    file.set("level", "95");
    file.set("practice_source", "Retest\r\nstudy=2");
    file.set("level", "90");
    EXPECT_EQ(file.content(), "level=90\npractice_source=Retest  study=2\n");
    const SettingsFile back = SettingsFile::fromContent("junk\r\nlevel=95\r\n=x\nlevel=90\nsource=a=b");
    EXPECT_EQ(back.value("level"), "90");
    EXPECT_EQ(back.value("source"), "a=b");
    EXPECT_EQ(back.value(""), "x");
    EXPECT_EQ(back.value("junk"), "");
}

// The person and session remembered for the next start: every field but the
// date of testing comes back, a line break typed into one comes back as a
// blank, and lines the file should not hold are passed over.
TEST(SessionFile, TheSessionComesBackWithoutItsDateOfTesting) {
    const Session typed{"Ann B.", "1961-04-12", "2026-03-01", "Dr C. Diaz", "memory\ncomplaints"};
    EXPECT_EQ(sessionFileContent(typed),
              "person=Ann B.\nbirth_date=1961-04-12\nexaminer=Dr C. Diaz\nreferral=memory complaints\n");
    EXPECT_EQ(sessionFromContent(sessionFileContent(typed)),
              (Session{"Ann B.", "1961-04-12", "", "Dr C. Diaz", "memory complaints"}));
    EXPECT_EQ(sessionFromContent("junk\r\nexaminer=Dr X=Y\r\nperson\r\n"), (Session{"", "", "", "Dr X=Y", ""}));

    const fs::path folder = fs::temp_directory_path() / ("kalden-session-" + std::to_string(std::random_device{}()));
    const std::string path = (folder / "kalden" / "session.txt").string();
    std::string error;
    EXPECT_EQ(loadSession(path), Session{}); // nothing remembered yet
    ASSERT_TRUE(saveSession(path, typed, error)) << error;
    EXPECT_EQ(loadSession(path).person, "Ann B.");
#ifndef _WIN32
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
#endif
    fs::remove_all(folder);
}

} // namespace
