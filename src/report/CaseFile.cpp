#include "report/CaseFile.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include <nlohmann/json.hpp>

#include "format/JsonText.h"
#include "format/VisibleText.h"
#include "report/ReportComposer.h"
#include "report/ScoreCase.h"
#include "worksheet/OptionNames.h"

namespace kalden {

namespace {

using Json = nlohmann::json;

// ---- Writing ----------------------------------------------------------------

void appendMember(std::string& out, const char* indent, const char* key, const std::string& value, bool last = false) {
    out += indent;
    appendJsonString(out, key);
    out += ": ";
    appendJsonString(out, value);
    out += last ? "\n" : ",\n";
}

void appendLines(std::string& out, const char* key, const std::vector<std::string>& lines) {
    out += "      ";
    appendJsonString(out, key);
    out += ": [";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out += i == 0 ? "\n        " : ",\n        ";
        appendJsonString(out, lines[i]);
    }
    out += lines.empty() ? "]" : "\n      ]";
}

void appendCase(std::string& out, const FiledCase& c) {
    const CaseRecord& r = c.record;
    out += "    {\n";
    out += "      \"computed_utc\": " + std::to_string(r.computedUtc) + ",\n";
    out += "      \"utc_offset_minutes\": " + std::to_string(r.utcOffsetMinutes) + ",\n";
    appendMember(out, "      ", "computed", computedAtText(r));
    appendMember(out, "      ", "program", c.version);
    out += "      \"session\": {\n";
    appendMember(out, "        ", "person", r.session.person);
    appendMember(out, "        ", "birth_date", r.session.birthDate);
    appendMember(out, "        ", "testing_date", r.session.testingDate);
    appendMember(out, "        ", "examiner", r.session.examiner);
    appendMember(out, "        ", "referral", r.session.referral, true);
    out += "      },\n      \"scores\": ";
    appendJsonStrings(out, std::vector<std::string>(r.fieldTexts.begin(), r.fieldTexts.end()));
    out += ",\n      \"options\": {\n";
    appendMember(out, "        ", "confidence", confidenceName(r.input.confidenceMethod));
    appendMember(out, "        ", "difference_basis", basisName(r.input.differenceBasis));
    out += std::string("        \"bonferroni\": ") + (r.input.sequentialBonferroni ? "true" : "false") + ",\n";
    appendMember(out, "        ", "abnormality", criterionName(r.input.abnormalityCriterion), true);
    out += "      },\n";
    appendMember(out, "      ", "notes_label", r.context.notesLabel);
    appendLines(out, "notes", r.context.notes);
    out += ",\n";
    appendLines(out, "report", r.report);
    out += "\n    }";
}

// ---- Reading ----------------------------------------------------------------

// Records the parser's first complaint, with its place, and builds nothing:
// the text is parsed once this way for the message, and again into values.
struct SyntaxCheck : nlohmann::json_sax<Json> {
    std::string problem;
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override {
        // "[json.exception.parse_error.101] parse error at line 3, column 5: ..." without its tag.
        const std::string what = e.what();
        const std::size_t tagEnd = what.find("] ");
        problem = tagEnd == std::string::npos ? what : what.substr(tagEnd + 2);
        return false;
    }
};

// Each reader takes the member `key` of `object`, checks its kind and gives
// the problem in words where it is missing or of another kind.
std::string missingOrNot(const std::string& key, const std::string& kind) { return "\"" + key + "\" must be " + kind; }

bool readText(const Json& object, const std::string& key, std::string& out, std::string& problem) {
    const auto it = object.find(key);
    if (it == object.end() || !it->is_string()) {
        problem = missingOrNot(key, "a text");
        return false;
    }
    out = it->get_ref<const std::string&>();
    return true;
}

bool readOneLine(const Json& object, const std::string& key, std::string& out, std::string& problem) {
    if (!readText(object, key, out, problem)) return false;
    if (out.find_first_of("\r\n") == std::string::npos) return true;
    problem = "\"" + key + "\" must be one line";
    return false;
}

template <typename Integer>
bool readInteger(const Json& object, const std::string& key, Integer low, Integer high, Integer& out,
                 std::string& problem) {
    const auto it = object.find(key);
    bool inRange = false;
    if (it != object.end() && it->is_number_unsigned()) {
        const std::uint64_t value = it->get<std::uint64_t>();
        inRange = value <= static_cast<std::uint64_t>(high) && (low <= 0 || value >= static_cast<std::uint64_t>(low));
    } else if (it != object.end() && it->is_number_integer()) {
        const std::int64_t value = it->get<std::int64_t>();
        inRange = value >= low && value <= high;
    }
    if (inRange) {
        out = static_cast<Integer>(it->get<std::int64_t>());
        return true;
    }
    problem = missingOrNot(key, "a whole number from " + std::to_string(low) + " to " + std::to_string(high));
    return false;
}

bool readLines(const Json& object, const std::string& key, std::vector<std::string>& out, std::string& problem) {
    const auto it = object.find(key);
    if (it == object.end() || !it->is_array()) {
        problem = missingOrNot(key, "a list of texts");
        return false;
    }
    out.clear();
    for (const Json& line : *it) {
        if (!line.is_string() || line.get_ref<const std::string&>().find_first_of("\r\n") != std::string::npos) {
            problem = "\"" + key + "\" must be a list of texts of one line each";
            return false;
        }
        out.push_back(line.get_ref<const std::string&>());
    }
    return true;
}

bool readSession(const Json& c, Session& s, std::string& problem) {
    const auto it = c.find("session");
    if (it == c.end() || !it->is_object()) {
        problem = missingOrNot("session", "an object");
        return false;
    }
    const Json& o = *it;
    if (!readOneLine(o, "person", s.person, problem) || !readOneLine(o, "birth_date", s.birthDate, problem) ||
        !readOneLine(o, "testing_date", s.testingDate, problem) || !readOneLine(o, "examiner", s.examiner, problem) ||
        !readOneLine(o, "referral", s.referral, problem))
        return false;
    // A case computed before sessions were kept has none at all.
    if (s == Session{}) return true;
    problem = sessionProblem(s);
    return problem.empty();
}

bool readOptions(const Json& c, Options& options, std::string& problem) {
    const auto it = c.find("options");
    if (it == c.end() || !it->is_object()) {
        problem = missingOrNot("options", "an object");
        return false;
    }
    const Json& o = *it;
    std::string name;
    if (!readText(o, "confidence", name, problem)) return false;
    if (!parseConfidenceName(name, options.confidenceMethod)) {
        problem = "\"confidence\" must be " + ConfidenceNames + ", not '" + name + "'";
        return false;
    }
    if (!readText(o, "difference_basis", name, problem)) return false;
    if (!parseBasisName(name, options.differenceBasis)) {
        problem = "\"difference_basis\" must be " + BasisNames + ", not '" + name + "'";
        return false;
    }
    if (!readText(o, "abnormality", name, problem)) return false;
    if (!parseCriterionName(name, options.abnormalityCriterion)) {
        problem = "\"abnormality\" must be " + CriterionNames + ", not '" + name + "'";
        return false;
    }
    const auto bonferroni = o.find("bonferroni");
    if (bonferroni == o.end() || !bonferroni->is_boolean()) {
        problem = missingOrNot("bonferroni", "true or false");
        return false;
    }
    options.sequentialBonferroni = bonferroni->get<bool>();
    return true;
}

bool readScores(const Json& c, const Options& options, CaseRecord& r, std::string& problem) {
    const auto it = c.find("scores");
    if (it == c.end() || !it->is_array() || it->size() != 7) {
        problem = missingOrNot("scores", "a list of the seven scores as typed");
        return false;
    }
    for (std::size_t k = 0; k < 7; ++k) {
        if (!(*it)[k].is_string()) {
            problem = missingOrNot("scores", "a list of the seven scores as typed");
            return false;
        }
        r.fieldTexts[k] = (*it)[k].get_ref<const std::string&>();
    }
    const InputCheck check = readInputRecord(fieldTextsOf(r.fieldTexts), options, 7);
    if (!check.record) {
        problem = check.rejection.message;
        return false;
    }
    r.input = *check.record;
    return true;
}

// The stored report against the one computed again, with or without the
// separator that stands before a case appended after others.
std::string reportDifference(const ReportLines& stored, const ReportLines& computed) {
    const ReportLines& separator = reportSeparator();
    const bool separated = stored.size() == separator.size() + computed.size() &&
                           std::equal(separator.begin(), separator.end(), stored.begin());
    const std::size_t skip = separated ? separator.size() : 0;
    for (std::size_t i = 0; i < std::max(stored.size() - skip, computed.size()); ++i) {
        const std::string* mine = i + skip < stored.size() ? &stored[i + skip] : nullptr;
        const std::string* again = i < computed.size() ? &computed[i] : nullptr;
        if (mine && again && *mine == *again) continue;
        const std::string line = "at line " + std::to_string(i + skip + 1) + ": ";
        if (!mine) return line + "it ends where the report computed again goes on";
        if (!again) return line + "it goes on where the report computed again ends";
        return line + "\"" + *mine + "\" where the report computed again has \"" + *again + "\"";
    }
    return {};
}

bool readCase(const Json& c, FiledCase& filed, std::string& problem) {
    if (!c.is_object()) {
        problem = "must be an object";
        return false;
    }
    CaseRecord& r = filed.record;
    Options options;
    if (!readInteger<std::int64_t>(c, "computed_utc", 0, 253402300799, r.computedUtc, problem) ||
        !readInteger<int>(c, "utc_offset_minutes", -1080, 1080, r.utcOffsetMinutes, problem) ||
        !readOneLine(c, "program", filed.version, problem) || !readSession(c, r.session, problem) ||
        !readOptions(c, options, problem) || !readScores(c, options, r, problem) ||
        !readOneLine(c, "notes_label", r.context.notesLabel, problem) ||
        !readLines(c, "notes", r.context.notes, problem) || !readLines(c, "report", r.report, problem))
        return false;
    const ScoredCase scored = scoreCase(r.input, r.context);
    if (const std::string difference = reportDifference(r.report, scored.report); !difference.empty()) {
        problem = "its report differs from the one computed again from its scores, " + difference;
        return false;
    }
    r.results = scored.results;
    return true;
}

// "case 2 (Jane Doe, computed 2026-03-01 10:31)": as a message names a case.
std::string caseName(std::size_t number, const Json& c) {
    std::string name = "case " + std::to_string(number);
    if (!c.is_object()) return name;
    const auto session = c.find("session");
    if (session == c.end() || !session->is_object()) return name;
    const auto person = session->find("person");
    if (person == session->end() || !person->is_string() || person->get_ref<const std::string&>().empty()) return name;
    return name + " (" + oneLineText(person->get_ref<const std::string&>()) + ")";
}

} // namespace

std::string caseFileText(const std::vector<FiledCase>& cases, const std::string& programVersion) {
    std::string out = "{\n";
    appendMember(out, "  ", "format", CaseFileFormatName);
    out += "  \"version\": " + std::to_string(CaseFileVersion) + ",\n";
    appendMember(out, "  ", "program", programVersion);
    out += "  \"cases\": [";
    for (std::size_t i = 0; i < cases.size(); ++i) {
        out += i == 0 ? "\n" : ",\n";
        appendCase(out, cases[i]);
    }
    out += cases.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

CaseFileReading readCaseFile(std::string_view text) {
    CaseFileReading reading;
    const auto fail = [&reading](std::string problem) {
        reading.cases.clear();
        reading.problem = std::move(problem);
        return reading;
    };
    if (text.size() > CaseFileMaxBytes)
        return fail("it is larger than a case file may be (" + std::to_string(CaseFileMaxBytes >> 20) + " MB)");
    SyntaxCheck check;
    if (!Json::sax_parse(text, &check)) return fail("it is not JSON: " + check.problem);
    const Json file = Json::parse(text, nullptr, false);
    std::string format;
    std::string problem;
    if (!file.is_object() || !readText(file, "format", format, problem) || format != CaseFileFormatName)
        return fail("it is not a KALDEN case file: \"format\" must be \"" + std::string(CaseFileFormatName) + "\"");
    int version = 0;
    if (!readInteger(file, "version", 1, std::numeric_limits<int>::max(), version, problem)) return fail(problem);
    if (version > CaseFileVersion)
        return fail("it is a case file of version " + std::to_string(version) + ", newer than this program reads (" +
                    std::to_string(CaseFileVersion) + ")");
    const auto cases = file.find("cases");
    if (cases == file.end() || !cases->is_array() || cases->empty())
        return fail("\"cases\" must be a list of one case or more");
    if (cases->size() > CaseFileMaxCases)
        return fail("it holds " + std::to_string(cases->size()) + " cases, more than a case file may (" +
                    std::to_string(CaseFileMaxCases) + ")");
    for (std::size_t i = 0; i < cases->size(); ++i) {
        FiledCase filed;
        if (!readCase((*cases)[i], filed, problem)) return fail(caseName(i + 1, (*cases)[i]) + ": " + problem);
        reading.cases.push_back(std::move(filed));
    }
    return reading;
}

} // namespace kalden
