#include "report/CaseSummary.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <utility>

#include "format/NumberFormat.h"
#include "format/VisibleText.h"
#include "format/Wording.h"
#include "scoring/DifferenceReliability.h"
#include "scoring/IndexScores.h"

namespace kalden {

std::string localTimeText(std::int64_t utcSeconds, int utcOffsetMinutes) {
    using namespace std::chrono;
    const sys_seconds local{seconds{utcSeconds + std::int64_t{utcOffsetMinutes} * 60}};
    const sys_days day = floor<days>(local);
    const year_month_day ymd{day};
    const hh_mm_ss<seconds> time{local - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()));
    return text;
}

const char* descriptiveClassification(int score) {
    if (score >= 130) return "Very Superior";
    if (score >= 120) return "Superior";
    if (score >= 110) return "High Average";
    if (score >= 90) return "Average";
    if (score >= 80) return "Low Average";
    if (score >= 70) return "Borderline";
    return "Extremely Low";
}

namespace {

// The percentage to one decimal, as a number: where the letter's forms meet.
double toOneDecimal(double percent) { return std::stod(formatFixed(percent, 0, 1, '.')); }

} // namespace

std::string letterPercent(double percent) {
    const double oneDecimal = toOneDecimal(percent);
    if (oneDecimal == 0) return "<" + formatFixed(0.1, 0, 1);
    if (oneDecimal == 100) return ">" + formatFixed(99.9, 0, 1);
    return formatFixed(percent, 0, oneDecimal < 1 || oneDecimal > 99 ? 1 : 0);
}

std::string peopleInWords(double percent) {
    const double oneDecimal = toOneDecimal(percent);
    if (oneDecimal > 99) return "more than 99 in 100 people";
    if (oneDecimal >= 1) return "about " + formatFixed(percent, 0, 0) + " in 100 people";
    if (percent < 0.1) return "fewer than 1 in 1,000 people";
    // One in N, N to two significant figures: 0.117% is about 1 in 850.
    const double n = 100.0 / percent;
    const double step = n >= 1000 ? 100 : 10;
    const long rounded = static_cast<long>(std::floor(n / step + 0.5) * step);
    std::string digits = std::to_string(rounded);
    if (digits.size() > 3) digits.insert(digits.size() - 3, ",");
    return "about 1 in " + digits + " people";
}

std::string letterProbability(double p) {
    const auto shorn = [](std::string text) { return text.substr(text.find_first_not_of('0')); };
    const std::string three = formatFixed(p, 0, 3);
    if (three.find_first_not_of("0.,") == std::string::npos) return "p < " + shorn(formatFixed(0.001, 0, 3));
    if (std::stod(three.substr(0, 1)) == 0 && three[2] == '0') return "p = " + shorn(three); // below .1
    const std::string two = formatFixed(p, 0, 2);
    if (two[0] != '0') return "p > " + shorn(formatFixed(0.99, 0, 2));
    return "p = " + shorn(two);
}

std::string howCommonAmongPeople(double percentOfPeople, int decimals) {
    if (percentOfPeople < 0.1) return "fewer than 1 in 1,000 people";
    return formatFixed(percentOfPeople, 0, decimals) + "% of people";
}

std::array<SummaryRow, IndexCount> summaryRows(const IndexResults& results) {
    std::array<SummaryRow, IndexCount> rows;
    for (std::size_t i = 0; i < IndexCount; ++i) {
        const IndexResult& r = results.indexes[i];
        SummaryRow& row = rows[i];
        row.index = indexDefinition(indexAt(i)).label;
        // The report's row formats: the score %6.0f, the limits %3.0f; the
        // percentile rounded as a letter prints it.
        row.score = formatFixed(r.score, 0, 0);
        row.lowerLimit = formatFixed(r.lowerLimit, 0, 0);
        row.upperLimit = formatFixed(r.upperLimit, 0, 0);
        row.percentile = letterPercent(r.percentile);
        row.classification = descriptiveClassification(std::stoi(row.score));
    }
    return rows;
}

std::string limitsHeading(ConfidenceMethod method) {
    switch (method) {
    case ConfidenceMethod::Traditional95: return "95% confidence limits (traditional method)";
    case ConfidenceMethod::Traditional90: return "90% confidence limits (traditional method)";
    case ConfidenceMethod::Glutting95: return "95% confidence limits (Glutting method)";
    case ConfidenceMethod::Glutting90: return "90% confidence limits (Glutting method)";
    }
    return "";
}

namespace {

const char* criterionWords(AbnormalityCriterion c) {
    switch (c) {
    case AbnormalityCriterion::Percent5: return "5 in 100";
    case AbnormalityCriterion::Percent10: return "10 in 100";
    case AbnormalityCriterion::Percent15: return "15 in 100";
    }
    return "";
}

std::string indexName(std::size_t i) { return indexDefinition(indexAt(i)).label; }

// The two Indexes of pair `i`, in the report's order (VC-PO is VC minus PO).
std::pair<std::size_t, std::size_t> pairIndexes(std::size_t i) {
    static constexpr std::pair<std::size_t, std::size_t> Pairs[PairCount] = {{0, 1}, {0, 2}, {0, 3},
                                                                             {1, 2}, {1, 3}, {2, 3}};
    return Pairs[i];
}

std::string printedScore(const IndexResults& results, std::size_t i) {
    return formatFixed(results.indexes[i].score, 0, 0);
}

// The differences between the scores as the table prints them: a reader
// subtracts the two printed scores and finds the printed difference.
std::vector<std::string> differenceSentences(const ComputationResults& r) {
    const IndexResults& results = r.index;
    const bool bonferroni = results.sequentialBonferroni;
    const std::string basis = results.differenceBasis == DifferenceBasis::Observed
                                  ? "comparing the scores as obtained"
                                  : "comparing estimated true scores, which allow for measurement error";
    const std::string correction = "p < .05 after sequential Bonferroni correction for the six comparisons";
    std::vector<std::string> sentences;
    for (std::size_t i = 0; i < PairCount; ++i) {
        const PairResult& p = results.pairs[i];
        const bool reliable = bonferroni ? p.bonferroniSignificant : p.twoTailedP < SignificanceLevel;
        if (!reliable) continue;
        const auto [first, second] = pairIndexes(i);
        const int points = std::stoi(printedScore(results, first)) - std::stoi(printedScore(results, second));
        std::string sentence =
            indexName(first) + " (" + printedScore(results, first) + ") is " + std::to_string(std::abs(points)) +
            " points " + (points >= 0 ? "higher" : "lower") + " than " + indexName(second) + " (" +
            printedScore(results, second) + "). The difference is reliable (" +
            (bonferroni ? correction : "two-tailed " + letterProbability(p.twoTailedP)) + ", " + basis + "); ";
        sentence += peopleInWords(r.abnormality.pairs[i].abnormalityPercent) +
                    " show a difference this large in this direction.";
        sentences.push_back(sentence);
    }
    if (sentences.empty())
        sentences.push_back("None of the six differences between the Index scores is reliable (" +
                            (bonferroni ? correction : std::string("two-tailed p < .05")) + ", " + basis + ").");
    return sentences;
}

std::string lowScoreParagraph(const ComputationResults& r, AbnormalityCriterion criterion) {
    const AbnormalityResults& a = r.abnormality;
    const std::string definition = std::string("an Index score is abnormally low when fewer than ") +
                                   criterionWords(criterion) + " people score lower";
    if (a.lowScoreCount == 0) return "None of the four Index scores is abnormally low (" + definition + ").";
    std::vector<std::string> low;
    for (std::size_t i = 0; i < a.lowScores.size(); ++i)
        if (a.lowScores[i]) low.push_back(indexName(i) + " (" + printedScore(r.index, i) + ")");
    static const char* const Counts[] = {"", "One of the four Index scores is", "Two of the four Index scores are",
                                         "Three of the four Index scores are", "All four Index scores are"};
    return std::string(Counts[std::clamp(a.lowScoreCount, 1, 4)]) + " abnormally low: " + joinWords(low) + ". " +
           capitalised(definition) + "; " + peopleInWords(a.lowScorePopulationPercent) +
           " have this many abnormally low scores or more.";
}

// The profile's distance in words: how many people have a profile at least
// as far from the average one, and whether that is as rare as the chosen
// criterion of abnormality.
std::string profileParagraph(const ProfileDistanceResult& profile, AbnormalityCriterion criterion) {
    const double percent = static_cast<double>(profile.p) * 100.0;
    static constexpr double CriterionPercent[] = {5, 10, 15};
    const char* verdict = percent < CriterionPercent[static_cast<std::size_t>(criterion)] ? "unusual"
                          : percent >= 50                                                 ? "common"
                                                                                          : "not unusual";
    return std::string(
               "Taken as a whole, in level and in pattern together, the profile of the four Index scores "
               "is ") +
           verdict + ": " + peopleInWords(percent) + " have one at least this far from the average profile.";
}

std::string escapeHtml(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

const char* const LimitsDash = "\u2013"; // an en dash, as in "101–115"

} // namespace

CaseSummary summarizeCase(const CaseRecord& c) {
    CaseSummary s;
    const Session& p = c.session;
    s.heading = sessionLine(p);
    if (s.heading.empty()) s.heading = oneLineText(c.notesHeadline());
    if (s.heading.empty()) s.heading = "Case computed " + computedAtText(c);
    std::vector<std::string> details;
    if (!p.referral.empty()) details.push_back("Reason for referral: " + oneLineText(p.referral) + ".");
    if (!p.person.empty() && !c.notesHeadline().empty()) details.push_back("Notes: " + oneLineText(c.notesHeadline()));
    // Dates a clinician confirmed although they looked like a slip are said
    // plainly, as the question put them.
    for (const std::string& doubt : sessionDoubts(p, computedAtText(c).substr(0, 10), "the day it was scored"))
        details.push_back(doubt);
    for (std::size_t i = 0; i < details.size(); ++i) s.details += (i ? " " : "") + details[i];
    s.basis = "Index scores of the WAIS-III estimated from seven subtests (short form).";
    s.limitsHead = limitsHeading(c.results.index.confidenceMethod);
    s.rows = summaryRows(c.results.index);
    s.paragraphs = differenceSentences(c.results);
    s.paragraphs.push_back(lowScoreParagraph(c.results, c.input.abnormalityCriterion));
    s.paragraphs.push_back(profileParagraph(c.results.profile, c.input.abnormalityCriterion));
    return s;
}

std::string summaryText(const CaseSummary& s) {
    std::string out = s.heading + "\n";
    if (!s.details.empty()) out += s.details + "\n";
    out += s.basis + "\n\n";
    out += "Index\tScore\t" + s.limitsHead + "\tPercentile\tClassification\n";
    for (const SummaryRow& r : s.rows)
        out += r.index + "\t" + r.score + "\t" + r.lowerLimit + LimitsDash + r.upperLimit + "\t" + r.percentile + "\t" +
               r.classification + "\n";
    for (const std::string& paragraph : s.paragraphs) out += "\n" + paragraph + "\n";
    return out;
}

std::string summaryHtml(const CaseSummary& s) {
    std::string out = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + escapeHtml(s.heading) +
                      "</title></head>\n<body>\n<p><b>" + escapeHtml(s.heading) + "</b></p>\n";
    if (!s.details.empty()) out += "<p>" + escapeHtml(s.details) + "</p>\n";
    out += "<p>" + escapeHtml(s.basis) + "</p>\n";
    out += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\">\n<tr><th>Index</th><th>Score</th><th>" +
           escapeHtml(s.limitsHead) + "</th><th>Percentile</th><th>Classification</th></tr>\n";
    for (const SummaryRow& r : s.rows)
        out += "<tr><td>" + escapeHtml(r.index) + "</td><td align=\"right\">" + r.score + "</td><td align=\"center\">" +
               r.lowerLimit + LimitsDash + r.upperLimit + "</td><td align=\"right\">" + escapeHtml(r.percentile) +
               "</td><td>" + r.classification + "</td></tr>\n";
    out += "</table>\n";
    for (const std::string& paragraph : s.paragraphs) out += "<p>" + escapeHtml(paragraph) + "</p>\n";
    return out + "</body></html>\n";
}

} // namespace kalden
