#pragma once

#include <vector>

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include "gui/book/CaseBook.h"

namespace kalden {

// Stored text (UTF-8) as the windows show it.
inline QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// "No. 3 Ann B., tested 2026-03-01": a case as a question names it.
QString caseLine(const CaseListRow& r);

// The cases of the store as a table: number, date and time computed, date
// of testing, age at testing, person, the notes' first line, the seven scores as typed, the
// Full Scale IQ and the options.
class CaseTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column {
        Number,
        Computed,
        Tested,
        Age,
        Person,
        Notes,
        FirstScore,
        FullScale = FirstScore + 7,
        Options,
        ColumnCount
    };

    void setRows(std::vector<CaseListRow> rows);
    const CaseListRow& row(int r) const { return rows_[static_cast<std::size_t>(r)]; }
    const QString& notesText(int r) const { return notes_[static_cast<std::size_t>(r)]; }
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

} // namespace kalden
