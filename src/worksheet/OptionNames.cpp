#include "worksheet/OptionNames.h"

namespace kalden {

bool parseConfidenceName(const std::string& name, ConfidenceMethod& out) {
    if (name == "traditional95")
        out = ConfidenceMethod::Traditional95;
    else if (name == "traditional90")
        out = ConfidenceMethod::Traditional90;
    else if (name == "glutting95")
        out = ConfidenceMethod::Glutting95;
    else if (name == "glutting90")
        out = ConfidenceMethod::Glutting90;
    else
        return false;
    return true;
}

bool parseBasisName(const std::string& name, DifferenceBasis& out) {
    if (name == "observed")
        out = DifferenceBasis::Observed;
    else if (name == "true")
        out = DifferenceBasis::EstimatedTrue;
    else
        return false;
    return true;
}

bool parseCriterionName(const std::string& name, AbnormalityCriterion& out) {
    if (name == "5")
        out = AbnormalityCriterion::Percent5;
    else if (name == "10")
        out = AbnormalityCriterion::Percent10;
    else if (name == "15")
        out = AbnormalityCriterion::Percent15;
    else
        return false;
    return true;
}

bool parseBonferroniName(const std::string& name, bool& out) {
    if (name == "true" || name == "yes" || name == "1")
        out = true;
    else if (name == "false" || name == "no" || name == "0")
        out = false;
    else
        return false;
    return true;
}

const char* confidenceName(ConfidenceMethod method) {
    switch (method) {
    case ConfidenceMethod::Traditional95: return "traditional95";
    case ConfidenceMethod::Traditional90: return "traditional90";
    case ConfidenceMethod::Glutting95: return "glutting95";
    case ConfidenceMethod::Glutting90: return "glutting90";
    }
    return "";
}

const char* basisName(DifferenceBasis basis) { return basis == DifferenceBasis::Observed ? "observed" : "true"; }

const char* criterionName(AbnormalityCriterion criterion) {
    switch (criterion) {
    case AbnormalityCriterion::Percent5: return "5";
    case AbnormalityCriterion::Percent10: return "10";
    case AbnormalityCriterion::Percent15: return "15";
    }
    return "";
}

namespace {

bool isGlutting(ConfidenceMethod m) { return m == ConfidenceMethod::Glutting95 || m == ConfidenceMethod::Glutting90; }
bool is95(ConfidenceMethod m) { return m == ConfidenceMethod::Traditional95 || m == ConfidenceMethod::Glutting95; }

const char* criterionPercent(AbnormalityCriterion c) {
    switch (c) {
    case AbnormalityCriterion::Percent5: return "5%";
    case AbnormalityCriterion::Percent10: return "10%";
    case AbnormalityCriterion::Percent15: return "15%";
    }
    return "";
}

} // namespace

std::string optionsCode(const Options& o) {
    return std::string(isGlutting(o.confidenceMethod) ? "G" : "T") + (is95(o.confidenceMethod) ? "95" : "90") +
           (o.differenceBasis == DifferenceBasis::Observed ? " obs " : " true ") +
           (o.sequentialBonferroni ? "B " : "- ") + criterionPercent(o.abnormalityCriterion);
}

std::string optionsWords(const Options& o) {
    return std::string(is95(o.confidenceMethod) ? "95% " : "90% ") +
           (isGlutting(o.confidenceMethod) ? "Glutting" : "traditional") +
           (o.differenceBasis == DifferenceBasis::Observed ? ", observed" : ", true scores") +
           (o.sequentialBonferroni ? ", Bonferroni, " : ", no Bonferroni, ") + criterionPercent(o.abnormalityCriterion);
}

} // namespace kalden
