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
#include "files/TextFile.h"
#include "format/CountText.h"
#include "gui/platform/FlowLayout.h"
#include "gui/platform/QtServices.h"
#include "gui/platform/WindowHelpers.h"
#include "gui/report/PdfExport.h"
#include "gui/report/ProfileChartWindow.h"
#include "gui/report/SummaryExport.h"
#include "report/PersonMatch.h"
#include "worksheet/ProgramConfig.h"

namespace kalden {

TfrmCases::TfrmCases(const Services& services, CaseBook& book, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services), book_(book) {
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
    chkKeepRecords->setChecked(book_.keepRecords());
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
    header->resizeSection(CaseTableModel::Age, fm.horizontalAdvance(QStringLiteral("00;00")) + 24);
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
// Each row flows onto further lines where the window is too narrow for it.
QLayout* TfrmCases::buildButtonRows() {
    auto* rows = new QVBoxLayout;
    auto* first = new FlowLayout;
    auto* second = new FlowLayout;
    const auto button = [this](QLayout* row, QPushButton*& b, const char* caption, const char* name) {
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
    button(first, cmdImport, "&Import...", "cmdImport");
    button(second, cmdDelete, "&Delete...", "cmdDelete");
    button(second, cmdDeletePerson, "Delete This &Person's Cases...", "cmdDeletePerson");
    button(second, cmdDeleteAll, "Delete &All Cases...", "cmdDeleteAll");
    button(second, cmdCorrect, "Correc&t Person and Session...", "cmdCorrect");
    auto* last = new QHBoxLayout;
    last->addLayout(second, 1);
    button(last, cmdClose, "Close", "cmdClose");
    last->setAlignment(cmdClose, Qt::AlignBottom);
    rows->addLayout(first);
    rows->addLayout(last);
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
    connect(cmdImport, &QPushButton::clicked, this, &TfrmCases::cmdImportClick);
    connect(cmdCopySummary, &QPushButton::clicked, this, &TfrmCases::cmdCopySummaryClick);
    connect(cmdSaveSummary, &QPushButton::clicked, this, &TfrmCases::cmdSaveSummaryClick);
    connect(cmdCompare, &QPushButton::clicked, this, &TfrmCases::cmdCompareClick);
    connect(cmdCompareEarlier, &QPushButton::clicked, this, &TfrmCases::cmdCompareEarlierClick);
    connect(cmdDelete, &QPushButton::clicked, this, &TfrmCases::cmdDeleteClick);
    connect(cmdDeletePerson, &QPushButton::clicked, this, &TfrmCases::cmdDeletePersonClick);
    // A case computed while the window is open appears at once.
    connect(&book_, &CaseBook::caseRecorded, this, [this] {
        if (isVisible()) reload();
    });
    connect(cmdDeleteAll, &QPushButton::clicked, this, &TfrmCases::cmdDeleteAllClick);
    connect(&book_, &CaseBook::peopleErased, this, [this](const ErasedPeople& erased) {
        forgetNameOfErased(erased, exportFileName, QStringLiteral("cases.csv"));
        forgetNameOfErased(erased, summaryFileName, QStringLiteral("summary.odt"));
        if (chart_) forgetNameOfErased(erased, chart_->saveChartFileName, QStringLiteral("profile.png"));
    });
    connect(cmdCorrect, &QPushButton::clicked, this, &TfrmCases::cmdCorrectClick);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(chkKeepRecords, &QCheckBox::toggled, this, [this](bool keep) { book_.setKeepRecords(keep); });
    connect(tblCases, &QTableView::activated, this, &TfrmCases::cmdShowReportClick);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

const CaseListRow* TfrmCases::listedRow(std::int64_t id) const {
    for (int r = 0; r < model_->rowCount(); ++r)
        if (model_->row(r).id == id) return &model_->row(r);
    return nullptr;
}

std::vector<const CaseListRow*> TfrmCases::rowsOfPerson(const std::string& key) const {
    std::vector<const CaseListRow*> rows;
    for (int r = 0; !key.empty() && r < model_->rowCount(); ++r)
        if (personKey(model_->row(r).session.person) == key) rows.push_back(&model_->row(r));
    return rows;
}

void TfrmCases::reload() {
    std::vector<CaseListRow> rows;
    book_.listRecords(rows);
    model_->setRows(std::move(rows));
    if (filter_->rowCount() > 0) tblCases->selectRow(0);
    updateCount();
    refreshChart();
}

void TfrmCases::updateCount() {
    const int shown = filter_->rowCount();
    const int all = model_->rowCount();
    lblCount->setText(shown == all ? QString::fromStdString(countOf(all, "case", "cases"))
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
    // Without those deleted by another window meanwhile.
    std::optional<std::vector<StoredCase>> read = book_.readRecords(ids);
    return read ? std::move(*read) : cases;
}

void TfrmCases::cmdOpenInWorksheetClick() {
    const std::vector<StoredCase> cases = selectedCases();
    if (!cases.empty()) emit openInWorksheet(cases.front());
}

void TfrmCases::cmdShowReportClick() {
    const std::vector<StoredCase> cases = selectedCases();
    if (cases.empty()) return;
    for (const StoredCase& c : cases) book_.addStored(c.record, c.id);
}

void TfrmCases::cmdProfileChartClick() {
    const std::vector<StoredCase> cases = selectedCases();
    if (cases.empty()) return;
    if (!chart_) {
        chart_ = new TfrmProfileChart(services_, this);
        // Its designed size, not adjustSize's two thirds of the screen: placing
        // makes it smaller where the screen is.
        chart_->resize(chart_->sizeHint());
        placeOnScreen(*chart_, screen()); // the first time; afterwards where the user left it
    }
    chartCases(cases);
    chart_->show();
    chart_->raise();
    chart_->activateWindow();
}

void TfrmCases::chartCases(const std::vector<StoredCase>& cases) {
    chartedIds_.clear();
    std::vector<ChartCase> charts;
    for (const StoredCase& c : cases) {
        chartedIds_.push_back(c.id);
        charts.push_back(chartCaseOf(c.record));
    }
    chart_->setCases(std::move(charts));
}

// The chart shows the cases as the records now hold them: a deleted case
// goes from it ("No case" when none is left), a corrected one shows the
// correction.
void TfrmCases::refreshChart() {
    if (!chart_ || chartedIds_.empty()) return;
    if (const std::optional<std::vector<StoredCase>> cases = book_.readRecords(chartedIds_)) chartCases(*cases);
}

// A batch CSV (.csv), one PDF (.pdf) or a case file (.json) of the selected
// cases, by the name's extension.
void TfrmCases::cmdExportClick() {
    const std::vector<StoredCase> cases = selectedCases();
    if (cases.empty()) return;
    const std::optional<QString> name = services_.files.saveFileNameFiltered(
        this, exportFileName,
        QStringLiteral("Batch CSV file (*.csv);;PDF document (*.pdf);;KALDEN case file (*.kalden.json)"));
    if (!name) return;
    exportFileName = *name;
    const QString extension = QFileInfo(*name).suffix().toLower();
    QByteArray bytes;
    QString error;
    if (extension == u"csv") {
        bytes = QByteArray::fromStdString(casesBatchCsv(cases));
    } else if (extension == u"json") {
        std::vector<FiledCase> filed;
        for (const StoredCase& c : cases) filed.push_back({c.version, c.record});
        bytes = QByteArray::fromStdString(caseFileText(filed, programVersion().toStdString()));
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
        if (!resultsPdf(sections, fixedPitchFont(8), QDate::currentDate().toString(Qt::ISODate), bytes, error)) {
            services_.boxes.error(error);
            return;
        }
    } else {
        services_.boxes.warning(QStringLiteral(
            "The cases are exported as a batch CSV file, a PDF document or a KALDEN case file: please give a file "
            "name ending in .csv, .pdf or .json."));
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
    if (cases.empty()) return;
    QString offered = personFileNameAfter(summaryFileName, cases.front().record.session, "summary", "odt");
    saveSummaryOf(cases.front().record, services_, this, offered);
    summaryFileName = offered;
}

} // namespace kalden
