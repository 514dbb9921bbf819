#include "cli/CommandLine.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <iostream>
#include <iterator>
#include <ostream>

#include "batch/BatchInput.h"
#include "cli/BatchCommand.h"
#include "cli/BatchPipeline.h"
#include "cli/ErrorText.h"
#include "files/TextFile.h"
#include "report/ScoreCase.h"
#include "worksheet/OptionNames.h"
#include "worksheet/TextAreaLines.h"

namespace kalden::cli {

namespace {

bool parseFormat(const std::string& v, BatchFormat& out) {
    if (v == "text")
        out = BatchFormat::Text;
    else if (v == "csv")
        out = BatchFormat::Csv;
    else if (v == "json")
        out = BatchFormat::Json;
    else
        return false;
    return true;
}

} // namespace

std::string usageText() {
    return "usage: kalden-report [--ci traditional95|traditional90|glutting95|glutting90] [--basis observed|true]\n"
           "                     [--bonferroni] [--criterion 5|10|15] [--note TEXT]... [--output FILE] [--]\n"
           "                     VOC DSYM SIM BD AR DS MR\n"
           "\n"
           "Scores one case: the seven subtest scaled scores (Vocabulary, Digit Symbol, Similarities,\n"
           "Block Design, Arithmetic, Digit Span, Matrix Reasoning) as typed into the worksheet, and\n"
           "prints the report. With --output the report is saved to FILE (lines end in CR LF).\n"
           "Exit status: 0 done, 1 the output file could not be written, 2 a score was rejected,\n"
           "64 usage error.\n"
           "\n"
           "       kalden-report --batch FILE [--format text|csv|json] [--jobs N] [the options above]\n"
           "\n"
           "Scores every row of the CSV file FILE (\"-\" for standard input). Its header names the\n"
           "columns vocabulary, digit_symbol, similarities, block_design, arithmetic, digit_span and\n"
           "matrix_reasoning, and optionally id, ci, basis, bonferroni, criterion and notes; the options\n"
           "above apply to rows that leave an option column empty. Prints every report (text), or one\n"
           "line of computed values per row (csv, json). --jobs scores on N threads (default: one per\n"
           "processor); the output is the same for every N.\n"
           "Exit status: 0 every row scored, 1 the output could not be written, 2 a row was rejected\n"
           "(its place kept in the output), 64 usage error or unusable header, 66 FILE cannot be read.\n"
           "\n"
           "       kalden-report --cases list [--since DATE] [--match TEXT] [--format text|csv|json]\n"
           "       kalden-report --cases show ID\n"
           "       kalden-report --cases export [ID]... [--format case-file] [--output FILE]\n"
           "       kalden-report --cases compare ID1 ID2 [--level 95|90] [--practice VC,PO,WM,PS,FSIQ]\n"
           "                     [--practice-source TEXT] [--format text|csv|json] [--case-file FILE]\n"
           "       kalden-report --cases delete ID... [--whole-person]\n"
           "       kalden-report --cases finish-erasure\n"
           "       kalden-report --cases correct ID... [--whole-person] [--person TEXT] [--birth-date DATE]\n"
           "                     [--testing-date DATE] [--examiner TEXT] [--referral TEXT]\n"
           "\n"
           "Reads the case records that kalden keeps (only delete, finish-erasure and correct write them):\n"
           "lists the cases, newest first (computed on or after DATE, YYYY-MM-DD; with TEXT in their notes\n"
           "or person), prints one case's report as it was appended, or writes cases (all when no ID is\n"
           "given) as a CSV file that --batch reads back, or with --format case-file as a case file (the\n"
           "person, session, scores, options, notes and report of each; docs/case-file.md). compare tells whether each Index changed\n"
           "reliably between two cases of one person (reliable change index at 95% or 90%, after the\n"
           "expected practice gains in Index points, from the retest study named by --practice-source);\n"
           "with --case-file it compares the cases at places ID1 and ID2 of a case file instead.\n"
           "--database FILE reads another store than the user's own. delete removes the cases, leaving\n"
           "nothing of them in the file; with --whole-person every case of their persons (however the\n"
           "names were typed), and also the person and session and the last scores that kalden remembers\n"
           "for its next start when they are that person's. finish-erasure finishes a deletion whose text\n"
           "another program reading the records kept in the file. correct sets the fields given on the\n"
           "cases (every case of their persons with --whole-person); the reports stay as computed, and\n"
           "show lists each correction.\n"
           "Exit status: 0 done, 1 the output could not be written, 64 usage error or cases of two\n"
           "persons, 65 no case with that number, 66 the case records cannot be read, 74 they cannot be\n"
           "changed (or what was deleted stays in the file until finish-erasure succeeds).\n"
           "\n"
           "       kalden-report --case-file FILE\n"
           "\n"
           "Prints the reports of the cases in the case file FILE, after checking each one: its scores\n"
           "and session as the worksheet checks them, and its report computed again from its scores.\n"
           "Exit status: 0 done, 1 the output could not be written, 2 the file was refused (the message\n"
           "says where), 64 usage error, 66 FILE cannot be read.\n"
           "\n"
           "       kalden-report --help | --version\n"
           "\n"
           "Prints this help, or the program's version, and exits with status 0.\n";
}

namespace {

bool parseJobs(const std::string& v, unsigned& out) {
    unsigned value = 0;
    const char* const end = v.data() + v.size();
    const auto [stop, error] = std::from_chars(v.data(), end, value);
    if (error != std::errc{} || stop != end || value < 1 || value > MaxJobs) return false;
    out = value;
    return true;
}

// One pass over the arguments: each is a field text, "--" or an option,
// "--name=value" and "--name value" alike.
class ArgumentParser {
public:
    ArgumentParser(const std::vector<std::string>& args, std::string& problem) : args_(args), problem_(problem) {}

    std::optional<Arguments> parse() {
        for (next_ = 0; next_ < args_.size();)
            if (!parseOne(args_[next_++])) return std::nullopt;
        if (!checkCombination()) return std::nullopt;
        return a_;
    }

private:
    using ValueHandler = bool (ArgumentParser::*)(const std::string&);

    bool fail(std::string problem) {
        problem_ = std::move(problem);
        return false;
    }

    bool parseOne(const std::string& arg) {
        if (optionsEnded_ || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            // Anything not starting with "--" is a field text, "-5" included.
            a_.fieldTexts.push_back(arg);
            return true;
        }
        if (arg == "--") {
            optionsEnded_ = true;
            return true;
        }
        const std::size_t eq = arg.find('=');
        name_ = arg.substr(0, eq);
        value_.reset();
        if (eq != std::string::npos) value_ = arg.substr(eq + 1);
        if (name_ == "--help") return flag(a_.help);
        if (name_ == "--bonferroni") return flag(a_.options.sequentialBonferroni);
        if (name_ == "--whole-person") return flag(caseSettings_.wholePerson);
        return valueOption();
    }

    bool flag(bool& target) {
        if (value_) return fail("option " + name_ + " takes no value");
        target = true;
        return true;
    }

    bool valueOption() {
        static const std::pair<std::string_view, ValueHandler> handlers[] = {
            {"--ci", &ArgumentParser::ci},
            {"--basis", &ArgumentParser::basis},
            {"--criterion", &ArgumentParser::criterion},
            {"--note", &ArgumentParser::note},
            {"--output", &ArgumentParser::output},
            {"--batch", &ArgumentParser::batch},
            {"--format", &ArgumentParser::format},
            {"--jobs", &ArgumentParser::jobs},
            {"--cases", &ArgumentParser::cases},
            {"--case-file", &ArgumentParser::caseFile},
            {"--since", &ArgumentParser::since},
            {"--match", &ArgumentParser::match},
            {"--database", &ArgumentParser::database},
            {"--level", &ArgumentParser::level},
            {"--practice", &ArgumentParser::practice},
            {"--practice-source", &ArgumentParser::practiceSource},
            {"--person", &ArgumentParser::corrected<SessionField::Person>},
            {"--birth-date", &ArgumentParser::corrected<SessionField::BirthDate>},
            {"--testing-date", &ArgumentParser::corrected<SessionField::TestingDate>},
            {"--examiner", &ArgumentParser::corrected<SessionField::Examiner>},
            {"--referral", &ArgumentParser::corrected<SessionField::Referral>},
        };
        const auto handler =
            std::find_if(std::begin(handlers), std::end(handlers), [&](const auto& h) { return h.first == name_; });
        if (handler == std::end(handlers)) return fail("unknown option " + name_);
        if (!value_) {
            if (next_ >= args_.size()) return fail("option " + name_ + " needs a value");
            value_ = args_[next_++];
        }
        return (this->*handler->second)(*value_);
    }

    bool ci(const std::string& v) {
        return parseConfidenceName(v, a_.options.confidenceMethod) ||
               fail("--ci must be " + ConfidenceNames + ", not '" + v + "'");
    }
    bool basis(const std::string& v) {
        return parseBasisName(v, a_.options.differenceBasis) ||
               fail("--basis must be " + BasisNames + ", not '" + v + "'");
    }
    bool criterion(const std::string& v) {
        return parseCriterionName(v, a_.options.abnormalityCriterion) ||
               fail("--criterion must be " + CriterionNames + ", not '" + v + "'");
    }
    bool note(const std::string& v) {
        // One report line per line of the note, as the worksheet's notes
        // have them; an empty note is one empty line.
        if (v.empty()) a_.notes.emplace_back();
        for (std::string& line : textAreaLines(v)) a_.notes.push_back(std::move(line));
        return true;
    }
    bool output(const std::string& v) {
        if (v.empty()) return fail("--output needs a file name");
        a_.output = v;
        return true;
    }
    bool batch(const std::string& v) {
        if (v.empty()) return fail("--batch needs a file name (- for standard input)");
        a_.batch = v;
        return true;
    }
    bool format(const std::string& v) {
        if (v == "case-file") {
            caseFileFormat_ = true;
            return true;
        }
        if (!parseFormat(v, a_.format)) return fail("--format must be text, csv or json, not '" + v + "'");
        formatGiven_ = true;
        return true;
    }
    bool jobs(const std::string& v) {
        unsigned count = 0;
        if (!parseJobs(v, count))
            return fail("--jobs must be a whole number from 1 to " + std::to_string(MaxJobs) + ", not '" + v + "'");
        a_.jobs = count;
        return true;
    }

    bool cases(const std::string& v) {
        a_.cases = a_.cases.value_or(CasesSettings{});
        a_.cases->action = v;
        return true;
    }
    bool caseFile(const std::string& v) {
        if (v.empty()) return fail("--case-file needs a file name");
        a_.caseFile = v;
        return true;
    }
    bool since(const std::string& v) {
        caseSettings_.since = v;
        return true;
    }
    bool match(const std::string& v) {
        caseSettings_.match = v;
        return true;
    }
    bool database(const std::string& v) {
        if (v.empty()) return fail("--database needs a file name");
        caseSettings_.database = v;
        return true;
    }

    bool level(const std::string& v) {
        if (v != "95" && v != "90") return fail("--level must be 95 or 90, not '" + v + "'");
        caseSettings_.change.level = v == "95" ? ChangeLevel::Percent95 : ChangeLevel::Percent90;
        changeGiven_ = true;
        return true;
    }
    // Five gains, VC to FSIQ, separated by commas; a blank one is none.
    bool practice(const std::string& v) {
        std::array<double, IndexCount>& points = caseSettings_.change.practice.points;
        std::size_t from = 0;
        for (std::size_t i = 0; i < IndexCount; ++i) {
            const std::size_t comma = v.find(',', from);
            const bool last = i + 1 == IndexCount;
            const std::optional<double> gain = (comma == std::string::npos) == last
                                                   ? practiceGainOf(std::string_view(v).substr(from, comma - from))
                                                   : std::nullopt;
            if (!gain)
                return fail(
                    "--practice takes five gains in Index points from -30 to 30, VC,PO,WM,PS,FSIQ "
                    "(2,3.5,0,1,2 for example), not '" +
                    v + "'");
            points[i] = *gain;
            from = comma + 1;
        }
        changeGiven_ = true;
        return true;
    }
    bool practiceSource(const std::string& v) {
        caseSettings_.change.practice.source = v;
        changeGiven_ = true;
        return true;
    }

    // A field --cases correct sets; the last of one field wins.
    template <SessionField Field>
    bool corrected(const std::string& v) {
        std::vector<SessionChange>& changes = caseSettings_.corrections;
        std::erase_if(changes, [](const SessionChange& c) { return c.field == Field; });
        changes.push_back({Field, v});
        return true;
    }

    // --cases takes the remaining positional arguments as case numbers and
    // shares --format and --output with the batch.
    bool checkCases() {
        CasesSettings& c = *a_.cases;
        c.ids = a_.fieldTexts;
        c.since = caseSettings_.since;
        c.match = caseSettings_.match;
        c.database = caseSettings_.database;
        c.change = caseSettings_.change;
        c.wholePerson = caseSettings_.wholePerson;
        c.corrections = caseSettings_.corrections;
        c.format = a_.format;
        c.caseFile = caseFileFormat_;
        c.output = a_.output;
        if (a_.batch) return fail("--cases and --batch cannot be combined");
        if (a_.caseFile && (c.action != "compare" || c.database))
            return fail("--case-file combines with --cases compare only, in place of --database");
        c.caseFileSource = a_.caseFile;
        if (caseFileFormat_ && c.action != "export") return fail("--format case-file applies to --cases export only");
        if (formatGiven_ && c.action != "list" && c.action != "compare")
            return fail("--format applies to --batch, --cases list and --cases compare only");
        if (changeGiven_ && c.action != "compare")
            return fail("--level, --practice and --practice-source apply to --cases compare only");
        if (a_.jobs) return fail("--jobs applies to --batch only");
        const std::string problem = casesUsageProblem(c);
        return problem.empty() || fail(problem);
    }

    bool checkCombination() {
        if (a_.help) return true;
        if (a_.cases) return checkCases();
        if (caseFileFormat_) return fail("--format case-file applies to --cases export only");
        if (a_.caseFile) return checkCaseFile();
        if (caseSettings_.since || !caseSettings_.match.empty() || caseSettings_.database ||
            caseSettings_.wholePerson || !caseSettings_.corrections.empty())
            return fail(
                "--since, --match, --database, --whole-person and the fields of a correction apply to --cases "
                "only");
        if (changeGiven_) return fail("--level, --practice and --practice-source apply to --cases compare only");
        if (a_.batch) {
            if (!a_.fieldTexts.empty())
                return fail("--batch takes the scores from FILE, not from the command line ('" + a_.fieldTexts.front() +
                            "')");
            return true;
        }
        if (formatGiven_) return fail("--format applies to --batch only");
        if (a_.jobs) return fail("--jobs applies to --batch only");
        if (a_.fieldTexts.size() != 7)
            return fail("expected the seven scaled scores VOC DSYM SIM BD AR DS MR, got " +
                        std::to_string(a_.fieldTexts.size()));
        return true;
    }

    // --case-file stands alone.
    bool checkCaseFile() {
        if (a_.batch) return fail("--case-file and --batch cannot be combined");
        if (!a_.fieldTexts.empty()) return fail("--case-file takes no scores ('" + a_.fieldTexts.front() + "')");
        if (formatGiven_ || a_.output || a_.jobs || !a_.notes.empty() || !(a_.options == Options{}) ||
            caseSettings_.since || !caseSettings_.match.empty() || caseSettings_.database ||
            caseSettings_.wholePerson || !caseSettings_.corrections.empty() || changeGiven_)
            return fail("--case-file takes no other option");
        return true;
    }

    const std::vector<std::string>& args_;
    std::string& problem_;
    std::size_t next_ = 0;
    bool optionsEnded_ = false;
    bool formatGiven_ = false;
    bool caseFileFormat_ = false; // --format case-file
    bool changeGiven_ = false;    // --level, --practice or --practice-source
    std::string name_;
    std::optional<std::string> value_;
    CasesSettings caseSettings_; // --since, --match, --database until --cases is checked
    Arguments a_;
};

} // namespace

std::optional<Arguments> parseArguments(const std::vector<std::string>& args, std::string& problem) {
    return ArgumentParser(args, problem).parse();
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return run(args, std::cin, out, err);
}

int run(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
    if (args.size() == 1 && args[0] == "--version") {
        out << "kalden-report " << KALDEN_VERSION << '\n'; // the build's project version
        return ExitOk;
    }
    std::string problem;
    const std::optional<Arguments> a = parseArguments(args, problem);
    if (!a) {
        err << "kalden-report: " << escapeControls(problem) << "\n\n" << usageText();
        return ExitUsage;
    }
    if (a->help) {
        out << usageText();
        return ExitOk;
    }
    if (a->cases) return runCases(*a->cases, out, err);
    if (a->caseFile) return printCaseFile(*a->caseFile, out, err);
    if (const int refused = refuseCaseStoreTarget(a->output, out, std::nullopt, err); refused != ExitOk) return refused;
    if (a->batch) {
        const unsigned jobs = a->jobs.value_or(availableProcessors());
        return runBatch(BatchSettings{*a->batch, a->format, {a->options, a->notes}, a->output, jobs}, in, out, err);
    }

    TypedCase typed;
    std::copy(a->fieldTexts.begin(), a->fieldTexts.end(), typed.fieldTexts.begin());
    typed.options = a->options;
    typed.notes = a->notes;
    const CaseOutcome outcome = runCase(typed);
    if (outcome.rejection) {
        err << messageText(outcome.rejection->message) << '\n';
        return ExitInputRejected;
    }
    for (const std::string& warning : outcome.scored->warnings()) err << messageText(warning) << '\n';
    const ReportLines& report = outcome.scored->report;

    if (a->output) {
        std::string error;
        if (!writeFileReplacing(*a->output, joinCrLf(report), error)) {
            err << "kalden-report: cannot write " << escapeControls(*a->output) << ": " << error << '\n';
            return ExitWriteFailed;
        }
        return ExitOk;
    }
    std::string text;
    for (const std::string& line : report) text += line + '\n';
    errno = 0;
    out << text << std::flush;
    if (!out) return cannotWriteStandardOutput(errno != 0 ? errno : EIO, err);
    return ExitOk;
}

} // namespace kalden::cli
