#include "report/ReportComposer.h"

#include "format/NumberFormat.h"
#include "report/ResultTables.h"
#include "scoring/DifferenceReliability.h"
#include "scoring/IndexScores.h"
#include "worksheet/InputValidation.h"
#include "worksheet/ProgramConfig.h"

namespace kalden {

namespace {

const char* const InputEchoFormats[7] = {
    " VOCABULARY subtest scaled score=        %6.0f", " DIGIT SYMBOL subtest scaled score=      %6.0f",
    " SIMILARITIES subtest scaled score=      %6.0f", " BLOCK DESIGN subtest scaled score=      %6.0f",
    " ARITHMETIC subtest scaled score=        %6.0f", " DIGIT SPAN subtest scaled score=        %6.0f",
    " MATRIX REASONING subtest scaled score=  %6.0f",
};

} // namespace

const char* confidenceNote(ConfidenceMethod method) {
    switch (method) {
    case ConfidenceMethod::Traditional95:
        return " Note: 95% Confidence limits using the traditional method were selected";
    case ConfidenceMethod::Traditional90:
        return " Note: 90% Confidence limits using the traditional method were selected";
    case ConfidenceMethod::Glutting95: return " Note: 95% Confidence limits using the Glutting method were selected";
    case ConfidenceMethod::Glutting90: return " Note: 90% Confidence limits using the Glutting method were selected";
    }
    return "";
}

namespace {

const char* criterionNote(AbnormalityCriterion criterion) {
    switch (criterion) {
    case AbnormalityCriterion::Percent5: return "       than 5% of population";
    case AbnormalityCriterion::Percent10: return "       than 10% of population";
    case AbnormalityCriterion::Percent15: return "       than 15% of population";
    }
    return "";
}

void writeHeader(ReportLines& report) {
    report.push_back("");
    report.push_back(ProgramTitle);
    report.push_back("");
    report.push_back("THIS PROGRAM IMPLEMENTS METHODS DEVELOPED IN THE FOLLOWING PAPER:");
    for (const std::string& line : CitationLines) report.push_back(line);
    report.push_back("");
}

void writeNotes(const ReportContext& context, ReportLines& report) {
    if (context.notes.empty()) return;
    const std::string lead = " " + context.notesLabel + " ";
    report.push_back(lead + context.notes.front());
    const std::string indent(lead.size(), ' ');
    for (std::size_t i = 1; i < context.notes.size(); ++i) report.push_back(indent + context.notes[i]);
    report.push_back(" ");
}

void writeInputs(const InputRecord& input, ReportLines& report) {
    report.push_back(" INPUTS:");
    for (int k = 1; k <= 7; ++k) report.push_back(formatText(InputEchoFormats[k - 1], {input.score(k)}));
    report.push_back("");
}

void writeOptionNotes(const InputRecord& input, ReportLines& report) {
    report.push_back(confidenceNote(input.confidenceMethod));
    report.push_back(input.differenceBasis == DifferenceBasis::Observed
                         ? " Note: Analysis of reliability of differences between Indices is based on OBSERVED scores"
                         : " Note: Analysis of reliability of differences between Indices is based on estimated TRUE "
                           "scores");
    report.push_back(input.sequentialBonferroni
                         ? " Note: Sequential Bonferroni correction IS applied when testing for reliable differences"
                         : " Note: Sequential Bonferroni correction IS NOT applied when testing for reliable "
                           "differences");
    report.push_back(
        " Note: An abnormally low score (& abnormally large difference) is defined as being exhibited by less");
    report.push_back(criterionNote(input.abnormalityCriterion));
}

void writeGridEcho(const ReportContext& context, ReportLines& report, Warnings& warnings) {
    if (!context.useDataGrid) return;
    const int columns = context.gridColumns;
    report.push_back(std::string(static_cast<std::size_t>(9 * columns / 2), ' ') + context.gridColumnsTitle);
    std::string items = " Item ";
    for (int k = 1; k <= columns; ++k) items += "   " + std::to_string(k) + "    ";
    report.push_back(items);
    std::string underline = "         _";
    for (int k = 1; k <= columns; ++k) underline += "_______";
    report.push_back(underline);
    for (int row = 0; row < context.gridRows; ++row) {
        std::string line = "  " + std::to_string(row) + ":";
        for (int column = 1; column <= columns; ++column) {
            std::string text;
            if (static_cast<std::size_t>(row) < context.gridCells.size() &&
                static_cast<std::size_t>(column - 1) < context.gridCells[static_cast<std::size_t>(row)].size())
                text = context.gridCells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column - 1)];
            const ParseResult cell = parseNumericText(text);
            if (!cell.ok) warnings.push_back(cell.message);
            line += "  " + formatFixed(cell.ok ? cell.value : 0.0, 6, 3); // a rejected cell is echoed as zero
        }
        report.push_back(line);
    }
    report.push_back("");
}

void writeMatrixEcho(const ReportContext& context, ReportLines& report) {
    if (context.useCorrelationMatrix) report.push_back(" Correlation matrix:");
    const int n = std::min(context.matrixSize, MAX_ORDER);
    for (int i = 1; i <= n; ++i) {
        std::string line = " " + std::to_string(i) + ": ";
        for (int j = 1; j <= i; ++j)
            line +=
                formatFixed(context.storedMatrix[static_cast<std::size_t>((i - 1) * MAX_ORDER + (j - 1))], 6, 3) + " ";
        report.push_back(line);
    }
}

} // namespace

ReportLines composeReport(const InputRecord& input, const ComputationResults& results, const ReportContext& context,
                          Warnings& warnings) {
    ReportLines report;
    writeHeader(report);
    writeNotes(context, report);
    writeInputs(input, report);
    writeOptionNotes(input, report);
    writeGridEcho(context, report, warnings);
    writeMatrixEcho(context, report);
    report.insert(report.end(), {"", "", "", " OUTPUTS:", ""});

    writeIndexSection(results.index, report);
    writeLowScoreLines(results.abnormality, report);
    report.insert(report.end(), {"", "", ""});
    writeReliabilitySection(results.index, report);
    report.insert(report.end(), {"", "", ""});
    writeAbnormalitySection(results.abnormality, report);
    report.push_back("");
    writeProfileDistanceLines(results.profile, report);
    return report;
}

const ReportLines& reportSeparator() {
    static const ReportLines separator = {"", std::string(103, '-'), std::string(103, '-'), ""};
    return separator;
}

ReportLines reportAfter(bool textHoldsSomething, const ReportLines& report) {
    ReportLines lines;
    if (textHoldsSomething) lines = reportSeparator();
    lines.insert(lines.end(), report.begin(), report.end());
    return lines;
}

} // namespace kalden
