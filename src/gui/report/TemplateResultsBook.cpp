#include "gui/report/TemplateResults.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

#include "gui/report/ProfileChartWindow.h"

// The results window as a view of the case book: where appended lines are
// shown, and the chart window kept to the book's cases.

namespace kalden {

ChartCase chartCaseOf(const CaseBook::Entry& entry) {
    return entry.comparison ? chartCaseOf(*entry.comparison) : chartCaseOf(entry.record);
}

// The view's top line is counted in laid-out lines, so wrapped lines before
// the block count as many as they show.
void TfrmTemplateResults::showLineAtTop(int blockNumber) {
    const QTextBlock block = memoResults->document()->findBlockByNumber(blockNumber);
    if (block.isValid()) memoResults->verticalScrollBar()->setValue(block.firstLineNumber());
}

void TfrmTemplateResults::showAppended(int firstBlock, CaseBook::Source source) {
    showLineAtTop(firstBlock);
    if (source == CaseBook::Source::Computed) return; // the worksheet has shown the window
    show();
    raise();
    activateWindow();
    if (source == CaseBook::Source::Comparison) mnuProfileChartClick();
}

void TfrmTemplateResults::casesChanged() {
    if (!profileChart_) return;
    std::vector<ChartCase> charts;
    for (const CaseBook::Entry& e : book_.entries()) charts.push_back(chartCaseOf(e));
    profileChart_->setCases(std::move(charts));
}

} // namespace kalden
