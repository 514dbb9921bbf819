// kalden-report --cases: the desktop program's records read back, listed,
// shown and exported as a batch that scores to the same reports.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "cli/CommandLine.h"
#include "files/CaseStore.h"
#include "format/NumberFormat.h"
#include "report/ScoreCase.h"
#include "support/CliRun.h"

using namespace kalden;
namespace fs = std::filesystem;

namespace {

using kalden::testing::CliRun;
using kalden::testing::readFile;
using kalden::testing::runReport;

class CasesCommand : public ::testing::Test {
protected:
    void SetUp() override {
        setDecimalSeparator('.');
        folder_ = fs::temp_directory_path() / ("kalden-cases-cli-" + std::to_string(std::random_device{}()));
        fs::create_directory(folder_);
        db_ = (folder_ / "cases.sqlite").string();
        CaseStore store;
        std::string error;
        ASSERT_TRUE(store.open(db_, CaseStore::Access::ReadWrite, error)) << error;
        add(store, {"12", "7", "11", "9", "8", "10", "13"}, ConfidenceMethod::Traditional95, {"Ann B., March"},
            1772352000);
        add(store, {"10", "10", "10", "10.5", "10", "10", "10"}, ConfidenceMethod::Glutting90, {"Carl, April", "x"},
            1775030400, {"Carl Dunn", "1970-01-02", "2026-03-30", "Dr E. Fox", "review, after surgery"});
        add(store, {"1", "1", "1", "1", "1", "1", "1"}, ConfidenceMethod::Traditional90, {}, 1775116800);
    }
    void TearDown() override { fs::remove_all(folder_); }

    void add(CaseStore& store, std::array<std::string, 7> fields, ConfidenceMethod ci, std::vector<std::string> notes,
             std::int64_t utc, Session session = {}) {
        CaseRecord c;
        c.fieldTexts = fields;
        for (int k = 1; k <= 7; ++k) c.input.setScore(k, std::stod(fields[static_cast<std::size_t>(k - 1)]));
        c.input.confidenceMethod = ci;
        c.input.differenceBasis = DifferenceBasis::EstimatedTrue;
        c.context.notes = std::move(notes);
        c.computedUtc = utc;
        c.session = std::move(session);
        const ScoredCase scored = scoreCase(c.input, c.context);
        c.results = scored.results;
        c.report = scored.report;
        reports_.push_back(c.report);
        std::int64_t id = 0;
        std::string error;
        ASSERT_TRUE(store.add(c, "0.1.0", id, error)) << error;
    }

    fs::path folder_;
    std::string db_;
    std::vector<ReportLines> reports_;
};

TEST_F(CasesCommand, ListsNewestFirstInEachFormat) {
    const CliRun text = runReport({"--cases", "list", "--database", db_});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out,
              "   ID  Computed          Tested      VOC DSYM  SIM   BD   AR   DS   MR  FSIQ  Options         "
              "Person | Notes\n"
              "    3  2026-04-02 08:00                1    1    1    1    1    1    1    40  T90 true - 5%   \n"
              "    2  2026-04-01 08:00  2026-03-30   10   10   10 10.5   10   10   10   100  G90 true - 5%   "
              "Carl Dunn | Carl, April\n"
              "    1  2026-03-01 08:00               12    7   11    9    8   10   13   100  T95 true - 5%   "
              "Ann B., March\n");
    // --match finds the person as well as the notes.
    const CliRun csv = runReport(
        {"--cases", "list", "--since", "2026-04-01", "--match", "dunn", "--format", "csv", "--database", db_});
    EXPECT_EQ(csv.out,
              "id,computed,vocabulary,digit_symbol,similarities,block_design,arithmetic,digit_span,"
              "matrix_reasoning,full_scale,notes,person,birth_date,testing_date,examiner,referral,"
              "ci,basis,bonferroni,criterion\n"
              "2,2026-04-01 08:00,10,10,10,10.5,10,10,10,100,\"Carl, April\",Carl Dunn,1970-01-02,2026-03-30,"
              "Dr E. Fox,\"review, after surgery\",glutting90,true,no,5\n");
    const CliRun json = runReport({"--cases", "list", "--match", "ann", "--format=json", "--database", db_});
    EXPECT_EQ(json.out,
              "{\"id\":1,\"computed\":\"2026-03-01 08:00\",\"utc\":1772352000,\"fields\":[\"12\",\"7\","
              "\"11\",\"9\",\"8\",\"10\",\"13\"],\"full_scale\":\"100\",\"notes\":\"Ann B., March\","
              "\"person\":\"\",\"birth_date\":\"\",\"testing_date\":\"\",\"examiner\":\"\",\"referral\":\"\","
              "\"ci\":\"traditional95\",\"basis\":\"true\",\"bonferroni\":\"no\",\"criterion\":\"5\"}\n");
}

TEST_F(CasesCommand, ShowsTheStoredReportAndExportsABatchThatScoresToIt) {
    const CliRun shown = runReport({"--cases", "show", "2", "--database", db_});
    std::string want;
    for (const std::string& line : reports_[1]) want += line + '\n';
    EXPECT_EQ(shown.out, want);

    const std::string csv = (folder_ / "c.csv").string();
    const CliRun exported = runReport({"--cases", "export", "--output", csv, "--database", db_});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(readFile(csv),
              "id,vocabulary,digit_symbol,similarities,block_design,arithmetic,digit_span,matrix_reasoning,ci,basis,"
              "bonferroni,criterion,notes,person,birth_date,testing_date,examiner,referral\n"
              "1,12,7,11,9,8,10,13,traditional95,true,no,5,\"Ann B., March\",,,,,\n"
              "2,10,10,10,10.5,10,10,10,glutting90,true,no,5,\"Carl, April\nx\",Carl Dunn,1970-01-02,2026-03-30,"
              "Dr E. Fox,\"review, after surgery\"\n"
              "3,1,1,1,1,1,1,1,traditional90,true,no,5,,,,,,\n");
    // Scored again, every stored report comes back, in order, line for line.
    const CliRun batch = runReport({"--batch", csv, "--format", "text"});
    ASSERT_EQ(batch.status, 0) << batch.err;
    const std::string rule(103, '-');
    std::string stored;
    for (const ReportLines& report : reports_) {
        if (!stored.empty()) stored += "\n" + rule + "\n" + rule + "\n\n"; // between two reports
        for (const std::string& line : report) stored += line + '\n';
    }
    EXPECT_EQ(batch.out, stored);
}

// A note that a spreadsheet would run as a formula goes out as text in every
// CSV the store writes, and comes back as typed when the export is scored.
TEST_F(CasesCommand, FormulaNotesAreNeutralisedInEveryCsvAndComeBackAsTyped) {
    {
        CaseStore store;
        std::string error;
        ASSERT_TRUE(store.open(db_, CaseStore::Access::ReadWrite, error)) << error;
        add(store, {"12", "7", "11", "9", "8", "10", "13"}, ConfidenceMethod::Traditional95, {"=1+1", "@SUM(A1)"},
            1775203200);
    }
    const CliRun list = runReport({"--cases", "list", "--match", "=1", "--format", "csv", "--database", db_});
    EXPECT_EQ(list.out,
              "id,computed,vocabulary,digit_symbol,similarities,block_design,arithmetic,digit_span,"
              "matrix_reasoning,full_scale,notes,person,birth_date,testing_date,examiner,referral,"
              "ci,basis,bonferroni,criterion\n"
              "4,2026-04-03 08:00,12,7,11,9,8,10,13,100,\"'=1+1\",,,,,,traditional95,true,no,5\n");
    const std::string csv = (folder_ / "formula.csv").string();
    ASSERT_EQ(runReport({"--cases", "export", "4", "--output", csv, "--database", db_}).status, 0);
    EXPECT_EQ(readFile(csv),
              "id,vocabulary,digit_symbol,similarities,block_design,arithmetic,digit_span,"
              "matrix_reasoning,ci,basis,bonferroni,criterion,notes,person,birth_date,testing_date,"
              "examiner,referral\n"
              "4,12,7,11,9,8,10,13,traditional95,true,no,5,\"'=1+1\n@SUM(A1)\",,,,,\n");
    const CliRun batch = runReport({"--batch", csv});
    std::string stored;
    for (const std::string& line : reports_.back()) stored += line + '\n';
    EXPECT_EQ(batch.out, stored);
}

// The store named on the command line is never an export's target, under
// any of its names or those of SQLite's files beside it.
TEST_F(CasesCommand, AnExportNeverWritesTheStoreItReads) {
    const std::string before = readFile(db_);
    std::vector<std::string> targets = {db_, db_ + "-wal", db_ + "-journal",
                                        (folder_ / "none" / ".." / "cases.sqlite").string()};
#ifdef _WIN32
    targets.push_back((folder_ / "CASES.SQLITE").string()); // the same file to Windows
#endif
    for (const std::string& target : targets) {
        const CliRun r = runReport({"--cases", "export", "--output", target, "--database", db_});
        EXPECT_EQ(r.status, 64) << target;
        EXPECT_EQ(r.err, "kalden-report: will not write " + target + ": it is the case records' database " + db_ +
                             " or one of its files, which must not be overwritten\n");
    }
    EXPECT_EQ(readFile(db_), before);
    EXPECT_FALSE(fs::exists(db_ + "-wal"));
    EXPECT_FALSE(fs::exists(db_ + "-journal"));
}

TEST_F(CasesCommand, ProblemsGiveTheirStatusAndNeverWrite) {
    const auto before = fs::last_write_time(db_);
    const std::string missing = (folder_ / "none.sqlite").string();
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err;
    } cases[] = {
        {{"--cases", "show", "9", "--database", db_}, 65, "kalden-report: there is no case 9 in " + db_ + "\n"},
        {{"--cases", "list", "--database", missing},
         66,
         "kalden-report: cannot read the case records in " + missing + ": no case has been recorded there yet\n"},
        {{"--cases", "remove", "--database", db_},
         64,
         "kalden-report: --cases must be list, show or export, not "
         "'remove'\n\n"},
        {{"--cases", "show", "--database", db_}, 64, "kalden-report: --cases show takes one case number\n\n"},
        {{"--cases", "export", "x1", "--database", db_},
         64,
         "kalden-report: a case is named by its number, not 'x1'\n\n"},
        {{"--cases", "list", "--since", "March", "--database", db_},
         64,
         "kalden-report: --since takes a day of the calendar as YYYY-MM-DD (2026-03-01, say), not 'March'\n\n"},
        {{"--since", "2026-01-01", "1", "2", "3", "4", "5", "6", "7"},
         64,
         "kalden-report: --since, --match and --database apply to --cases only\n\n"},
    };
    for (const auto& c : cases) {
        const CliRun r = runReport(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[1];
        EXPECT_EQ(r.err.substr(0, c.err.size()), c.err);
    }
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_EQ(fs::last_write_time(db_), before);
}

} // namespace
