#include "gui/cases/CasesWindow.h"

#include <algorithm>

#include <QCheckBox>
#include <QClipboard>
#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

#include "files/CaseExport.h"
#include "files/ChangeSettingsFile.h"
#include "files/PreviousDataFile.h"
#include "files/TextFile.h"
#include "format/VisibleText.h"
#include "gui/cases/CompareDialog.h"
#include "gui/platform/WindowHelpers.h"
#include "gui/report/PdfExport.h"
#include "gui/report/ProfileChartWindow.h"
#include "gui/report/SummaryExport.h"
#include "gui/report/TemplateResults.h"
#include "worksheet/OptionNames.h"
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
    layout->addLayout(buildButtonRows());
}

QLayout* TfrmCases::buildFindRow() {
    auto* filterRow = new QHBoxLayout;
    auto* filterLabel = new QLabel(QStringLiteral("&Find:"), this);
    txtFilter = new QLineEdit(this);
    txtFilter->setObjectName(QStringLiteral("txtFilter"));
    txtFilter->setAccessibleName(QStringLiteral("Find cases by person, notes, examiner or date"));
    txtFilter->setPlaceholderText(QStringLiteral("Person, notes, examiner or date, e.g. 2026-03"));
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
    tblCases->setMinimumSize(1100, 360);
    return tblCases;
}

// Widths from the texts the columns hold; the notes take what is left.
void TfrmCases::sizeColumns() {
    const QFontMetrics fm(tblCases->font());
    QHeaderView* header = tblCases->horizontalHeader();
    header->resizeSection(CaseTableModel::Number, fm.horizontalAdvance(QStringLiteral("000000")) + 16);
    header->resizeSection(CaseTableModel::Computed, fm.horizontalAdvance(QStringLiteral("0000-00-00 00:00")) + 24);
    header->resizeSection(CaseTableModel::Tested, fm.horizontalAdvance(QStringLiteral("0000-00-00")) + 24);
    header->resizeSection(CaseTableModel::Person, fm.horizontalAdvance(QString(18, u'x')));
    header->resizeSection(CaseTableModel::Options,
                          fm.horizontalAdvance(QStringLiteral("95% traditional, true scores, no Bonferroni, 15%")) +
                              16);
    for (int c = CaseTableModel::FirstScore; c <= CaseTableModel::FullScale; ++c)
        header->resizeSection(c, fm.horizontalAdvance(QStringLiteral("DSYM")) + 24);
    header->setSectionResizeMode(CaseTableModel::Notes, QHeaderView::Stretch);
    header->setMinimumSectionSize(fm.horizontalAdvance(QStringLiteral("0000")) + 12);
    tblCases->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 6);
}

// The case's own actions in the first row; deleting, and closing, in the
// second.
QLayout* TfrmCases::buildButtonRows() {
    auto* rows = new QVBoxLayout;
    auto* first = new QHBoxLayout;
    auto* second = new QHBoxLayout;
    const auto button = [this](QHBoxLayout* row, QPushButton*& b, const char* caption, const char* name) {
        b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAccessibleName(b->text().remove(u'&'));
        b->setAutoDefault(false);
        row->addWidget(b);
    };
    button(first, cmdOpenInWorksheet, "&Open in Worksheet", "cmdOpenInWorksheet");
    button(first, cmdShowReport, "Show &Report", "cmdShowReport");
    button(first, cmdProfileChart, "Profile &chart...", "cmdProfileChart");
    button(first, cmdCopySummary, "Copy &Summary", "cmdCopySummary");
    button(first, cmdSaveSummary, "Sa&ve Summary...", "cmdSaveSummary");
    button(first, cmdCompare, "Co&mpare...", "cmdCompare");
    button(first, cmdCompareEarlier, "Compare with This Person's Ear&lier Case...", "cmdCompareEarlier");
    button(first, cmdExport, "&Export...", "cmdExport");
    first->addStretch(1);
    button(second, cmdDelete, "&Delete...", "cmdDelete");
    button(second, cmdDeletePerson, "Delete This &Person's Cases...", "cmdDeletePerson");
    button(second, cmdDeleteAll, "Delete &All Cases...", "cmdDeleteAll");
    second->addStretch(1);
    button(second, cmdClose, "Close", "cmdClose");
    rows->addLayout(first);
    rows->addLayout(second);
    return rows;
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
    connect(cmdCopySummary, &QPushButton::clicked, this, &TfrmCases::cmdCopySummaryClick);
    connect(cmdSaveSummary, &QPushButton::clicked, this, &TfrmCases::cmdSaveSummaryClick);
    connect(cmdCompare, &QPushButton::clicked, this, &TfrmCases::cmdCompareClick);
    connect(cmdCompareEarlier, &QPushButton::clicked, this, &TfrmCases::cmdCompareEarlierClick);
    connect(cmdDelete, &QPushButton::clicked, this, &TfrmCases::cmdDeleteClick);
    connect(cmdDeletePerson, &QPushButton::clicked, this, &TfrmCases::cmdDeletePersonClick);
    // A case computed while the window is open appears at once.
    connect(&results_, &TfrmTemplateResults::caseRecorded, this, [this] {
        if (isVisible()) reload();
    });
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
            chartCase.showOn(*charts.back());
            const ProfileChart* chart = charts.back().get();
            sections.push_back(caseSection(c.record,
                                           QString::fromStdString(joinCrLf(c.record.report)) + QStringLiteral("\r\n"),
                                           [chart](QPainter& p, const QRectF& page) { chart->paintPicture(p, page); }));
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

void TfrmCases::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) reload();
}

void TfrmCases::cmdCopySummaryClick() {
    const std::vector<StoredCase> cases = selectedCases();
    if (!cases.empty()) QGuiApplication::clipboard()->setMimeData(summaryMimeData(summarizeCase(cases.front().record)));
}

void TfrmCases::cmdSaveSummaryClick() {
    const std::vector<StoredCase> cases = selectedCases();
    if (!cases.empty()) saveSummaryOf(cases.front().record, services_, this, summaryFileName);
}

namespace {

// "No. 3 Ann B., tested 2026-03-01": a case as a question names it.
QString caseLine(const CaseListRow& r) {
    QString line = QStringLiteral("No. %1").arg(r.id);
    if (!r.session.person.empty()) line += u' ' + fromUtf8(visibleText(r.session.person));
    line += r.session.testingDate.empty()
                ? QStringLiteral(", computed ") + fromUtf8(localTimeText(r.computedUtc, r.utcOffsetMinutes))
                : QStringLiteral(", tested ") + fromUtf8(r.session.testingDate);
    return line;
}

} // namespace

void TfrmCases::cmdCompareClick() {
    const std::vector<std::int64_t> ids = selectedIds();
    if (ids.size() == 1) {
        cmdCompareEarlierClick();
        return;
    }
    if (ids.size() != 2) {
        services_.boxes.warning(
            QStringLiteral("Please select two cases of one person to compare (or one, to compare "
                           "it with that person's earlier case)."));
        return;
    }
    compare(ids[0], ids[1]);
}

void TfrmCases::cmdCompareEarlierClick() {
    const std::vector<std::int64_t> ids = selectedIds();
    if (ids.size() != 1) {
        services_.boxes.warning(
            QStringLiteral("Please select the one case to compare with its person's earlier case."));
        return;
    }
    const std::int64_t earlier = earlierCaseOf(ids.front());
    if (earlier != 0) compare(earlier, ids.front());
}

std::int64_t TfrmCases::earlierCaseOf(std::int64_t id) {
    const auto compared = [](const CaseListRow& r) {
        ComparedCase c{r.id, {}};
        c.record.session = r.session;
        c.record.computedUtc = r.computedUtc;
        return c;
    };
    const CaseListRow* selected = nullptr;
    for (int r = 0; r < model_->rowCount() && !selected; ++r)
        if (model_->row(r).id == id) selected = &model_->row(r);
    if (!selected || selected->session.person.empty()) {
        services_.boxes.information(QStringLiteral("No person was entered for the selected case."));
        return 0;
    }
    const ComparedCase later = compared(*selected);
    std::optional<ComparedCase> earlier;
    for (int r = 0; r < model_->rowCount(); ++r) {
        const CaseListRow& row = model_->row(r);
        if (row.session.person != selected->session.person || row.id == id) continue;
        const ComparedCase c = compared(row);
        if (assessedBefore(c, later) && (!earlier || assessedBefore(*earlier, c))) earlier = c;
    }
    if (!earlier) {
        services_.boxes.information(QStringLiteral("There is no earlier case of %1 in the records.")
                                        .arg(fromUtf8(visibleText(selected->session.person))));
        return 0;
    }
    return earlier->id;
}

void TfrmCases::compare(std::int64_t a, std::int64_t b) {
    std::optional<CaseStore> s = store(FileAction::ReadCases);
    if (!s) return;
    std::array<std::optional<StoredCase>, 2> found;
    std::string error;
    for (std::size_t i = 0; i < 2; ++i) {
        if (!s->get(i == 0 ? a : b, found[i], error)) {
            storeFailed(FileAction::ReadCases, error);
            return;
        }
        if (!found[i]) { // deleted by another window meanwhile
            services_.boxes.information(QStringLiteral("Case %1 is no longer in the records.").arg(i == 0 ? a : b));
            reload();
            return;
        }
    }
    s.reset();
    const ComparedCase first{found[0]->id, found[0]->record};
    const ComparedCase second{found[1]->id, found[1]->record};
    if (const std::string refusal = comparisonRefusal(first, second); !refusal.empty()) {
        services_.boxes.warning(fromUtf8(visibleText(refusal)));
        return;
    }
    const bool inOrder = assessedBefore(first, second);
    const auto line = [this](const ComparedCase& c) {
        for (int r = 0; r < model_->rowCount(); ++r)
            if (model_->row(r).id == c.id) return caseLine(model_->row(r));
        return QStringLiteral("No. %1").arg(c.id);
    };
    const std::string settingsPath = dataFilePath(results_.caseRecords().folder(), ChangeSettingsFileName);
    TfrmCompare dialog(loadChangeSettings(settingsPath), line(inOrder ? first : second), line(inOrder ? second : first),
                       services_.boxes, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const ChangeSettings settings = dialog.settings();
    if (!saveChangeSettings(settingsPath, settings, error))
        services_.boxes.error(systemReason(fileErrorMessage(FileAction::SaveChangeSettings, settingsPath, error)));
    results_.appendComparison(compareCases(first, second, settings));
    results_.show();
    results_.raise();
    results_.activateWindow();
    results_.mnuProfileChartClick();
}

// Names the cases it will delete (up to ten, then how many more) and keeps
// them unless Yes is chosen over the default No.
void TfrmCases::cmdDeleteClick() {
    const std::vector<std::int64_t> ids = selectedIds();
    if (ids.empty()) {
        services_.boxes.warning(QStringLiteral("Please select a case first."));
        return;
    }
    QStringList lines;
    for (int r = 0; r < model_->rowCount(); ++r) {
        const CaseListRow& row = model_->row(r);
        if (std::find(ids.begin(), ids.end(), row.id) != ids.end()) lines << caseLine(row);
    }
    if (lines.size() > 10) {
        const qsizetype more = lines.size() - 10;
        lines = lines.mid(0, 10);
        lines << QStringLiteral("and %1 more").arg(more);
    }
    const QString what =
        ids.size() == 1 ? QStringLiteral("this case") : QStringLiteral("these %1 cases").arg(ids.size());
    if (!services_.boxes.confirmDeletion(QStringLiteral("Delete %1 from the records?\r\r").arg(what) +
                                         lines.join(u'\r')))
        return;
    std::string error;
    std::optional<CaseStore> s = store(FileAction::DeleteCases);
    if (s && !s->remove(ids, error)) storeFailed(FileAction::DeleteCases, error);
    s.reset();
    reload();
}

// Every case of the selected case's person, after one question that names
// the person and how many cases go.
void TfrmCases::cmdDeletePersonClick() {
    const std::vector<std::int64_t> ids = selectedIds();
    if (ids.empty()) {
        services_.boxes.warning(QStringLiteral("Please select a case first."));
        return;
    }
    const CaseListRow* selected = nullptr;
    for (int r = 0; r < model_->rowCount() && !selected; ++r)
        if (model_->row(r).id == ids.front()) selected = &model_->row(r);
    const std::string person = selected ? selected->session.person : std::string();
    if (person.empty()) {
        services_.boxes.information(QStringLiteral("No person was entered for the selected case."));
        return;
    }
    int count = 0;
    for (int r = 0; r < model_->rowCount(); ++r) count += model_->row(r).session.person == person ? 1 : 0;
    const QString what = count == 1 ? QStringLiteral("the 1 case") : QStringLiteral("all %1 cases").arg(count);
    if (!services_.boxes.confirmDeletion(
            QStringLiteral("Delete %1 of %2 from the records?\rThey cannot be brought back.")
                .arg(what, fromUtf8(visibleText(person)))))
        return;
    std::string error;
    std::optional<CaseStore> s = store(FileAction::DeleteCases);
    if (s && !s->removePerson(person, error)) storeFailed(FileAction::DeleteCases, error);
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
    if (!services_.boxes.confirmDeletion(QStringLiteral("Delete all %1 from the records?").arg(what))) return;
    if (!services_.boxes.confirmDeletion(
            QStringLiteral("The %1 cannot be brought back once deleted.\rDelete them all?").arg(what)))
        return;
    if (!s->removeAll(error)) storeFailed(FileAction::DeleteCases, error);
    s.reset();
    reload();
}

} // namespace kalden
