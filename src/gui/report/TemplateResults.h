#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <QTextCursor>
#include <QWidget>

#include "files/CaseRecords.h"
#include "gui/platform/Services.h"
#include "report/CaseRecord.h"
#include "report/ChangeReport.h"
#include "report/ReportComposer.h"
#include "report/ReportLines.h"
#include "report/ScoreCase.h"

class QAction;
class QFrame;
class QLayout;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;

namespace kalden {

class TfrmProfileChart;
class ProfileChart;
struct ChartCase;
struct PdfSection;

// The results window. It shows the accumulated report text, saves
// it, prints all or a selection of it, clears it and leads back to the
// worksheet. It has no close box and ignores the window manager's close
// request: "Return to Worksheet" and a confirmed "Exit" are the ways out.
// With the text it keeps the cases computed since the last Clear Results,
// for the chart, the PDF and the summary.
class TfrmTemplateResults : public QWidget {
    Q_OBJECT

public:
    explicit TfrmTemplateResults(const Services& services, QWidget* parent = nullptr);

    // The worksheet that "Return to Worksheet" shows again.
    void setWorksheet(QWidget* worksheet) { worksheet_ = worksheet; }

    // The report lines of the text area, including
    // whatever the user typed.
    ReportLines reportLines() const;
    // Appends lines after everything the area holds, on a line of their own;
    // the user's edits, the caret and the view stay where they are. Returns
    // the block number of the first appended line.
    int appendReportLines(const ReportLines& lines);
    // A scored case's report after the area's lines, with the separator when
    // the area holds any; the view then shows the new report's first line at
    // the top, and the profile chart the case. `context` is what the report
    // echoed, `fieldTexts` the score fields as typed, `session` who was
    // tested, when and by whom (kept with the case, never in the report).
    void appendReport(const ScoredCase& scored, const ReportContext& context,
                      const std::array<std::string, 7>& fieldTexts = {}, const Session& session = {});

    // The change between two assessments of one person after the area's
    // lines, as a report is appended; it is kept with the cases (its record
    // is the later case's, its lines the section), so that the chart shows
    // both profiles, the PDF prints it and Copy Summary gives its paragraph.
    // Nothing is recorded.
    void appendComparison(const CaseComparison& comparison);

    // The cases since the last Clear Results, oldest first.
    std::vector<CaseRecord> cases() const;
    // Appends a stored case's report as it was appended then, and keeps the
    // case with the others (it is not recorded again).
    void appendStoredCase(const CaseRecord& c);
    // The user's case store, which Compute records each case in; the
    // program built from the template names its own file.
    CaseRecords& caseRecords();
    void setCaseStoreFileName(const std::string& name);

    // The text sent to the printer by Print All: the area's text, every line
    // ending in CR LF, followed by one line end.
    QString printAllText() const;
    // The same for the selection; empty when nothing is selected.
    QString printSelectionText() const;
    // The report's font at the printed size: the text area's family, 8 points.
    QFont printFont() const;

    // Set while the program ends, so that closing the window is not refused.
    void setProgramEnding(bool ending) { programEnding_ = ending; }

    // Controls. All but the menu bar and its menu have their member's name
    // as object name, so that they can also be found with findChild.
    QMenuBar* MainMenu1 = nullptr;
    QMenu* mnuPrinterOptions = nullptr;
    QAction* mnuPrint = nullptr;
    QAction* mnuPrintSelection = nullptr;
    QAction* mnuPrintPreview = nullptr;
    QAction* mnuChoosePrinter = nullptr;
    QAction* mnuSaveAsPdf = nullptr;
    QAction* mnuProfileChart = nullptr;
    QMenu* mnuSummaryMenu = nullptr;
    QAction* mnuCopySummary = nullptr;
    QAction* mnuSaveSummary = nullptr;
    QAction* mnuCases = nullptr;
    QMenu* mnuHelpMenu = nullptr;
    QAction* mnuAbout = nullptr;
    QAction* actSaveOutput = nullptr; // Ctrl+S
    QFrame* Panel1 = nullptr;
    QPlainTextEdit* memoResults = nullptr;
    QFrame* Panel2 = nullptr;
    QPushButton* cmdSaveOutput = nullptr;
    QPushButton* cmdClearResults = nullptr;
    QPushButton* cmdReturn = nullptr;
    QPushButton* cmdExit = nullptr;
    QPushButton* cmdOpenPreviousFile = nullptr;

    // The dialogs' initial file names; choosing a name in either dialog makes
    // it the initial name of both.
    QString saveDialogFileName = QStringLiteral("results.txt");
    QString openDialogFileName = QStringLiteral("results.txt");
    QString pdfDialogFileName = QStringLiteral("results.pdf");
    QString summaryDialogFileName = QStringLiteral("summary.odt");

signals:
    // "Cases..." was chosen: the worksheet, which owns the Cases window, opens it.
    void casesRequested();
    // A case was recorded in the store, for a Cases window that is open.
    void caseRecorded();

public:
    // The chart window, once "Profile chart..." has opened it.
    TfrmProfileChart* profileChartWindow() const { return profileChart_; }

public slots:
    void cmdSaveOutputClick();
    void cmdClearResultsClick();
    void cmdReturnClick();
    void cmdExitClick();
    void cmdOpenPreviousFileClick();
    void mnuPrintClick();
    void mnuPrintSelectionClick();
    void mnuSaveAsPdfClick();
    void mnuProfileChartClick();
    void mnuPrintPreviewClick();
    void mnuChoosePrinterClick();
    void mnuCopySummaryClick();
    void mnuSaveSummaryClick();
    void mnuAboutClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The constructor's builders, one a part of the window, in the order the
    // parts stand.
    QMenuBar* buildMenu();
    void addShortcuts();
    void openMenuFromKeyboard();
    QFrame* buildTextArea();
    void styleTextArea();
    QLayout* buildOpenRow();
    QFrame* buildButtonRow();
    void connectHandlers();
    void FormCreate();
    void FormShow();
    void print(const QString& text);
    void showHorizontalScrollBar();
    void showLineAtTop(int blockNumber);
    void casesChanged();
    void keepCase(CaseRecord record, int firstBlock, std::shared_ptr<const CaseComparison> comparison = nullptr);
    void recordCase(const CaseRecord& record);
    std::vector<PdfSection> pdfSections(std::vector<std::unique_ptr<ProfileChart>>& charts) const;

    // A case and where its lines begin in the text area; the cursor follows
    // the user's edits before it.
    struct KeptCase {
        CaseRecord record;
        QTextCursor start;
        std::shared_ptr<const CaseComparison> comparison; // set for a comparison
    };
    ChartCase chartCaseOfKept(const KeptCase& kept) const;

    Services services_;
    QWidget* worksheet_ = nullptr;
    bool programEnding_ = false;
    bool shownBefore_ = false;
    std::vector<KeptCase> cases_;
    TfrmProfileChart* profileChart_ = nullptr;
    std::unique_ptr<CaseRecords> records_;
    std::string caseStoreFileName_ = CaseStoreFileName;
};

// Lines longer than this in an opened results file give the text area a
// horizontal scroll bar.
inline constexpr int LongResultsLine = 75;

} // namespace kalden
