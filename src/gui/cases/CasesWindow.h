#pragma once

#include <vector>

#include <QWidget>

#include "files/FileErrors.h"
#include "gui/book/CaseBook.h"
#include "gui/cases/CaseTableModel.h"
#include "gui/platform/Services.h"

class QCheckBox;
class QLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace kalden {

class TfrmProfileChart;

// The "Cases" window: the case book's records, newest first, filtered as the
// user types and sorted by any column; a case goes back to the worksheet, its
// report to the book (and so to the results window), its chart to a chart
// window; two cases of one person are compared; cases are exported as a
// batch CSV or one PDF, and deleted after a confirmation.
class TfrmCases : public QWidget {
    Q_OBJECT

public:
    TfrmCases(const Services& services, CaseBook& book, QWidget* parent = nullptr);

    // Reads the store again (the window shows what it held when opened).
    void reload();
    // The selected cases' numbers, in the table's order.
    std::vector<std::int64_t> selectedIds() const;

    QLineEdit* txtFilter = nullptr;
    QTableView* tblCases = nullptr;
    QLabel* lblCount = nullptr;
    QPushButton* cmdOpenInWorksheet = nullptr;
    QPushButton* cmdShowReport = nullptr;
    QPushButton* cmdProfileChart = nullptr;
    QPushButton* cmdExport = nullptr;
    QPushButton* cmdImport = nullptr;
    QPushButton* cmdCopySummary = nullptr;
    QPushButton* cmdSaveSummary = nullptr;
    QPushButton* cmdCompare = nullptr;
    QPushButton* cmdCompareEarlier = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdDeletePerson = nullptr;
    QPushButton* cmdDeleteAll = nullptr;
    QPushButton* cmdCorrect = nullptr;
    QPushButton* cmdClose = nullptr;
    QCheckBox* chkKeepRecords = nullptr;

    CaseTableModel* model() const { return model_; }
    CaseFilterModel* filter() const { return filter_; }
    TfrmProfileChart* profileChartWindow() const { return chart_; }

    // The dialogs' initial names.
    QString exportFileName = QStringLiteral("cases.csv");
    QString summaryFileName = QStringLiteral("summary.odt");
    QString importFileName;

signals:
    // "Open in Worksheet": the worksheet takes the case's fields, options and notes.
    void openInWorksheet(const kalden::StoredCase& c);

public slots:
    void cmdOpenInWorksheetClick();
    void cmdShowReportClick();
    void cmdProfileChartClick();
    void cmdExportClick();
    void cmdImportClick();
    void cmdCopySummaryClick();
    void cmdSaveSummaryClick();
    // Two selected cases of one person; one selected case with the latest
    // case of its person assessed before it.
    void cmdCompareClick();
    void cmdCompareEarlierClick();
    void cmdDeleteClick();
    void cmdDeletePersonClick();
    void cmdDeleteAllClick();
    // The person and session of the selected cases (and, on Yes, of the
    // person's other cases) corrected; the reports stay as computed.
    void cmdCorrectClick();

protected:
    // Cases another program recorded meanwhile appear when the window is
    // shown again.
    void showEvent(QShowEvent* event) override;

private:
    void buildWindow();
    QLayout* buildFindRow();
    QTableView* buildTable();
    void sizeColumns();
    QLayout* buildButtonRows();
    void connectHandlers();
    void updateCount();
    // The selected cases, read whole from the store; an error box and
    // nothing when the store fails.
    std::vector<StoredCase> selectedCases();
    // The row of case `id` as the table holds it, or nothing.
    const CaseListRow* listedRow(std::int64_t id) const;
    // The case of the same person assessed last before case `id`, or 0.
    // Where that person has none, the latest earlier case of a person whose
    // name differs a little, when the user says it is the same person
    // (`samePerson`).
    std::int64_t earlierCaseOf(std::int64_t id, bool& samePerson);
    // Reads both cases, refuses two persons' cases (asking first where the
    // names differ a little, unless `samePerson` says so already), asks for
    // the level and the practice gains, and adds the change to the book.
    void compare(std::int64_t a, std::int64_t b, bool samePerson = false);
    // The chart window shows `cases`; refreshChart reads them again.
    void chartCases(const std::vector<StoredCase>& cases);
    void refreshChart();
    // The cases listed whose person has key `key`.
    std::vector<const CaseListRow*> rowsOfPerson(const std::string& key) const;

    Services services_;
    CaseBook& book_;
    CaseTableModel* model_ = nullptr;
    CaseFilterModel* filter_ = nullptr;
    TfrmProfileChart* chart_ = nullptr;
    std::vector<std::int64_t> chartedIds_; // the cases the chart window shows
};

} // namespace kalden
