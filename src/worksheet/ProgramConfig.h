#pragma once

#include <array>
#include <string>

namespace kalden {

// Program-wide values, fixed before any window exists.
inline const std::string ProgramTitle = "KALDEN.EXE: Scoring and analysis of an Index-based WAIS-III short-form";
inline const std::string DataFileName = "kalden.txt";

// Citation of the methods the program implements. Kept in one place so that
// a clinic can replace it with the reference it cites; the report prints the
// three lines under "THIS PROGRAM IMPLEMENTS METHODS DEVELOPED IN THE
// FOLLOWING PAPER:" and the worksheet's description opens with the sentence.
inline const std::array<std::string, 3> CitationLines = {
    "Methods paper: scoring and analysis of an Index-based short form of the WAIS-III,",
    "with confidence limits and percentiles, reliability and abnormality of Index differences,",
    "abnormally low scores and the Mahalanobis distance of the Index profile.",
};
inline const std::string CitationSentence =
    "This program implements the methods of a paper on an Index-based short form of the WAIS-III "
    "(short-form Index scores with confidence limits and percentile ranks; the reliability and "
    "abnormality of differences between Index scores; the Mahalanobis distance of the Index profile).";

// The worksheet template's configuration. The shipped program uses the
// defaults; a program built from the template may switch features on and
// hands its own configuration to the worksheet.
struct TemplateConfig {
    int InputCount = 7;
    int StoredValueCount = 7;
    bool UseCorrelationMatrix = false;
    bool UseDataGrid = false;
    int GridColumns = 4;
    int GridRows = 7;
    // The previous-data file beside the executable. A program built from the
    // template names its own, so that two programs in one folder never read
    // each other's inputs.
    std::string dataFileName = DataFileName;
    // The case records in the same folder; likewise the program's own.
    std::string caseStoreFileName = "cases.sqlite";
    // The person and session last entered, remembered for the next start.
    std::string sessionFileName = "session.txt";
};

// The configuration of kalden-template-demo, a program built from the
// template with its switched-off features on: the eighth field shown,
// validated and restored (it gives the order of the correlation matrix that
// Compute asks for first), the data grid shown, and a data file of its own.
inline TemplateConfig templateDemoConfig() {
    TemplateConfig config;
    config.InputCount = 8;
    config.StoredValueCount = 8;
    config.UseCorrelationMatrix = true;
    config.UseDataGrid = true;
    config.GridColumns = 4;
    config.GridRows = 7;
    config.dataFileName = "kalden-template-demo.txt";
    config.caseStoreFileName = "kalden-template-demo-cases.sqlite";
    config.sessionFileName = "kalden-template-demo-session.txt";
    return config;
}

// The captions of the eight input labels, field order (index 0 is field 1).
inline const std::array<std::string, 8> FieldCaptions = {
    "VOCABULARY subtest scaled score:",       "DIGIT SYMBOL subtest scaled score:",
    "SIMILARITIES subtest scaled score:",     "BLOCK DESIGN subtest scaled score:",
    "ARITHMETIC subtest scaled score:",       "DIGIT SPAN subtest scaled score:",
    "MATRIX REASONING subtest scaled score:", "Age of individual (used in computing CLs on abnormality) :",
};

} // namespace kalden
