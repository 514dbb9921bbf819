#include "cli/CasesCommand.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <ostream>

#include "cli/ErrorText.h"
#include "cli/ExitStatus.h"
#include "files/CaseExport.h"
#include "files/CaseStore.h"
#include "files/PreviousDataFile.h"
#include "files/TextFile.h"
#include "format/CsvText.h"
#include "format/JsonText.h"

namespace kalden::cli {

namespace {

bool parseId(const std::string& text, std::int64_t& id) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, id);
    return error == std::errc{} && stop == end && id > 0;
}

bool isDate(const std::string& s) {
    if (s.size() != 10 || s[4] != '-' || s[7] != '-') return false;
    for (const std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

std::string listText(const std::vector<CaseListRow>& rows, BatchFormat format) {
    std::string out;
    char line[128];
    if (format == BatchFormat::Text)
        out = "   ID  Computed          VOC DSYM  SIM   BD   AR   DS   MR  FSIQ  Notes\n"; // the rows' columns
    else if (format == BatchFormat::Csv)
        out =
            "id,computed,vocabulary,digit_symbol,similarities,block_design,arithmetic,digit_span,"
            "matrix_reasoning,full_scale,notes\n";
    for (const CaseListRow& r : rows) {
        const std::string when = localTimeText(r.computedUtc, r.utcOffsetMinutes);
        if (format == BatchFormat::Text) {
            std::snprintf(line, sizeof line, "%5lld  %-16s", static_cast<long long>(r.id), when.c_str());
            out += line;
            for (const std::string& f : r.fieldTexts)
                out += ' ' + std::string(f.size() < 4 ? 4 - f.size() : 0, ' ') + f;
            std::snprintf(line, sizeof line, "  %4s  ", r.fullScale.c_str());
            out += line + escapeControls(r.notesHeadline) + '\n';
        } else if (format == BatchFormat::Csv) {
            out += std::to_string(r.id) + ',' + when;
            for (const std::string& f : r.fieldTexts) out += ',' + csvCell(f);
            out += ',' + r.fullScale + ',' + csvCell(r.notesHeadline) + '\n';
        } else {
            out += "{\"id\":" + std::to_string(r.id) + ",\"computed\":" + jsonString(when) +
                   ",\"utc\":" + std::to_string(r.computedUtc) + ",\"fields\":[";
            for (std::size_t k = 0; k < r.fieldTexts.size(); ++k) out += (k ? "," : "") + jsonString(r.fieldTexts[k]);
            out += "],\"full_scale\":" + jsonString(r.fullScale) + ",\"notes\":" + jsonString(r.notesHeadline) + "}\n";
        }
    }
    return out;
}

int cannotRead(const std::string& path, const std::string& error, std::ostream& err) {
    err << "kalden-report: cannot read the case records in " << escapeControls(path) << ": " << error << '\n';
    return ExitNoInput;
}

int write(const std::string& text, const std::optional<std::string>& output, std::ostream& out, std::ostream& err) {
    if (output) {
        std::string error;
        if (writeFileReplacing(*output, text, error)) return ExitOk;
        err << "kalden-report: cannot write " << escapeControls(*output) << ": " << error << '\n';
        return ExitWriteFailed;
    }
    errno = 0;
    out << text << std::flush;
    if (!out) return cannotWriteStandardOutput(errno != 0 ? errno : EIO, err);
    return ExitOk;
}

} // namespace

std::string casesUsageProblem(const CasesSettings& s) {
    if (s.action != "list" && s.action != "show" && s.action != "export")
        return "--cases must be list, show or export, not '" + s.action + "'";
    std::int64_t id = 0;
    for (const std::string& text : s.ids)
        if (!parseId(text, id)) return "a case is named by its number, not '" + text + "'";
    if (s.action == "list" && !s.ids.empty()) return "--cases list takes no case numbers";
    if (s.action == "show" && s.ids.size() != 1) return "--cases show takes one case number";
    if (s.action != "list" && (!s.since.empty() || !s.match.empty()))
        return "--since and --match apply to --cases list only";
    if (!s.since.empty() && !isDate(s.since)) return "--since takes a date as YYYY-MM-DD, not '" + s.since + "'";
    if (s.action != "export" && s.output) return "--output applies to --cases export only";
    return {};
}

int runCases(const CasesSettings& s, std::ostream& out, std::ostream& err) {
    const std::string path = s.database ? *s.database : defaultCaseStorePath();
    CaseStore store;
    std::string error;
    if (!store.open(path, CaseStore::Access::ReadOnly, error)) return cannotRead(path, error, err);

    if (s.action == "list") {
        std::vector<CaseListRow> rows;
        if (!store.list(CaseQuery{s.since, s.match}, rows, error)) return cannotRead(path, error, err);
        return write(listText(rows, s.format), std::nullopt, out, err);
    }
    std::vector<std::int64_t> ids;
    for (const std::string& text : s.ids) parseId(text, ids.emplace_back());
    if (ids.empty()) { // export every case, oldest first
        std::vector<CaseListRow> rows;
        if (!store.list({}, rows, error)) return cannotRead(path, error, err);
        for (auto r = rows.rbegin(); r != rows.rend(); ++r) ids.push_back(r->id);
    }
    std::vector<StoredCase> cases;
    for (const std::int64_t id : ids) {
        std::optional<StoredCase> found;
        if (!store.get(id, found, error)) return cannotRead(path, error, err);
        if (!found) {
            err << "kalden-report: there is no case " << id << " in " << escapeControls(path) << '\n';
            return ExitNoSuchCase;
        }
        cases.push_back(std::move(*found));
    }
    if (s.action == "show") {
        std::string text;
        for (const std::string& line : cases.front().record.report) text += line + '\n';
        return write(text, std::nullopt, out, err);
    }
    return write(casesBatchCsv(cases), s.output, out, err);
}

} // namespace kalden::cli
