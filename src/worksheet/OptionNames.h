#pragma once

#include <string>

#include "scoring/InputRecord.h"

namespace kalden {

// The names under which the four worksheet options are chosen on the command
// line and in the option columns of a batch file. Each parser takes the exact
// lower-case name and leaves `out` alone when the name is not one of them.
bool parseConfidenceName(const std::string& name, ConfidenceMethod& out);
bool parseBasisName(const std::string& name, DifferenceBasis& out);
bool parseCriterionName(const std::string& name, AbnormalityCriterion& out);
// true/false, yes/no, 1/0.
bool parseBonferroniName(const std::string& name, bool& out);

// The name of each option value as the parsers above take it.
const char* confidenceName(ConfidenceMethod method);
const char* basisName(DifferenceBasis basis);
const char* criterionName(AbnormalityCriterion criterion);
inline const char* bonferroniName(bool on) { return on ? "yes" : "no"; }

// The four options in a few characters, for a column of a case list:
// "T95 obs - 5%" is 95% traditional limits, observed scores, no Bonferroni
// correction and the 5% criterion; "G90 true B 15%" the Glutting method at
// 90%, estimated true scores, the sequential Bonferroni correction and 15%.
std::string optionsCode(const Options& o);
// The same in words: "95% traditional, observed, no Bonferroni, 5%".
std::string optionsWords(const Options& o);

// The allowed names as a message lists them ("observed or true").
inline const std::string ConfidenceNames = "traditional95, traditional90, glutting95 or glutting90";
inline const std::string BasisNames = "observed or true";
inline const std::string CriterionNames = "5, 10 or 15";
inline const std::string BonferroniNames = "true, false, yes, no, 1 or 0";

} // namespace kalden
