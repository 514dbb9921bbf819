#pragma once

#include <optional>
#include <string>
#include <vector>

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

// The parts of a session one by one, for a correction of a recorded case.
enum class SessionField { Person, BirthDate, TestingDate, Examiner, Referral };
inline constexpr SessionField SessionFields[] = {SessionField::Person, SessionField::BirthDate,
                                                 SessionField::TestingDate, SessionField::Examiner,
                                                 SessionField::Referral};
struct SessionChange {
    SessionField field = SessionField::Person;
    std::string value;
};
std::string& sessionValue(Session& s, SessionField field);
const std::string& sessionValue(const Session& s, SessionField field);
// "person", "date of birth", "date of testing", "examiner", "reason for referral".
const char* sessionFieldName(SessionField field);
// The fields whose values differ from `before` to `after`, with their new
// values.
std::vector<SessionChange> sessionChanges(const Session& before, const Session& after);

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

// A session remembered from an earlier start, checked as the dialog checks a
// typed one: a date of birth that is no day of the calendar, or after the
// date of testing, is dropped and `dropped` says so in one sentence;
// everything else is kept.
Session checkedRememberedSession(Session s, std::string& dropped);

// The age at testing in completed years and months.
struct Age {
    int years = 0;
    int months = 0;
};
// The age on the date of testing, where both dates are days of the calendar
// and the birth is no later than the testing.
std::optional<Age> ageAtTesting(const Session& s);
// "64 years 10 months", "1 year 1 month".
std::string ageText(Age age);
// "64;10": years and months for a column.
std::string ageColumnText(Age age);

// The adult ages this test's norms are for.
inline constexpr int YoungestAdultAge = 16;
inline constexpr int OldestAdultAge = 89;

// What may be a slip in a session that is otherwise sound, one sentence
// each: a date of testing later than `today` (YYYY-MM-DD, which a sentence
// calls `todayName`), an age outside the adult range of the norms.
std::vector<std::string> sessionDoubts(const Session& s, const std::string& today, const std::string& todayName);

// "Ann B. (born 1961-04-12), tested 2026-12-09 (age 65 years 7 months) by
// Dr C. Diaz": the session in one line for a title or a heading; the parts
// that are empty left out.
std::string sessionLine(const Session& s);

} // namespace kalden
