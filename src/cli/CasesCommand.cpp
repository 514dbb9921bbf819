#include "cli/CasesCommand.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <ostream>

#include "cli/ErrorText.h"
#include "cli/ExitStatus.h"
#include "files/CaseExport.h"
#include "files/CaseStore.h"
#include "files/PreviousDataFile.h"
#include "files/StoreGuard.h"
#include "files/TextFile.h"
#include "format/CountText.h"
#include "format/CsvText.h"
#include "format/JsonText.h"
#include "report/CaseFile.h"
#include "report/Session.h"
#include "worksheet/OptionNames.h"

namespace kalden::cli {

namespace {

bool parseId(const std::string& text, std::int64_t& id) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, id);
    return error == std::errc{} && stop == end && id > 0;
}

// The session and the options after the columns the list always had, so that
// a reader of the older columns finds them where they were.
std::string listText(const std::vector<CaseListRow>& rows, BatchFormat format) {
    std::string out;
    char line[160];
    if (format == BatchFormat::Text)
        out =
            "   ID  Computed          Tested      Age     VOC DSYM  SIM   BD   AR   DS   MR  FSIQ  Options         "
            "Person | Notes\n"; // the rows' columns
    else if (format == BatchFormat::Csv)
        out =
            "id,computed,vocabulary,digit_symbol,similarities,block_design,arithmetic,digit_span,"
            "matrix_reasoning,full_scale,notes,person,birth_date,testing_date,examiner,referral,"
            "ci,basis,bonferroni,criterion,age_years,age_months\n";
    for (const CaseListRow& r : rows) {
        const std::string when = localTimeText(r.computedUtc, r.utcOffsetMinutes);
        const Session& p = r.session;
        const std::optional<Age> age = ageAtTesting(p);
        if (format == BatchFormat::Text) {
            // Nothing stored reaches the terminal raw, whatever another
            // program wrote into the store.
            std::snprintf(line, sizeof line, "%5lld  %-16s  %-10s  %-6s", static_cast<long long>(r.id), when.c_str(),
                          escapeControls(p.testingDate).c_str(), age ? ageColumnText(*age).c_str() : "");
            out += line;
            for (const std::string& typed : r.fieldTexts) {
                const std::string f = escapeControls(typed);
                out += ' ' + std::string(f.size() < 4 ? 4 - f.size() : 0, ' ') + f;
            }
            std::snprintf(line, sizeof line, "  %4s  %-14s  ", escapeControls(r.fullScale).c_str(),
                          optionsCode(r.options).c_str());
            out += line + escapeControls(p.person) + (p.person.empty() ? "" : " | ") + escapeControls(r.notesHeadline) +
                   '\n';
        } else if (format == BatchFormat::Csv) {
            out += std::to_string(r.id) + ',' + when;
            for (const std::string& f : r.fieldTexts) out += ',' + csvCell(f);
            out += ',' + r.fullScale + ',' + csvCell(r.notesHeadline);
            for (const std::string* t : {&p.person, &p.birthDate, &p.testingDate, &p.examiner, &p.referral})
                out += ',' + csvCell(*t);
            out += std::string(",") + confidenceName(r.options.confidenceMethod) + ',' +
                   basisName(r.options.differenceBasis) + ',' + bonferroniName(r.options.sequentialBonferroni) + ',' +
                   criterionName(r.options.abnormalityCriterion) + ',' +
                   (age ? std::to_string(age->years) + ',' + std::to_string(age->months) : ",") + '\n';
        } else {
            out += "{\"id\":" + std::to_string(r.id) + ",\"computed\":" + jsonString(when) +
                   ",\"utc\":" + std::to_string(r.computedUtc) + ",\"fields\":[";
            for (std::size_t k = 0; k < r.fieldTexts.size(); ++k) out += (k ? "," : "") + jsonString(r.fieldTexts[k]);
            out += "],\"full_scale\":" + jsonString(r.fullScale) + ",\"notes\":" + jsonString(r.notesHeadline) +
                   ",\"person\":" + jsonString(p.person) + ",\"birth_date\":" + jsonString(p.birthDate) +
                   ",\"testing_date\":" + jsonString(p.testingDate) + ",\"examiner\":" + jsonString(p.examiner) +
                   ",\"referral\":" + jsonString(p.referral) + ",\"ci\":\"" +
                   confidenceName(r.options.confidenceMethod) + "\",\"basis\":\"" +
                   basisName(r.options.differenceBasis) + "\",\"bonferroni\":\"" +
                   bonferroniName(r.options.sequentialBonferroni) + "\",\"criterion\":\"" +
                   criterionName(r.options.abnormalityCriterion) +
                   "\",\"age_years\":" + (age ? std::to_string(age->years) : "null") +
                   ",\"age_months\":" + (age ? std::to_string(age->months) : "null") + "}\n";
        }
    }
    return out;
}

int cannotRead(const std::string& path, const std::string& error, std::ostream& err) {
    err << "kalden-report: cannot read the case records in " << escapeControls(path) << ": " << error << '\n';
    return ExitNoInput;
}

int noSuchCase(std::int64_t id, const std::string& path, std::ostream& err) {
    err << "kalden-report: there is no case " << id << " in " << escapeControls(path) << '\n';
    return ExitNoSuchCase;
}

int write(const std::string& text, const std::optional<std::string>& output, std::ostream& out, std::ostream& err) {
    if (output) {
        std::string error;
        if (writeFileReplacing(*output, text, error)) return ExitOk;
        err << "kalden-report: cannot write " << escapeControls(*output) << ": " << error << '\n';
        return ExitWriteFailed;
    }
    errno = 0;
    if (&out == &std::cout && standardOutputIsTerminal())
        out << escapeControls(text, true) << std::flush;
    else
        out << text << std::flush;
    if (!out) return cannotWriteStandardOutput(errno != 0 ? errno : EIO, err);
    return ExitOk;
}

} // namespace

int refuseCaseStoreTarget(const std::optional<std::string>& output, const std::ostream& out,
                          const std::optional<std::string>& database, std::ostream& err) {
    std::vector<std::string> stores{defaultCaseStorePath()};
    if (database) stores.push_back(*database);
    for (const std::string& store : stores) {
        const bool hit = output ? writesCaseStore(*output, store)
                                : &out == &std::cout && descriptorIsCaseStore(StandardOutput, store);
        if (!hit) continue;
        err << "kalden-report: will not write " << (output ? escapeControls(*output) : "standard output") << ": "
            << escapeControls(caseStoreTargetReason(store)) << '\n';
        return ExitUsage;
    }
    return ExitOk;
}

std::string casesUsageProblem(const CasesSettings& s) {
    const bool changes = s.action == "delete" || s.action == "correct";
    if (s.action != "list" && s.action != "show" && s.action != "export" && s.action != "compare" && !changes &&
        s.action != "finish-erasure")
        return "--cases must be list, show, export, compare, delete, finish-erasure or correct, not '" + s.action + "'";
    std::int64_t id = 0;
    for (const std::string& text : s.ids) {
        if (parseId(text, id)) continue;
        if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos)
            return "case numbers run from 1 to 9223372036854775807, not '" + text + "'";
        return "a case is named by its number, not '" + text + "'";
    }
    if ((s.action == "list" || s.action == "finish-erasure") && !s.ids.empty())
        return "--cases " + s.action + " takes no case numbers";
    if (s.action == "show" && s.ids.size() != 1) return "--cases show takes one case number";
    if (s.action == "compare" && s.ids.size() != 2) return "--cases compare takes two case numbers";
    if (s.action != "list" && (s.since || !s.match.empty())) return "--since and --match apply to --cases list only";
    if (s.since && !isCalendarDay(*s.since))
        return "--since takes a day of the calendar as YYYY-MM-DD (2026-03-01, say), not '" + *s.since + "'";
    if (s.action != "export" && s.output) return "--output applies to --cases export only";
    if (changes && s.ids.empty()) return "--cases " + s.action + " takes the numbers of the cases";
    if (s.wholePerson && !changes) return "--whole-person applies to --cases delete and --cases correct only";
    if (s.action != "correct" && !s.corrections.empty())
        return "--person, --birth-date, --testing-date, --examiner and --referral apply to --cases correct only";
    if (s.action == "correct" && s.corrections.empty())
        return "--cases correct takes the fields to set: --person, --birth-date, --testing-date, --examiner or "
               "--referral";
    for (const SessionChange& c : s.corrections) {
        if (c.value.find_first_of("\r\n") != std::string::npos)
            return std::string("the ") + sessionFieldName(c.field) + " is one line";
        const bool date = c.field == SessionField::BirthDate || c.field == SessionField::TestingDate;
        if (date && !isCalendarDay(c.value) && !(c.field == SessionField::BirthDate && c.value.empty()))
            return std::string("the ") + sessionFieldName(c.field) +
                   " is a day of the calendar as YYYY-MM-DD (1961-04-12, say), not '" + c.value + "'";
    }
    return {};
}

namespace {

// The stored report as it was appended, each line made safe for a terminal.
int showCase(CaseStore& store, const std::string& path, std::int64_t id, std::ostream& out, std::ostream& err) {
    std::optional<StoredCase> found;
    std::string error;
    std::vector<Correction> corrections;
    if (!store.get(id, found, error) || !store.corrections(id, corrections, error)) return cannotRead(path, error, err);
    store.close();
    if (!found) return noSuchCase(id, path, err);
    std::string text;
    for (const std::string& line : found->record.report) text += escapeControls(line) + '\n';
    // What was corrected after the report was computed, below it.
    if (!corrections.empty()) text += "\nCorrected since it was computed:\n";
    for (const Correction& c : corrections)
        text += localTimeText(c.correctedUtc, c.utcOffsetMinutes) + "  " + sessionFieldName(c.field) + ": \"" +
                escapeControls(c.oldValue) + "\" -> \"" + escapeControls(c.newValue) + "\"\n";
    return write(text, std::nullopt, out, err);
}

// The stored cases as a case file written by this version.
std::string caseFileOf(const std::vector<StoredCase>& cases) {
    std::vector<FiledCase> filed;
    filed.reserve(cases.size());
    for (const StoredCase& c : cases) filed.push_back({c.version, c.record});
    return caseFileText(filed, KALDEN_VERSION);
}

// The cases as one snapshot. A case asked for that is not there stops the
// export before anything is written; one whose report cannot be read is
// named and left out, and the rest are written.
int exportCases(CaseStore& store, const std::string& path, const std::vector<std::int64_t>& ids, bool caseFile,
                const std::optional<std::string>& output, std::ostream& out, std::ostream& err) {
    CaseSnapshot snapshot;
    std::string error;
    if (!store.snapshot(ids, snapshot, error)) return cannotRead(path, error, err);
    store.close();
    if (!snapshot.missing.empty()) return noSuchCase(snapshot.missing.front(), path, err);
    for (const UnreadableCase& c : snapshot.unreadable)
        err << "kalden-report: case " << c.id << " in " << escapeControls(path)
            << " is left out of the export: " << escapeControls(c.reason) << '\n';
    for (const StoredCase& c : snapshot.cases) {
        if (!caseFile || (!c.record.context.useDataGrid && !c.record.context.useCorrelationMatrix)) continue;
        err << "kalden-report: case " << c.id << " in " << escapeControls(path)
            << " holds a data grid or a correlation matrix, which a case file does not carry\n";
        return ExitUsage;
    }
    const int status = write(caseFile ? caseFileOf(snapshot.cases) : casesBatchCsv(snapshot.cases), output, out, err);
    if (status != ExitOk || snapshot.unreadable.empty()) return status;
    err << "kalden-report: " << snapshot.unreadable.size() << " of "
        << countOf(static_cast<std::int64_t>(snapshot.unreadable.size() + snapshot.cases.size()), "case", "cases")
        << " could not be exported\n";
    return ExitNoSuchCase;
}

// The change between two cases in the chosen format; two persons' cases are
// refused.
int writeComparison(const ComparedCase& a, const ComparedCase& b, const CasesSettings& s, std::ostream& out,
                    std::ostream& err) {
    if (const std::string refusal = comparisonRefusal(a, b); !refusal.empty()) {
        err << "kalden-report: " << escapeControls(refusal) << '\n';
        return ExitUsage;
    }
    const CaseComparison comparison = kalden::compareCases(a, b, s.change);
    for (const std::string& warning : comparison.change.warnings) err << messageText(warning) << '\n';
    std::string text;
    if (s.format == BatchFormat::Csv)
        text = changeCsv(comparison);
    else if (s.format == BatchFormat::Json)
        text = changeJson(comparison);
    else
        for (const std::string& line : changeSection(comparison)) text += escapeControls(line) + '\n';
    return write(text, std::nullopt, out, err);
}

// A case file read and every case checked, or the status with the reason said.
int readCheckedCaseFile(const std::string& path, std::vector<FiledCase>& cases, std::ostream& err) {
    std::string text;
    std::string error;
    if (!readWholeFile(path, text, error)) {
        err << "kalden-report: cannot read " << escapeControls(path) << ": " << error << '\n';
        return ExitNoInput;
    }
    CaseFileReading reading = readCaseFile(text);
    if (!reading.problem.empty()) {
        err << "kalden-report: " << escapeControls(path) << " is refused: " << messageText(reading.problem) << '\n';
        return ExitInputRejected;
    }
    cases = std::move(reading.cases);
    return ExitOk;
}

// The change between two cases of one person, in the chosen format. Both
// cases are read in one snapshot; two persons' cases are refused.
int compareCases(CaseStore& store, const std::string& path, const CasesSettings& s, std::ostream& out,
                 std::ostream& err) {
    std::vector<std::int64_t> ids;
    for (const std::string& text : s.ids) parseId(text, ids.emplace_back());
    CaseSnapshot snapshot;
    std::string error;
    if (!store.snapshot(ids, snapshot, error)) return cannotRead(path, error, err);
    store.close();
    if (!snapshot.missing.empty()) return noSuchCase(snapshot.missing.front(), path, err);
    if (!snapshot.unreadable.empty()) {
        err << "kalden-report: case " << snapshot.unreadable.front().id << " in " << escapeControls(path)
            << " cannot be read: " << escapeControls(snapshot.unreadable.front().reason) << '\n';
        return ExitNoInput;
    }
    const auto caseNumbered = [&snapshot](std::int64_t id) {
        for (const StoredCase& c : snapshot.cases)
            if (c.id == id) return ComparedCase{c.id, c.record};
        return ComparedCase{};
    };
    return writeComparison(caseNumbered(ids[0]), caseNumbered(ids[1]), s, out, err);
}

// --cases compare N M --case-file FILE: the cases at those places in a case
// file, each checked as --case-file checks it.
int compareFiledCases(const CasesSettings& s, std::ostream& out, std::ostream& err) {
    std::vector<FiledCase> cases;
    if (const int status = readCheckedCaseFile(*s.caseFileSource, cases, err); status != ExitOk) return status;
    std::vector<ComparedCase> compared;
    for (const std::string& text : s.ids) {
        std::int64_t n = 0;
        parseId(text, n);
        if (static_cast<std::uint64_t>(n) > cases.size()) {
            err << "kalden-report: " << escapeControls(*s.caseFileSource) << " has no case " << n << " (it holds "
                << countOf(static_cast<std::int64_t>(cases.size()), "case", "cases") << ")\n";
            return ExitNoSuchCase;
        }
        compared.push_back({n, cases[static_cast<std::size_t>(n - 1)].record});
    }
    return writeComparison(compared[0], compared[1], s, out, err);
}
} // namespace

int runCases(const CasesSettings& s, std::ostream& out, std::ostream& err) {
    if (const int refused = refuseCaseStoreTarget(s.output, out, s.database, err); refused != ExitOk) return refused;
    if (s.action == "delete") return deleteCases(s, out, err);
    if (s.action == "correct") return correctCases(s, out, err);
    if (s.action == "finish-erasure") return finishErasure(s, out, err);
    if (s.caseFileSource) return compareFiledCases(s, out, err);
    // The user's own store must be the user's; a backup named with
    // --database may be anyone's that the user may read.
    const std::string path = s.database ? *s.database : defaultCaseStorePath();
    const StoreOwner owner = s.database ? StoreOwner::Anyone : StoreOwner::User;
    CaseStore store;
    std::string error;
    if (!store.open(path, CaseStore::Access::ReadOnly, error, owner)) return cannotRead(path, error, err);

    if (s.action == "list") {
        std::vector<CaseListRow> rows;
        if (!store.list(CaseQuery{s.since.value_or(""), s.match}, rows, error)) return cannotRead(path, error, err);
        store.close();
        return write(listText(rows, s.format), std::nullopt, out, err);
    }
    std::vector<std::int64_t> ids;
    for (const std::string& text : s.ids) parseId(text, ids.emplace_back());
    if (s.action == "show") return showCase(store, path, ids.front(), out, err);
    if (s.action == "compare") return compareCases(store, path, s, out, err);
    return exportCases(store, path, ids, s.caseFile, s.output, out, err);
}

int printCaseFile(const std::string& path, std::ostream& out, std::ostream& err) {
    std::vector<FiledCase> cases;
    if (const int status = readCheckedCaseFile(path, cases, err); status != ExitOk) return status;
    std::string reports;
    for (const FiledCase& c : cases)
        for (const std::string& line : c.record.report) reports += escapeControls(line) + '\n';
    return write(reports, std::nullopt, out, err);
}

} // namespace kalden::cli
