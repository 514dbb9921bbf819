#include "gui/cases/CasesWindow.h"

#include <algorithm>

#include <QCheckBox>
#include <QDate>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

#include "files/CaseExport.h"
#include "files/TextFile.h"
#include "format/VisibleText.h"
#include "gui/platform/WindowHelpers.h"
#include "gui/report/PdfExport.h"
#include "gui/report/ProfileChartWindow.h"
#include "gui/report/TemplateResults.h"
#include "worksheet/ProgramConfig.h"

namespace kalden {

namespace {

const char* const ScoreHeads[7] = {"VOC", "DSYM", "SIM", "BD", "AR", "DS", "MR"};
const char* const ScoreNames[7] = {"Vocabulary", "Digit Symbol", "Similarities",    "Block Design",
                                   "Arithmetic", "Digit Span",   "Matrix Reasoning"};

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

} // namespace

// ---- The table ---------------------------------------------------------------------

void CaseTableModel::setRows(std::vector<CaseListRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    times_.clear();
    notes_.clear();
    times_.reserve(rows_.size());
    notes_.reserve(rows_.size());
    for (const CaseListRow& r : rows_) {
        times_.push_back(fromUtf8(localTimeText(r.computedUtc, r.utcOffsetMinutes)));
        notes_.push_back(fromUtf8(visibleText(r.notesHeadline))); // a control shows as an escape, never a break
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
        return column == Notes || column == Computed ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                                     : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (column == Number) return QVariant(static_cast<qlonglong>(r.id));
    if (column == Computed)
        return role == SortRole ? QVariant(static_cast<qlonglong>(r.computedUtc))
                                : QVariant(times_[static_cast<std::size_t>(index.row())]);
    if (column == Notes) return notes_[static_cast<std::size_t>(index.row())];
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
    if (section == Notes) return QStringLiteral("Notes");
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
    return cases->notesText(sourceRow).contains(text_, Qt::CaseInsensitive) ||
           cases->timeText(sourceRow).contains(text_);
}

bool CaseFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    if (left.column() != CaseTableModel::Computed) return QSortFilterProxyModel::lessThan(left, right);
    const auto* cases = static_cast<const CaseTableModel*>(sourceModel());
    const CaseListRow& a = cases->row(left.row());
    const CaseListRow& b = cases->row(right.row());
    return a.computedUtc != b.computedUtc ? a.computedUtc < b.computedUtc : a.id < b.id;
}

// ---- The window ---------------------------------------------------------------------

TfrmCases::TfrmCases(const Services& services, TfrmTemplateResults& results, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services), results_(results) {
    setObjectName(QStringLiteral("frmCases"));
    setWindowTitle(QStringLiteral("Cases: ") + QString::fromStdString(ProgramTitle));
    buildWindow();
    connectHandlers();
    pressButtonsOnEnter(*this);
    reload();
}

// The window from top to bottom: the Find row, the table, the recording
// setting and the buttons.
void TfrmCases::buildWindow() {
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buildFindRow());
    layout->addWidget(buildTable(), 1);
    chkKeepRecords = new QCheckBox(QStringLiteral("Keep a record of every computed case"), this);
    chkKeepRecords->setObjectName(QStringLiteral("chkKeepRecords"));
    chkKeepRecords->setChecked(services_.host.keepCaseRecords());
    layout->addWidget(chkKeepRecords);
    layout->addLayout(buildButtonRow());
}

QLayout* TfrmCases::buildFindRow() {
    auto* filterRow = new QHBoxLayout;
    auto* filterLabel = new QLabel(QStringLiteral("&Find:"), this);
    txtFilter = new QLineEdit(this);
    txtFilter->setObjectName(QStringLiteral("txtFilter"));
    txtFilter->setAccessibleName(QStringLiteral("Find cases by notes or date"));
    txtFilter->setPlaceholderText(QStringLiteral("Notes or date, e.g. 2026-03"));
    txtFilter->setClearButtonEnabled(true);
    filterLabel->setBuddy(txtFilter);
    lblCount = new QLabel(this);
    lblCount->setObjectName(QStringLiteral("lblCount"));
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(txtFilter, 1);
    filterRow->addWidget(lblCount);
    return filterRow;
}

QTableView* TfrmCases::buildTable() {
    model_ = new CaseTableModel;
    model_->setParent(this);
    filter_ = new CaseFilterModel(this);
    filter_->setSourceModel(model_);
    filter_->setSortRole(CaseTableModel::SortRole);
    tblCases = new QTableView(this);
    tblCases->setObjectName(QStringLiteral("tblCases"));
    tblCases->setAccessibleName(QStringLiteral("Cases"));
    tblCases->setModel(filter_);
    tblCases->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblCases->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblCases->setSortingEnabled(true);
    tblCases->sortByColumn(CaseTableModel::Computed, Qt::DescendingOrder);
    tblCases->verticalHeader()->hide();
    sizeColumns();
    tblCases->setMinimumSize(900, 360);
    return tblCases;
}

// Widths from the texts the columns hold; the notes take what is left.
void TfrmCases::sizeColumns() {
    const QFontMetrics fm(tblCases->font());
    QHeaderView* header = tblCases->horizontalHeader();
    header->resizeSection(CaseTableModel::Number, fm.horizontalAdvance(QStringLiteral("000000")) + 16);
    header->resizeSection(CaseTableModel::Computed, fm.horizontalAdvance(QStringLiteral("0000-00-00 00:00")) + 24);
    for (int c = CaseTableModel::FirstScore; c <= CaseTableModel::FullScale; ++c)
        header->resizeSection(c, fm.horizontalAdvance(QStringLiteral("DSYM")) + 24);
    header->setSectionResizeMode(CaseTableModel::Notes, QHeaderView::Stretch);
    header->setMinimumSectionSize(fm.horizontalAdvance(QStringLiteral("0000")) + 12);
    tblCases->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 6);
}

QLayout* TfrmCases::buildButtonRow() {
    auto* buttons = new QHBoxLayout;
    const auto button = [this, buttons](QPushButton*& b, const char* caption, const char* name) {
        b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAccessibleName(b->text().remove(u'&'));
        b->setAutoDefault(false);
        buttons->addWidget(b);
    };
    button(cmdOpenInWorksheet, "&Open in Worksheet", "cmdOpenInWorksheet");
    button(cmdShowReport, "Show &Report", "cmdShowReport");
    button(cmdProfileChart, "Profile &chart...", "cmdProfileChart");
    button(cmdExport, "&Export...", "cmdExport");
    button(cmdDelete, "&Delete...", "cmdDelete");
    button(cmdDeleteAll, "Delete &All Cases...", "cmdDeleteAll");
    buttons->addStretch(1);
    button(cmdClose, "Close", "cmdClose");
    return buttons;
}

void TfrmCases::connectHandlers() {
    connect(txtFilter, &QLineEdit::textChanged, this, [this](const QString& text) {
        filter_->setText(text);
        updateCount();
    });
    connect(cmdOpenInWorksheet, &QPushButton::clicked, this, &TfrmCases::cmdOpenInWorksheetClick);
    connect(cmdShowReport, &QPushButton::clicked, this, &TfrmCases::cmdShowReportClick);
    connect(cmdProfileChart, &QPushButton::clicked, this, &TfrmCases::cmdProfileChartClick);
    connect(cmdExport, &QPushButton::clicked, this, &TfrmCases::cmdExportClick);
    connect(cmdDelete, &QPushButton::clicked, this, &TfrmCases::cmdDeleteClick);
    connect(cmdDeleteAll, &QPushButton::clicked, this, &TfrmCases::cmdDeleteAllClick);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(chkKeepRecords, &QCheckBox::toggled, this, [this](bool keep) { services_.host.setKeepCaseRecords(keep); });
    connect(tblCases, &QTableView::activated, this, &TfrmCases::cmdShowReportClick);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

std::optional<CaseStore> TfrmCases::store(FileAction action) {
    std::string error;
    std::optional<CaseStore> s = results_.caseRecords().open(error);
    if (!s) storeFailed(action, error);
    return s;
}

void TfrmCases::storeFailed(FileAction action, const std::string& error) {
    services_.boxes.error(systemReason(fileErrorMessage(action, results_.caseRecords().path(), error)));
}

void TfrmCases::reload() {
    std::vector<CaseListRow> rows;
    std::string error;
    std::optional<CaseStore> s = store(FileAction::ReadCases);
    if (s && !s->list({}, rows, error)) storeFailed(FileAction::ReadCases, error);
    model_->setRows(std::move(rows));
    if (filter_->rowCount() > 0) tblCases->selectRow(0);
    updateCount();
}

void TfrmCases::updateCount() {
    const int shown = filter_->rowCount();
    const int all = model_->rowCount();
    lblCount->setText(shown == all ? QStringLiteral("%1 cases").arg(all)
                                   : QStringLiteral("%1 of %2 cases").arg(shown).arg(all));
}

std::vector<std::int64_t> TfrmCases::selectedIds() const {
    std::vector<std::int64_t> ids;
    QModelIndexList rows = tblCases->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& index : rows) ids.push_back(model_->row(filter_->mapToSource(index).row()).id);
    return ids;
}

std::vector<StoredCase> TfrmCases::selectedCases() {
    std::vector<StoredCase> cases;
    const std::vector<std::int64_t> ids = selectedIds();
    if (ids.empty()) {
        services_.boxes.warning(QStringLiteral("Please select a case first."));
        return cases;
    }
    std::optional<CaseStore> s = store(FileAction::ReadCases);
    if (!s) return cases;
    for (const std::int64_t id : ids) {
        std::optional<StoredCase> found;
        std::string error;
        if (!s->get(id, found, error)) {
            storeFailed(FileAction::ReadCases, error);
            return {};
        }
        if (!found) continue; // deleted by another window meanwhile
        cases.push_back(std::move(*found));
    }
    return cases;
}

void TfrmCases::cmdOpenInWorksheetClick() {
    const std::vector<StoredCase> cases = selectedCases();
    if (!cases.empty()) emit openInWorksheet(cases.front());
}

void TfrmCases::cmdShowReportClick() {
    const std::vector<StoredCase> cases = selectedCases();
    if (cases.empty()) return;
    for (const StoredCase& c : cases) results_.appendStoredCase(c.record);
    results_.show();
    results_.raise();
    results_.activateWindow();
}

void TfrmCases::cmdProfileChartClick() {
    const std::vector<StoredCase> cases = selectedCases();
    if (cases.empty()) return;
    if (!chart_) {
        chart_ = new TfrmProfileChart(services_, this);
        chart_->adjustSize();
    }
    std::vector<ChartCase> charts;
    for (const StoredCase& c : cases) charts.push_back(chartCaseOf(c.record));
    chart_->setCases(std::move(charts));
    chart_->show();
    chart_->raise();
    chart_->activateWindow();
}

// A batch CSV (.csv) or one PDF (.pdf) of the selected cases, by the name's
// extension.
void TfrmCases::cmdExportClick() {
    const std::vector<StoredCase> cases = selectedCases();
    if (cases.empty()) return;
    const std::optional<QString> name =
        services_.files.saveFileNameFiltered(this, exportFileName,
                                             QStringLiteral("Batch CSV file (*.csv);;PDF document (*.pdf)"));
    if (!name) return;
    exportFileName = *name;
    const QString extension = QFileInfo(*name).suffix().toLower();
    QByteArray bytes;
    QString error;
    if (extension == u"csv") {
        bytes = QByteArray::fromStdString(casesBatchCsv(cases));
    } else if (extension == u"pdf") {
        std::vector<std::unique_ptr<ProfileChart>> charts;
        std::vector<PdfSection> sections;
        for (const StoredCase& c : cases) {
            const ChartCase chartCase = chartCaseOf(c.record);
            charts.push_back(std::make_unique<ProfileChart>());
            charts.back()->setCase(chartCase.results, chartCase.title);
            const ProfileChart* chart = charts.back().get();
            sections.push_back(PdfSection{QString::fromStdString(joinCrLf(c.record.report)) + QStringLiteral("\r\n"),
                                          fromUtf8(c.record.notesHeadline()),
                                          [chart](QPainter& p, const QRectF& page) { chart->paintPicture(p, page); }});
        }
        if (!resultsPdf(sections, results_.printFont(), QDate::currentDate().toString(Qt::ISODate), bytes, error)) {
            services_.boxes.error(error);
            return;
        }
    } else {
        services_.boxes.warning(QStringLiteral(
            "The cases are exported as a batch CSV file or a PDF document: please give a file name ending in .csv "
            "or .pdf."));
        return;
    }
    if (!replaceFileWith(services_.host, *name, bytes, error)) services_.boxes.error(error);
}

void TfrmCases::cmdDeleteClick() {
    const std::vector<std::int64_t> ids = selectedIds();
    if (ids.empty()) {
        services_.boxes.warning(QStringLiteral("Please select a case first."));
        return;
    }
    const QString what = ids.size() == 1 ? QStringLiteral("1 case") : QStringLiteral("%1 cases").arg(ids.size());
    if (!services_.boxes.confirm(QStringLiteral("Delete %1 from the records?").arg(what))) return;
    std::string error;
    std::optional<CaseStore> s = store(FileAction::DeleteCases);
    if (s && !s->remove(ids, error)) storeFailed(FileAction::DeleteCases, error);
    s.reset();
    reload();
}

// Asks twice: every case recorded so far goes.
void TfrmCases::cmdDeleteAllClick() {
    std::optional<CaseStore> s = store(FileAction::DeleteCases);
    std::int64_t n = 0;
    std::string error;
    if (!s) return;
    if (!s->count(n, error)) {
        storeFailed(FileAction::ReadCases, error);
        return;
    }
    if (n == 0) {
        services_.boxes.information(QStringLiteral("There are no recorded cases."));
        return;
    }
    const QString what = n == 1 ? QStringLiteral("1 case") : QStringLiteral("%1 cases").arg(n);
    if (!services_.boxes.confirm(QStringLiteral("Delete all %1 from the records?").arg(what))) return;
    if (!services_.boxes.confirm(
            QStringLiteral("The %1 cannot be brought back once deleted.\rDelete them all?").arg(what)))
        return;
    if (!s->removeAll(error)) storeFailed(FileAction::DeleteCases, error);
    s.reset();
    reload();
}

} // namespace kalden
