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

// The allowed names as a message lists them ("observed or true").
inline const std::string ConfidenceNames = "traditional95, traditional90, glutting95 or glutting90";
inline const std::string BasisNames = "observed or true";
inline const std::string CriterionNames = "5, 10 or 15";
inline const std::string BonferroniNames = "true, false, yes, no, 1 or 0";

} // namespace kalden
