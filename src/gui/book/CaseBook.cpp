#include "gui/book/CaseBook.h"

#include <algorithm>

#include <QDateTime>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>

#include "files/Utf8Path.h"
#include "format/VisibleText.h"
#include "gui/platform/MemoText.h"
#include "gui/platform/Services.h"
#include "gui/platform/WindowHelpers.h"

namespace kalden {

CaseBook::CaseBook(MessageBoxes& boxes, ProgramHost& host, std::string storeFileName, DataFileNames fileNames,
                   QObject* parent)
    : QObject(parent),
      boxes_(boxes),
      host_(host),
      storeFileName_(std::move(storeFileName)),
      fileNames_(std::move(fileNames)),
      document_(new QTextDocument(this)) {
    document_->setDocumentLayout(new QPlainTextDocumentLayout(document_));
}

CaseBook::~CaseBook() = default;

ReportLines CaseBook::reportLines() const { return linesOfMemoText(document_->toPlainText()); }

bool CaseBook::isEmpty() const { return document_->isEmpty(); }

int CaseBook::appendLines(const ReportLines& lines) {
    const QString current = document_->toPlainText();
    const bool lineOpen = !current.isEmpty() && !current.endsWith(u'\n'); // the user's last line ends here
    const int first = lineOpen ? document_->blockCount() : document_->blockCount() - 1;
    if (lines.empty()) return first;
    QString added;
    if (lineOpen) added += u'\n';
    added += memoTextOfLines(lines);
    QTextCursor cursor(document_);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(added);
    return first;
}

void CaseBook::addComputed(const ScoredCase& scored, const ReportContext& context,
                           const std::array<std::string, 7>& fieldTexts, const Session& session) {
    CaseRecord c;
    c.fieldTexts = fieldTexts;
    c.session = session;
    c.input = scored.input;
    c.context = context;
    c.results = scored.results;
    c.report = reportAfter(!isEmpty(), scored.report);
    const QDateTime now = QDateTime::currentDateTime();
    c.computedUtc = now.toSecsSinceEpoch();
    c.utcOffsetMinutes = now.offsetFromUtc() / 60;
    const int first = appendLines(c.report);
    keep(c, first, nullptr, Source::Computed);
    if (keepRecords()) entries_.back().id = record(c);
}

void CaseBook::addStored(const CaseRecord& c, std::int64_t id) {
    keep(c, appendLines(c.report), nullptr, Source::Stored, id);
}

void CaseBook::addComparison(const CaseComparison& comparison) {
    CaseRecord c = comparison.second.record;
    c.report = reportAfter(!isEmpty(), changeSection(comparison));
    const int first = appendLines(c.report);
    keep(std::move(c), first, std::make_shared<const CaseComparison>(comparison), Source::Comparison);
}

void CaseBook::keep(CaseRecord c, int firstBlock, std::shared_ptr<const CaseComparison> comparison, Source source,
                    std::int64_t id) {
    Entry entry{std::move(c), QTextCursor(document_->findBlockByNumber(firstBlock)), std::move(comparison), id};
    // Text typed at the very start of a case's first line belongs to it.
    entry.start.setKeepPositionOnInsert(true);
    entries_.push_back(std::move(entry));
    emit appended(firstBlock, source);
    emit casesChanged();
}

void CaseBook::clear() {
    document_->clear();
    entries_.clear();
    removalLines_.clear();
    emit casesChanged();
}

void CaseBook::replaceText(const ReportLines& lines) {
    document_->clear();
    entries_.clear(); // their lines are gone with the text
    removalLines_.clear();
    emit casesChanged();
    appendLines(lines);
}

std::vector<CaseRecord> CaseBook::cases() const {
    std::vector<CaseRecord> out;
    out.reserve(entries_.size());
    for (const Entry& e : entries_) out.push_back(e.record);
    return out;
}

const CaseRecords& CaseBook::records() const {
    if (!records_) records_.emplace(corePath(host_.dataHome()), storeFileName_);
    return *records_;
}

std::optional<CaseStore> CaseBook::openStore(FileAction action) {
    std::string error;
    std::optional<CaseStore> store = records().open(error);
    if (!store) storeFailed(action, error);
    return store;
}

void CaseBook::storeFailed(FileAction action, const std::string& error) {
    boxes_.error(systemReason(fileErrorMessage(action, storePath(), error)));
}

bool CaseBook::listRecords(std::vector<CaseListRow>& rows) {
    std::string error;
    std::optional<CaseStore> store = openStore(FileAction::ReadCases);
    if (!store) return false;
    if (store->list({}, rows, error)) return true;
    storeFailed(FileAction::ReadCases, error);
    return false;
}

std::optional<std::vector<StoredCase>> CaseBook::readRecords(const std::vector<std::int64_t>& ids) {
    std::optional<CaseStore> store = openStore(FileAction::ReadCases);
    if (!store) return std::nullopt;
    std::vector<StoredCase> cases;
    for (const std::int64_t id : ids) {
        std::optional<StoredCase> found;
        std::string error;
        if (!store->get(id, found, error)) {
            storeFailed(FileAction::ReadCases, error);
            return std::nullopt;
        }
        if (found) cases.push_back(std::move(*found));
    }
    return cases;
}

std::optional<std::int64_t> CaseBook::countRecords(FileAction action) {
    std::optional<CaseStore> store = openStore(action);
    if (!store) return std::nullopt;
    std::int64_t n = 0;
    std::string error;
    if (store->count(n, error)) return n;
    storeFailed(FileAction::ReadCases, error);
    return std::nullopt;
}

bool CaseBook::deleteRecords(const std::vector<std::int64_t>& ids) {
    if (!changeStore([&ids](CaseStore& store, std::string& error) { return store.remove(ids, error); })) return false;
    const auto deleted = [&ids](std::int64_t id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); };
    forget([&deleted](const Entry& e) {
        return deleted(e.id) || (e.comparison && (deleted(e.comparison->first.id) || deleted(e.comparison->second.id)));
    });
    return true;
}

// A deletion that is done but whose text another program's reader kept in
// the log counts as done, and the erasure is finished when the user has
// closed that program: the store is not held while the question is open.
bool CaseBook::changeStore(const std::function<bool(CaseStore&, std::string&)>& change) {
    std::optional<CaseStore> store = openStore(FileAction::DeleteCases);
    if (!store) return false;
    std::string error;
    const bool done = change(*store, error);
    bool pending = store->erasurePending();
    store.reset();
    if (!pending) {
        if (!error.empty()) storeFailed(FileAction::DeleteCases, error);
        return done;
    }
    while (pending && boxes_.confirm(QStringLiteral("The cases are deleted from the records, but another program is "
                                                    "reading them, so their text stays in the file %1 or its log "
                                                    "until that program closes it.\r\rClose the other program, then "
                                                    "choose Yes to finish the erasure. No leaves it to the next "
                                                    "deletion.")
                                         .arg(QString::fromStdString(visibleText(storePath()))))) {
        store = openStore(FileAction::DeleteCases);
        if (!store) break;
        error.clear();
        if (store->finishErasure(error))
            boxes_.information(QStringLiteral("The erasure is finished."));
        else if (!store->erasurePending())
            storeFailed(FileAction::DeleteCases, error);
        pending = store->erasurePending();
        store.reset();
    }
    return done;
}

bool CaseBook::keepRecords() const { return host_.keepCaseRecords(); }

void CaseBook::setKeepRecords(bool keep) { host_.setKeepCaseRecords(keep); }

// The report is already shown; a store that cannot take the case says why.
std::int64_t CaseBook::record(const CaseRecord& c) {
    std::string error;
    std::int64_t id = 0;
    std::optional<CaseStore> store = openStore(FileAction::RecordCase);
    if (!store) return 0;
    if (!store->add(c, programVersion().toStdString(), id, error)) {
        storeFailed(FileAction::RecordCase, error);
        return 0;
    }
    store.reset();
    emit caseRecorded();
    return id;
}

} // namespace kalden
