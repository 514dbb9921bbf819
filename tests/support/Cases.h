#pragma once

#include "scoring/InputRecord.h"

namespace kalden::testing {

// Scaled scores in worksheet order: Vocabulary, Digit Symbol, Similarities,
// Block Design, Arithmetic, Digit Span, Matrix Reasoning.
inline InputRecord caseOf(double voc, double dsym, double sim, double bd, double ar, double ds, double mr,
                          Options options = {}) {
    InputRecord r;
    r.vocabulary = voc;
    r.digitSymbol = dsym;
    r.similarities = sim;
    r.blockDesign = bd;
    r.arithmetic = ar;
    r.digitSpan = ds;
    r.matrixReasoning = mr;
    r.setOptions(options);
    return r;
}

// The worked cases used throughout the tests.
inline InputRecord allTens(Options o = {}) { return caseOf(10, 10, 10, 10, 10, 10, 10, o); }
inline InputRecord mixedCase(Options o = {}) { return caseOf(12, 7, 11, 9, 8, 10, 13, o); }
inline InputRecord allNineteens(Options o = {}) { return caseOf(19, 19, 19, 19, 19, 19, 19, o); }
inline InputRecord allOnes(Options o = {}) { return caseOf(1, 1, 1, 1, 1, 1, 1, o); }
inline InputRecord splitProfile(Options o = {}) { return caseOf(15, 4, 15, 5, 10, 10, 5, o); }
inline InputRecord allSignificant(Options o = {}) { return caseOf(19, 1, 19, 13, 7, 7, 13, o); }
inline InputRecord halfPointDigitSymbol(Options o = {}) { return caseOf(10, 10.5, 10, 10, 10, 10, 10, o); }

inline Options optionsOf(ConfidenceMethod ci, DifferenceBasis basis = DifferenceBasis::Observed,
                         bool bonferroni = false, AbnormalityCriterion criterion = AbnormalityCriterion::Percent5) {
    return Options{ci, basis, bonferroni, criterion};
}

} // namespace kalden::testing
