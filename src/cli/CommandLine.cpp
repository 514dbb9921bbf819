#include "cli/CommandLine.h"

#include <algorithm>
#include <iostream>
#include <ostream>

#include "cli/BatchCommand.h"
#include "cli/OptionNames.h"
#include "report/ReportComposer.h"
#include "report/TextFile.h"
#include "worksheet/InputValidation.h"
#include "scoring/MessageService.h"

namespace kalden::cli {

namespace {

// Warnings go to stderr; a carriage return in a message becomes a line break.
class StderrMessages : public MessageService {
public:
    explicit StderrMessages(std::ostream& err) : err_(err) {}
    void warn(const std::string& text) override {
        std::string shown = text;
        std::replace(shown.begin(), shown.end(), CR, '\n');
        err_ << shown << '\n';
    }
    void beep() override {}

private:
    std::ostream& err_;
};

bool parseFormat(const std::string& v, BatchFormat& out) {
    if (v == "text") out = BatchFormat::Text;
    else if (v == "csv") out = BatchFormat::Csv;
    else if (v == "json") out = BatchFormat::Json;
    else return false;
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
           "       kalden-report --batch FILE [--format text|csv|json] [the options above]\n"
           "\n"
           "Scores every row of the CSV file FILE (\"-\" for standard input). Its header names the\n"
           "columns vocabulary, digit_symbol, similarities, block_design, arithmetic, digit_span and\n"
           "matrix_reasoning, and optionally id, ci, basis, bonferroni, criterion and notes; the options\n"
           "above apply to rows that leave an option column empty. Prints every report (text), or one\n"
           "line of computed values per row (csv, json).\n"
           "Exit status: 0 every row scored, 1 the output could not be written, 2 a row was rejected\n"
           "(its place kept in the output), 64 usage error or unusable header, 66 FILE cannot be read.\n";
}

std::optional<Arguments> parseArguments(const std::vector<std::string>& args, std::string& problem) {
    Arguments a;
    bool optionsEnded = false;
    bool formatGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            // Anything not starting with "--" is a field text, "-5" included.
            a.fieldTexts.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> value;
        if (const auto eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        auto takeValue = [&]() -> std::optional<std::string> {
            if (value) return value;
            if (i + 1 >= args.size()) {
                problem = "option " + name + " needs a value";
                return std::nullopt;
            }
            return args[++i];
        };
        auto noValue = [&]() {
            if (value) {
                problem = "option " + name + " takes no value";
                return false;
            }
            return true;
        };
        if (name == "--help") {
            if (!noValue()) return std::nullopt;
            a.help = true;
        } else if (name == "--bonferroni") {
            if (!noValue()) return std::nullopt;
            a.options.sequentialBonferroni = true;
        } else if (name == "--ci") {
            auto v = takeValue();
            if (!v) return std::nullopt;
            if (!parseConfidenceName(*v, a.options.confidenceMethod)) {
                problem = "--ci must be " + ConfidenceNames + ", not '" + *v + "'";
                return std::nullopt;
            }
        } else if (name == "--basis") {
            auto v = takeValue();
            if (!v) return std::nullopt;
            if (!parseBasisName(*v, a.options.differenceBasis)) {
                problem = "--basis must be " + BasisNames + ", not '" + *v + "'";
                return std::nullopt;
            }
        } else if (name == "--criterion") {
            auto v = takeValue();
            if (!v) return std::nullopt;
            if (!parseCriterionName(*v, a.options.abnormalityCriterion)) {
                problem = "--criterion must be " + CriterionNames + ", not '" + *v + "'";
                return std::nullopt;
            }
        } else if (name == "--note") {
            auto v = takeValue();
            if (!v) return std::nullopt;
            a.notes.push_back(*v);
        } else if (name == "--output") {
            auto v = takeValue();
            if (!v) return std::nullopt;
            if (v->empty()) {
                problem = "--output needs a file name";
                return std::nullopt;
            }
            a.output = *v;
        } else if (name == "--batch") {
            auto v = takeValue();
            if (!v) return std::nullopt;
            if (v->empty()) {
                problem = "--batch needs a file name (- for standard input)";
                return std::nullopt;
            }
            a.batch = *v;
        } else if (name == "--format") {
            auto v = takeValue();
            if (!v) return std::nullopt;
            if (!parseFormat(*v, a.format)) {
                problem = "--format must be text, csv or json, not '" + *v + "'";
                return std::nullopt;
            }
            formatGiven = true;
        } else {
            problem = "unknown option " + name;
            return std::nullopt;
        }
    }
    if (a.help) return a;
    if (a.batch) {
        if (!a.fieldTexts.empty()) {
            problem = "--batch takes the scores from FILE, not from the command line ('" + a.fieldTexts.front() + "')";
            return std::nullopt;
        }
        return a;
    }
    if (formatGiven) {
        problem = "--format applies to --batch only";
        return std::nullopt;
    }
    if (a.fieldTexts.size() != 7) {
        problem = "expected the seven scaled scores VOC DSYM SIM BD AR DS MR, got " +
                  std::to_string(a.fieldTexts.size());
        return std::nullopt;
    }
    return a;
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
        err << "kalden-report: " << problem << "\n\n" << usageText();
        return ExitUsage;
    }
    if (a->help) {
        out << usageText();
        return ExitOk;
    }
    if (a->batch) return runBatch(BatchSettings{*a->batch, a->format, {a->options, a->notes}, a->output}, in, out, err);

    StderrMessages messages(err);
    TextInputFields fields;
    for (int k = 0; k < 7; ++k) fields.texts[k] = a->fieldTexts[static_cast<std::size_t>(k)];
    fields.chosen = a->options;
    const std::optional<InputRecord> record = readInputRecord(fields, 7, messages);
    if (!record) return ExitInputRejected;

    ReportContext context;
    context.notes = a->notes;
    ReportLines report;
    computeAndCompose(report, *record, context, messages);

    if (a->output) {
        std::string error;
        if (!writeFileReplacing(*a->output, joinCrLf(report), error)) {
            err << "kalden-report: cannot write " << *a->output << ": " << error << '\n';
            return ExitWriteFailed;
        }
        return ExitOk;
    }
    for (const std::string& line : report) out << line << '\n';
    out.flush();
    return out ? ExitOk : ExitWriteFailed;
}

} // namespace kalden::cli
