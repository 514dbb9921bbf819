#include "gui/report/TemplateResults.h"

#include <QDateTime>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include "files/FileErrors.h"
#include "files/Utf8Path.h"
#include "gui/platform/MemoText.h"
#include "gui/platform/QtServices.h"
#include "gui/platform/WindowHelpers.h"
#include "gui/report/ProfileChartWindow.h"
#include "report/ScoreCase.h"

// The results window's text and the cases in it: appending reports, keeping
// each case with the place its lines begin, recording it in the store.

namespace kalden {

int TfrmTemplateResults::appendReportLines(const ReportLines& lines) {
    QTextDocument* doc = memoResults->document();
    QString added;
    const QString current = memoResults->toPlainText();
    const bool lineOpen = !current.isEmpty() && !current.endsWith(u'\n'); // the user's last line ends here
    const int first = lineOpen ? doc->blockCount() : doc->blockCount() - 1;
    if (lines.empty()) return first;
    if (lineOpen) added += u'\n';
    added += memoTextOfLines(lines);
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(added);
    return first;
}

// The view's top line is counted in laid-out lines, so wrapped lines before
// the block count as many as they show.
void TfrmTemplateResults::showLineAtTop(int blockNumber) {
    const QTextBlock block = memoResults->document()->findBlockByNumber(blockNumber);
    if (block.isValid()) memoResults->verticalScrollBar()->setValue(block.firstLineNumber());
}

// The report's own lines after the separator when the area already holds
// something, as Compute appends them; the case is kept for the chart, the PDF
// and the summary, and recorded unless the user turned recording off.
void TfrmTemplateResults::appendReport(const ScoredCase& scored, const ReportContext& context,
                                       const std::array<std::string, 7>& fieldTexts, const Session& session) {
    CaseRecord record;
    record.fieldTexts = fieldTexts;
    record.session = session;
    record.input = scored.input;
    record.context = context;
    record.results = scored.results;
    if (!memoResults->document()->isEmpty()) record.report = reportSeparator();
    record.report.insert(record.report.end(), scored.report.begin(), scored.report.end());
    const QDateTime now = QDateTime::currentDateTime();
    record.computedUtc = now.toSecsSinceEpoch();
    record.utcOffsetMinutes = now.offsetFromUtc() / 60;
    const int first = appendReportLines(record.report);
    showLineAtTop(first);
    keepCase(record, first);
    if (services_.host.keepCaseRecords()) recordCase(record);
}

void TfrmTemplateResults::appendStoredCase(const CaseRecord& c) {
    const int first = appendReportLines(c.report);
    showLineAtTop(first);
    keepCase(c, first);
}

void TfrmTemplateResults::appendComparison(const CaseComparison& comparison) {
    CaseRecord record = comparison.second.record;
    record.report.clear();
    if (!memoResults->document()->isEmpty()) record.report = reportSeparator();
    const ReportLines section = changeSection(comparison);
    record.report.insert(record.report.end(), section.begin(), section.end());
    const int first = appendReportLines(record.report);
    showLineAtTop(first);
    keepCase(std::move(record), first, std::make_shared<const CaseComparison>(comparison));
}

void TfrmTemplateResults::keepCase(CaseRecord record, int firstBlock,
                                   std::shared_ptr<const CaseComparison> comparison) {
    KeptCase kept{std::move(record), QTextCursor(memoResults->document()->findBlockByNumber(firstBlock)),
                  std::move(comparison)};
    // Text typed at the very start of a case's first line belongs to it.
    kept.start.setKeepPositionOnInsert(true);
    cases_.push_back(std::move(kept));
    casesChanged();
}

CaseRecords& TfrmTemplateResults::caseRecords() {
    if (!records_) records_ = std::make_unique<CaseRecords>(corePath(services_.host.dataHome()), caseStoreFileName_);
    return *records_;
}

void TfrmTemplateResults::setCaseStoreFileName(const std::string& name) {
    caseStoreFileName_ = name;
    records_.reset();
}

// The report is already shown; a store that cannot take the case says why.
void TfrmTemplateResults::recordCase(const CaseRecord& record) {
    std::string error;
    std::int64_t id = 0;
    std::optional<CaseStore> store = caseRecords().open(error);
    if (!store || !store->add(record, programVersion().toStdString(), id, error)) {
        services_.boxes.error(systemReason(fileErrorMessage(FileAction::RecordCase, caseRecords().path(), error)));
        return;
    }
    store.reset();
    emit caseRecorded();
}

std::vector<CaseRecord> TfrmTemplateResults::cases() const {
    std::vector<CaseRecord> out;
    for (const KeptCase& c : cases_) out.push_back(c.record);
    return out;
}

ChartCase TfrmTemplateResults::chartCaseOfKept(const KeptCase& kept) const {
    return kept.comparison ? chartCaseOf(*kept.comparison) : chartCaseOf(kept.record);
}

void TfrmTemplateResults::casesChanged() {
    if (!profileChart_) return;
    std::vector<ChartCase> charts;
    for (const KeptCase& c : cases_) charts.push_back(chartCaseOfKept(c));
    profileChart_->setCases(std::move(charts));
}

} // namespace kalden
