#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "cli/CommandLine.h"
#include "format/NumberFormat.h"
#include "support/CliRun.h"

using namespace kalden;
namespace fs = std::filesystem;

namespace {

using kalden::testing::CliRun;
using kalden::testing::readFile;
using kalden::testing::runReport;

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override { setDecimalSeparator('.'); }
};

// Whole reports, kept as files and reviewed against the worked values.
struct GoldenCase {
    const char* file;
    std::vector<std::string> args;
};

using GoldenReports = ReportTest;

TEST_F(GoldenReports, EveryWorkedCasePrintsItsReportExactly) {
    const GoldenCase cases[] = {
        {"mixed_traditional95", {"12", "7", "11", "9", "8", "10", "13"}},
        {"mixed_traditional90", {"--ci", "traditional90", "12", "7", "11", "9", "8", "10", "13"}},
        {"mixed_glutting95_true_bonferroni",
         {"--ci", "glutting95", "--basis", "true", "--bonferroni", "--criterion", "15", "12", "7", "11", "9", "8", "10",
          "13"}},
        {"mixed_glutting90_true", {"--ci", "glutting90", "--basis", "true", "12", "7", "11", "9", "8", "10", "13"}},
        {"all_tens_bonferroni_notes",
         {"--bonferroni", "--note", "Referred for review", "--note", "", "--note", "second sitting", "10", "10", "10",
          "10", "10", "10", "10"}},
        {"all_ones_criterion10", {"--criterion", "10", "1", "1", "1", "1", "1", "1", "1"}},
        {"all_nineteens_glutting95", {"--ci", "glutting95", "19", "19", "19", "19", "19", "19", "19"}},
        {"split_profile_criterion15", {"--criterion", "15", "15", "4", "15", "5", "10", "10", "5"}},
        {"all_significant_bonferroni", {"--bonferroni", "19", "1", "19", "13", "7", "7", "13"}},
        {"half_point_digit_symbol", {"10", "10.5", "10", "10", "10", "10", "10"}},
    };
    for (const GoldenCase& c : cases) {
        const CliRun r = runReport(c.args);
        EXPECT_EQ(r.status, 0) << c.file;
        EXPECT_EQ(r.err, "") << c.file;
        const auto expected = splitLines(readFile(fs::path(KALDEN_GOLDEN_DIR) / (std::string(c.file) + ".txt")));
        const auto actual = splitLines(r.out);
        ASSERT_EQ(actual.size(), expected.size()) << c.file;
        for (std::size_t i = 0; i < actual.size(); ++i)
            EXPECT_EQ(actual[i], expected[i]) << c.file << ", line " << i + 1;
    }
}

TEST_F(GoldenReports, ProfileDistanceLinesOfTheWorkedCases) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"10", "10", "10", "10", "10", "10", "10"}, " Chi-square = 0.000,  p value = 1.00000"},
        {{"12", "7", "11", "9", "8", "10", "13"}, " Chi-square = 2.924,  p value = 0.57055"},
        {{"1", "1", "1", "1", "1", "1", "1"}, " Chi-square = 16.308,  p value = 0.00263"},
        {{"15", "4", "15", "5", "10", "10", "5"}, " Chi-square = 22.947,  p value = 0.00013"},
    };
    for (const auto& [args, last] : cases) {
        const auto lines = splitLines(runReport(args).out);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines.back(), last);
        EXPECT_EQ(lines[lines.size() - 2],
                  " MAHALANOBIS DISTANCE Index of the overall abnormality of the case's Index score profile: ");
    }
}

// The fixed frame of a report for every combination of options: each line
// that does not carry a computed number is checked exactly, each line that
// does against the shape of its row.
struct Combination {
    std::string ci;
    std::string basis;
    bool bonferroni;
    std::string criterion;
};

std::vector<std::string> expectedFrame(const Combination& c) {
    const bool traditional = c.ci.rfind("traditional", 0) == 0;
    const std::string level = c.ci.substr(c.ci.size() - 2);
    std::vector<std::string> f = {
        "",
        "KALDEN.EXE: Scoring and analysis of an Index-based WAIS-III short-form",
        "",
        "THIS PROGRAM IMPLEMENTS METHODS DEVELOPED IN THE FOLLOWING PAPER:",
        "~citation",
        "~citation",
        "~citation",
        "",
        " INPUTS:",
        "~ VOCABULARY subtest scaled score=        [ 0-9]{6}",
        "~ DIGIT SYMBOL subtest scaled score=      [ 0-9]{6}",
        "~ SIMILARITIES subtest scaled score=      [ 0-9]{6}",
        "~ BLOCK DESIGN subtest scaled score=      [ 0-9]{6}",
        "~ ARITHMETIC subtest scaled score=        [ 0-9]{6}",
        "~ DIGIT SPAN subtest scaled score=        [ 0-9]{6}",
        "~ MATRIX REASONING subtest scaled score=  [ 0-9]{6}",
        "",
        " Note: " + level + "% Confidence limits using the " + (traditional ? "traditional" : "Glutting") +
            " method were selected",
        c.basis == "observed"
            ? " Note: Analysis of reliability of differences between Indices is based on OBSERVED scores"
            : " Note: Analysis of reliability of differences between Indices is based on estimated TRUE scores",
        c.bonferroni ? " Note: Sequential Bonferroni correction IS applied when testing for reliable differences"
                     : " Note: Sequential Bonferroni correction IS NOT applied when testing for reliable differences",
        " Note: An abnormally low score (& abnormally large difference) is defined as being exhibited by less",
        "       than " + c.criterion + "% of population",
        "",
        "",
        "",
        " OUTPUTS:",
        "",
    };
    const std::string indexRule = " " + std::string(traditional ? 99 : 98, '_');
    f.push_back(
        traditional
            ? " Short-Form Index scores plus confidence limits (scores are also expressed as a percentile plus CIs):"
            : " Short-Form Index scores plus confidence limits (scores are also expressed as a percentile):");
    f.push_back(indexRule);
    f.push_back("~  Index                       Score  \\(.*");
    f.push_back(indexRule);
    f.push_back("");
    const std::string row =
        traditional
            ? ": [-0-9 ]{6}      \\( [ 0-9]{3} to [ 0-9]{3} \\)    [ .0-9]{13}      \\([ .0-9]{6} to [ .0-9]{6} \\)"
            : ": [-0-9 ]{6}      \\( [ 0-9]{3} to [ 0-9]{3} \\)    [ .0-9]{13}      ?";
    for (const char* name : {"  Verbal Comprehension    ", "  Perceptual Organization ", "  Working Memory          ",
                             "  Processing Speed        "})
        f.push_back("~" + std::string(name) + row);
    f.push_back("");
    f.push_back("~  Full Scale IQ           " + row);
    f.push_back(" " + std::string(99, '_'));
    f.push_back("~ NUMBER of case's Index scores classified as abnormally low =  [0-4]");
    f.push_back(" PERCENTAGE of normal population expected to exhibit this number or more of abnormally low scores:");
    f.push_back("~ Percentage = [0-9]+\\.[0-9]{2}%");
    f.insert(f.end(), {"", "", ""});

    const bool trueScores = c.basis == "true";
    int opening = 100, closing = 100;
    std::string heading = trueScores ? " RELIABLITY of differences between true scores for Short-Form Indices"
                                     : " RELIABLITY of differences between Short-Form Indices";
    heading += c.bonferroni ? " after Bonferroni correction:" : ":";
    if (trueScores && !c.bonferroni) opening = 101, closing = 102;
    if (trueScores && c.bonferroni) closing = 101;
    f.push_back(heading);
    f.push_back(" " + std::string(static_cast<std::size_t>(opening), '_'));
    f.push_back(c.bonferroni ? " Index Pair          Difference              Bonferroni p"
                             : " Index Pair           Difference          Two-tailed p          One-tailed p");
    f.push_back(" " + std::string(static_cast<std::size_t>(opening), '_'));
    if (trueScores && c.bonferroni) f.push_back("");
    const char* labels[] = {"VC versus PO", "VC versus WM", "VC versus PS",
                            "PO versus WM", "PO versus PS", "WM versus PS"};
    const char* tails[] = {"   ", " ", "  ", " ", "  ", " "};
    for (int i = 0; i < 6; ++i) {
        if (c.bonferroni)
            f.push_back("~ " + std::string(labels[i]) + "        [-0-9 ]{5}                      (p < \\.05|not sig)" +
                        tails[i]);
        else
            f.push_back("~ " + std::string(labels[i]) +
                        "          [-0-9 ]{5}                [ .0-9]{6}               [ .0-9]{6}");
        if (i == 2 || i == 4) f.push_back("");
    }
    f.push_back(" " + std::string(static_cast<std::size_t>(closing), '_'));
    f.insert(f.end(), {"", "", ""});
    f.push_back(" ABNORMALITY of differences between Short-Form Indices, i.e., percentage of population estimated to");
    f.push_back(
        " obtain a larger difference in same direction (figure in brackets is percentage regardless of sign ) :");
    f.push_back(" " + std::string(100, '_'));
    f.push_back(" Index Pair           Difference          %age of population        (%age regardless of sign)");
    f.push_back(" " + std::string(100, '_'));
    for (int i = 0; i < 6; ++i) {
        f.push_back("~ " + std::string(labels[i]) +
                    "       [-0-9 ]{5}                    [ .0-9]{6}%                     \\( [ .0-9]{6,7}% \\)");
        if (i == 2 || i == 4) f.push_back("");
    }
    f.push_back(" " + std::string(100, '_'));
    f.push_back(
        "~ NUMBER of case's pairwise differences \\(regardless of sign\\) that meet criterion for abnormality =  [0-6] ");
    f.push_back(
        "~ PERCENTAGE of normal population expected to exhibit this number or more of abnormal differences=( %100%|[0-9]+\\.[0-9]{2}%)");
    f.push_back("");
    f.push_back(" MAHALANOBIS DISTANCE Index of the overall abnormality of the case's Index score profile: ");
    f.push_back("~ Chi-square = [0-9]+\\.[0-9]{3},  p value = [01]\\.[0-9]{5}");
    return f;
}

using ReportFrame = ReportTest;

TEST_F(ReportFrame, EveryOptionCombinationHasTheFixedLinesInPlace) {
    const std::vector<std::vector<std::string>> inputs = {
        {"10", "10", "10", "10", "10", "10", "10"}, {"12", "7", "11", "9", "8", "10", "13"},
        {"1", "1", "1", "1", "1", "1", "1"},        {"19", "19", "19", "19", "19", "19", "19"},
        {"15", "4", "15", "5", "10", "10", "5"},    {"19", "1", "19", "13", "7", "7", "13"},
        {"1", "19", "1", "19", "1", "19", "1"},     {"10.5", "3.25", "17", "2", "18.75", "6", "11"},
    };
    int reports = 0;
    for (const std::string ci : {"traditional95", "traditional90", "glutting95", "glutting90"})
        for (const std::string basis : {"observed", "true"})
            for (const bool bonferroni : {false, true})
                for (const std::string criterion : {"5", "10", "15"}) {
                    const Combination c{ci, basis, bonferroni, criterion};
                    const auto frame = expectedFrame(c);
                    for (const auto& scores : inputs) {
                        std::vector<std::string> args = {"--ci", ci, "--basis", basis, "--criterion", criterion};
                        if (bonferroni) args.push_back("--bonferroni");
                        args.insert(args.end(), scores.begin(), scores.end());
                        const CliRun r = runReport(args);
                        ASSERT_EQ(r.status, 0);
                        const auto lines = splitLines(r.out);
                        const std::string where = ci + " " + basis + (bonferroni ? " bonferroni " : " ") + criterion +
                                                  "% scores " + scores[0] + "," + scores[1] + ",...";
                        ASSERT_EQ(lines.size(), frame.size()) << where;
                        for (std::size_t i = 0; i < frame.size(); ++i) {
                            if (frame[i] == "~citation") continue;
                            if (!frame[i].empty() && frame[i][0] == '~')
                                EXPECT_TRUE(std::regex_match(lines[i], std::regex(frame[i].substr(1))))
                                    << where << ", line " << i + 1 << ": '" << lines[i] << "'";
                            else
                                EXPECT_EQ(lines[i], frame[i]) << where << ", line " << i + 1;
                        }
                        ++reports;
                    }
                }
    EXPECT_EQ(reports, 48 * 8);
}

using CommandLineErrors = ReportTest;

TEST_F(CommandLineErrors, RejectedFieldGivesItsMessageAndStatusTwo) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"10", "", "10", "10", "10", "10", "10"},
         "INPUT ERROR\n\n(  DIGIT SYMBOL subtest scaled score:  )\n\nData have not been entered in this field.\n"},
        {{"10", "10", "1.5.", "10", "10", "10", "10"},
         "INPUT ERROR\n(  SIMILARITIES subtest scaled score:  1.5.  )\n\nEnter numeric data only.\n"},
        {{"10", "10", "10", "10", "10", "10", "-5"},
         "INPUT ERROR\n(  MATRIX REASONING subtest scaled score:  -5.000  )\nThe valid range for Wechsler subtest scaled "
         "scores is 1 to 19 \n"},
        {{"--", "25", "x", "10", "10", "10", "10", "10"},
         "INPUT ERROR\n(  VOCABULARY subtest scaled score:  25.000  )\nThe valid range for Wechsler subtest scaled scores "
         "is 1 to 19 \n"},
    };
    for (const auto& [args, message] : cases) {
        const CliRun r = runReport(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, message);
    }
}

TEST_F(CommandLineErrors, UsageProblemsNameTheProblemAndPrintTheUsage) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--ci", "traditional80", "1", "1", "1", "1", "1", "1", "1"},
         "--ci must be traditional95, traditional90, glutting95 or glutting90, not 'traditional80'"},
        {{"--basis"}, "option --basis needs a value"},
        {{"--frobnicate", "1", "1", "1", "1", "1", "1", "1"}, "unknown option --frobnicate"},
        {{"1", "1", "1"}, "expected the seven scaled scores VOC DSYM SIM BD AR DS MR, got 3"},
        {{"--criterion=20", "1", "1", "1", "1", "1", "1", "1"}, "--criterion must be 5, 10 or 15, not '20'"},
        {{"--bonferroni=yes", "1", "1", "1", "1", "1", "1", "1"}, "option --bonferroni takes no value"},
    };
    for (const auto& [args, problem] : cases) {
        const CliRun r = runReport(args);
        EXPECT_EQ(r.status, 64) << problem;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "kalden-report: " + problem + "\n\n" + cli::usageText());
    }
    const CliRun help = runReport({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, cli::usageText());
}

TEST_F(CommandLineErrors, NegativeFieldTextsAreScoresNotOptions) {
    const CliRun r = runReport({"-3", "10", "10", "10", "10", "10", "10"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("-3.000"), std::string::npos);
}

TEST_F(ReportTest, OutputFileHoldsTheReportWithCrLfAndNothingGoesToStdout) {
    const fs::path dir = fs::temp_directory_path() / ("kalden-cli-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path file = dir / "report.txt";
    {
        std::ofstream old(file, std::ios::binary);
        old << "an older, longer report that must be replaced, not extended\r\n";
    }
    const CliRun r = runReport({"--output", file.string(), "12", "7", "11", "9", "8", "10", "13"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    const CliRun shown = runReport({"12", "7", "11", "9", "8", "10", "13"});
    std::string crlf;
    for (const std::string& line : splitLines(shown.out)) crlf += line + "\r\n";
    EXPECT_EQ(readFile(file), crlf);
    fs::remove_all(dir);
}

TEST_F(ReportTest, DecimalSeparatorOfTheLocaleIsUsedInTheReport) {
    setDecimalSeparator(',');
    const auto lines = splitLines(runReport({"12", "7", "11", "9", "8", "10", "13"}).out);
    setDecimalSeparator('.');
    EXPECT_EQ(lines.back(), " Chi-square = 2,924,  p value = 0,57055");
}

TEST_F(ReportTest, ANoteIsSplitIntoLinesWhateverItsLineEnds) {
    const fs::path dir = fs::temp_directory_path() / ("kalden-note-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path file = dir / "note.txt";
    const CliRun r = runReport(
        {"--note", "first\nsecond\rthird\r\nfourth", "--output", file.string(), "12", "7", "11", "9", "8", "10", "13"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string report = readFile(file);
    const std::string indent(15, ' ');
    EXPECT_NE(report.find(" User's Notes: first\r\n" + indent + "second\r\n" + indent + "third\r\n" + indent +
                          "fourth\r\n"),
              std::string::npos);
    std::size_t bare = 0;
    for (std::size_t i = 0; i < report.size(); ++i)
        if ((report[i] == '\r') != (i + 1 < report.size() && report[i + 1] == '\n') ||
            (report[i] == '\n' && (i == 0 || report[i - 1] != '\r')))
            ++bare;
    EXPECT_EQ(bare, 0u) << "every line ends in CR LF";
    fs::remove_all(dir);
}

} // namespace
