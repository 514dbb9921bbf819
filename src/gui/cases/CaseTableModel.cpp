#include "gui/cases/CaseTableModel.h"

#include "format/VisibleText.h"
#include "worksheet/OptionNames.h"

namespace kalden {

namespace {

const char* const ScoreHeads[7] = {"VOC", "DSYM", "SIM", "BD", "AR", "DS", "MR"};
const char* const ScoreNames[7] = {"Vocabulary", "Digit Symbol", "Similarities",    "Block Design",
                                   "Arithmetic", "Digit Span",   "Matrix Reasoning"};

} // namespace

void CaseTableModel::setRows(std::vector<CaseListRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    for (auto* texts : {&times_, &notes_, &persons_, &options_, &finds_}) {
        texts->clear();
        texts->reserve(rows_.size());
    }
    for (const CaseListRow& r : rows_) {
        times_.push_back(fromUtf8(localTimeText(r.computedUtc, r.utcOffsetMinutes)));
        // A control shows as an escape, never a break of the line.
        notes_.push_back(fromUtf8(visibleText(r.notesHeadline)));
        persons_.push_back(fromUtf8(visibleText(r.session.person)));
        options_.push_back(fromUtf8(optionsWords(r.options)));
        finds_.push_back(notes_.back() + u'\n' + persons_.back() + u'\n' + fromUtf8(r.session.examiner) + u'\n' +
                         fromUtf8(r.session.testingDate) + u'\n' + times_.back());
    }
    endResetModel();
}

int CaseTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CaseTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant CaseTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != SortRole && role != Qt::TextAlignmentRole)) return {};
    const CaseListRow& r = rows_[static_cast<std::size_t>(index.row())];
    const int column = index.column();
    if (role == Qt::TextAlignmentRole)
        return column >= FirstScore && column <= FullScale ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
               : column == Number                          ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                           : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    const auto at = static_cast<std::size_t>(index.row());
    if (column == Number) return QVariant(static_cast<qlonglong>(r.id));
    if (column == Computed)
        return role == SortRole ? QVariant(static_cast<qlonglong>(r.computedUtc)) : QVariant(times_[at]);
    if (column == Tested) return fromUtf8(r.session.testingDate);
    if (column == Age) {
        const std::optional<kalden::Age> age = ageAtTesting(r.session);
        if (!age) return role == SortRole ? QVariant(-1) : QVariant(QString());
        return role == SortRole ? QVariant(age->years * 12 + age->months)
                                : QVariant(QString::fromStdString(ageColumnText(*age)));
    }
    if (column == Person) return persons_[at];
    if (column == Notes) return notes_[at];
    if (column == Options) return options_[at];
    const std::string& text =
        column == FullScale ? r.fullScale : r.fieldTexts[static_cast<std::size_t>(column - FirstScore)];
    if (role == SortRole) {
        bool ok = false;
        const double value = fromUtf8(text).toDouble(&ok);
        return ok ? QVariant(value) : QVariant(fromUtf8(text));
    }
    return fromUtf8(text);
}

QVariant CaseTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    const bool tip = role == Qt::ToolTipRole || role == Qt::AccessibleTextRole;
    if (role != Qt::DisplayRole && !tip) return {};
    if (section == Number) return tip ? QStringLiteral("Case number") : QStringLiteral("No.");
    if (section == Computed) return QStringLiteral("Computed");
    if (section == Tested) return tip ? QStringLiteral("Date of testing") : QStringLiteral("Tested");
    if (section == Age) return tip ? QStringLiteral("Age at testing (years;months)") : QStringLiteral("Age");
    if (section == Person) return QStringLiteral("Person");
    if (section == Notes) return QStringLiteral("Notes");
    if (section == Options) return QStringLiteral("Options");
    if (section == FullScale) return tip ? QStringLiteral("Full Scale IQ") : QStringLiteral("FSIQ");
    const int k = section - FirstScore;
    return QString::fromLatin1(tip ? ScoreNames[k] : ScoreHeads[k]);
}

void CaseFilterModel::setText(const QString& text) {
    text_ = text.trimmed();
    invalidateFilter();
}

bool CaseFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    if (text_.isEmpty()) return true;
    const auto* cases = static_cast<const CaseTableModel*>(sourceModel());
    return cases->findText(sourceRow).contains(text_, Qt::CaseInsensitive);
}

bool CaseFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    if (left.column() != CaseTableModel::Computed) return QSortFilterProxyModel::lessThan(left, right);
    const auto* cases = static_cast<const CaseTableModel*>(sourceModel());
    const CaseListRow& a = cases->row(left.row());
    const CaseListRow& b = cases->row(right.row());
    return a.computedUtc != b.computedUtc ? a.computedUtc < b.computedUtc : a.id < b.id;
}

QString caseLine(const CaseListRow& r) {
    QString line = QStringLiteral("No. %1").arg(r.id);
    if (!r.session.person.empty()) line += u' ' + fromUtf8(visibleText(r.session.person));
    line += r.session.testingDate.empty()
                ? QStringLiteral(", computed ") + fromUtf8(localTimeText(r.computedUtc, r.utcOffsetMinutes))
                : QStringLiteral(", tested ") + fromUtf8(r.session.testingDate);
    return line;
}

} // namespace kalden
