// The case store against hostile commands and paths: nothing kalden-report
// or recording is asked to do may overwrite it, reading it writes nothing,
// and what it holds reaches a terminal only as visible text. The real
// kalden-report runs as a child where the shell's redirections matter.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

#include <sqlite3.h>

#include "cli/ExitStatus.h"
#include "files/CaseRecords.h"
#include "files/CaseStore.h"
#include "report/ScoreCase.h"
#include "support/CliRun.h"
#include "support/Unprivileged.h"

using namespace kalden;
using namespace kalden::testing;
namespace fs = std::filesystem;

namespace {

std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A shell command line with kalden-report in it, run with a time limit (so a
// hang is a failure, not a stuck suite); its exit status and standard error.
struct Shell {
    int status = -1;
    std::string err;
};

Shell shell(const fs::path& folder, const std::string& command) {
    const fs::path err = folder / "shell.err";
    const std::string line =
        "cd '" + folder.string() + "' && timeout 20 sh -c '" + command + "' 2>'" + err.string() + "'";
    const int raw = std::system(line.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, bytesOf(err)};
}

class StoreSafety : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kalden-store-safety-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        // The user's own data home, where the default store lives.
        ::setenv("XDG_DATA_HOME", (folder_ / "share").c_str(), 1);
        store_ = (folder_ / "share" / "kalden" / "cases.sqlite").string();
        record({"Ann, first sitting"});
        record({"Bo, second sitting", "more"});
    }
    void TearDown() override {
        for (auto it = mounts_.rbegin(); it != mounts_.rend(); ++it) ::umount2(it->c_str(), MNT_DETACH);
        ::unsetenv("XDG_DATA_HOME");
        std::error_code ec;
        fs::permissions(folder_, fs::perms::owner_all, ec);
        fs::remove_all(folder_, ec);
    }

    // Records a case as Compute does, in the user's own store; `whileOpen`
    // runs before the store is closed (and its log emptied).
    void record(std::vector<std::string> notes, const std::function<void()>& whileOpen = {}) {
        const CaseRecords records((folder_ / "share").string(), CaseStoreFileName);
        std::string error;
        std::optional<CaseStore> store = records.open(error);
        ASSERT_TRUE(store) << error;
        CaseRecord c;
        c.fieldTexts = {"12", "7", "11", "9", "8", "10", "13"};
        for (int k = 1; k <= 7; ++k) c.input.setScore(k, std::stod(c.fieldTexts[static_cast<std::size_t>(k - 1)]));
        c.context.notes = std::move(notes);
        const ScoredCase scored = scoreCase(c.input, c.context);
        c.results = scored.results;
        c.report = scored.report;
        std::int64_t id = 0;
        ASSERT_TRUE(store->add(c, "test", id, error)) << error;
        if (whileOpen) whileOpen();
    }

    // The store and everything beside it, byte for byte.
    std::map<std::string, std::string> storeFolder() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(fs::path(store_).parent_path()))
            files[entry.path().filename().string()] = bytesOf(entry.path());
        return files;
    }

    std::string mountReadOnly(const fs::path& where) {
        if (::mount(where.c_str(), where.c_str(), nullptr, MS_BIND, nullptr) != 0)
            return std::string("mounting is not permitted here (") + std::strerror(errno) + ")";
        mounts_.push_back(where);
        if (::mount(nullptr, where.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
            return std::string("a read-only remount is not permitted here (") + std::strerror(errno) + ")";
        return "";
    }

    fs::path folder_;
    std::string store_;
    std::vector<fs::path> mounts_;
};

// Every command that writes a file refuses the store under any of its names,
// and leaves it as it was.
TEST_F(StoreSafety, NoOutputReachesTheStoreByAnyName) {
    const fs::path data = fs::path(store_).parent_path();
    fs::create_directories(folder_ / "elsewhere");
    fs::create_symlink(store_, folder_ / "link.sqlite");
    fs::create_hard_link(store_, folder_ / "hard.sqlite");
    const std::string targets[] = {
        store_,
        (folder_ / "link.sqlite").string(),
        (folder_ / "hard.sqlite").string(),
        (folder_ / "elsewhere" / ".." / "share" / "kalden" / "cases.sqlite").string(),
        store_ + "-wal",
        store_ + "-shm",
        store_ + "-journal",
        (data / "." / "cases.sqlite-journal").string(),
    };
    const auto before = storeFolder();
    for (const std::string& target : targets) {
        const std::vector<std::vector<std::string>> commands = {
            {"--cases", "export", "--output", target},
            {"--output", target, "12", "7", "11", "9", "8", "10", "13"},
        };
        for (const auto& args : commands) {
            const CliRun r = runReport(args);
            EXPECT_EQ(r.status, cli::ExitUsage) << target;
            EXPECT_EQ(r.err, "kalden-report: will not write " + target + ": it is the case records' database " +
                                 store_ + " or one of its files, which must not be overwritten\n");
        }
    }
    EXPECT_EQ(storeFolder(), before);
    // Standard output appended to the store by the shell.
    const Shell appended = shell(folder_, std::string(KALDEN_REPORT) + " --cases export >> " + store_);
    EXPECT_EQ(appended.status, cli::ExitUsage);
    EXPECT_EQ(appended.err, "kalden-report: will not write standard output: it is the case records' database " +
                                store_ + " or one of its files, which must not be overwritten\n");
    EXPECT_EQ(storeFolder(), before);
    EXPECT_EQ(runReport({"--cases", "list", "--format", "csv"}).status, 0);
}

// Listing, showing and exporting write nothing at all, not even SQLite's
// files beside the store; a backup copied as the documentation says is read
// from a read-only folder, a read-only mount and by another user.
TEST_F(StoreSafety, ReadingWritesNothingAndReadsReadOnlyBackups) {
    const auto before = storeFolder();
    const auto modified = fs::last_write_time(store_);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--cases", "list"}, std::vector<std::string>{"--cases", "show", "1"},
          std::vector<std::string>{"--cases", "export"}}) {
        const CliRun r = runReport(args);
        EXPECT_EQ(r.status, 0) << args[1] << ": " << r.err;
    }
    EXPECT_EQ(storeFolder(), before);
    EXPECT_EQ(fs::last_write_time(store_), modified);

    const fs::path backups = folder_ / "backups";
    fs::create_directories(backups);
    fs::permissions(folder_, fs::perms::others_exec | fs::perms::group_exec, fs::perm_options::add);
    fs::copy_file(store_, backups / "cases.sqlite");
    fs::permissions(backups / "cases.sqlite", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(backups, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                 fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    const std::string backup = (backups / "cases.sqlite").string();
    const std::string listed = runUnprivileged([&] {
        const CliRun r = runReport({"--cases", "list", "--format", "csv", "--database", backup});
        return std::to_string(r.status) + "|" + r.out + r.err;
    });
    EXPECT_EQ(listed.substr(0, 2), "0|") << listed;
    EXPECT_NE(listed.find(",\"Bo, second sitting\","), std::string::npos) << listed;
    EXPECT_EQ(std::distance(fs::directory_iterator(backups), fs::directory_iterator()), 1);

    if (!runningAsRoot()) return;
    fs::permissions(backups, fs::perms::owner_all);
    const std::string failed = mountReadOnly(backups);
    if (!failed.empty()) GTEST_SKIP() << failed;
    const CliRun onMount = runReport({"--cases", "show", "2", "--database", backup});
    EXPECT_EQ(onMount.status, 0) << onMount.err;
    EXPECT_NE(onMount.out.find(" User's Notes: Bo, second sitting"), std::string::npos);
}

// A copy a crash leaves (the store and its log, without the log's index) is
// read with every committed case, creating nothing beside it, in a writable
// folder and on a read-only mount; a log torn in its last frame loses only
// that change, and a log damaged in its header is named.
TEST_F(StoreSafety, ACrashCopyWithItsLogIsReadWithoutWritingBesideIt) {
    const fs::path backups = folder_ / "crash";
    fs::create_directories(backups);
    // Copied while the store is open, as a crash leaves it.
    record({"Cy, only in the log"}, [&] {
        fs::copy_file(store_, backups / "cases.sqlite");
        fs::copy_file(store_ + "-wal", backups / "cases.sqlite-wal");
    });
    ASSERT_EQ(bytesOf(backups / "cases.sqlite").find("Cy, only in the log"), std::string::npos);
    const std::string backup = (backups / "cases.sqlite").string();
    const auto notesListed = [&backup] {
        const CliRun r = runReport({"--cases", "list", "--format", "csv", "--database", backup});
        std::string notes = std::to_string(r.status) + r.err;
        for (const char* note : {"Ann, first sitting", "Bo, second sitting", "Cy, only in the log"})
            if (r.out.find(note) != std::string::npos) notes += std::string("|") + note;
        return notes;
    };
    const std::string all = "0|Ann, first sitting|Bo, second sitting|Cy, only in the log";
    EXPECT_EQ(notesListed(), all);
    const CliRun shown = runReport({"--cases", "show", "3", "--database", backup});
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find(" User's Notes: Cy, only in the log"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(backups), fs::directory_iterator()), 2);

    // The last frame torn: its change is not part of the database.
    const std::string log = bytesOf(backups / "cases.sqlite-wal");
    {
        std::ofstream torn(backups / "cases.sqlite-wal", std::ios::binary | std::ios::trunc);
        torn << log.substr(0, log.size() - 100) << std::string(100, 'x');
    }
    EXPECT_EQ(notesListed(), "0|Ann, first sitting|Bo, second sitting");
    {
        std::ofstream damaged(backups / "cases.sqlite-wal", std::ios::binary | std::ios::trunc);
        damaged << "not a log" << log.substr(9);
    }
    EXPECT_EQ(notesListed(),
              "66kalden-report: cannot read the case records in " + backup + ": its log (-wal) is damaged\n");
    {
        std::ofstream restored(backups / "cases.sqlite-wal", std::ios::binary | std::ios::trunc);
        restored << log;
    }
    if (!runningAsRoot()) return;
    const std::string failed = mountReadOnly(backups);
    if (!failed.empty()) GTEST_SKIP() << failed;
    EXPECT_EQ(notesListed(), all);
}

// What stands at the store's place is told, never opened blindly: a FIFO
// would hang the reading for ever.
TEST_F(StoreSafety, OnlyARegularFileIsOpenedAsAStore) {
    const fs::path fifo = folder_ / "fifo.sqlite";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink(store_, folder_ / "link.sqlite");
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {fifo.string(), "it is a FIFO (named pipe)"},
        {folder_.string(), "it is a folder"},
        {(folder_ / "link.sqlite").string(), "it is a symbolic link"},
        {(folder_ / "none.sqlite").string(), "no case has been recorded there yet"},
        {"/dev/null", "it is a device"},
    };
    for (const auto& c : cases) {
        const Shell r = shell(folder_, std::string(KALDEN_REPORT) + " --cases list --database " + c.path);
        EXPECT_EQ(r.status, cli::ExitNoInput) << c.path;
        EXPECT_EQ(r.err, "kalden-report: cannot read the case records in " + c.path + ": " + c.reason + "\n");
    }
    EXPECT_FALSE(fs::exists(folder_ / "none.sqlite"));
}

// The user's own store that another user planted in the data folder is
// neither listed as the user's nor recorded into.
TEST_F(StoreSafety, APlantedStoreIsRefusedNamingItsOwner) {
    if (!runningAsRoot()) GTEST_SKIP() << "giving the store to another user needs root";
    ASSERT_EQ(::chown(store_.c_str(), unprivilegedUser().uid, unprivilegedUser().gid), 0);
    const std::string owner =
        "it belongs to user nobody (uid " + std::to_string(unprivilegedUser().uid) + "), not to you";
    const CliRun listed = runReport({"--cases", "list"});
    EXPECT_EQ(listed.status, cli::ExitNoInput);
    EXPECT_EQ(listed.err, "kalden-report: cannot read the case records in " + store_ + ": " + owner + "\n");
    const CaseRecords records((folder_ / "share").string(), CaseStoreFileName);
    std::string error;
    EXPECT_FALSE(records.open(error));
    EXPECT_EQ(error, owner);
    // Named explicitly, as a backup may be, it is read.
    EXPECT_EQ(runReport({"--cases", "list", "--database", store_}).status, 0);
}

// Pasted terminal sequences and direction overrides in the notes are shown
// as escapes.
TEST_F(StoreSafety, StoredControlsReachTheTerminalOnlyAsEscapes) {
    record({"\x1b]0;pwned\x07\x1b[2J",
            "x\xe2\x80\xae"
            "cba\xc2\x9b"
            "1m\xc2\x85"
            "end"});
    const CliRun shown = runReport({"--cases", "show", "3"});
    EXPECT_NE(shown.out.find(" User's Notes: \\x1b]0;pwned\\x07\\x1b[2J\n"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("               x\\u202ecba\\u009b1m\\u0085end\n"), std::string::npos) << shown.out;
    const CliRun listed = runReport({"--cases", "list"});
    EXPECT_NE(listed.out.find("  \\x1b]0;pwned\\x07\\x1b[2J\n"), std::string::npos) << listed.out;
    for (const std::string& out : {shown.out, listed.out}) {
        EXPECT_EQ(out.find('\x1b'), std::string::npos);
        EXPECT_EQ(out.find("\xe2\x80\xae"), std::string::npos);
        EXPECT_EQ(out.find("\xc2\x9b"), std::string::npos);
    }

    // Fields another SQLite program set: a date of testing and a score.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(store_.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other,
                           "UPDATE cases SET testing_date = char(27) || '[2J', field1 = '1' || char(27) || '[31m'"
                           " WHERE id = 3",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(other);
    const CliRun crafted = runReport({"--cases", "list"});
    EXPECT_NE(crafted.out.find("    3  "), std::string::npos);
    EXPECT_NE(crafted.out.find("  \\x1b[2J   "), std::string::npos) << crafted.out;
    EXPECT_NE(crafted.out.find(" 1\\x1b[31m    7"), std::string::npos) << crafted.out;
    EXPECT_EQ(crafted.out.find('\x1b'), std::string::npos);
    // CSV on a terminal is escaped too; through a pipe it stays byte-exact.
    const std::string report = KALDEN_REPORT;
    const Shell onTerminal =
        shell(folder_, "script -qec \"" + report + " --cases list --format csv\" /dev/null > tty.txt");
    ASSERT_EQ(onTerminal.status, 0) << onTerminal.err;
    const std::string terminal = bytesOf(folder_ / "tty.txt");
    EXPECT_NE(terminal.find(",1\\x1b[31m,7,"), std::string::npos) << terminal;
    EXPECT_NE(terminal.find(",\\x1b]0;pwned\\x07\\x1b[2J,"), std::string::npos) << terminal;
    EXPECT_EQ(terminal.find('\x1b'), std::string::npos);
    const Shell piped = shell(folder_, report + " --cases list --format csv | cat > piped.csv");
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_NE(bytesOf(folder_ / "piped.csv").find(",1\x1b[31m,7,"), std::string::npos);
}

// A batch whose results would be read back as cases is refused before a
// row is read, however standard output reaches the file.
TEST_F(StoreSafety, ABatchNeverAppendsToItsOwnInput) {
    const std::string batch =
        "id,vocabulary,digit_symbol,similarities,block_design,arithmetic,digit_span,"
        "matrix_reasoning\na,12,7,11,9,8,10,13\n";
    std::ofstream(folder_ / "f.csv", std::ios::binary) << batch;
    const std::string report = KALDEN_REPORT;
    const struct {
        std::string command;
        std::string err;
    } cases[] = {
        {report + " --batch f.csv --format csv >> f.csv",
         "kalden-report: standard output is the batch file f.csv itself; the results would be read back as cases "
         "(write them with --output or elsewhere)\n"},
        {report + " --batch - --format csv < f.csv >> f.csv",
         "kalden-report: standard output is the batch file on standard input itself; the results would be read "
         "back as cases (write them with --output or elsewhere)\n"},
        {"ln -sf f.csv g.csv; " + report + " --batch g.csv >> f.csv",
         "kalden-report: standard output is the batch file g.csv itself; the results would be read back as cases "
         "(write them with --output or elsewhere)\n"},
    };
    for (const auto& c : cases) {
        const Shell r = shell(folder_, c.command);
        EXPECT_EQ(r.status, cli::ExitUsage) << c.command;
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(bytesOf(folder_ / "f.csv"), batch);
    }
}

// An export is one snapshot: cases deleted meanwhile by another program are
// either written whole or not listed at all, never a failure.
TEST_F(StoreSafety, AnExportIsOneSnapshotWhileCasesAreDeleted) {
    for (int i = 0; i < 60; ++i) record({"case " + std::to_string(i)});
    std::atomic<bool> done = false;
    std::thread deleter([&] {
        const CaseRecords records((folder_ / "share").string(), CaseStoreFileName);
        for (std::int64_t id = 62; id >= 1 && !done; --id) {
            std::string error;
            std::optional<CaseStore> store = records.open(error);
            if (store) store->remove({id}, error);
        }
    });
    for (int exports = 0; exports < 40; ++exports) {
        const CliRun r = runReport({"--cases", "export"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        if (r.status != 0) break;
    }
    done = true;
    deleter.join();
}

// A case whose report cannot be read is named; the others are exported.
TEST_F(StoreSafety, AnUnreadableCaseIsNamedAndTheRestExported) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(store_.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "UPDATE cases SET report = x'00112233' WHERE id = 1", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    const std::string csv = (folder_ / "out.csv").string();
    const CliRun r = runReport({"--cases", "export", "--output", csv});
    EXPECT_EQ(r.status, cli::ExitNoSuchCase);
    EXPECT_EQ(r.err, "kalden-report: case 1 in " + store_ +
                         " is left out of the export: its report cannot be unpacked\n"
                         "kalden-report: 1 of 2 cases could not be exported\n");
    const std::string written = bytesOf(csv);
    EXPECT_EQ(written.find("\n1,"), std::string::npos);
    EXPECT_NE(written.find("\n2,12,7,11,9,8,10,13,"), std::string::npos);
}

TEST_F(StoreSafety, SinceTakesOnlyRealDays) {
    for (const std::string day : {"2026-13-40", "2026-02-31", "2025-02-29", "", "2026-1-01", "March"}) {
        const CliRun r = runReport({"--cases", "list", "--since=" + day});
        EXPECT_EQ(r.status, cli::ExitUsage) << day;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1),
                  "kalden-report: --since takes a day of the calendar as YYYY-MM-DD (2026-03-01, say), not '" + day +
                      "'\n");
    }
    EXPECT_EQ(runReport({"--cases", "list", "--since", "2024-02-29"}).status, 0);
}

} // namespace
