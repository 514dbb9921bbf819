#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QObject>
#include <QTextCursor>

#include "files/CaseRecords.h"
#include "files/FileErrors.h"
#include "files/PersonTraces.h"
#include "report/CaseFile.h"
#include "report/CaseRecord.h"
#include "report/ChangeReport.h"
#include "report/ReportComposer.h"
#include "report/ReportLines.h"
#include "report/ScoreCase.h"

class QTextDocument;

namespace kalden {

class MessageBoxes;
class ProgramHost;

// What the desktop shows of its cases, owned by no window: the text where
// reports accumulate (a document the results window shows and the user may
// edit), the cases computed or brought back since the last Clear Results
// with the place their lines begin, the comparisons among them, and the
// user's case records (where they are kept and whether each Compute is
// recorded). The worksheet and the Cases window add to it; the results
// window, its chart and PDF, and the Cases window show it.
class CaseBook : public QObject {
    Q_OBJECT

public:
    // Where an appended report came from.
    enum class Source { Computed, Stored, Comparison };

    // A case and where its lines begin in the text; the cursor follows the
    // user's edits before it.
    struct Entry {
        CaseRecord record;
        QTextCursor start;
        std::shared_ptr<const CaseComparison> comparison; // set for a comparison
        std::int64_t id = 0;                              // its number in the records; 0 when not recorded
    };

    // What the worksheet holds of a person: whether it holds anything of
    // `erased` (the person, the scores or notes typed), and how it forgets.
    struct TypedPerson {
        std::function<bool(const ErasedPeople& erased)> holds;
        std::function<void()> forget;
    };

    // `storeFileName`: the store's name in the user's data folder, and
    // `fileNames` the other files kept there (the program built from the
    // template names its own).
    CaseBook(MessageBoxes& boxes, ProgramHost& host, std::string storeFileName, DataFileNames fileNames = {},
             QObject* parent = nullptr);
    ~CaseBook() override;

    // The report text, laid out for a plain-text view.
    QTextDocument* document() const { return document_; }
    ReportLines reportLines() const;
    bool isEmpty() const;

    // Lines after everything the text holds, on a line of their own; the
    // user's edits stay where they are. The block number of the first.
    int appendLines(const ReportLines& lines);

    // A scored case's report after the text, with the separator when the
    // text holds anything; kept, and recorded unless the user turned
    // recording off (a store that cannot take it says why in an error box).
    // `fieldTexts` are the score fields as typed, `session` who was tested,
    // when and by whom (kept with the case, never in the report).
    void addComputed(const ScoredCase& scored, const ReportContext& context,
                     const std::array<std::string, 7>& fieldTexts, const Session& session);
    // A recorded case's report as it was appended then; not recorded again.
    void addStored(const CaseRecord& record, std::int64_t id);
    // The change between two assessments of one person, appended as a report
    // is; its record is the later case's, its lines the section. Nothing is
    // recorded.
    void addComparison(const CaseComparison& comparison);

    // Clear Results: no text, no cases.
    void clear();
    // An opened results file takes the place of the text; its cases go with
    // their lines.
    void replaceText(const ReportLines& lines);

    const std::vector<Entry>& entries() const { return entries_; }
    // The cases since the last Clear Results, oldest first.
    std::vector<CaseRecord> cases() const;

    // The user's case records.
    const std::string& storePath() const { return records().path(); }
    const std::string& dataFolder() const { return records().folder(); }
    // Each of these opens the store for one action and closes it after; a
    // store that fails gives an error box naming it, and false or nothing.
    // Every recorded case, newest first.
    bool listRecords(std::vector<CaseListRow>& rows);
    // The cases `ids` read whole, in that order; those deleted meanwhile are
    // left out.
    std::optional<std::vector<StoredCase>> readRecords(const std::vector<std::int64_t>& ids);
    // `action` names what the count is for in the error box.
    std::optional<std::int64_t> countRecords(FileAction action = FileAction::ReadCases);
    // The cases go from the records and from the text and the chart, where a
    // line says why.
    bool deleteRecords(const std::vector<std::int64_t>& ids);

    // ---- One person is one person (CaseBookPersons.cpp) ----
    // What the records hold of `person`: its cases (by key) and the persons
    // whose names differ a little from it (nearPerson), nearest first.
    struct PersonLookup {
        std::int64_t cases = 0;
        std::vector<RecordedPerson> nearNames;
    };
    PersonLookup lookUpPerson(const std::string& person);
    // The session a Compute records: when its person is not in the records
    // but a near one is, the user is asked whether it is the same person, and
    // on Yes the person is named as recorded.
    Session matchRecordedPerson(const Session& session);
    // The cases of a case file added to the records in one go, each person
    // matched as a Compute's is (asked about once); a case already recorded
    // (the same moment, scores as typed and person) is not added again. How
    // many were added and how many were there, or nothing when the store
    // failed (said).
    struct Imported {
        std::int64_t added = 0;
        std::int64_t already = 0;
    };
    std::optional<Imported> importCases(std::vector<FiledCase> cases);
    // Sets the fields `changes` of the recorded cases `ids`, keeping each
    // change with its case; the cases shown take the new values. How many
    // cases changed, or nothing when the store failed (said).
    std::optional<std::int64_t> correctRecords(const std::vector<std::int64_t>& ids,
                                               const std::vector<SessionChange>& changes);

    // ---- Erasing a person (CaseBookPersons.cpp) ----
    // The worksheet, which the book asks and clears when a person is erased.
    void setWorksheet(TypedPerson worksheet) { worksheet_ = std::move(worksheet); }
    // Every place other than the records that holds something of `erased`,
    // as a question names them.
    std::vector<QString> erasurePlaces(const ErasedPeople& erased);
    // Deletes every case of `erased` (every case for everyone) and clears
    // every other place that holds them: the files beside the records, the
    // worksheet, the reports shown. False when the records failed (said).
    bool erasePeople(const ErasedPeople& erased);
    // "Keep a record of every computed case".
    bool keepRecords() const;
    void setKeepRecords(bool keep);

signals:
    // Lines were appended for a case; `firstBlock` is where they begin.
    void appended(int firstBlock, kalden::CaseBook::Source source);
    // The cases were added to, cleared or replaced.
    void casesChanged();
    // A case was recorded in the store.
    void caseRecorded();
    // The persons were erased: a window forgets the file names it remembers
    // that name them.
    void peopleErased(const kalden::ErasedPeople& erased);

private:
    // Asks whether a person not in the records is a near one that is.
    Session askSamePerson(const Session& session);
    void keep(CaseRecord record, int firstBlock, std::shared_ptr<const CaseComparison> comparison, Source source,
              std::int64_t id = 0);
    // The case's number in the records, or 0 when it could not be recorded.
    std::int64_t record(const CaseRecord& record);
    // Takes out the lines of the entries `erased` says, each run of them
    // replaced by one line that says why.
    void forget(const std::function<bool(const Entry&)>& erased);
    // `erased` with the names its persons had before a correction.
    ErasedPeople withFormerNames(ErasedPeople erased);
    std::optional<CaseStore> openStore(FileAction action);
    // Opens the store for deleting, makes `change` and says why it failed.
    bool changeStore(const std::function<bool(CaseStore&, std::string&)>& change);
    void storeFailed(FileAction action, const std::string& error);
    // Found at the first use, under the data home of that moment.
    const CaseRecords& records() const;

    MessageBoxes& boxes_;
    ProgramHost& host_;
    std::string storeFileName_;
    DataFileNames fileNames_;
    TypedPerson worksheet_;
    mutable std::optional<CaseRecords> records_;
    QTextDocument* document_;
    std::vector<Entry> entries_;
    std::vector<QTextCursor> removalLines_; // where a line says reports were removed
};

} // namespace kalden
