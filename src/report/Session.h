#pragma once

#include <string>

namespace kalden {

// Who was tested, when, by whom and why: kept with every case and carried
// through everything around the report (the chart, the PDF, the summary, the
// case list), never into the report itself, which stays as the program has
// always printed it.
struct Session {
    std::string person;      // a name or any identifier; a pseudonym is enough
    std::string birthDate;   // YYYY-MM-DD, or empty
    std::string testingDate; // YYYY-MM-DD
    std::string examiner;
    std::string referral; // the reason for referral, one line

    bool operator==(const Session&) const = default;
};

// Whether `text` is a day of the calendar written YYYY-MM-DD: 2024-02-29 is
// one, 2026-02-31 and 2026-13-40 are not.
bool isCalendarDay(const std::string& text);

// Whole days from `from` to `to`, both calendar days (negative when `to`
// comes first).
long daysBetween(const std::string& from, const std::string& to);

// What is wrong with a session a clinician entered, as one message, or
// nothing: the dates must be calendar days (the date of birth may be empty),
// the birth no later than the testing.
std::string sessionProblem(const Session& s);

// "Ann B. (born 1961-04-12), tested 2026-12-09 by Dr C. Diaz": the session
// in one line for a title or a heading; the parts that are empty left out.
std::string sessionLine(const Session& s);

} // namespace kalden
