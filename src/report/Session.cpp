#include "report/Session.h"

#include <chrono>

#include "format/VisibleText.h"

namespace kalden {

namespace {

std::chrono::year_month_day dayOf(const std::string& text) {
    using namespace std::chrono;
    const int y = std::stoi(text.substr(0, 4));
    const unsigned m = static_cast<unsigned>(std::stoi(text.substr(5, 2)));
    const unsigned d = static_cast<unsigned>(std::stoi(text.substr(8, 2)));
    return year_month_day{year{y}, month{m}, day{d}};
}

} // namespace

bool isCalendarDay(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (const std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
        if (text[i] < '0' || text[i] > '9') return false;
    return dayOf(text).ok();
}

long daysBetween(const std::string& from, const std::string& to) {
    using namespace std::chrono;
    return static_cast<long>((sys_days{dayOf(to)} - sys_days{dayOf(from)}).count());
}

std::string sessionProblem(const Session& s) {
    if (!isCalendarDay(s.testingDate))
        return "The date of testing must be a day of the calendar written YYYY-MM-DD (2026-03-01, say).";
    if (!s.birthDate.empty() && !isCalendarDay(s.birthDate))
        return "The date of birth must be a day of the calendar written YYYY-MM-DD (1961-04-12, say), or empty.";
    if (!s.birthDate.empty() && daysBetween(s.birthDate, s.testingDate) < 0)
        return "The date of birth (" + s.birthDate + ") comes after the date of testing (" + s.testingDate + ").";
    if (s.referral.find_first_of("\r\n") != std::string::npos) return "The reason for referral is one line.";
    return {};
}

Session checkedRememberedSession(Session s, std::string& dropped) {
    dropped.clear();
    if (s.birthDate.empty()) return s;
    if (!isCalendarDay(s.birthDate))
        dropped = "The date of birth remembered from the last start (" + oneLineText(s.birthDate) +
                  ") is not a day of the calendar and was left out.";
    else if (isCalendarDay(s.testingDate) && daysBetween(s.birthDate, s.testingDate) < 0)
        dropped = "The date of birth remembered from the last start (" + s.birthDate +
                  ") comes after the date of testing and was left out.";
    if (!dropped.empty()) s.birthDate.clear();
    return s;
}

std::optional<Age> ageAtTesting(const Session& s) {
    if (!isCalendarDay(s.birthDate) || !isCalendarDay(s.testingDate) || daysBetween(s.birthDate, s.testingDate) < 0)
        return std::nullopt;
    const std::chrono::year_month_day birth = dayOf(s.birthDate), testing = dayOf(s.testingDate);
    int months = (static_cast<int>(testing.year()) - static_cast<int>(birth.year())) * 12 +
                 static_cast<int>(static_cast<unsigned>(testing.month())) -
                 static_cast<int>(static_cast<unsigned>(birth.month()));
    // A month is complete on the day of the month of the birth.
    if (testing.day() < birth.day()) --months;
    return Age{months / 12, months % 12};
}

std::string ageText(Age age) {
    const auto count = [](int n, const char* unit) { return std::to_string(n) + ' ' + unit + (n == 1 ? "" : "s"); };
    return count(age.years, "year") + ' ' + count(age.months, "month");
}

std::string ageColumnText(Age age) { return std::to_string(age.years) + ';' + std::to_string(age.months); }

std::vector<std::string> sessionDoubts(const Session& s, const std::string& today, const std::string& todayName) {
    std::vector<std::string> doubts;
    if (isCalendarDay(s.testingDate) && isCalendarDay(today) && daysBetween(today, s.testingDate) > 0)
        doubts.push_back("The date of testing (" + s.testingDate + ") is later than " + todayName + " (" + today +
                         ").");
    if (const std::optional<Age> age = ageAtTesting(s);
        age && (age->years < YoungestAdultAge || age->years > OldestAdultAge))
        doubts.push_back("The age at testing, " + ageText(*age) +
                         ", is outside the adult range of this test's norms (" + std::to_string(YoungestAdultAge) +
                         " to " + std::to_string(OldestAdultAge) + " years).");
    return doubts;
}

std::string sessionLine(const Session& s) {
    std::string line = s.person;
    if (!s.birthDate.empty()) line += (line.empty() ? "born " : " (born ") + s.birthDate + (line.empty() ? "" : ")");
    if (!s.testingDate.empty()) line += (line.empty() ? "Tested " : ", tested ") + s.testingDate;
    if (const std::optional<Age> age = ageAtTesting(s)) line += " (age " + ageText(*age) + ")";
    if (!s.examiner.empty()) line += (line.empty() ? "Examiner " : " by ") + s.examiner;
    return oneLineText(line);
}

std::string& sessionValue(Session& s, SessionField field) {
    switch (field) {
    case SessionField::Person: return s.person;
    case SessionField::BirthDate: return s.birthDate;
    case SessionField::TestingDate: return s.testingDate;
    case SessionField::Examiner: return s.examiner;
    case SessionField::Referral: break;
    }
    return s.referral;
}

const std::string& sessionValue(const Session& s, SessionField field) {
    return sessionValue(const_cast<Session&>(s), field);
}

const char* sessionFieldName(SessionField field) {
    switch (field) {
    case SessionField::Person: return "person";
    case SessionField::BirthDate: return "date of birth";
    case SessionField::TestingDate: return "date of testing";
    case SessionField::Examiner: return "examiner";
    case SessionField::Referral: break;
    }
    return "reason for referral";
}

std::vector<SessionChange> sessionChanges(const Session& before, const Session& after) {
    std::vector<SessionChange> out;
    for (const SessionField f : SessionFields)
        if (sessionValue(before, f) != sessionValue(after, f)) out.push_back({f, sessionValue(after, f)});
    return out;
}

} // namespace kalden
