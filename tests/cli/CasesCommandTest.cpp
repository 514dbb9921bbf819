// kalden-report --cases: the desktop program's records read back, listed,
// shown and exported as a batch that scores to the same reports.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
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
              "   ID  Computed          Tested      Age     VOC DSYM  SIM   BD   AR   DS   MR  FSIQ  Options         "
              "Person | Notes\n"
              "    3  2026-04-02 08:00                        1    1    1    1    1    1    1    40  T90 true - 5%   \n"
              "    2  2026-04-01 08:00  2026-03-30  56;2     10   10   10 10.5   10   10   10   100  G90 true - 5%   "
              "Carl Dunn | Carl, April\n"
              "    1  2026-03-01 08:00                       12    7   11    9    8   10   13   100  T95 true - 5%   "
              "Ann B., March\n");
    // --match finds the person as well as the notes.
    const CliRun csv = runReport(
        {"--cases", "list", "--since", "2026-04-01", "--match", "dunn", "--format", "csv", "--database", db_});
    EXPECT_EQ(csv.out,
              "id,computed,vocabulary,digit_symbol,similarities,block_design,arithmetic,digit_span,"
              "matrix_reasoning,full_scale,notes,person,birth_date,testing_date,examiner,referral,"
              "ci,basis,bonferroni,criterion,age_years,age_months\n"
              "2,2026-04-01 08:00,10,10,10,10.5,10,10,10,100,\"Carl, April\",Carl Dunn,1970-01-02,2026-03-30,"
              "Dr E. Fox,\"review, after surgery\",glutting90,true,no,5,56,2\n");
    const CliRun json = runReport({"--cases", "list", "--match", "ann", "--format=json", "--database", db_});
    EXPECT_EQ(json.out,
              "{\"id\":1,\"computed\":\"2026-03-01 08:00\",\"utc\":1772352000,\"fields\":[\"12\",\"7\","
              "\"11\",\"9\",\"8\",\"10\",\"13\"],\"full_scale\":\"100\",\"notes\":\"Ann B., March\","
              "\"person\":\"\",\"birth_date\":\"\",\"testing_date\":\"\",\"examiner\":\"\",\"referral\":\"\","
              "\"ci\":\"traditional95\",\"basis\":\"true\",\"bonferroni\":\"no\",\"criterion\":\"5\","
              "\"age_years\":null,\"age_months\":null}\n");
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
              "ci,basis,bonferroni,criterion,age_years,age_months\n"
              "4,2026-04-03 08:00,12,7,11,9,8,10,13,100,\"'=1+1\",,,,,,traditional95,true,no,5,,\n");
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

    // A note that begins with an apostrophe of its own keeps it.
    {
        CaseStore store;
        std::string error;
        ASSERT_TRUE(store.open(db_, CaseStore::Access::ReadWrite, error)) << error;
        add(store, {"12", "7", "11", "9", "8", "10", "13"}, ConfidenceMethod::Traditional95, {"'=1+1"}, 1775203200);
    }
    ASSERT_EQ(runReport({"--cases", "export", "5", "--output", csv, "--database", db_}).status, 0);
    EXPECT_NE(readFile(csv).find(",\"''=1+1\","), std::string::npos) << readFile(csv);
    const CliRun typed = runReport({"--batch", csv});
    EXPECT_NE(typed.out.find(" User's Notes: '=1+1\n"), std::string::npos) << typed.out;
    stored.clear();
    for (const std::string& line : reports_.back()) stored += line + '\n';
    EXPECT_EQ(typed.out, stored);
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

// The Index scores worked again from the subtests with the published table,
// and each row's change against them: SEdiff = 15·√(2(1 − r)), RCI after the
// practice gain, p from the C library's erfc.
struct IndexByHand {
    double mean, sd, reliability;
    std::vector<int> subtests; // field positions from 0
};
const IndexByHand ByHand[] = {{20, 5.628, 0.94, {0, 2}},
                              {20, 5.367, 0.925, {3, 6}},
                              {20, 5.231, 0.928, {4, 5}},
                              {10, 3.0, 0.84, {1}},
                              {70, 15.784, 0.97, {0, 1, 2, 3, 4, 5, 6}}};
double scoreByHand(const IndexByHand& index, const std::array<double, 7>& fields) {
    double sum = 0;
    for (int k : index.subtests) sum += fields[static_cast<std::size_t>(k)];
    return (sum - index.mean) / index.sd * 15 + 100;
}

TEST_F(CasesCommand, ComparesTwoCasesOfOnePersonByTheMethodInEveryFormat) {
    CaseStore store;
    std::string error;
    ASSERT_TRUE(store.open(db_, CaseStore::Access::ReadWrite, error)) << error;
    // Case 4: Carl Dunn again, tested a year and a week after case 2.
    add(store, {"13", "14", "12", "6", "7", "10", "5"}, ConfidenceMethod::Glutting90, {}, 1806000000,
        {"Carl Dunn", "1970-01-02", "2027-04-06", "Dr E. Fox", "review"});
    add(store, {"10", "10", "10", "10", "10", "10", "10"}, ConfidenceMethod::Traditional95, {}, 1806000000,
        {"Ann B.", "", "2027-04-06", "", ""});
    store.close();
    const std::array<double, 7> first = {10, 10, 10, 10.5, 10, 10, 10};
    const std::array<double, 7> second = {13, 14, 12, 6, 7, 10, 5};
    const double practice[] = {2, 3.5, 0, -1, 2};

    // Named later first: the earlier case still comes first.
    const CliRun csv = runReport({"--cases", "compare", "4", "2", "--practice", "2,3.5,,-1,2", "--practice-source",
                                  "Retest study", "--format", "csv", "--database", db_});
    ASSERT_EQ(csv.status, 0) << csv.err;
    std::istringstream lines(csv.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "index,first,second,change,practice,se_difference,rci,p_two_tailed,verdict");
    const char* const codes[] = {"VC", "PO", "WM", "PS", "FSIQ"};
    int reliable = 0;
    for (std::size_t i = 0; i < 5; ++i) {
        ASSERT_TRUE(std::getline(lines, line));
        std::istringstream cells(line);
        std::string code, verdict;
        std::getline(cells, code, ',');
        double v[7];
        for (double& x : v) {
            std::string cell;
            std::getline(cells, cell, ',');
            x = std::stod(cell);
        }
        std::getline(cells, verdict);
        // The scores as the two reports print them: whole numbers.
        const double s1 = std::round(scoreByHand(ByHand[i], first)), s2 = std::round(scoreByHand(ByHand[i], second));
        const double se = 15 * std::sqrt(2 * (1 - ByHand[i].reliability));
        const double rci = (s2 - s1 - practice[i]) / se;
        EXPECT_EQ(code, codes[i]);
        EXPECT_NEAR(v[0], s1, 1e-9) << code;
        EXPECT_NEAR(v[1], s2, 1e-9) << code;
        EXPECT_NEAR(v[2], s2 - s1, 1e-9) << code;
        EXPECT_EQ(v[3], practice[i]) << code;
        EXPECT_NEAR(v[4], se, 1e-9) << code;
        EXPECT_NEAR(v[5], rci, 1e-9) << code;
        EXPECT_NEAR(v[6], std::erfc(std::fabs(rci) / std::sqrt(2.0)), 2e-6) << code;
        EXPECT_EQ(verdict, rci >= 1.959964    ? "reliable improvement"
                           : rci <= -1.959964 ? "reliable decline"
                                              : "no reliable change")
            << code;
        if (i < 4 && verdict != "no reliable change") ++reliable;
    }
    EXPECT_FALSE(std::getline(lines, line));
    EXPECT_EQ(reliable, 3); // VC and PS rose, PO fell

    const CliRun text = runReport({"--cases", "compare", "2", "4", "--database", db_});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("\n  First assessment        : case 2, tested 2026-03-30, computed 2026-04-01 08:00\n"
                            "  Second assessment       : case 4, tested 2027-04-06, computed 2027-03-25 "),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("\n  Interval                : 372 days between the dates of testing\n"),
              std::string::npos);
    EXPECT_NE(text.out.find("\n  Practice gains taken off (Index points): VC 0.0, PO 0.0, WM 0.0, PS 0.0, FSIQ 0.0 "
                            "(none entered)\n"),
              std::string::npos);
    const CliRun json =
        runReport({"--cases", "compare", "2", "4", "--level", "90", "--format", "json", "--database", db_});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out.substr(0, 38), "{\"first\":{\"id\":2,\"person\":\"Carl Dunn\",");
    EXPECT_NE(json.out.find(",\"level\":90,"), std::string::npos);
    EXPECT_NE(json.out.find("],\"reliable_indexes\":3,\"chance_percent\":0.37"), std::string::npos) << json.out;

    const CliRun persons = runReport({"--cases", "compare", "5", "4", "--database", db_});
    EXPECT_EQ(persons.status, 64);
    EXPECT_EQ(persons.err,
              "kalden-report: Case 5 is of \"Ann B.\" and case 4 of \"Carl Dunn\": only two cases of one "
              "person can be compared.\n");
    EXPECT_EQ(persons.out, "");
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
         "kalden-report: --cases must be list, show, export, compare, delete, finish-erasure or correct, not "
         "'remove'\n\n"},
        {{"--cases", "finish-erasure", "3", "--database", db_},
         64,
         "kalden-report: --cases finish-erasure takes no case numbers\n\n"},
        {{"--cases", "show", "--database", db_}, 64, "kalden-report: --cases show takes one case number\n\n"},
        {{"--cases", "show", "99999999999999999999", "--database", db_},
         64,
         "kalden-report: case numbers run from 1 to 9223372036854775807, not '99999999999999999999'\n\n"},
        {{"--cases", "delete", "0", "--database", db_},
         64,
         "kalden-report: case numbers run from 1 to 9223372036854775807, not '0'\n\n"},
        {{"--cases", "export", "x1", "--database", db_},
         64,
         "kalden-report: a case is named by its number, not 'x1'\n\n"},
        {{"--cases", "list", "--since", "March", "--database", db_},
         64,
         "kalden-report: --since takes a day of the calendar as YYYY-MM-DD (2026-03-01, say), not 'March'\n\n"},
        {{"--since", "2026-01-01", "1", "2", "3", "4", "5", "6", "7"},
         64,
         "kalden-report: --since, --match, --database, --whole-person and the fields of a correction apply to "
         "--cases only\n\n"},
        {{"--cases", "delete", "--whole-person", "--database", db_},
         64,
         "kalden-report: --cases delete takes the numbers of the cases\n\n"},
        {{"--cases", "delete", "9", "--database", db_}, 65, "kalden-report: there is no case 9 in " + db_ + "\n"},
        {{"--cases", "list", "--whole-person", "--database", db_},
         64,
         "kalden-report: --whole-person applies to --cases delete and --cases correct only\n\n"},
        {{"--cases", "correct", "1", "--database", db_},
         64,
         "kalden-report: --cases correct takes the fields to set: --person, --birth-date, --testing-date, "
         "--examiner or --referral\n\n"},
        {{"--cases", "correct", "1", "--birth-date", "1961-13-01", "--database", db_},
         64,
         "kalden-report: the date of birth is a day of the calendar as YYYY-MM-DD (1961-04-12, say), not "
         "'1961-13-01'\n\n"},
        {{"--cases", "correct", "1", "--testing-date", "1900-01-01", "--birth-date", "1961-04-12", "--database", db_},
         64,
         "kalden-report: case 1 cannot be corrected so: The date of birth (1961-04-12) comes after the date of testing "
         "(1900-01-01).\n"},
        {{"--cases", "correct", "1", "--whole-person", "--examiner", "X", "--database", db_},
         64,
         "kalden-report: case 1 names no person, so --whole-person cannot apply to it\n"},
        {{"--cases", "compare", "2", "--database", db_},
         64,
         "kalden-report: --cases compare takes two case numbers\n\n"},
        {{"--cases", "compare", "2", "9", "--database", db_}, 65, "kalden-report: there is no case 9 in " + db_ + "\n"},
        {{"--cases", "compare", "1", "2", "--database", db_},
         64,
         "kalden-report: Case 1 names no person: only two cases recorded with the same person can be compared.\n"},
        {{"--cases", "compare", "1", "2", "--level", "80", "--database", db_},
         64,
         "kalden-report: --level must be 95 or 90, not '80'\n\n"},
        {{"--cases", "compare", "1", "2", "--practice", "1,2,3,4", "--database", db_},
         64,
         "kalden-report: --practice takes five gains in Index points from -30 to 30, VC,PO,WM,PS,FSIQ (2,3.5,0,1,2 "
         "for example), not '1,2,3,4'\n\n"},
        {{"--cases", "compare", "1", "2", "--practice", "1,2,3,4,31", "--database", db_},
         64,
         "kalden-report: --practice"},
        {{"--cases", "compare", "1", "2", "--practice", "1,2,3,4,5,6", "--database", db_},
         64,
         "kalden-report: --practice"},
        {{"--cases", "show", "1", "--level", "90", "--database", db_},
         64,
         "kalden-report: --level, --practice and --practice-source apply to --cases compare only\n\n"},
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

// correct and delete change the records: a person corrected on every case of
// theirs however typed, the correction listed by show, a near name named
// and left alone, and a deletion by number. A store named with --database is
// changed alone: no file of the user's own is looked at.
TEST_F(CasesCommand, CorrectsAndDeletesThePersonHoweverTyped) {
    {
        CaseStore store;
        std::string error;
        ASSERT_TRUE(store.open(db_, CaseStore::Access::ReadWrite, error)) << error;
        add(store, {"10", "10", "10", "10", "10", "10", "10"}, ConfidenceMethod::Traditional95, {}, 1775203200,
            {"carl  DUNN.", "", "2026-04-03", "", ""});
        add(store, {"10", "10", "10", "10", "10", "10", "10"}, ConfidenceMethod::Traditional95, {}, 1775289600,
            {"Carl Dun", "", "2026-04-04", "", ""});
    }
    const CliRun corrected =
        runReport({"--cases", "correct", "2", "--whole-person", "--person", "Carl Dunne", "--database", db_});
    EXPECT_EQ(corrected.status, 0) << corrected.err;
    EXPECT_EQ(corrected.out, "Corrected 2 cases of 2 cases named (every case of Carl Dunn).\n");
    EXPECT_EQ(corrected.err,
              "kalden-report: \"Carl Dun\" (1 case) is also recorded, whose name differs by one character; it was "
              "not corrected: name one of its cases with --whole-person if it is the same person\n");
    const CliRun listed = runReport({"--cases", "list", "--format", "csv", "--database", db_});
    EXPECT_NE(listed.out.find("\n4,2026-04-03 08:00,10,10,10,10,10,10,10,100,,Carl Dunne,,2026-04-03,"),
              std::string::npos)
        << listed.out;
    const CliRun shown = runReport({"--cases", "show", "2", "--database", db_});
    const std::string tail = "\nCorrected since it was computed:\n";
    ASSERT_NE(shown.out.find(tail), std::string::npos);
    EXPECT_NE(shown.out.find("  person: \"Carl Dunn\" -> \"Carl Dunne\"\n"), std::string::npos);
    std::string report; // as computed, whatever was corrected since
    for (const std::string& line : reports_[1]) report += line + '\n';
    EXPECT_EQ(shown.out.substr(0, shown.out.find(tail)), report);

    // A child's date of birth is taken, and said.
    const CliRun young = runReport({"--cases", "correct", "2", "--birth-date", "2015-01-01", "--database", db_});
    EXPECT_EQ(young.status, 0) << young.err;
    EXPECT_EQ(young.err,
              "kalden-report: note: case 2: The age at testing, 11 years 2 months, is outside the adult range of "
              "this test's norms (16 to 89 years).\n");

    const CliRun deleted = runReport({"--cases", "delete", "2", "4", "--database", db_});
    EXPECT_EQ(deleted.status, 0) << deleted.err;
    EXPECT_EQ(deleted.out, "Deleted 2 cases.\n");
    const CliRun left = runReport({"--cases", "list", "--database", db_});
    EXPECT_EQ(left.out.find("Carl Dunne"), std::string::npos);
    EXPECT_NE(left.out.find("Carl Dun |"), std::string::npos);

    // Another program reading the records keeps the deleted text in the
    // log: said, with the way to finish the erasure once it has closed.
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(db_.c_str(), &reader), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM cases;", nullptr, nullptr, nullptr), SQLITE_OK);
    const std::string pending = "their text stays in the file " + db_ +
                                " or its log until that program closes it and the erasure is finished\n"
                                "kalden-report: once that program has closed, kalden-report --cases finish-erasure "
                                "finishes it\n";
    const CliRun held = runReport({"--cases", "delete", "1", "--database", db_});
    EXPECT_EQ(held.status, 74);
    EXPECT_EQ(held.out, "Deleted 1 case.\n");
    EXPECT_EQ(held.err, "kalden-report: cannot fully delete the cases in " + db_ +
                            ": the cases are deleted from the records, but another program is reading them, so " +
                            pending);
    const CliRun stillHeld = runReport({"--cases", "finish-erasure", "--database", db_});
    EXPECT_EQ(stillHeld.status, 74);
    EXPECT_EQ(stillHeld.err, "kalden-report: cannot finish erasing the cases in " + db_ +
                                 ": the cases are deleted from the records, but another program is reading them, so " +
                                 pending);
    sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(reader);
    const CliRun finished = runReport({"--cases", "finish-erasure", "--database", db_});
    EXPECT_EQ(finished.status, 0) << finished.err;
    EXPECT_EQ(finished.out, "The erasure is finished: nothing deleted stays in the records' log.\n");
}

// The records carried out as a case file and read back: the reports as
// stored, every case checked again, and a file changed by hand refused with
// the case and the place named, printing nothing.
TEST_F(CasesCommand, ACaseFileCarriesTheCasesAndIsRefusedWhereItWasChanged) {
    const std::string file = (folder_ / "cases.json").string();
    const CliRun exported =
        runReport({"--cases", "export", "--format", "case-file", "--output", file, "--database", db_});
    ASSERT_EQ(exported.status, 0) << exported.err;
    const std::string text = readFile(file);
    const std::string head =
        "{\n  \"format\": \"kalden-case-file\",\n  \"version\": 1,\n  \"program\": \"" KALDEN_TEST_VERSION
        "\",\n  \"cases\": [\n    {\n      \"computed_utc\": 1772352000,\n      \"utc_offset_minutes\": 0,\n"
        "      \"computed\": \"2026-03-01 08:00\",\n      \"program\": \"0.1.0\",\n      \"session\": {\n"
        "        \"person\": \"\",\n        \"birth_date\": \"\",\n        \"testing_date\": \"\",\n"
        "        \"examiner\": \"\",\n        \"referral\": \"\"\n      },\n"
        "      \"scores\": [\"12\",\"7\",\"11\",\"9\",\"8\",\"10\",\"13\"],\n      \"options\": {\n"
        "        \"confidence\": \"traditional95\",\n        \"difference_basis\": \"true\",\n"
        "        \"bonferroni\": false,\n        \"abnormality\": \"5\"\n      },\n"
        "      \"notes_label\": \"User's Notes:\",\n      \"notes\": [\n        \"Ann B., March\"\n      ],\n";
    EXPECT_EQ(text.substr(0, head.size()), head);
    const CliRun printed = runReport({"--case-file", file});
    ASSERT_EQ(printed.status, 0) << printed.err;
    std::string want;
    for (const ReportLines& report : reports_)
        for (const std::string& line : report) want += line + '\n';
    EXPECT_EQ(printed.out, want);

    const std::string twelve = " VOCABULARY subtest scaled score=            12";
    const std::string thirteen = " VOCABULARY subtest scaled score=            13";
    const std::size_t line =
        static_cast<std::size_t>(std::find(reports_[0].begin(), reports_[0].end(), twelve) - reports_[0].begin() + 1);
    const std::string differs = "case 1: its report differs from the one computed again from its scores, at line " +
                                std::to_string(line) + ": ";
    struct Change {
        std::string from, to, problem;
    };
    const Change changes[] = {
        {"\"" + twelve + "\"", "\"" + thirteen + "\"",
         differs + "\"" + thirteen + "\" where the report computed again has \"" + twelve + "\""},
        {"[\"12\",\"7\"", "[\"13\",\"7\"",
         differs + "\"" + twelve + "\" where the report computed again has \"" + thirteen + "\""},
        {"[\"12\",\"7\"", "[\"25\",\"7\"",
         "case 1: INPUT ERROR\n(  VOCABULARY subtest scaled score:  25.000  )\n"
         "The valid range for Wechsler subtest scaled scores is 1 to 19 "},
        {"\"bonferroni\": false", "\"bonferroni\": \"no\"", "case 1: \"bonferroni\" must be true or false"},
        {"\"birth_date\": \"1970-01-02\"", "\"birth_date\": \"2027-01-02\"",
         "case 2 (Carl Dunn): The date of birth (2027-01-02) comes after the date of testing (2026-03-30)."},
        {"\"version\": 1,", "\"version\": 2,", "it is a case file of version 2, newer than this program reads (1)"},
        {"\"format\": \"kalden-case-file\"", "\"format\": \"other\"",
         "it is not a KALDEN case file: \"format\" must be \"kalden-case-file\""},
        {"\"cases\": [", "\"cases\": [], \"was\": [", "\"cases\" must be a list of one case or more"},
        {"\"computed_utc\": 1772352000", "\"computed_utc\": 1772352000,,",
         "it is not JSON: parse error at line 7, column 34: syntax error while parsing object key - unexpected ','; "
         "expected string literal"},
    };
    for (const Change& c : changes) {
        std::string changed = text;
        const std::size_t at = changed.find(c.from);
        ASSERT_NE(at, std::string::npos) << c.from;
        changed.replace(at, c.from.size(), c.to);
        std::ofstream(file, std::ios::binary | std::ios::trunc) << changed;
        const CliRun refused = runReport({"--case-file", file});
        EXPECT_EQ(refused.status, 2) << c.to;
        EXPECT_EQ(refused.out, "");
        EXPECT_EQ(refused.err, "kalden-report: " + file + " is refused: " + c.problem + "\n");
    }

    // Two cases of one person compared from a case file, numbered by their
    // places, give what the records give for the same numbers.
    {
        CaseStore store;
        std::string error;
        ASSERT_TRUE(store.open(db_, CaseStore::Access::ReadWrite, error)) << error;
        add(store, {"11", "9", "12", "10", "9", "11", "12"}, ConfidenceMethod::Traditional95, {"Carl, May"}, 1777708800,
            {"Carl Dunn", "1970-01-02", "2026-05-01", "Dr E. Fox", "review"});
    }
    ASSERT_EQ(runReport({"--cases", "export", "--format", "case-file", "--output", file, "--database", db_}).status, 0);
    const CliRun fromRecords =
        runReport({"--cases", "compare", "4", "2", "--practice", "2,1,0,1,2", "--database", db_});
    const CliRun fromFile = runReport({"--cases", "compare", "4", "2", "--practice", "2,1,0,1,2", "--case-file", file});
    EXPECT_EQ(fromFile.status, 0) << fromFile.err;
    EXPECT_NE(fromRecords.out.find("  Second assessment       : case 4, tested 2026-05-01,"), std::string::npos)
        << fromRecords.out;
    EXPECT_EQ(fromFile.out, fromRecords.out);
    EXPECT_EQ(runReport({"--cases", "compare", "4", "5", "--case-file", file}).err,
              "kalden-report: " + file + " has no case 5 (it holds 4 cases)\n");

    const CliRun list = runReport({"--cases", "list", "--format", "case-file", "--database", db_});
    EXPECT_EQ(list.status, 64);
    EXPECT_EQ(list.err.substr(0, list.err.find('\n')),
              "kalden-report: --format case-file applies to --cases export only");
}
