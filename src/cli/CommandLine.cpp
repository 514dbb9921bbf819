#include "cli/CommandLine.h"

#include <algorithm>
#include <ostream>

#include "report/ReportComposer.h"
#include "report/TextFile.h"
#include "worksheet/InputValidation.h"
#include "worksheet/MessageService.h"

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

bool parseConfidence(const std::string& v, ConfidenceMethod& out) {
    if (v == "traditional95") out = ConfidenceMethod::Traditional95;
    else if (v == "traditional90") out = ConfidenceMethod::Traditional90;
    else if (v == "glutting95") out = ConfidenceMethod::Glutting95;
    else if (v == "glutting90") out = ConfidenceMethod::Glutting90;
    else return false;
    return true;
}

bool parseBasis(const std::string& v, DifferenceBasis& out) {
    if (v == "observed") out = DifferenceBasis::Observed;
    else if (v == "true") out = DifferenceBasis::EstimatedTrue;
    else return false;
    return true;
}

bool parseCriterion(const std::string& v, AbnormalityCriterion& out) {
    if (v == "5") out = AbnormalityCriterion::Percent5;
    else if (v == "10") out = AbnormalityCriterion::Percent10;
    else if (v == "15") out = AbnormalityCriterion::Percent15;
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
           "64 usage error.\n";
}

std::optional<Arguments> parseArguments(const std::vector<std::string>& args, std::string& problem) {
    Arguments a;
    bool optionsEnded = false;
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
            if (!parseConfidence(*v, a.options.confidenceMethod)) {
                problem = "--ci must be traditional95, traditional90, glutting95 or glutting90, not '" + *v + "'";
                return std::nullopt;
            }
        } else if (name == "--basis") {
            auto v = takeValue();
            if (!v) return std::nullopt;
            if (!parseBasis(*v, a.options.differenceBasis)) {
                problem = "--basis must be observed or true, not '" + *v + "'";
                return std::nullopt;
            }
        } else if (name == "--criterion") {
            auto v = takeValue();
            if (!v) return std::nullopt;
            if (!parseCriterion(*v, a.options.abnormalityCriterion)) {
                problem = "--criterion must be 5, 10 or 15, not '" + *v + "'";
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
        } else {
            problem = "unknown option " + name;
            return std::nullopt;
        }
    }
    if (!a.help && a.fieldTexts.size() != 7) {
        problem = "expected the seven scaled scores VOC DSYM SIM BD AR DS MR, got " +
                  std::to_string(a.fieldTexts.size());
        return std::nullopt;
    }
    return a;
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
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
