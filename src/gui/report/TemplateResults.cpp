#include "gui/report/TemplateResults.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <QClipboard>
#include <QCloseEvent>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QShowEvent>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include "files/FileErrors.h"
#include "files/TextFile.h"
#include "files/TextLines.h"
#include "files/Utf8Path.h"
#include "gui/platform/MemoText.h"
#include "gui/platform/QtServices.h"
#include "gui/platform/WindowHelpers.h"
#include "gui/report/PdfExport.h"
#include "gui/report/ProfileChartWindow.h"
#include "gui/report/SummaryExport.h"
#include "report/CaseSummary.h"

namespace kalden {

TfrmTemplateResults::TfrmTemplateResults(const Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint), services_(services) {
    setObjectName(QStringLiteral("frmTemplateResults"));
    setWindowIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize); // fixed border, sized to its contents
    layout->setMenuBar(buildMenu());
    layout->addWidget(buildTextArea());
    layout->addLayout(buildOpenRow());
    layout->addWidget(buildButtonRow());

    cmdSaveOutput->setObjectName(QStringLiteral("cmdSaveOutput"));
    cmdClearResults->setObjectName(QStringLiteral("cmdClearResults"));
    cmdReturn->setObjectName(QStringLiteral("cmdReturn"));
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdOpenPreviousFile->setObjectName(QStringLiteral("cmdOpenPreviousFile"));

    setTabOrder(memoResults, cmdSaveOutput);
    setTabOrder(cmdSaveOutput, cmdClearResults);
    setTabOrder(cmdClearResults, cmdReturn);
    setTabOrder(cmdReturn, cmdExit);

    connectHandlers();
    addShortcuts();
    pressButtonsOnEnter(*this);
    FormCreate();
}

namespace {

// Alt alone moves the keyboard to the menu bar, whatever the desktop's style
// says.
class AltNavigationStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == QStyle::SH_MenuBar_AltKeyNavigation) return 1;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

} // namespace

QMenuBar* TfrmTemplateResults::buildMenu() {
    MainMenu1 = new QMenuBar(this);
    auto* style = new AltNavigationStyle;
    style->setParent(MainMenu1);
    MainMenu1->setStyle(style);
    MainMenu1->setNativeMenuBar(false);
    mnuPrinterOptions = MainMenu1->addMenu(QStringLiteral("Printer options..."));
    mnuPrint = mnuPrinterOptions->addAction(QStringLiteral("Print All"));
    mnuPrint->setObjectName(QStringLiteral("mnuPrint"));
    mnuPrintSelection = mnuPrinterOptions->addAction(QStringLiteral("Print Selection"));
    mnuPrintSelection->setObjectName(QStringLiteral("mnuPrintSelection"));
    mnuPrintPreview = mnuPrinterOptions->addAction(QStringLiteral("Print Preview..."));
    mnuPrintPreview->setObjectName(QStringLiteral("mnuPrintPreview"));
    mnuChoosePrinter = mnuPrinterOptions->addAction(QStringLiteral("Choose Printer..."));
    mnuChoosePrinter->setObjectName(QStringLiteral("mnuChoosePrinter"));
    mnuPrinterOptions->addSeparator();
    mnuSaveAsPdf = mnuPrinterOptions->addAction(QStringLiteral("Save as PDF..."));
    mnuSaveAsPdf->setObjectName(QStringLiteral("mnuSaveAsPdf"));
    mnuProfileChart = MainMenu1->addAction(QStringLiteral("Profile chart..."));
    mnuProfileChart->setObjectName(QStringLiteral("mnuProfileChart"));
    mnuSummaryMenu = MainMenu1->addMenu(QStringLiteral("Summary"));
    mnuCopySummary = mnuSummaryMenu->addAction(QStringLiteral("Copy Summary"));
    mnuCopySummary->setObjectName(QStringLiteral("mnuCopySummary"));
    mnuSaveSummary = mnuSummaryMenu->addAction(QStringLiteral("Save Summary..."));
    mnuSaveSummary->setObjectName(QStringLiteral("mnuSaveSummary"));
    mnuCases = MainMenu1->addAction(QStringLiteral("Cases..."));
    mnuCases->setObjectName(QStringLiteral("mnuCases"));
    mnuHelpMenu = MainMenu1->addMenu(QStringLiteral("Help"));
    mnuAbout = mnuHelpMenu->addAction(QStringLiteral("About KALDEN"));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
    return MainMenu1;
}

// The standard shortcuts, and the menu bar from the keyboard: F10, or Alt
// pressed and released alone, as on a desktop.
void TfrmTemplateResults::addShortcuts() {
    actSaveOutput = new QAction(QStringLiteral("Save Output"), this);
    actSaveOutput->setObjectName(QStringLiteral("actSaveOutput"));
    actSaveOutput->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    addAction(actSaveOutput);
    connect(actSaveOutput, &QAction::triggered, this, &TfrmTemplateResults::cmdSaveOutputClick);
    mnuPrint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    mnuSaveAsPdf->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    mnuCopySummary->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this, &TfrmTemplateResults::openMenuFromKeyboard);
}

// F10 does what Alt does: the bar takes the keyboard with its first menu
// highlighted, and gives the focus back when it is left.
void TfrmTemplateResults::openMenuFromKeyboard() {
    // As the platform reports it: an Alt press carries no Alt modifier yet.
    QWidget* target = focusWidget() ? focusWidget() : this;
    QKeyEvent press(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::NoModifier);
    press.ignore();
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
}

QFrame* TfrmTemplateResults::buildTextArea() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    auto* textLayout = new QVBoxLayout(Panel1);
    memoResults = new QPlainTextEdit(Panel1);
    memoResults->setObjectName(QStringLiteral("memoResults"));
    memoResults->setAccessibleName(QStringLiteral("Results"));
    memoResults->setFont(fixedPitchFont());
    memoResults->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memoResults->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    styleTextArea();
    textLayout->addWidget(memoResults);
    return Panel1;
}

void TfrmTemplateResults::styleTextArea() {
    // Black text on the base colour, and a selection that stays visible
    // when the area loses the focus.
    QPalette p = memoResults->palette();
    p.setColor(QPalette::Text, Qt::black);
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    memoResults->setPalette(p);
    // Room for a report line (103 characters) and some thirty lines.
    const QFontMetrics fm(memoResults->font());
    const int chrome = 2 * memoResults->frameWidth() + 2 * static_cast<int>(memoResults->document()->documentMargin());
    memoResults->setMinimumSize(fm.horizontalAdvance(QString(105, u'0')) + chrome +
                                    memoResults->verticalScrollBar()->sizeHint().width(),
                                30 * fm.lineSpacing() + chrome);
}

// "Open Results File" stands above the button row, left, when shown.
QLayout* TfrmTemplateResults::buildOpenRow() {
    cmdOpenPreviousFile = boldButton(QStringLiteral("Open Results File"), this);
    auto* openRow = new QHBoxLayout;
    openRow->addWidget(cmdOpenPreviousFile);
    openRow->addStretch(1);
    return openRow;
}

QFrame* TfrmTemplateResults::buildButtonRow() {
    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* buttons = new QHBoxLayout(Panel2);
    cmdSaveOutput = boldButton(QStringLiteral("Save Output"), Panel2);
    cmdClearResults = boldButton(QStringLiteral("Clear Results"), Panel2);
    cmdReturn = boldButton(QStringLiteral("Return to Worksheet"), Panel2);
    cmdExit = boldButton(QStringLiteral("Exit"), Panel2);
    buttons->addWidget(cmdSaveOutput);
    buttons->addSpacing(16);
    buttons->addWidget(cmdClearResults);
    buttons->addStretch(1);
    buttons->addWidget(cmdReturn);
    buttons->addStretch(1);
    buttons->addWidget(cmdExit);
    return Panel2;
}

void TfrmTemplateResults::connectHandlers() {
    connect(cmdSaveOutput, &QPushButton::clicked, this, &TfrmTemplateResults::cmdSaveOutputClick);
    connect(cmdClearResults, &QPushButton::clicked, this, &TfrmTemplateResults::cmdClearResultsClick);
    connect(cmdReturn, &QPushButton::clicked, this, &TfrmTemplateResults::cmdReturnClick);
    connect(cmdExit, &QPushButton::clicked, this, &TfrmTemplateResults::cmdExitClick);
    connect(cmdOpenPreviousFile, &QPushButton::clicked, this, &TfrmTemplateResults::cmdOpenPreviousFileClick);
    connect(mnuPrint, &QAction::triggered, this, &TfrmTemplateResults::mnuPrintClick);
    connect(mnuPrintSelection, &QAction::triggered, this, &TfrmTemplateResults::mnuPrintSelectionClick);
    connect(mnuSaveAsPdf, &QAction::triggered, this, &TfrmTemplateResults::mnuSaveAsPdfClick);
    connect(mnuProfileChart, &QAction::triggered, this, &TfrmTemplateResults::mnuProfileChartClick);
    connect(mnuPrintPreview, &QAction::triggered, this, &TfrmTemplateResults::mnuPrintPreviewClick);
    connect(mnuChoosePrinter, &QAction::triggered, this, &TfrmTemplateResults::mnuChoosePrinterClick);
    connect(mnuCopySummary, &QAction::triggered, this, &TfrmTemplateResults::mnuCopySummaryClick);
    connect(mnuSaveSummary, &QAction::triggered, this, &TfrmTemplateResults::mnuSaveSummaryClick);
    connect(mnuAbout, &QAction::triggered, this, &TfrmTemplateResults::mnuAboutClick);
    connect(mnuCases, &QAction::triggered, this, &TfrmTemplateResults::casesRequested);
}

void TfrmTemplateResults::FormCreate() {
    setWindowTitle(QStringLiteral("Output"));
    cmdOpenPreviousFile->hide();
    memoResults->clear();
    cmdReturn->setFocus();
}

// Each time the window becomes visible, bring it to the front.
void TfrmTemplateResults::FormShow() {
    if (!shownBefore_) {
        shownBefore_ = true;
        cmdReturn->setFocus(); // the focus when the window first opens
        centreOnScreen(*this, screen());
    }
    raise();
    activateWindow();
}

void TfrmTemplateResults::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TfrmTemplateResults::closeEvent(QCloseEvent* event) {
    // No close box: the window manager's request is refused.
    if (programEnding_)
        event->accept();
    else
        event->ignore();
}

ReportLines TfrmTemplateResults::reportLines() const { return linesOfMemoText(memoResults->toPlainText()); }

int TfrmTemplateResults::appendReportLines(const ReportLines& lines) {
    QTextDocument* doc = memoResults->document();
    QString added;
    const QString current = memoResults->toPlainText();
    const bool lineOpen = !current.isEmpty() && !current.endsWith(u'\n'); // the user's last line ends here
    const int first = lineOpen ? doc->blockCount() : doc->blockCount() - 1;
    if (lines.empty()) return first;
    if (lineOpen) added += u'\n';
    added += memoTextOfLines(lines);
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(added);
    return first;
}

// The view's top line is counted in laid-out lines, so wrapped lines before
// the block count as many as they show.
void TfrmTemplateResults::showLineAtTop(int blockNumber) {
    const QTextBlock block = memoResults->document()->findBlockByNumber(blockNumber);
    if (block.isValid()) memoResults->verticalScrollBar()->setValue(block.firstLineNumber());
}

void TfrmTemplateResults::appendReport(const InputRecord& input, const ComputationResults& results,
                                       const ReportContext& context, MessageService& messages,
                                       const std::array<std::string, 7>& fieldTexts) {
    ReportLines lines = reportLines();
    const std::size_t before = lines.size();
    composeReport(lines, input, results, context, messages);
    CaseRecord record;
    record.fieldTexts = fieldTexts;
    record.input = input;
    record.context = context;
    record.results = results;
    record.report.assign(lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end());
    const QDateTime now = QDateTime::currentDateTime();
    record.computedUtc = now.toSecsSinceEpoch();
    record.utcOffsetMinutes = now.offsetFromUtc() / 60;
    const int first = appendReportLines(record.report);
    showLineAtTop(first);
    keepCase(record, first);
    if (services_.host.keepCaseRecords()) recordCase(record);
}

void TfrmTemplateResults::appendStoredCase(const CaseRecord& c) {
    const int first = appendReportLines(c.report);
    showLineAtTop(first);
    keepCase(c, first);
}

void TfrmTemplateResults::keepCase(CaseRecord record, int firstBlock) {
    KeptCase kept{std::move(record), QTextCursor(memoResults->document()->findBlockByNumber(firstBlock))};
    // Text typed at the very start of a case's first line belongs to it.
    kept.start.setKeepPositionOnInsert(true);
    cases_.push_back(std::move(kept));
    casesChanged();
}

CaseRecords& TfrmTemplateResults::caseRecords() {
    if (!records_) records_ = std::make_unique<CaseRecords>(corePath(services_.host.dataHome()), caseStoreFileName_);
    return *records_;
}

void TfrmTemplateResults::setCaseStoreFileName(const std::string& name) {
    caseStoreFileName_ = name;
    records_.reset();
}

// The report is already shown; a store that cannot take the case says why.
void TfrmTemplateResults::recordCase(const CaseRecord& record) {
    std::string error;
    std::int64_t id = 0;
    std::optional<CaseStore> store = caseRecords().open(error);
    if (!store || !store->add(record, programVersion().toStdString(), id, error))
        services_.boxes.error(systemReason(fileErrorMessage(FileAction::RecordCase, caseRecords().path(), error)));
}

std::vector<CaseRecord> TfrmTemplateResults::cases() const {
    std::vector<CaseRecord> out;
    for (const KeptCase& c : cases_) out.push_back(c.record);
    return out;
}

void TfrmTemplateResults::casesChanged() {
    if (!profileChart_) return;
    std::vector<ChartCase> charts;
    for (const KeptCase& c : cases_) charts.push_back(chartCaseOf(c.record));
    profileChart_->setCases(std::move(charts));
}

// Save Output. The file is replaced only once the whole text is written, so a
// failure never leaves an emptied or half-written file behind.
void TfrmTemplateResults::cmdSaveOutputClick() {
    const std::optional<QString> name = services_.files.saveFileName(this, saveDialogFileName);
    if (!name) return;
    saveDialogFileName = *name;
    openDialogFileName = *name;
    std::string error;
    // The core takes file names as UTF-8 everywhere (on Windows, too, where
    // the local 8-bit encoding is the ANSI code page).
    const std::string path = corePath(*name);
    if (!writeFileReplacing(path, joinCrLf(reportLines()), error))
        services_.boxes.error(systemReason(fileErrorMessage(FileAction::SaveResults, path, error)));
}

// Clear Results empties the text and forgets its cases, without asking.
void TfrmTemplateResults::cmdClearResultsClick() {
    memoResults->clear();
    cases_.clear();
    casesChanged();
}

void TfrmTemplateResults::cmdReturnClick() {
    hide();
    if (worksheet_) worksheet_->show();
}

void TfrmTemplateResults::cmdExitClick() {
    if (services_.boxes.confirm(QStringLiteral("Exit from program?"))) services_.host.endProgram();
}

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
    if (cases_.empty()) {
        services_.boxes.information(NoCaseYet);
        return;
    }
    if (!profileChart_) {
        profileChart_ = new TfrmProfileChart(services_, this);
        casesChanged();
        profileChart_->adjustSize();
        centreOnScreen(*profileChart_, screen()); // the first time; afterwards where the user left it
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
    const auto textOf = [&lines](int from, int to) {
        ReportLines part(lines.begin() + from, lines.begin() + to);
        return part.empty() ? QString() : QString::fromStdString(joinCrLf(part)) + QStringLiteral("\r\n");
    };
    std::vector<PdfSection> sections;
    const int count = static_cast<int>(lines.size());
    int from = 0;
    if (!cases_.empty()) from = std::clamp(cases_.front().start.blockNumber(), 0, count);
    if (from > 0 || cases_.empty()) sections.push_back(PdfSection{textOf(0, from), QString(), {}});
    for (std::size_t i = 0; i < cases_.size(); ++i) {
        const int to = i + 1 < cases_.size() ? std::clamp(cases_[i + 1].start.blockNumber(), from, count) : count;
        const ChartCase chartCase = chartCaseOf(cases_[i].record);
        auto chart = std::make_unique<ProfileChart>();
        chart->setCase(chartCase.results, chartCase.title);
        const ProfileChart* painter = chart.get();
        charts.push_back(std::move(chart));
        sections.push_back(PdfSection{textOf(from, to), QString::fromStdString(cases_[i].record.notesHeadline()),
                                      [painter](QPainter& p, const QRectF& page) { painter->paintPicture(p, page); }});
        from = to;
    }
    return sections;
}

// Save as PDF: each case from a new page, followed by its chart; the old file
// is replaced only by a complete document.
void TfrmTemplateResults::mnuSaveAsPdfClick() {
    const std::optional<QString> name =
        services_.files.saveFileNameFiltered(this, pdfDialogFileName, QStringLiteral("*.pdf"));
    if (!name) return;
    pdfDialogFileName = *name;
    std::vector<std::unique_ptr<ProfileChart>> charts;
    const std::vector<PdfSection> sections = pdfSections(charts);
    QByteArray pdf;
    QString error;
    const QString date = QDate::currentDate().toString(Qt::ISODate);
    if (!resultsPdf(sections, printFont(), date, pdf, error) || !replaceFileWith(*name, pdf, error))
        services_.boxes.error(error);
}

void TfrmTemplateResults::mnuCopySummaryClick() {
    if (cases_.empty()) {
        services_.boxes.information(NoCaseYet);
        return;
    }
    QGuiApplication::clipboard()->setMimeData(summaryMimeData(summarizeCase(cases_.back().record)));
}

void TfrmTemplateResults::mnuSaveSummaryClick() {
    if (cases_.empty()) {
        services_.boxes.information(NoCaseYet);
        return;
    }
    const std::optional<QString> name =
        services_.files.saveFileNameFiltered(this, summaryDialogFileName, SummaryFileTypes);
    if (!name) return;
    summaryDialogFileName = *name;
    QByteArray bytes;
    QString error;
    if (!summaryFileBytes(summarizeCase(cases_.back().record), *name, bytes, error)) {
        if (error == SummaryExtensionMessage)
            services_.boxes.warning(error);
        else
            services_.boxes.error(error);
        return;
    }
    if (!replaceFileWith(*name, bytes, error)) services_.boxes.error(error);
}

void TfrmTemplateResults::mnuAboutClick() { services_.boxes.about(aboutText(services_.host)); }

void TfrmTemplateResults::showHorizontalScrollBar() {
    memoResults->setLineWrapMode(QPlainTextEdit::NoWrap);
    memoResults->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

// Open Results File: only reachable when the hidden button is shown.
void TfrmTemplateResults::cmdOpenPreviousFileClick() {
    const std::optional<QString> name = services_.files.openFileName(this, openDialogFileName);
    if (!name) return;
    memoResults->clear();
    openDialogFileName = *name;
    saveDialogFileName = *name;

    cases_.clear(); // their lines are gone with the text
    casesChanged();
    const std::string path = corePath(*name);
    const auto failure = [&](int code) {
        return systemReason(fileErrorMessage(FileAction::ReadResults, path, std::strerror(code)));
    };
    std::FILE* f = openFileUtf8(path, "rb");
    if (!f) {
        services_.boxes.error(failure(errno));
        return;
    }
    std::string content;
    char buffer[8192];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) content.append(buffer, got);
    const bool failed = std::ferror(f) != 0;
    const int code = errno;
    std::fclose(f);
    ReportLines lines;
    bool longLine = false;
    for (const std::string_view line : splitLines(content)) {
        if (QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())).size() > LongResultsLine)
            longLine = true;
        lines.emplace_back(line);
    }
    appendReportLines(lines);
    if (longLine) showHorizontalScrollBar();
    if (failed) services_.boxes.error(failure(code));
}

} // namespace kalden
