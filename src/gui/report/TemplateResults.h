#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <QWidget>

#include "gui/book/CaseBook.h"
#include "gui/platform/Services.h"
#include "report/ReportLines.h"

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

// The results window: a view of the case book. It shows the accumulated
// report text, saves it, prints all or a selection of it, clears it and
// leads back to the worksheet; the book's cases give the chart, the PDF and
// the summary. It has no close box and ignores the window manager's close
// request: "Return to Worksheet" and a confirmed "Exit" are the ways out.
class TfrmTemplateResults : public QWidget {
    Q_OBJECT

public:
    TfrmTemplateResults(const Services& services, CaseBook& book, QWidget* parent = nullptr);

    // The worksheet that "Return to Worksheet" shows again.
    void setWorksheet(QWidget* worksheet) { worksheet_ = worksheet; }

    // The report lines of the text area, including
    // whatever the user typed.
    ReportLines reportLines() const;

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
    // What the book did, shown: appended lines at the view's top (a report
    // brought back or a comparison with the window in front, a comparison
    // with its chart), the chart window's cases.
    void showAppended(int firstBlock, CaseBook::Source source);
    void casesChanged();
    std::vector<PdfSection> pdfSections(std::vector<std::unique_ptr<ProfileChart>>& charts) const;

    Services services_;
    CaseBook& book_;
    QWidget* worksheet_ = nullptr;
    bool programEnding_ = false;
    bool shownBefore_ = false;
    TfrmProfileChart* profileChart_ = nullptr;
};

// Lines longer than this in an opened results file give the text area a
// horizontal scroll bar.
inline constexpr int LongResultsLine = 75;

} // namespace kalden
