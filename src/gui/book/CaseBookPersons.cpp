#include "gui/book/CaseBook.h"

#include <algorithm>
#include <map>

#include <QDateTime>
#include <QTextBlock>
#include <QTextDocument>

#include "format/CountText.h"
#include "format/VisibleText.h"
#include "gui/platform/Services.h"
#include "gui/platform/WindowHelpers.h"
#include "report/PersonMatch.h"

// The case book's persons: one person however the name was typed, a
// recorded person corrected, and a person erased from everywhere the
// program keeps them.

namespace kalden {

namespace {

QString shown(const std::string& text) { return QString::fromUtf8(visibleText(text)); }

QString casesText(std::int64_t n) { return QString::fromStdString(countOf(n, "case", "cases")); }

} // namespace

// Quiet when the store fails: what the lookup is for (recording, deleting)
// says so itself.
CaseBook::PersonLookup CaseBook::lookUpPerson(const std::string& person) {
    const std::string key = personKey(person);
    PersonLookup found;
    std::string error;
    std::optional<CaseStore> store = key.empty() ? std::nullopt : records().open(error);
    std::vector<RecordedPerson> persons;
    if (!store || !store->persons(persons, error)) return found;
    store.reset();
    for (const RecordedPerson& p : persons) {
        if (p.key == key) found.cases = p.cases;
        if (nearPerson(key, p.key)) found.nearNames.push_back(p);
    }
    std::stable_sort(found.nearNames.begin(), found.nearNames.end(),
                     [&key](const RecordedPerson& a, const RecordedPerson& b) {
                         return keyDistance(key, a.key) < keyDistance(key, b.key);
                     });
    return found;
}

Session CaseBook::matchRecordedPerson(const Session& session) {
    if (!keepRecords()) return session;
    return askSamePerson(session);
}

Session CaseBook::askSamePerson(const Session& session) {
    const std::string key = personKey(session.person);
    const PersonLookup found = lookUpPerson(session.person);
    if (found.cases > 0) return session;
    for (const RecordedPerson& p : found.nearNames) {
        const QString question =
            QStringLiteral(
                "\"%1\" is not in the records, but \"%2\" is (%3), whose name differs by %4.\r\rIs this the same "
                "person?\rYes records the case as \"%2\"; No records it as a new person.")
                .arg(shown(session.person), shown(p.person), casesText(p.cases),
                     QString::fromStdString(distanceText(keyDistance(key, p.key))));
        if (!boxes_.confirm(question)) continue;
        Session matched = session;
        matched.person = p.person;
        return matched;
    }
    return session;
}

std::optional<CaseBook::Imported> CaseBook::importCases(std::vector<FiledCase> cases) {
    std::vector<CaseListRow> rows;
    if (!listRecords(rows)) return std::nullopt;
    std::map<std::string, std::string> recordedAs; // each person as typed, as the records name them
    std::vector<StoredCase> added;
    Imported imported;
    for (FiledCase& c : cases) {
        Session& s = c.record.session;
        if (!s.person.empty()) {
            auto named = recordedAs.find(s.person);
            if (named == recordedAs.end()) named = recordedAs.emplace(s.person, askSamePerson(s).person).first;
            s.person = named->second;
        }
        const bool recorded = std::any_of(rows.begin(), rows.end(), [&c](const CaseListRow& r) {
            return r.computedUtc == c.record.computedUtc && r.fieldTexts == c.record.fieldTexts &&
                   r.session.person == c.record.session.person;
        });
        if (recorded)
            ++imported.already;
        else
            added.push_back({0, std::move(c.version), std::move(c.record)});
    }
    if (added.empty()) return imported;
    std::optional<CaseStore> store = openStore(FileAction::ImportCases);
    if (!store) return std::nullopt;
    std::string error;
    if (!store->addAll(added, error)) {
        storeFailed(FileAction::ImportCases, error);
        return std::nullopt;
    }
    store.reset(); // let go of it before the windows read it again
    imported.added = static_cast<std::int64_t>(added.size());
    emit caseRecorded();
    return imported;
}

std::optional<std::int64_t> CaseBook::correctRecords(const std::vector<std::int64_t>& ids,
                                                     const std::vector<SessionChange>& changes) {
    std::optional<CaseStore> store = openStore(FileAction::CorrectCases);
    if (!store) return std::nullopt;
    const QDateTime now = QDateTime::currentDateTime();
    std::int64_t corrected = 0;
    std::string error;
    if (!store->correct(ids, changes, now.toSecsSinceEpoch(), now.offsetFromUtc() / 60, corrected, error)) {
        storeFailed(FileAction::CorrectCases, error);
        return std::nullopt;
    }
    store.reset();
    // The cases shown take the new values: their charts, PDF and summary.
    for (Entry& e : entries_) {
        if (std::find(ids.begin(), ids.end(), e.id) == ids.end()) continue;
        for (const SessionChange& c : changes) sessionValue(e.record.session, c.field) = c.value;
    }
    emit casesChanged();
    return corrected;
}

namespace {

bool entryOf(const CaseBook::Entry& e, const ErasedPeople& erased) {
    if (erased.everyone) return true;
    if (erased.names(e.record.session.person)) return true;
    return e.comparison && (erased.names(e.comparison->first.record.session.person) ||
                            erased.names(e.comparison->second.record.session.person));
}

} // namespace

ErasedPeople CaseBook::withFormerNames(ErasedPeople erased) {
    std::optional<CaseStore> store = erased.everyone ? std::nullopt : openStore(FileAction::ReadCases);
    std::string error;
    if (store && !store->formerPersonKeys(erased.keys, erased.formerKeys, error))
        storeFailed(FileAction::ReadCases, error);
    return erased;
}

std::vector<QString> CaseBook::erasurePlaces(const ErasedPeople& people) {
    const ErasedPeople erased = withFormerNames(people);
    std::vector<QString> places;
    for (const TracePlace place : findPersonTraces(dataFolder(), fileNames_, erased))
        places.push_back(QString::fromStdString(tracePlaceText(place, fileNames_)));
    if (worksheet_.holds && worksheet_.holds(erased))
        places.push_back(QStringLiteral("the scores, notes and person in the worksheet"));
    const auto shownReports =
        std::count_if(entries_.begin(), entries_.end(), [&erased](const Entry& e) { return entryOf(e, erased); });
    if (shownReports > 0)
        places.push_back(shownReports == 1
                             ? QStringLiteral("1 report in the results window and its chart")
                             : QStringLiteral("%1 reports in the results window and its chart").arg(shownReports));
    return places;
}

bool CaseBook::erasePeople(const ErasedPeople& people) {
    const ErasedPeople erased = withFormerNames(people);
    const std::vector<TracePlace> places = findPersonTraces(dataFolder(), fileNames_, erased);
    const bool deleted = changeStore([&erased](CaseStore& store, std::string& error) {
        return erased.everyone ? store.removeAll(error) : store.removePeople(erased.keys, error);
    });
    if (!deleted) return false;
    std::string path;
    std::string error;
    if (!clearPersonTraces(dataFolder(), fileNames_, places, path, error))
        boxes_.error(systemReason(fileErrorMessage(FileAction::ClearPerson, path, error)));
    if (worksheet_.holds && worksheet_.holds(erased)) worksheet_.forget();
    forget([&erased](const Entry& e) { return entryOf(e, erased); });
    emit peopleErased(erased);
    return true;
}

// Runs of erased entries, last first, so that the places of those before
// stay as they are.
void CaseBook::forget(const std::function<bool(const Entry&)>& erased) {
    bool changed = false;
    for (std::size_t end = entries_.size(); end > 0;) {
        if (!erased(entries_[end - 1])) {
            --end;
            continue;
        }
        std::size_t begin = end - 1;
        while (begin > 0 && erased(entries_[begin - 1])) --begin;
        const int from = entries_[begin].start.position();
        const bool last = end == entries_.size();
        // The last case's lines end where the text ends, or where the line
        // of a removal after them begins.
        int to = last ? document_->characterCount() - 1 : entries_[end].start.position();
        for (const QTextCursor& note : removalLines_)
            if (last && note.position() > from) to = std::min(to, note.position());
        QTextCursor span(document_);
        span.setPosition(from);
        span.setPosition(to, QTextCursor::KeepAnchor);
        const bool lineEnded = span.selectedText().endsWith(QChar::ParagraphSeparator);
        const std::size_t n = end - begin;
        QString line = n == 1 ? QStringLiteral("A report was removed here: its case was deleted.")
                              : QStringLiteral("%1 reports were removed here: their cases were deleted.").arg(n);
        if (lineEnded || !last) line += u'\n';
        span.insertText(line);
        removalLines_.emplace_back(document_);
        removalLines_.back().setPosition(from);
        if (!last) entries_[end].start.setPosition(from + static_cast<int>(line.size()));
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(begin),
                       entries_.begin() + static_cast<std::ptrdiff_t>(end));
        end = begin;
        changed = true;
    }
    if (changed) emit casesChanged();
}

} // namespace kalden
