#include <algorithm>
#include <cerrno>
#include <ctime>
#include <ostream>

#include "cli/CasesCommand.h"
#include "cli/ErrorText.h"
#include "cli/ExitStatus.h"
#include "files/CaseExport.h"
#include "files/CaseStore.h"
#include "files/DataHome.h"
#include "files/PersonTraces.h"
#include "files/PreviousDataFile.h"
#include "format/CountText.h"
#include "report/CaseRecord.h"
#include "report/PersonMatch.h"

// kalden-report --cases delete and --cases correct: the two actions that
// change the records, each in one transaction of the store's.

namespace kalden::cli {

namespace {

// The cases named and the store's path, read before anything is changed.
struct Target {
    std::string path;
    std::vector<CaseListRow> rows; // every recorded case
    std::vector<std::int64_t> ids; // the cases to change
    std::vector<std::string> keys; // with --whole-person: their persons
    std::vector<RecordedPerson> persons;
    std::vector<std::string> formerKeys; // of the names they had before a correction
};

// Said where a reader kept a deletion's text in the log.
constexpr const char* FinishLater =
    "kalden-report: once that program has closed, kalden-report --cases finish-erasure finishes it\n";

int cannotChange(const char* what, const std::string& path, const std::string& error, std::ostream& err) {
    err << "kalden-report: cannot " << what << " the cases in " << escapeControls(path) << ": " << escapeControls(error)
        << '\n';
    return ExitNotChanged;
}

// Reads the records and finds the cases the settings name; ExitOk, or the
// status of what went wrong (said).
int findTarget(const CasesSettings& s, Target& t, std::ostream& err) {
    t.path = s.database ? *s.database : defaultCaseStorePath();
    CaseStore store;
    std::string error;
    if (!store.open(t.path, CaseStore::Access::ReadOnly, error, s.database ? StoreOwner::Anyone : StoreOwner::User) ||
        !store.list({}, t.rows, error) || !store.persons(t.persons, error)) {
        err << "kalden-report: cannot read the case records in " << escapeControls(t.path) << ": " << error << '\n';
        return ExitNoInput;
    }
    for (const std::string& text : s.ids) {
        const std::int64_t id = std::stoll(text);
        const auto row = std::find_if(t.rows.begin(), t.rows.end(), [id](const CaseListRow& r) { return r.id == id; });
        if (row == t.rows.end()) {
            err << "kalden-report: there is no case " << id << " in " << escapeControls(t.path) << '\n';
            return ExitNoSuchCase;
        }
        t.ids.push_back(id);
        if (!s.wholePerson) continue;
        const std::string key = personKey(row->session.person);
        if (key.empty()) {
            err << "kalden-report: case " << id << " names no person, so --whole-person cannot apply to it\n";
            return ExitUsage;
        }
        if (std::find(t.keys.begin(), t.keys.end(), key) == t.keys.end()) t.keys.push_back(key);
    }
    for (const CaseListRow& r : t.rows)
        if (std::find(t.keys.begin(), t.keys.end(), personKey(r.session.person)) != t.keys.end() &&
            std::find(t.ids.begin(), t.ids.end(), r.id) == t.ids.end())
            t.ids.push_back(r.id);
    if (!store.formerPersonKeys(t.keys, t.formerKeys, error)) {
        err << "kalden-report: cannot read the case records in " << escapeControls(t.path) << ": " << error << '\n';
        return ExitNoInput;
    }
    return ExitOk;
}

// The recorded persons whose names differ a little from those changed are
// named, so that a mistyped one is not left behind unseen.
void nameNearPersons(const Target& t, const char* action, std::ostream& err) {
    for (const RecordedPerson& p : t.persons)
        for (const std::string& key : t.keys) {
            if (std::find(t.keys.begin(), t.keys.end(), p.key) != t.keys.end() || !nearPerson(key, p.key)) continue;
            err << "kalden-report: \"" << escapeControls(p.person) << "\" (" << countOf(p.cases, "case", "cases")
                << ") is also recorded, whose name differs by " << distanceText(keyDistance(key, p.key))
                << "; it was not " << action
                << ": name one of its cases with --whole-person if it is the same person\n";
            break;
        }
}

// The persons as the cases named first name them.
std::string personsOf(const Target& t) {
    std::string names;
    for (std::size_t i = 0; i < t.keys.size(); ++i) {
        std::string name = t.keys[i];
        for (auto id = t.ids.rbegin(); id != t.ids.rend(); ++id) {
            const auto row =
                std::find_if(t.rows.begin(), t.rows.end(), [&](const CaseListRow& r) { return r.id == *id; });
            if (row != t.rows.end() && personKey(row->session.person) == t.keys[i]) name = row->session.person;
        }
        names += (i == 0 ? "" : i + 1 == t.keys.size() ? " and " : ", ") + escapeControls(name);
    }
    return names;
}

int localOffsetMinutes(std::time_t t) {
    std::tm local{};
    std::tm utc{};
#ifdef _WIN32
    localtime_s(&local, &t);
    gmtime_s(&utc, &t);
#else
    localtime_r(&t, &local);
    gmtime_r(&t, &utc);
#endif
    // Both read back as local times: they differ by the offset.
    utc.tm_isdst = local.tm_isdst;
    return static_cast<int>(std::difftime(std::mktime(&local), std::mktime(&utc)) / 60);
}

std::string casesText(std::size_t n) { return countOf(static_cast<std::int64_t>(n), "case", "cases"); }

} // namespace

int deleteCases(const CasesSettings& s, std::ostream& out, std::ostream& err) {
    Target t;
    if (const int status = findTarget(s, t, err); status != ExitOk) return status;
    // The places beside the user's own records that hold the persons erased.
    const std::string folder = userDataFolder(userDataHome());
    std::vector<TracePlace> places;
    if (s.wholePerson && !s.database) {
        ErasedPeople erased;
        erased.keys = t.keys;
        erased.formerKeys = t.formerKeys;
        for (const CaseListRow& r : t.rows)
            if (std::find(t.ids.begin(), t.ids.end(), r.id) != t.ids.end()) erased.inputs.push_back(r.fieldTexts);
        places = findPersonTraces(folder, DataFileNames{}, erased);
    }
    CaseStore store;
    std::string error;
    if (!store.open(t.path, CaseStore::Access::ReadWrite, error, s.database ? StoreOwner::Anyone : StoreOwner::User))
        return cannotChange("delete", t.path, error, err);
    const bool deleted = s.wholePerson ? store.removePeople(t.keys, error) : store.remove(t.ids, error);
    store.close();
    if (!deleted) return cannotChange("delete", t.path, error, err);
    int status = ExitOk;
    if (!error.empty()) {
        status = cannotChange("fully delete", t.path, error, err);
        if (store.erasurePending()) err << FinishLater;
    }
    out << "Deleted " << casesText(t.ids.size());
    if (s.wholePerson) out << " of " << personsOf(t);
    out << ".\n";
    std::string failed;
    std::string reason;
    if (!clearPersonTraces(folder, DataFileNames{}, places, failed, reason)) {
        err << "kalden-report: cannot clear the erased person from " << escapeControls(failed) << ": " << reason
            << '\n';
        status = ExitNotChanged;
    }
    for (const TracePlace place : places) out << "Also cleared " << tracePlaceText(place, DataFileNames{}) << ".\n";
    nameNearPersons(t, "deleted", err);
    return status;
}

int finishErasure(const CasesSettings& s, std::ostream& out, std::ostream& err) {
    const std::string path = s.database ? *s.database : defaultCaseStorePath();
    CaseStore store;
    std::string error;
    if (!store.open(path, CaseStore::Access::ReadWrite, error, s.database ? StoreOwner::Anyone : StoreOwner::User) ||
        !store.finishErasure(error)) {
        cannotChange("finish erasing", path, error, err);
        if (store.erasurePending()) err << FinishLater;
        return ExitNotChanged;
    }
    out << "The erasure is finished: nothing deleted stays in the records' log.\n";
    return ExitOk;
}

int correctCases(const CasesSettings& s, std::ostream& out, std::ostream& err) {
    Target t;
    if (const int status = findTarget(s, t, err); status != ExitOk) return status;
    for (const CaseListRow& r : t.rows) {
        if (std::find(t.ids.begin(), t.ids.end(), r.id) == t.ids.end()) continue;
        Session corrected = r.session;
        for (const SessionChange& c : s.corrections) sessionValue(corrected, c.field) = c.value;
        // A case recorded before the date of testing was kept may stay without one.
        const std::string problem = corrected.testingDate.empty() ? std::string() : sessionProblem(corrected);
        if (!problem.empty()) {
            err << "kalden-report: case " << r.id << " cannot be corrected so: " << escapeControls(problem) << '\n';
            return ExitUsage;
        }
        // The command line cannot ask: what would be asked is said, and done.
        const std::time_t now = std::time(nullptr);
        const std::string today = localTimeText(now, localOffsetMinutes(now)).substr(0, 10);
        for (const std::string& doubt : sessionDoubts(corrected, today, "today"))
            err << "kalden-report: note: case " << r.id << ": " << escapeControls(doubt) << '\n';
    }
    CaseStore store;
    std::string error;
    std::int64_t corrected = 0;
    const std::time_t now = std::time(nullptr);
    if (!store.open(t.path, CaseStore::Access::ReadWrite, error, s.database ? StoreOwner::Anyone : StoreOwner::User) ||
        !store.correct(t.ids, s.corrections, now, localOffsetMinutes(now), corrected, error))
        return cannotChange("correct", t.path, error, err);
    store.close();
    out << "Corrected " << casesText(static_cast<std::size_t>(corrected)) << " of " << casesText(t.ids.size())
        << " named";
    if (s.wholePerson) out << " (every case of " << personsOf(t) << ")";
    out << ".\n";
    nameNearPersons(t, "corrected", err);
    return ExitOk;
}

} // namespace kalden::cli
