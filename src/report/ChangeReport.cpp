#include "report/ChangeReport.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <tuple>

#include "format/JsonText.h"
#include "format/NumberFormat.h"
#include "format/ShortestText.h"
#include "format/Wording.h"
#include "report/CaseSummary.h"
#include "report/PersonMatch.h"
#include "scoring/IndexScores.h"
#include "worksheet/OptionNames.h"

namespace kalden {

const char* indexCode(IndexId id) {
    static const char* const Codes[IndexCount] = {"VC", "PO", "WM", "PS", "FSIQ"};
    return Codes[static_cast<std::size_t>(id)];
}

std::optional<double> practiceGainOf(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return 0.0;
    text = text.substr(first, text.find_last_not_of(" \t") + 1 - first);
    // One sign at most, then digits with at most one decimal point: no
    // exponent, no "inf", whichever reader converts them below.
    const bool negative = text.front() == '-';
    if (negative || text.front() == '+') text.remove_prefix(1);
    const bool digits = text.find_first_of("0123456789") != std::string_view::npos &&
                        text.find_first_not_of("0123456789.") == std::string_view::npos &&
                        text.find('.') == text.rfind('.');
    if (!digits) return std::nullopt;
    const std::string number(text); // without its sign
    double value = 0;
#if defined(__cpp_lib_to_chars)
    // A number beyond a double's range is out of range, never 0; one too
    // small for it is 0.
    if (std::from_chars(number.data(), number.data() + number.size(), value).ec == std::errc::result_out_of_range &&
        number.find_first_of("123456789") < number.find('.'))
        return std::nullopt;
#else
    // The C++ library of WebAssembly builds cannot read floating-point text;
    // there the C library reads it, in the "C" locale.
    value = std::strtod(number.c_str(), nullptr);
#endif
    if (value > PracticeGainLimit) return std::nullopt;
    return negative && value != 0 ? -value : value; // no negative zero
}

bool assessedBefore(const ComparedCase& a, const ComparedCase& b) {
    const std::string& da = a.record.session.testingDate;
    const std::string& db = b.record.session.testingDate;
    const bool dated = !da.empty() && !db.empty();
    return std::make_tuple(dated ? da : std::string(), a.record.computedUtc, a.id) <
           std::make_tuple(dated ? db : std::string(), b.record.computedUtc, b.id);
}

std::string comparisonRefusal(const ComparedCase& a, const ComparedCase& b, bool samePerson) {
    if (a.id == b.id) return "Case " + std::to_string(a.id) + " cannot be compared with itself.";
    for (const ComparedCase* c : {&a, &b})
        if (c->record.session.person.empty())
            return "Case " + std::to_string(c->id) +
                   " names no person: only two cases recorded with the same person can be compared.";
    const std::string& pa = a.record.session.person;
    const std::string& pb = b.record.session.person;
    if (!samePerson && personKey(pa) != personKey(pb))
        return "Case " + std::to_string(a.id) + " is of \"" + pa + "\" and case " + std::to_string(b.id) + " of \"" +
               pb + "\": only two cases of one person can be compared.";
    return {};
}

double printedIndexScore(double score) { return std::strtod(formatFixed(score, 0, 0).c_str(), nullptr); }

namespace {

// The Index scores as the case's report prints them, whole numbers, so that
// the change is the difference a reader sees between the two reports.
IndexResults asPrinted(IndexResults results) {
    for (std::size_t i = 0; i < IndexCount; ++i)
        results[indexAt(i)].score = printedIndexScore(results[indexAt(i)].score);
    return results;
}

} // namespace

CaseComparison compareCases(const ComparedCase& a, const ComparedCase& b, const ChangeSettings& settings) {
    CaseComparison c;
    const bool inOrder = assessedBefore(a, b);
    c.first = inOrder ? a : b;
    c.second = inOrder ? b : a;
    c.settings = settings;
    c.change = computeReliableChange(asPrinted(c.first.record.results.index), asPrinted(c.second.record.results.index),
                                     settings.level, settings.practice.points);
    const Session& s1 = c.first.record.session;
    const Session& s2 = c.second.record.session;
    if (isCalendarDay(s1.testingDate) && isCalendarDay(s2.testingDate))
        c.days = daysBetween(s1.testingDate, s2.testingDate);
    c.optionsDiffer = c.first.record.input.options() != c.second.record.input.options();
    return c;
}

namespace {

constexpr int RuleWidth = 99; // as wide as the report's tables

const char* levelText(ChangeLevel level) { return level == ChangeLevel::Percent95 ? "95%" : "90%"; }

std::string assessmentLine(const char* label, const ComparedCase& c) {
    std::string line = std::string(label) + "case " + std::to_string(c.id);
    if (!c.record.session.testingDate.empty()) line += ", tested " + c.record.session.testingDate;
    return line + ", computed " + computedAtText(c.record);
}

std::string daysText(long days) { return std::to_string(days) + (days == 1 || days == -1 ? " day" : " days"); }

std::string intervalText(const CaseComparison& c) {
    if (!c.days) return "not known: a case has no date of testing";
    return daysText(*c.days) + " between the dates of testing";
}

// "VC 0.0, PO 0.0, WM 0.0, PS 0.0, FSIQ 0.0"
std::string gainsText(const PracticeGains& gains) {
    std::string text;
    for (std::size_t i = 0; i < IndexCount; ++i)
        text += (i ? ", " : "") + std::string(indexCode(indexAt(i))) + " " + formatFixed(gains.points[i], 0, 1);
    return text;
}

bool anyGain(const PracticeGains& gains) {
    for (const double p : gains.points)
        if (p != 0) return true;
    return false;
}

// The reliabilities as the table gives them, with the report's separator.
std::string reliabilitiesText() {
    std::string text;
    for (std::size_t i = 0; i < IndexCount; ++i) {
        std::string r = formatGeneral(indexDefinition(indexAt(i)).reliability);
        for (char& ch : r)
            if (ch == '.') ch = decimalSeparator();
        text += (i ? ", " : "") + r;
    }
    return text;
}

} // namespace

ReportLines changeSection(const CaseComparison& c) {
    const ReliableChange& rc = c.change;
    ReportLines lines;
    lines.push_back(" Change between two assessments of one person (reliable change index):");
    lines.push_back(rule(RuleWidth));
    lines.push_back("  Person                  : " + c.second.record.session.person);
    lines.push_back(assessmentLine("  First assessment        : ", c.first));
    lines.push_back(assessmentLine("  Second assessment       : ", c.second));
    lines.push_back("  Interval                : " + intervalText(c));
    lines.push_back(rule(RuleWidth));
    lines.push_back("  Index                     First Second Change Practice SE diff    RCI      p  Verdict");
    lines.push_back(rule(RuleWidth));
    lines.push_back("");
    for (std::size_t i = 0; i < IndexCount; ++i) {
        const ChangeRow& row = rc.rows[i];
        if (indexAt(i) == IndexId::FSIQ) lines.push_back("");
        std::string label = indexDefinition(indexAt(i)).label;
        label.resize(24, ' ');
        lines.push_back(formatText("  %s: %5.0f %6.0f %6.0f %8.1f %7.2f %6.2f %6.3f  %s",
                                   {label, row.first, row.second, row.change, row.practice, row.seDifference, row.rci,
                                    row.pTwoTailed, std::string(verdictText(row.verdict))}));
    }
    lines.push_back(rule(RuleWidth));
    const std::string count = std::to_string(rc.reliableIndexes);
    lines.push_back(formatText("  Reliable change at %s (|RCI| >= %4.2f) in %s of the 4 Indexes; chance alone gives",
                               {std::string(levelText(rc.level)), changeDeviate(rc.level), count}));
    lines.push_back(formatText("  %s or more of the 4 in %5.3f%% of people (the Indexes share no subtest).",
                               {count, rc.chancePercent}));
    const PracticeGains& practice = c.settings.practice;
    const bool noneEntered = !anyGain(practice) && practice.source.empty();
    lines.push_back("  Practice gains taken off (Index points): " + gainsText(practice) +
                    (noneEntered ? " (none entered)" : ""));
    if (!practice.source.empty()) lines.push_back("  Source of the practice gains: " + practice.source);
    lines.push_back("  SE diff = 15 x sqrt(2 x (1 - r)) with r = " + reliabilitiesText() + ";");
    lines.push_back("  RCI = (second - first - practice) / SE diff, p two-tailed (Jacobson & Truax, 1991;");
    lines.push_back("  practice adjustment after Chelune et al., 1993).");
    if (c.optionsDiffer) {
        lines.push_back(
            "  The two cases used different options (first: " + optionsWords(c.first.record.input.options()) + ";");
        lines.push_back("  second: " + optionsWords(c.second.record.input.options()) + ");");
        lines.push_back("  they do not enter the change, which uses the observed scores.");
    }
    return lines;
}

namespace {

// "−2.6": one decimal, with the typographic minus a letter uses.
std::string letterRci(double rci) {
    const std::string text = formatFixed(rci, 0, 1);
    return text[0] == '-' ? "\u2212" + text.substr(1) : text;
}

// "a, b, and c"; two parts joined by ", and " too when they hold commas
// themselves, so that the reader sees where the second begins.

std::string indexWords(IndexId id) { return id == IndexId::FSIQ ? "the Full Scale IQ" : indexDefinition(id).label; }

} // namespace

namespace {

// What a reader of the paragraph must weigh: the scores are short-form
// estimates; the practice gains taken off, or what none means; and where a
// reliable change went towards 100 from a first score far from it, that
// part of it is expected from regression alone.
std::string changeCaveats(const CaseComparison& c) {
    std::string text = " All scores are estimates from a short form of seven subtests.";
    const PracticeGains& practice = c.settings.practice;
    if (anyGain(practice) || !practice.source.empty())
        text += " The practice gains expected" +
                (practice.source.empty() ? std::string() : " from " + practice.source) + " were taken off (" +
                gainsText(practice) + " points).";
    else
        text +=
            " No practice gains were taken off: on a retest within a year or two, practice alone tends to raise "
            "scores, so a rise may be smaller and a fall larger than it seems.";
    std::vector<std::string> regressing;
    for (std::size_t i = 0; i < IndexCount; ++i) {
        const ChangeRow& row = c.change.rows[i];
        const bool far = std::fabs(row.first - 100) >= 15;
        const bool towards = (row.first > 100 && row.change < 0) || (row.first < 100 && row.change > 0);
        if (row.verdict != ChangeVerdict::NoChange && far && towards)
            regressing.push_back(indexWords(indexAt(i)) + " (first " + formatFixed(row.first, 0, 0) + ")");
    }
    if (!regressing.empty())
        text += " " + capitalised(joinWords(regressing)) + (regressing.size() == 1 ? " was" : " were") +
                " far from the average of 100 at the first assessment, so part of a change towards 100 is "
                "expected from regression to the mean alone.";
    return text;
}

} // namespace

std::string changeSummaryText(const CaseComparison& c) {
    const ReliableChange& rc = c.change;
    std::vector<std::string> changed, steady;
    for (std::size_t i = 0; i < IndexCount; ++i) {
        const ChangeRow& row = rc.rows[i];
        const std::string from = formatFixed(row.first, 0, 0);
        const std::string to = formatFixed(row.second, 0, 0);
        if (row.verdict == ChangeVerdict::NoChange) {
            steady.push_back(indexWords(indexAt(i)) + " (" + from + " and " + to + ")");
            continue;
        }
        const bool rose = row.verdict == ChangeVerdict::Improvement;
        changed.push_back(indexWords(indexAt(i)) + (rose ? " rose from " : " fell from ") + from + " to " + to +
                          ", a " + verdictText(row.verdict) + " (RCI " + letterRci(row.rci) + ", " +
                          letterProbability(row.pTwoTailed) + ")");
    }
    static const char* const Counts[] = {"", "one", "two", "three", "four"};
    std::string text;
    if (c.days)
        text = "Between the assessments of " + c.first.record.session.testingDate + " and " +
               c.second.record.session.testingDate + " (" + daysText(*c.days) + " apart), ";
    if (changed.empty()) {
        text += (text.empty() ? "None" : "none") + std::string(" of the Index scores changed reliably: ") +
                joinWords(steady) + ".";
    } else {
        text += (text.empty() ? capitalised(joinWords(changed)) : joinWords(changed)) + ".";
        if (rc.reliableIndexes > 0)
            text += std::string(" If nothing had changed, ") + howCommonAmongPeople(rc.chancePercent, 1) +
                    " tested twice would still show a reliable change in " + Counts[rc.reliableIndexes] +
                    (rc.reliableIndexes < 4 ? " or more" : "") + " of the four Indexes by chance at this level.";
        if (!steady.empty()) text += " " + capitalised(joinWords(steady)) + " did not change reliably.";
    }
    text += std::string(" Reliable change index at ") + levelText(rc.level) + ".";
    return text + changeCaveats(c) + "\n";
}

std::string changeCsv(const CaseComparison& c) {
    std::string out = "index,first,second,change,practice,se_difference,rci,p_two_tailed,verdict\n";
    for (std::size_t i = 0; i < IndexCount; ++i) {
        const ChangeRow& row = c.change.rows[i];
        out += indexCode(indexAt(i));
        for (const double v :
             {row.first, row.second, row.change, row.practice, row.seDifference, row.rci, row.pTwoTailed}) {
            out += ',';
            appendShortest(out, v);
        }
        out += std::string(",") + verdictText(row.verdict) + '\n';
    }
    return out;
}

namespace {

void appendCase(std::string& out, const ComparedCase& c) {
    const Session& s = c.record.session;
    out += "{\"id\":" + std::to_string(c.id) + ",\"person\":" + jsonString(s.person) +
           ",\"testing_date\":" + jsonString(s.testingDate) + ",\"computed\":" + jsonString(computedAtText(c.record)) +
           ",\"options\":" + jsonString(optionsWords(c.record.input.options())) + "}";
}

void appendNumber(std::string& out, const char* key, double value) {
    out += std::string(",\"") + key + "\":";
    appendShortest(out, value);
}

} // namespace

std::string changeJson(const CaseComparison& c) {
    const ReliableChange& rc = c.change;
    std::string out = "{\"first\":";
    appendCase(out, c.first);
    out += ",\"second\":";
    appendCase(out, c.second);
    out += ",\"days\":" + (c.days ? std::to_string(*c.days) : std::string("null"));
    out += std::string(",\"options_differ\":") + (c.optionsDiffer ? "true" : "false");
    out += std::string(",\"level\":") + (rc.level == ChangeLevel::Percent95 ? "95" : "90");
    out += ",\"practice_source\":" + jsonString(c.settings.practice.source) + ",\"rows\":[";
    for (std::size_t i = 0; i < IndexCount; ++i) {
        const ChangeRow& row = rc.rows[i];
        out += std::string(i ? "," : "") + "{\"index\":\"" + indexCode(indexAt(i)) + "\"";
        appendNumber(out, "first", row.first);
        appendNumber(out, "second", row.second);
        appendNumber(out, "change", row.change);
        appendNumber(out, "practice", row.practice);
        appendNumber(out, "se_difference", row.seDifference);
        appendNumber(out, "rci", row.rci);
        appendNumber(out, "p_two_tailed", row.pTwoTailed);
        out += std::string(",\"verdict\":\"") + verdictText(row.verdict) + "\"}";
    }
    out += "],\"reliable_indexes\":" + std::to_string(rc.reliableIndexes);
    appendNumber(out, "chance_percent", rc.chancePercent);
    return out + "}\n";
}

} // namespace kalden
