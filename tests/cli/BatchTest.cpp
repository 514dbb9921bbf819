#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#endif

#include "batch/BatchInput.h"
#include "batch/BatchOutput.h"
#include "cli/CommandLine.h"
#include "files/TextFile.h"
#include "format/NumberFormat.h"
#include "report/ReportComposer.h"
#include "support/Cases.h"
#include "support/Reports.h"

using namespace kalden;
using namespace kalden::cli;
using namespace kalden::testing;
namespace fs = std::filesystem;

namespace {

const std::string ScoreHeader =
    "id,vocabulary,digit_symbol,similarities,block_design,arithmetic,digit_span,"
    "matrix_reasoning";

std::vector<std::vector<std::string>> readAll(const std::string& text, std::vector<std::size_t>* lines = nullptr) {
    std::istringstream in(text);
    CsvReader reader(in);
    CsvRecord record;
    std::vector<std::vector<std::string>> records;
    while (reader.next(record)) {
        records.push_back(record.cells);
        if (lines) lines->push_back(record.line);
    }
    return records;
}

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome runBatchOn(const std::string& input, std::vector<std::string> args) {
    args.insert(args.begin(), {"--batch", "-"});
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = run(args, in, out, err);
    return {status, out.str(), err.str()};
}

// The csv output as a table keyed by column name, one map per data row.
std::vector<std::map<std::string, std::string>> csvTable(const std::string& csv) {
    const auto records = readAll(csv);
    std::vector<std::map<std::string, std::string>> rows;
    for (std::size_t r = 1; r < records.size(); ++r) {
        std::map<std::string, std::string> row;
        for (std::size_t c = 0; c < records[0].size(); ++c) row[records[0][c]] = records[r].at(c);
        rows.push_back(row);
    }
    return rows;
}

// Rebuilds a computation from one csv output row: every value the report
// prints comes back from its text.
ComputationResults resultsFromCsv(std::map<std::string, std::string> row, const Options& options) {
    auto number = [&](const std::string& name) { return std::strtod(row.at(name).c_str(), nullptr); };
    const char* const indexes[] = {"vc", "po", "wm", "ps", "fsiq"};
    const char* const pairs[] = {"vc_po", "vc_wm", "vc_ps", "po_wm", "po_ps", "wm_ps"};
    ComputationResults r;
    r.index.confidenceMethod = options.confidenceMethod;
    r.index.differenceBasis = options.differenceBasis;
    r.index.sequentialBonferroni = options.sequentialBonferroni;
    for (std::size_t i = 0; i < IndexCount; ++i) {
        const std::string p = std::string(indexes[i]) + "_";
        r.index.indexes[i] = {0,
                              number(p + "score"),
                              number(p + "true_score"),
                              number(p + "se"),
                              number(p + "lower"),
                              number(p + "upper"),
                              number(p + "percentile"),
                              number(p + "percentile_lower"),
                              number(p + "percentile_upper")};
    }
    for (std::size_t i = 0; i < PairCount; ++i) {
        const std::string p = std::string(pairs[i]) + "_";
        r.index.pairs[i] = {number(p + "difference"), number(p + "se_difference"), number(p + "p_one_tailed"),
                            number(p + "p_two_tailed"), row.at(p + "bonferroni_significant") == "true"};
        r.abnormality.pairs[i] = {number(p + "abnormality_difference"), 0, number(p + "abnormality_percent"),
                                  row.at(p + "abnormal") == "true"};
    }
    r.abnormality.lowScoreCount = std::stoi(row.at("low_score_count"));
    r.abnormality.lowScorePopulationPercent = number("low_score_percent");
    r.abnormality.abnormalDifferenceCount = std::stoi(row.at("abnormal_difference_count"));
    r.abnormality.differencePopulationPercent = number("abnormal_difference_percent");
    r.profile.chiSquare = std::strtold(row.at("chi_square").c_str(), nullptr);
    r.profile.p = std::strtold(row.at("p_profile").c_str(), nullptr);
    return r;
}

std::string joinLf(const ReportLines& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

class BatchScoring : public ::testing::Test {
protected:
    void SetUp() override { setDecimalSeparator('.'); }
    void TearDown() override { setDecimalSeparator('.'); }
};

} // namespace

TEST(CsvReader, ReadsQuotedCellsLineEndsByteOrderMarkAndBlankLines) {
    struct Case {
        const char* name;
        std::string input;
        std::vector<std::vector<std::string>> records;
    };
    const std::vector<Case> cases = {
        {"plain LF", "a,b\n1,2\n", {{"a", "b"}, {"1", "2"}}},
        {"CR LF and no final line end", "a,b\r\n1,2", {{"a", "b"}, {"1", "2"}}},
        {"lone CR", "a,b\r1,2\r", {{"a", "b"}, {"1", "2"}}},
        {"byte-order mark",
         "\xEF\xBB\xBF"
         "a,b\n",
         {{"a", "b"}}},
        {"mark only at the very start",
         "a\n\xEF\xBB\xBF"
         "b\n",
         {{"a"},
          {"\xEF\xBB\xBF"
           "b"}}},
        {"quoted comma and doubled quote", "\"x,1\",\"say \"\"hi\"\"\"\n", {{"x,1", "say \"hi\""}}},
        {"line breaks inside quotes kept", "\"l1\r\nl2\nl3\",z\n", {{"l1\r\nl2\nl3", "z"}}},
        {"empty cells", ",,\n\"\",x,\n", {{"", "", ""}, {"", "x", ""}}},
        {"blank and blank-only lines skipped", "\n\r\na\n  \t \n\nb\n\n", {{"a"}, {"b"}}},
        {"quote inside a cell is a character", "ab\"c,d\n", {{"ab\"c", "d"}}},
        {"text after a closing quote is kept", "\"ab\"c,d\n", {{"abc", "d"}}},
        {"blanks before a quote keep the quote", " \"a\",b\n", {{" \"a\"", "b"}}},
    };
    for (const Case& c : cases) EXPECT_EQ(readAll(c.input), c.records) << c.name;
}

TEST(CsvReader, NumbersRecordsByTheLineTheyStartOn) {
    std::vector<std::size_t> lines;
    readAll("h\r\n\r\n\"a\r\nb\"\r\nc\n\"d\re\"\nf\n", &lines);
    EXPECT_EQ(lines, (std::vector<std::size_t>{1, 3, 5, 6, 8}));
}

TEST(CsvReader, FlagsAnUnclosedQuoteAndAnOversizedRecord) {
    std::istringstream unclosed("a\n\"b,c\nd\n");
    CsvReader reader(unclosed);
    CsvRecord record;
    ASSERT_TRUE(reader.next(record));
    EXPECT_FALSE(record.unterminatedQuote);
    ASSERT_TRUE(reader.next(record));
    EXPECT_TRUE(record.unterminatedQuote);
    EXPECT_EQ(record.cells, (std::vector<std::string>{"b,c\nd\n"}));

    std::istringstream big("12345,67,890\nnext\n");
    CsvReader limited(big, 8);
    ASSERT_TRUE(limited.next(record));
    EXPECT_TRUE(record.oversized);
    EXPECT_EQ(record.cells, (std::vector<std::string>{"12345", "67"}));
    ASSERT_TRUE(limited.next(record)) << "the reader goes on after an oversized record";
    EXPECT_FALSE(record.oversized);
    EXPECT_EQ(record.cells, (std::vector<std::string>{"next"}));
}

TEST(BatchLayout, FindsColumnsByNameWhateverTheirCaseBlanksAndOrder) {
    std::string problem;
    const auto layout = readBatchLayout({" Matrix_Reasoning ", "age", "DIGIT_SPAN", "arithmetic", "\tBlock_design",
                                         "similarities", "digit_symbol", "vocabulary ", "Notes", "ID"},
                                        problem);
    ASSERT_TRUE(layout) << problem;
    EXPECT_EQ(layout->position[static_cast<std::size_t>(BatchColumn::MatrixReasoning)], 0u);
    EXPECT_EQ(layout->position[static_cast<std::size_t>(BatchColumn::Vocabulary)], 7u);
    EXPECT_EQ(layout->position[static_cast<std::size_t>(BatchColumn::Id)], 9u);
    EXPECT_EQ(layout->position[static_cast<std::size_t>(BatchColumn::Notes)], 8u);
    EXPECT_FALSE(layout->position[static_cast<std::size_t>(BatchColumn::Ci)]);
    EXPECT_EQ(layout->width, 10u);
}

TEST(BatchLayout, RejectsMissingScoreColumnsAndDuplicates) {
    std::string problem;
    EXPECT_FALSE(readBatchLayout({"id", "vocabulary", "similarities", "block_design", "arithmetic"}, problem));
    EXPECT_EQ(problem, "the header lacks the score column(s) digit_symbol, digit_span, matrix_reasoning");
    EXPECT_FALSE(readBatchLayout({"vocabulary", "digit_symbol", "similarities", "block_design", "arithmetic",
                                  "digit_span", "matrix_reasoning", "CI", " ci"},
                                 problem));
    EXPECT_EQ(problem, "the header names column ci twice");
}

TEST(BatchCaseReading, RejectsABadRowWithTheWorksheetMessageAsOneLine) {
    struct Case {
        std::string row;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"p1,,10,10,10,10,10,10",
         "INPUT ERROR  (  VOCABULARY subtest scaled score:  )  Data have not been entered in this field."},
        {"p2,10,1.5.,10,10,10,10,10",
         "INPUT ERROR (  DIGIT SYMBOL subtest scaled score:  1.5.  )  Enter numeric data only."},
        {"p3,10,10,10,10,10,10,-5",
         "INPUT ERROR (  MATRIX REASONING subtest scaled score:  -5.000  ) The valid range for Wechsler subtest "
         "scaled scores is 1 to 19 "},
        {"p4,10,10,10,10,10,10",
         "INPUT ERROR  (  MATRIX REASONING subtest scaled score:  )  Data have not been "
         "entered in this field."},
        {"p5,10,10,10,10,10,10,10,,", ""},
        {"p6,10,10,10,10,10,10,10,extra", "the row has 9 cells but the header has 8"},
        {"p7,20,x,10,10,10,10,10",
         "INPUT ERROR (  VOCABULARY subtest scaled score:  20.000  ) The valid range for Wechsler subtest scaled "
         "scores is 1 to 19 "},
    };
    std::string problem;
    const auto layout = readBatchLayout(readAll(ScoreHeader).front(), problem);
    ASSERT_TRUE(layout);
    for (const Case& c : cases) {
        const auto cells = readAll(c.row).front();
        CsvRecord record;
        record.cells = cells;
        BatchCase out;
        readBatchCase(record, *layout, {}, out);
        EXPECT_EQ(out.error, c.error) << c.row;
        EXPECT_EQ(out.record.has_value(), c.error.empty()) << c.row;
        EXPECT_EQ(out.id, cells.front()) << c.row;
    }
}

TEST(BatchCaseReading, RowOptionsOverrideTheDefaultsAndBadValuesRejectTheRow) {
    struct Case {
        std::string options; // ci,basis,bonferroni,criterion,notes
        Options expected;
        std::vector<std::string> notes;
        std::string error;
    };
    const Options defaults = optionsOf(ConfidenceMethod::Traditional90, DifferenceBasis::EstimatedTrue, true,
                                       AbnormalityCriterion::Percent10);
    const std::vector<Case> cases = {
        {",,,,", defaults, {"default note"}, ""},
        {" Glutting95 ,observed,No,15,\"a\r\nb\n\"",
         optionsOf(ConfidenceMethod::Glutting95, DifferenceBasis::Observed, false, AbnormalityCriterion::Percent15),
         {"a", "b"},
         ""},
        {"traditional95,,0,5,x",
         optionsOf(ConfidenceMethod::Traditional95, DifferenceBasis::EstimatedTrue, false),
         {"x"},
         ""},
        {",,YES,,\"\nsecond\"", defaults, {"", "second"}, ""},
        {"glutting99,,,,",
         {},
         {},
         "ci must be traditional95, traditional90, glutting95 or glutting90, not 'glutting99'"},
        {",both,,,", {}, {}, "basis must be observed or true, not 'both'"},
        {",, on ,,", {}, {}, "bonferroni must be true, false, yes, no, 1 or 0, not 'on'"},
        {",,,20,", {}, {}, "criterion must be 5, 10 or 15, not '20'"},
        // Regression: a value with line breaks inside its quotes made a
        // message of several lines.
        {",,\"line\r\none\",,", {}, {}, "bonferroni must be true, false, yes, no, 1 or 0, not 'line  one'"},
    };
    std::string problem;
    const auto header = readAll(ScoreHeader + ",ci,basis,bonferroni,criterion,notes").front();
    const auto layout = readBatchLayout(header, problem);
    ASSERT_TRUE(layout);
    for (const Case& c : cases) {
        CsvRecord record;
        record.cells = readAll("r,10,10,10,10,10,10,10," + c.options).front();
        BatchCase out;
        readBatchCase(record, *layout, {defaults, {"default note"}}, out);
        EXPECT_EQ(out.error, c.error) << c.options;
        if (!c.error.empty()) {
            EXPECT_FALSE(out.record) << c.options;
            continue;
        }
        ASSERT_TRUE(out.record) << c.options;
        const Options got = out.record->options();
        EXPECT_EQ(got.confidenceMethod, c.expected.confidenceMethod) << c.options;
        EXPECT_EQ(got.differenceBasis, c.expected.differenceBasis) << c.options;
        EXPECT_EQ(got.sequentialBonferroni, c.expected.sequentialBonferroni) << c.options;
        EXPECT_EQ(got.abnormalityCriterion, c.expected.abnormalityCriterion) << c.options;
        EXPECT_EQ(out.notes, c.notes) << c.options;
    }
}

TEST_F(BatchScoring, TextOutputIsTheReportsAppendedAsSuccessiveComputesAppendThem) {
    const std::string input = ScoreHeader +
                              ",ci,basis,bonferroni,criterion,notes\n"
                              "a,12,7,11,9,8,10,13,,,,,\n"
                              "bad,12,7,11,9,8,10,\n"
                              "b,15,4,15,5,10,10,5,glutting90,true,yes,15,\"first\nsecond\"\n"
                              "c,10,10.5,10,10,10,10,10,,,,,\n";
    const Outcome got = runBatchOn(input, {"--ci", "traditional90", "--note", "cmd note"});
    EXPECT_EQ(got.status, ExitInputRejected);

    ReportLines expected;
    ReportContext fromCommandLine;
    fromCommandLine.notes = {"cmd note"};
    ReportContext fromRow;
    fromRow.notes = {"first", "second"};
    appendReportOf(expected, mixedCase(optionsOf(ConfidenceMethod::Traditional90)), fromCommandLine);
    appendReportOf(expected,
                   splitProfile(optionsOf(ConfidenceMethod::Glutting90, DifferenceBasis::EstimatedTrue, true,
                                          AbnormalityCriterion::Percent15)),
                   fromRow);
    appendReportOf(expected, halfPointDigitSymbol(optionsOf(ConfidenceMethod::Traditional90)), fromCommandLine);
    EXPECT_EQ(got.out, joinLf(expected));
    EXPECT_EQ(got.err,
              "kalden-report: row 2 (line 3), id \"bad\": INPUT ERROR  (  MATRIX REASONING subtest scaled "
              "score:  )  Data have not been entered in this field.\n"
              "kalden-report: 1 of 4 rows rejected\n");
}

// Reports are passed on in large pieces; a row's message still comes after
// the reports before it where both streams go to one place (2>&1).
TEST_F(BatchScoring, AMessageOnStandardErrorFollowsTheReportsBeforeIt) {
    const std::string header = ScoreHeader + "\n", first = "a,12,7,11,9,8,10,13\n";
    const std::string rest = "bad,12,7,11,9,8,10,\nb,15,4,15,5,10,10,5\n";
    const Outcome apart = runBatchOn(header + first + rest, {});
    const std::string firstReport = runBatchOn(header + first, {}).out;
    std::istringstream in(header + first + rest);
    std::ostringstream both;
    EXPECT_EQ(run({"--batch", "-"}, in, both, both), ExitInputRejected);
    const std::size_t firstMessage = apart.err.find('\n') + 1;
    EXPECT_EQ(both.str(), firstReport + apart.err.substr(0, firstMessage) + apart.out.substr(firstReport.size()) +
                              apart.err.substr(firstMessage));
}

// The rows read before the input fails are scored and written, before the
// message that says so (the reader takes the input 64 KiB at a time; the
// first 64 KiB here end with a whole row, and the next read fails).
TEST_F(BatchScoring, RowsReadBeforeAReadFailureAreWrittenBeforeItsMessage) {
    class FailingAfterText : public std::streambuf {
    public:
        explicit FailingAfterText(std::string text) : text_(std::move(text)) {
            setg(text_.data(), text_.data(), text_.data() + text_.size());
        }

    protected:
        int_type underflow() override { throw std::runtime_error("the disk went away"); }

    private:
        std::string text_;
    };
    const std::string row = ",12,7,11,9,8,10,13\n";
    std::string firstPiece = ScoreHeader + "\n";
    while (firstPiece.size() < 65536 - 100) firstPiece += "a" + row;
    firstPiece += std::string(65536 - firstPiece.size() - row.size(), 'b') + row;
    const std::string reports = runBatchOn(firstPiece, {}).out;
    for (const char* jobs : {"1", "2"}) {
        FailingAfterText buffer(firstPiece + "never,1,1,1,1,1,1,1\n");
        std::istream in(&buffer);
        std::ostringstream both;
        EXPECT_EQ(run({"--batch", "-", "--jobs", jobs}, in, both, both), ExitNoInput) << jobs;
        const std::string message = "kalden-report: cannot read standard input: ";
        EXPECT_EQ(both.str().substr(0, reports.size() + message.size()), reports + message) << jobs;
        EXPECT_EQ(both.str().find('\n', reports.size()), both.str().size() - 1) << jobs;
    }
}

TEST_F(BatchScoring, CsvKeepsEveryRowInPlaceAndItsValuesPrintAsTheReportPrintsThem) {
    const std::vector<InputRecord> cases = {
        mixedCase(),
        allTens(optionsOf(ConfidenceMethod::Glutting95, DifferenceBasis::Observed, true)),
        allOnes(optionsOf(ConfidenceMethod::Traditional90, DifferenceBasis::Observed, false,
                          AbnormalityCriterion::Percent10)),
        allSignificant(optionsOf(ConfidenceMethod::Traditional95, DifferenceBasis::Observed, true)),
        splitProfile(optionsOf(ConfidenceMethod::Glutting90, DifferenceBasis::EstimatedTrue, false,
                               AbnormalityCriterion::Percent15)),
        allNineteens(),
        halfPointDigitSymbol()};
    const char* const ci[] = {"traditional95", "traditional90", "glutting95", "glutting90"};
    const char* const criterion[] = {"5", "10", "15"};
    std::ostringstream input;
    input << ScoreHeader << ",ci,basis,bonferroni,criterion\n";
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const InputRecord& c = cases[i];
        input << "case " << i;
        for (int k = 1; k <= 7; ++k) input << ',' << c.score(k);
        input << ',' << ci[static_cast<int>(c.confidenceMethod)] << ','
              << (c.differenceBasis == DifferenceBasis::Observed ? "observed" : "true") << ','
              << (c.sequentialBonferroni ? "true" : "false") << ','
              << criterion[static_cast<int>(c.abnormalityCriterion)] << '\n';
        if (i == 2) input << "\"bad, quoted\",10,10,10,10,10,10,\"1\r9\"\n";
    }
    const Outcome got = runBatchOn(input.str(), {"--format", "csv"});
    EXPECT_EQ(got.status, ExitInputRejected);
    EXPECT_EQ(got.err, "kalden-report: 1 of 8 rows rejected\n");
    EXPECT_EQ(got.out.find('\n'), got.out.find("\r\n") + 1) << "csv rows end in CR LF";

    const auto table = csvTable(got.out);
    ASSERT_EQ(table.size(), cases.size() + 1);
    const auto& bad = table[3];
    EXPECT_EQ(bad.at("id"), "bad, quoted");
    EXPECT_EQ(bad.at("error"),
              "INPUT ERROR (  MATRIX REASONING subtest scaled score:  1 9  )  Enter numeric data only.");
    for (const auto& [name, value] : bad)
        if (name != "id" && name != "error") {
            EXPECT_EQ(value, "") << name;
        }

    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& row = table[i < 3 ? i : i + 1];
        EXPECT_EQ(row.at("id"), "case " + std::to_string(i));
        EXPECT_EQ(row.at("error"), "");
        ReportLines expected;
        ReportLines rebuilt;
        Warnings messages;
        appendReportOf(expected, cases[i]);
        appendReport(rebuilt, composeReport(cases[i], resultsFromCsv(row, cases[i].options()), {}, messages));
        EXPECT_EQ(rebuilt, expected) << "case " << i;
    }
    // Values that the report's rounding hides, checked as exact texts.
    EXPECT_EQ(table[0].at("vc_score"), "107.99573560767591");
    EXPECT_EQ(table[0].at("ps_score"), "85");
    EXPECT_EQ(table[0].at("vc_po_bonferroni_significant"), "") << "no verdict without the correction";
    EXPECT_EQ(table[1].at("vc_po_bonferroni_significant"), "false");
    EXPECT_EQ(table[4].at("vc_ps_bonferroni_significant"), "true");
    EXPECT_EQ(table[0].at("abnormal_difference_count"), "0");
    EXPECT_EQ(table[0].at("abnormal_difference_percent"), "100");
    EXPECT_EQ(table[1].at("chi_square"), "0");
    EXPECT_EQ(table[1].at("p_profile"), "1");
    EXPECT_EQ(table[7].at("ps_score"), "102.5");
}

TEST_F(BatchScoring, NumbersUseAPointWhateverTheReportSeparator) {
    setDecimalSeparator(',');
    const Outcome got = runBatchOn(ScoreHeader + "\nx,10,10.5,10,10,10,10,10\n", {"--format", "csv"});
    EXPECT_EQ(got.status, ExitOk);
    EXPECT_EQ(csvTable(got.out).at(0).at("ps_score"), "102.5");
}

TEST_F(BatchScoring, JsonLinesCarryTheCsvValuesNullsAndErrors) {
    const std::string input = ScoreHeader +
                              ",bonferroni\n"
                              "\"q\"\"1\",12,7,11,9,8,10,13,\n"
                              "\"caf\xC3\xA9\xFF\",0,10,10,10,10,10,10,\n"
                              "z,19,1,19,13,7,7,13,yes\n";
    const Outcome csv = runBatchOn(input, {"--format", "csv"});
    const Outcome json = runBatchOn(input, {"--format", "json"});
    EXPECT_EQ(json.status, ExitInputRejected);
    const auto table = csvTable(csv.out);
    std::vector<std::string> lines;
    std::istringstream stream(json.out);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), table.size());
    for (std::size_t row = 0; row < lines.size(); ++row) {
        const auto object = nlohmann::ordered_json::parse(lines[row]);
        ASSERT_EQ(object.size(), table[row].size()) << lines[row];
        EXPECT_EQ(object.begin().key(), "id");
        for (const auto& [name, text] : table[row]) {
            const auto& value = object.at(name);
            if (name == "id") continue;
            if (text.empty()) {
                EXPECT_TRUE(value.is_null()) << name;
            } else if (value.is_boolean()) {
                EXPECT_EQ(value.get<bool>() ? "true" : "false", text) << name;
            } else if (value.is_string()) {
                EXPECT_EQ(value.get<std::string>(), text) << name;
            } else {
                EXPECT_EQ(value.get<double>(), std::strtod(text.c_str(), nullptr)) << name;
            }
        }
    }
    EXPECT_EQ(lines[0].substr(0, lines[0].find(',')), "{\"id\":\"q\\\"1\"");
    const auto rejected = nlohmann::json::parse(lines[1]);
    EXPECT_EQ(rejected.at("id"), "caf\xC3\xA9\xEF\xBF\xBD") << "a byte that is not UTF-8 becomes U+FFFD";
    EXPECT_EQ(rejected.at("error"),
              "INPUT ERROR (  VOCABULARY subtest scaled score:  0.000  ) The valid range "
              "for Wechsler subtest scaled scores is 1 to 19 ");
    EXPECT_TRUE(rejected.at("vc_score").is_null());
    EXPECT_EQ(nlohmann::json::parse(lines[2]).at("vc_ps_bonferroni_significant"), true);
}

TEST_F(BatchScoring, AnUnusableHeaderIsAUsageErrorBeforeAnyOutput) {
    struct Case {
        std::string input;
        std::vector<std::string> args;
        std::string err;
    };
    const std::vector<Case> cases = {
        {"id,vocabulary\n1,10\n",
         {"--format", "csv"},
         "kalden-report: standard input: the header lacks the score column(s) digit_symbol, similarities, "
         "block_design, arithmetic, digit_span, matrix_reasoning\n"},
        {"\n\n", {}, "kalden-report: standard input is empty: it needs a header row naming the columns\n"},
        {ScoreHeader + ",Notes,notes\n",
         {"--format", "json"},
         "kalden-report: standard input: the header names column notes twice\n"},
    };
    for (const Case& c : cases) {
        const Outcome got = runBatchOn(c.input, c.args);
        EXPECT_EQ(got.status, ExitUsage) << c.input;
        EXPECT_EQ(got.out, "") << c.input;
        EXPECT_EQ(got.err, c.err) << c.input;
    }
}

TEST_F(BatchScoring, CommandLineMisuseIsRejected) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--format", "csv", "10", "10", "10", "10", "10", "10", "10"}, "--format applies to --batch only"},
        {{"--batch", "-", "10"}, "--batch takes the scores from FILE, not from the command line ('10')"},
        {{"--batch", "-", "--format", "xml"}, "--format must be text, csv or json, not 'xml'"},
        {{"--batch="}, "--batch needs a file name (- for standard input)"},
    };
    for (const auto& [args, problem] : cases) {
        std::istringstream in;
        std::ostringstream out, err;
        EXPECT_EQ(run(args, in, out, err), ExitUsage) << problem;
        EXPECT_EQ(err.str().substr(0, err.str().find('\n')), "kalden-report: " + problem);
        EXPECT_EQ(out.str(), "");
    }
}

TEST_F(BatchScoring, TooManyStepsIsReportedWithTheRowThatCausedIt) {
    // A Digit Symbol of 7.6480432 puts the PS upper limit at exactly 100.
    const Outcome got = runBatchOn(ScoreHeader + "\nfirst,10,10,10,10,10,10,10\nedge,10,7.6480432,10,10,10,10,10\n",
                                   {"--format", "csv"});
    EXPECT_EQ(got.status, ExitOk);
    EXPECT_EQ(got.err, "kalden-report: row 2 (line 3), id \"edge\": Too many steps\n");
}

class BatchFiles : public BatchScoring {
protected:
    void SetUp() override {
        BatchScoring::SetUp();
        static int serial = 0;
        dir_ = fs::temp_directory_path() /
               ("kalden-batch-" + std::to_string(std::random_device{}()) + "-" + std::to_string(serial++));
        ASSERT_TRUE(fs::create_directory(dir_)) << dir_;
    }
    void TearDown() override {
        fs::remove_all(dir_);
        BatchScoring::TearDown();
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    static void put(const std::string& file, const std::string& content) {
        std::ofstream(file, std::ios::binary) << content;
    }
    static std::string get(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::size_t entries() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {})); }
    fs::path dir_;
};

TEST_F(BatchFiles, OutputFileIsReplacedOnlyWhenCompleteAndTextLinesEndInCrLf) {
    put(path("in.csv"), ScoreHeader + "\na,12,7,11,9,8,10,13\n");
    put(path("out.txt"), "old");
    ::chmod(path("out.txt").c_str(), 0600);
    std::istringstream none;
    std::ostringstream out, err;
    EXPECT_EQ(run({"--batch", path("in.csv"), "--output", path("out.txt")}, none, out, err), ExitOk) << err.str();
    ReportLines expected;
    appendReportOf(expected, mixedCase());
    EXPECT_EQ(get(path("out.txt")), joinCrLf(expected));
#ifndef _WIN32
    EXPECT_EQ(fs::status(path("out.txt")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
#endif
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(entries(), 2u) << "no temporary file left";

    put(path("bad.csv"), "vocabulary\n10\n");
    EXPECT_EQ(run({"--batch", path("bad.csv"), "--output", path("out.txt")}, none, out, err), ExitUsage);
    EXPECT_EQ(get(path("out.txt")), joinCrLf(expected)) << "an unusable header leaves the old file alone";
    EXPECT_EQ(entries(), 3u);
}

TEST_F(BatchFiles, UnreadableInputAndUnwritableOutputHaveTheirOwnStatuses) {
    std::istringstream none;
    std::ostringstream out, err;
    EXPECT_EQ(run({"--batch", path("missing.csv")}, none, out, err), ExitNoInput);
    EXPECT_EQ(err.str(), "kalden-report: cannot read " + path("missing.csv") + ": No such file or directory\n");
    EXPECT_EQ(run({"--batch", dir_.string()}, none, out, err), ExitNoInput) << "a folder is no batch file";

    put(path("in.csv"), ScoreHeader + "\na,12,7,11,9,8,10,13\n");
    err.str("");
    EXPECT_EQ(run({"--batch", path("in.csv"), "--output", path("no/such/out.csv")}, none, out, err), ExitWriteFailed);
#ifdef _WIN32
    const std::string missingFolder = systemErrorText(ERROR_PATH_NOT_FOUND);
#else
    const std::string missingFolder = std::strerror(ENOENT);
#endif
    EXPECT_EQ(err.str(), "kalden-report: cannot write " + path("no/such/out.csv") + ": " + missingFolder + "\n");
}

TEST_F(BatchFiles, AnAbandonedReplacementLeavesTheOldFileAndNoTemporaryFile) {
    put(path("keep.txt"), "old");
    {
        FileReplacement replacement;
        std::string error;
        ASSERT_TRUE(replacement.open(path("keep.txt"), error)) << error;
        ASSERT_TRUE(replacement.write(std::string(200000, 'x')));
        EXPECT_EQ(get(path("keep.txt")), "old");
    }
    EXPECT_EQ(get(path("keep.txt")), "old");
    EXPECT_EQ(entries(), 1u);

    FileReplacement replacement;
    std::string error;
    ASSERT_TRUE(replacement.open(path("keep.txt"), error));
    ASSERT_TRUE(replacement.write("a"));
    ASSERT_TRUE(replacement.write(std::string(100000, 'b')));
    ASSERT_TRUE(replacement.write("c"));
    ASSERT_TRUE(replacement.commit(error)) << error;
    EXPECT_EQ(get(path("keep.txt")), "a" + std::string(100000, 'b') + "c");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(BatchFiles, AnOutputThatIsTheBatchFileItselfIsRefusedWithTheCasesIntact) {
    const std::string cases = ScoreHeader + "\na,12,7,11,9,8,10,13\n";
    put(path("in.csv"), cases);
    std::vector<std::string> spellings = {path("in.csv"), (dir_ / "." / "in.csv").string()};
#ifndef _WIN32
    fs::create_symlink("in.csv", dir_ / "link.csv");
    spellings.push_back(path("link.csv"));
#endif
    for (const std::string& output : spellings) {
        SCOPED_TRACE(output);
        std::istringstream none;
        std::ostringstream out, err;
        EXPECT_EQ(run({"--batch", path("in.csv"), "--output", output}, none, out, err), ExitUsage);
        EXPECT_EQ(err.str(), "kalden-report: " + output +
                                 " is the batch file itself; writing the results there would destroy the cases\n");
        EXPECT_EQ(get(path("in.csv")), cases);
    }
}

// A text cell a spreadsheet would run as a formula is written as text; the
// numbers the program writes itself, negative ones included, are not touched.
TEST_F(BatchScoring, CsvTextCellsThatLookLikeFormulasAreWrittenAsText) {
    struct Row {
        std::string id;    // as the batch file holds it (quoted where needed)
        std::string shown; // the csv output's first cell
    };
    const Row rows[] = {
        {"\"=HYPERLINK(\"\"x\"\")\"", "\"'=HYPERLINK(\"\"x\"\")\""},
        {"+1", "\"'+1\""},
        {"-2", "\"'-2\""},
        {"@SUM(A1)", "\"'@SUM(A1)\""},
        {"\"\tx\"", "\"'\tx\""},
        {"\"\rx\"", "\"'\rx\""},
        {"\"a\rb\"", "\"a\rb\""},
        {"a-b", "a-b"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        const Outcome r = runBatchOn(ScoreHeader + "\n" + row.id + ",5,10,5,15,10,10,15\n", {"--format", "csv"});
        ASSERT_EQ(r.status, ExitOk) << r.err;
        const std::string line = r.out.substr(r.out.find("\r\n") + 2);
        EXPECT_EQ(line.substr(0, row.shown.size() + 1), row.shown + ",");
        EXPECT_NE(line.find(",-54.601026648280595,"), std::string::npos) << "a number stays a number";
    }
}

TEST_F(BatchScoring, ControlCharactersInEchoedTextsAreEscapedOnStandardError) {
    const Outcome r = runBatchOn(ScoreHeader + "\n\"\x1b]0;owned\a\x1b[2J\",12,7,11,9,8,10,\n", {});
    EXPECT_EQ(r.status, ExitInputRejected);
    EXPECT_EQ(r.err,
              "kalden-report: row 1 (line 2), id \"\\x1b]0;owned\\x07\\x1b[2J\": INPUT ERROR  (  MATRIX REASONING "
              "subtest scaled score:  )  Data have not been entered in this field.\n"
              "kalden-report: 1 of 1 row rejected\n");
}
