#pragma once

#include <vector>

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QWidget>

#include "files/CaseStore.h"
#include "files/FileErrors.h"
#include "gui/platform/Services.h"

class QCheckBox;
class QLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace kalden {

class TfrmTemplateResults;
class TfrmProfileChart;

// The cases of the store as a table: number, date and time computed, date
// of testing, person, the notes' first line, the seven scores as typed, the
// Full Scale IQ and the options.
class CaseTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column {
        Number,
        Computed,
        Tested,
        Person,
        Notes,
        FirstScore,
        FullScale = FirstScore + 7,
        Options,
        ColumnCount
    };

    void setRows(std::vector<CaseListRow> rows);
    const CaseListRow& row(int r) const { return rows_[static_cast<std::size_t>(r)]; }
    const QString& timeText(int r) const { return times_[static_cast<std::size_t>(r)]; }
    const QString& notesText(int r) const { return notes_[static_cast<std::size_t>(r)]; }
    const QString& personText(int r) const { return persons_[static_cast<std::size_t>(r)]; }
    // What Find looks in: notes, person, examiner, dates.
    const QString& findText(int r) const { return finds_[static_cast<std::size_t>(r)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // DisplayRole: the text; SortRole: a number where the column is one.
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    static constexpr int SortRole = Qt::UserRole;

private:
    std::vector<CaseListRow> rows_;
    std::vector<QString> times_; // the texts of the columns, made once
    std::vector<QString> notes_;
    std::vector<QString> persons_;
    std::vector<QString> options_;
    std::vector<QString> finds_;
};

// Keeps the rows whose notes, person, examiner, date of testing or date and
// time computed hold the filter text.
class CaseFilterModel : public QSortFilterProxyModel {
    Q_OBJECT

public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setText(const QString& text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    // Cases computed in the same second keep the order they were computed in.
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    QString text_;
};

// The "Cases" window: the recorded cases, newest first, filtered as the user
// types and sorted by any column; a case goes back to the worksheet, its
// report to the results window, its chart to a chart window; two cases of
// one person are compared; cases are exported as a batch CSV or one PDF, and
// deleted after a confirmation.
class TfrmCases : public QWidget {
    Q_OBJECT

public:
    TfrmCases(const Services& services, TfrmTemplateResults& results, QWidget* parent = nullptr);

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
    QPushButton* cmdCopySummary = nullptr;
    QPushButton* cmdSaveSummary = nullptr;
    QPushButton* cmdCompare = nullptr;
    QPushButton* cmdCompareEarlier = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdDeletePerson = nullptr;
    QPushButton* cmdDeleteAll = nullptr;
    QPushButton* cmdClose = nullptr;
    QCheckBox* chkKeepRecords = nullptr;

    CaseTableModel* model() const { return model_; }
    CaseFilterModel* filter() const { return filter_; }
    TfrmProfileChart* profileChartWindow() const { return chart_; }

    // The dialogs' initial names.
    QString exportFileName = QStringLiteral("cases.csv");
    QString summaryFileName = QStringLiteral("summary.odt");

signals:
    // "Open in Worksheet": the worksheet takes the case's fields, options and notes.
    void openInWorksheet(const kalden::StoredCase& c);

public slots:
    void cmdOpenInWorksheetClick();
    void cmdShowReportClick();
    void cmdProfileChartClick();
    void cmdExportClick();
    void cmdCopySummaryClick();
    void cmdSaveSummaryClick();
    // Two selected cases of one person; one selected case with the latest
    // case of its person assessed before it.
    void cmdCompareClick();
    void cmdCompareEarlierClick();
    void cmdDeleteClick();
    void cmdDeletePersonClick();
    void cmdDeleteAllClick();

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
    // The store opened for one action, or an error box naming it.
    std::optional<CaseStore> store(FileAction action);
    void storeFailed(FileAction action, const std::string& error);
    // The case of the same person assessed last before case `id`, or 0.
    std::int64_t earlierCaseOf(std::int64_t id);
    // Reads both cases, refuses two persons' cases, asks for the level and
    // the practice gains, and appends the change to the results window with
    // its chart.
    void compare(std::int64_t a, std::int64_t b);

    Services services_;
    TfrmTemplateResults& results_;
    CaseTableModel* model_ = nullptr;
    CaseFilterModel* filter_ = nullptr;
    TfrmProfileChart* chart_ = nullptr;
};

} // namespace kalden
