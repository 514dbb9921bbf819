#include "report/CaseSummary.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <utility>

#include "format/NumberFormat.h"
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

std::string letterPercentile(double percentile) {
    const std::string printed = formatFixed(percentile, 0, 1); // the report's %13.1f
    if (printed == formatFixed(0.0, 0, 1)) return "<" + formatFixed(0.1, 0, 1);
    if (printed == formatFixed(100.0, 0, 1)) return ">" + formatFixed(99.9, 0, 1);
    return printed;
}

std::array<SummaryRow, IndexCount> summaryRows(const IndexResults& results) {
    std::array<SummaryRow, IndexCount> rows;
    for (std::size_t i = 0; i < IndexCount; ++i) {
        const IndexResult& r = results.indexes[i];
        SummaryRow& row = rows[i];
        row.index = indexDefinition(indexAt(i)).label;
        // The report's row formats: the score %6.0f, the limits %3.0f, the
        // percentile %13.1f; the same digits without the padding.
        row.score = formatFixed(r.score, 0, 0);
        row.lowerLimit = formatFixed(r.lowerLimit, 0, 0);
        row.upperLimit = formatFixed(r.upperLimit, 0, 0);
        row.percentile = letterPercentile(r.percentile);
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

std::string letterProbability(double p, int decimals) {
    std::string text = formatFixed(p, 0, decimals);
    const bool zero = text.find_first_not_of("0.,") == std::string::npos;
    if (zero) text = formatFixed(std::pow(10.0, -decimals), 0, decimals);
    if (text.size() > 1 && text[0] == '0') text.erase(0, 1);
    return (zero ? "p < " : "p = ") + text;
}

std::string howCommonAmongPeople(double percentOfPeople, int decimals) {
    if (percentOfPeople < 0.1) return "fewer than 1 in 1,000 people";
    return formatFixed(percentOfPeople, 0, decimals) + "% of people";
}

namespace {

std::string percent(double value, int decimals) { return formatFixed(value, 0, decimals) + "%"; }

// How many people show something as rare as a percentage says, in words.
std::string howCommon(double percentOfPopulation, int decimals) {
    if (percentOfPopulation < 0.1) return "fewer than 1 in 1,000 people";
    return percent(percentOfPopulation, decimals) + " of the population";
}

const char* criterionWords(AbnormalityCriterion c) {
    switch (c) {
    case AbnormalityCriterion::Percent5: return "5%";
    case AbnormalityCriterion::Percent10: return "10%";
    case AbnormalityCriterion::Percent15: return "15%";
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

std::vector<std::string> differenceSentences(const ComputationResults& r) {
    const IndexResults& results = r.index;
    const bool bonferroni = results.sequentialBonferroni;
    const std::string basis =
        results.differenceBasis == DifferenceBasis::Observed ? "observed scores" : "estimated true scores";
    std::vector<std::string> sentences;
    for (std::size_t i = 0; i < PairCount; ++i) {
        const PairResult& p = results.pairs[i];
        const bool reliable = bonferroni ? p.bonferroniSignificant : p.twoTailedP < SignificanceLevel;
        if (!reliable) continue;
        const auto [first, second] = pairIndexes(i);
        const bool higher = p.difference >= 0;
        std::string sentence = indexName(first) + " (" + formatFixed(results.indexes[first].score, 0, 0) + ") is " +
                               formatFixed(std::fabs(p.difference), 0, 0) + " points " + (higher ? "higher" : "lower") +
                               " than " + indexName(second) + " (" + formatFixed(results.indexes[second].score, 0, 0) +
                               "), a reliable difference (" +
                               (bonferroni ? "p < .05 after sequential Bonferroni correction"
                                           : "two-tailed " + letterProbability(p.twoTailedP, 3)) +
                               ", " + basis + "); ";
        const double rarity = r.abnormality.pairs[i].abnormalityPercent;
        sentence += howCommon(rarity, 3) + " show a difference this large in this direction.";
        sentences.push_back(sentence);
    }
    if (sentences.empty())
        sentences.push_back(std::string("None of the six differences between the Index scores is reliable (") +
                            (bonferroni ? "p < .05 after sequential Bonferroni correction" : "two-tailed p < .05") +
                            ", " + basis + ").");
    return sentences;
}

std::string lowScoreParagraph(const ComputationResults& r, AbnormalityCriterion criterion) {
    const AbnormalityResults& a = r.abnormality;
    const std::string definition = std::string("an Index score is abnormally low when fewer than ") +
                                   criterionWords(criterion) + " of the population score lower";
    if (a.lowScoreCount == 0) return "None of the four Index scores is abnormally low (" + definition + ").";
    static const char* const Counts[] = {"", "One of the four Index scores is", "Two of the four Index scores are",
                                         "Three of the four Index scores are", "All four Index scores are"};
    const std::string count = Counts[std::clamp(a.lowScoreCount, 1, 4)];
    return count + " abnormally low (" + definition + "); " + howCommon(a.lowScorePopulationPercent, 2) +
           " have this many or more.";
}

std::string profileParagraph(const ProfileDistanceResult& profile) {
    return "Taken as a whole, the profile of the four Index scores has a Mahalanobis distance of chi-square = " +
           formatFixed(static_cast<double>(profile.chiSquare), 0, 3) + " (" +
           letterProbability(static_cast<double>(profile.p), 5) +
           "): " + howCommon(static_cast<double>(profile.p) * 100.0, 3) + " have a profile at least this unusual.";
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
    if (s.heading.empty()) s.heading = c.notesHeadline();
    if (s.heading.empty()) s.heading = "Case computed " + computedAtText(c);
    std::vector<std::string> details;
    if (!p.referral.empty()) details.push_back("Reason for referral: " + p.referral + ".");
    if (!p.person.empty() && !c.notesHeadline().empty()) details.push_back("Notes: " + c.notesHeadline());
    for (std::size_t i = 0; i < details.size(); ++i) s.details += (i ? " " : "") + details[i];
    s.basis = "Index scores of the WAIS-III estimated from seven subtests (short form).";
    s.limitsHead = limitsHeading(c.results.index.confidenceMethod);
    s.rows = summaryRows(c.results.index);
    s.paragraphs = differenceSentences(c.results);
    s.paragraphs.push_back(lowScoreParagraph(c.results, c.input.abnormalityCriterion));
    s.paragraphs.push_back(profileParagraph(c.results.profile));
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
