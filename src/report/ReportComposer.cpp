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

void writeHeader(LineSink report) {
    report.add("");
    report.add(ProgramTitle);
    report.add("");
    report.add("THIS PROGRAM IMPLEMENTS METHODS DEVELOPED IN THE FOLLOWING PAPER:");
    for (const std::string& line : CitationLines) report.add(line);
    report.add("");
}

void writeNotes(const ReportContext& context, LineSink report) {
    if (context.notes.empty()) return;
    const std::string lead = " " + context.notesLabel + " ";
    report.add(lead + context.notes.front());
    const std::string indent(lead.size(), ' ');
    for (std::size_t i = 1; i < context.notes.size(); ++i) report.add(indent + context.notes[i]);
    report.add(" ");
}

void writeInputs(const InputRecord& input, LineSink report) {
    report.add(" INPUTS:");
    for (int k = 1; k <= 7; ++k) report.addFormatted(InputEchoFormats[k - 1], {input.score(k)});
    report.add("");
}

void writeOptionNotes(const InputRecord& input, LineSink report) {
    report.add(confidenceNote(input.confidenceMethod));
    report.add(input.differenceBasis == DifferenceBasis::Observed
                   ? " Note: Analysis of reliability of differences between Indices is based on OBSERVED scores"
                   : " Note: Analysis of reliability of differences between Indices is based on estimated TRUE "
                     "scores");
    report.add(input.sequentialBonferroni
                   ? " Note: Sequential Bonferroni correction IS applied when testing for reliable differences"
                   : " Note: Sequential Bonferroni correction IS NOT applied when testing for reliable "
                     "differences");
    report.add(" Note: An abnormally low score (& abnormally large difference) is defined as being exhibited by less");
    report.add(criterionNote(input.abnormalityCriterion));
}

void writeGridEcho(const ReportContext& context, LineSink report, Warnings& warnings) {
    if (!context.useDataGrid) return;
    const int columns = context.gridColumns;
    report.add(std::string(static_cast<std::size_t>(9 * columns / 2), ' ') + context.gridColumnsTitle);
    std::string items = " Item ";
    for (int k = 1; k <= columns; ++k) items += "   " + std::to_string(k) + "    ";
    report.add(items);
    std::string underline = "         _";
    for (int k = 1; k <= columns; ++k) underline += "_______";
    report.add(underline);
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
        report.add(line);
    }
    report.add("");
}

void writeMatrixEcho(const ReportContext& context, LineSink report) {
    if (context.useCorrelationMatrix) report.add(" Correlation matrix:");
    const int n = std::min(context.matrixSize, MAX_ORDER);
    for (int i = 1; i <= n; ++i) {
        std::string line = " " + std::to_string(i) + ": ";
        for (int j = 1; j <= i; ++j)
            line +=
                formatFixed(context.storedMatrix[static_cast<std::size_t>((i - 1) * MAX_ORDER + (j - 1))], 6, 3) + " ";
        report.add(line);
    }
}

} // namespace

void writeReport(const InputRecord& input, const ComputationResults& results, const ReportContext& context,
                 Warnings& warnings, LineSink report) {
    writeHeader(report);
    writeNotes(context, report);
    writeInputs(input, report);
    writeOptionNotes(input, report);
    writeGridEcho(context, report, warnings);
    writeMatrixEcho(context, report);
    for (const char* line : {"", "", "", " OUTPUTS:", ""}) report.add(line);

    writeIndexSection(results.index, report);
    writeLowScoreLines(results.abnormality, report);
    for (int i = 0; i < 3; ++i) report.add("");
    writeReliabilitySection(results.index, report);
    for (int i = 0; i < 3; ++i) report.add("");
    writeAbnormalitySection(results.abnormality, report);
    report.add("");
    writeProfileDistanceLines(results.profile, report);
}

ReportLines composeReport(const InputRecord& input, const ComputationResults& results, const ReportContext& context,
                          Warnings& warnings) {
    ReportLines report;
    writeReport(input, results, context, warnings, report);
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
