#include "gui/report/TemplateResults.h"

#include <algorithm>

#include <QClipboard>
#include <QDate>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTextCursor>

#include "files/TextFile.h"
#include "gui/platform/QtServices.h"
#include "gui/platform/WindowHelpers.h"
#include "gui/report/PdfExport.h"
#include "gui/report/ProfileChartWindow.h"
#include "gui/report/SummaryExport.h"
#include "report/CaseSummary.h"

// What the results window gives out besides the saved text: printing, the
// preview and the printer choice, the profile chart, the PDF, the summary.

namespace kalden {

QString TfrmTemplateResults::printAllText() const {
    return QString::fromStdString(joinCrLf(reportLines())) + QStringLiteral("\r\n");
}

QString TfrmTemplateResults::printSelectionText() const {
    QString selected = memoResults->textCursor().selectedText();
    if (selected.isEmpty()) return selected;
    selected.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    selected.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return selected + QStringLiteral("\r\n");
}

QFont TfrmTemplateResults::printFont() const {
    QFont font = memoResults->font();
    font.setPointSize(8);
    return font;
}

void TfrmTemplateResults::print(const QString& text) {
    QString error;
    if (!services_.printer.print(text, printFont(), error)) services_.boxes.error(error);
}

void TfrmTemplateResults::mnuPrintClick() { print(printAllText()); }

void TfrmTemplateResults::mnuPrintSelectionClick() {
    const QString text = printSelectionText();
    if (text.isEmpty()) {
        services_.boxes.warning(QStringLiteral("You have not selected any text."));
        return;
    }
    print(text);
}

void TfrmTemplateResults::mnuPrintPreviewClick() { services_.printer.preview(this, printAllText(), printFont()); }

void TfrmTemplateResults::mnuChoosePrinterClick() { services_.printer.choosePrinter(this); }

void TfrmTemplateResults::mnuProfileChartClick() {
    if (book_.entries().empty()) {
        services_.boxes.information(NoCaseYet);
        return;
    }
    if (!profileChart_) {
        profileChart_ = new TfrmProfileChart(services_, this);
        casesChanged();
        // Its designed size, not adjustSize's two thirds of the screen: placing
        // makes it smaller where the screen is.
        profileChart_->resize(profileChart_->sizeHint());
        placeOnScreen(*profileChart_, screen()); // the first time; afterwards where the user left it
    }
    profileChart_->show();
    profileChart_->raise();
    profileChart_->activateWindow();
}

// The text cut where each case's lines begin: what stands before the first
// case (an opened file, the user's typing) is a section of its own; each
// case's section runs to the next case and carries its chart.
std::vector<PdfSection> TfrmTemplateResults::pdfSections(std::vector<std::unique_ptr<ProfileChart>>& charts) const {
    const ReportLines lines = reportLines();
    const std::vector<CaseBook::Entry>& cases = book_.entries();
    const auto textOf = [&lines](int from, int to) {
        ReportLines part(lines.begin() + from, lines.begin() + to);
        return part.empty() ? QString() : QString::fromStdString(joinCrLf(part)) + QStringLiteral("\r\n");
    };
    std::vector<PdfSection> sections;
    const int count = static_cast<int>(lines.size());
    int from = 0;
    if (!cases.empty()) from = std::clamp(cases.front().start.blockNumber(), 0, count);
    if (from > 0 || cases.empty()) sections.push_back(PdfSection{textOf(0, from), QString(), QString(), {}});
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const int to = i + 1 < cases.size() ? std::clamp(cases[i + 1].start.blockNumber(), from, count) : count;
        auto chart = std::make_unique<ProfileChart>();
        chartCaseOf(cases[i]).showOn(*chart);
        const ProfileChart* painter = chart.get();
        charts.push_back(std::move(chart));
        sections.push_back(caseSection(cases[i].record, textOf(from, to),
                                       [painter](QPainter& p, const QRectF& page) { painter->paintPicture(p, page); }));
        from = to;
    }
    return sections;
}

// Save as PDF: each case from a new page, followed by its chart; the old file
// is replaced only by a complete document.
void TfrmTemplateResults::mnuSaveAsPdfClick() {
    const QString offered =
        book_.entries().empty()
            ? pdfDialogFileName
            : personFileNameAfter(pdfDialogFileName, book_.entries().back().record.session, "results", "pdf");
    const std::optional<QString> name = services_.files.saveFileNameFiltered(this, offered, QStringLiteral("*.pdf"));
    if (!name) return;
    pdfDialogFileName = *name;
    std::vector<std::unique_ptr<ProfileChart>> charts;
    const std::vector<PdfSection> sections = pdfSections(charts);
    QByteArray pdf;
    QString error;
    const QString date = QDate::currentDate().toString(Qt::ISODate);
    if (!resultsPdf(sections, printFont(), date, pdf, error) || !replaceFileWith(services_.host, *name, pdf, error))
        services_.boxes.error(error);
}

void TfrmTemplateResults::mnuCopySummaryClick() {
    if (book_.entries().empty()) {
        services_.boxes.information(NoCaseYet);
        return;
    }
    const CaseBook::Entry& last = book_.entries().back();
    QGuiApplication::clipboard()->setMimeData(last.comparison ? changeSummaryMimeData(*last.comparison)
                                                              : summaryMimeData(summarizeCase(last.record)));
}

void TfrmTemplateResults::mnuSaveSummaryClick() {
    if (book_.entries().empty()) {
        services_.boxes.information(NoCaseYet);
        return;
    }
    // A comparison's summary is the later case's, with the change as its
    // last paragraph.
    const CaseBook::Entry& last = book_.entries().back();
    CaseSummary summary = summarizeCase(last.record);
    if (last.comparison) {
        std::string change = changeSummaryText(*last.comparison);
        change.pop_back(); // its line end
        summary.paragraphs.push_back(change);
    }
    QString offered = personFileNameAfter(summaryDialogFileName, last.record.session, "summary", "odt");
    saveSummary(summary, services_, this, offered);
    summaryDialogFileName = offered;
}

void TfrmTemplateResults::mnuAboutClick() { services_.boxes.about(aboutText(services_.host)); }

} // namespace kalden
